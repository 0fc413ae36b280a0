// The media controls through the property and slot tables the bus uses, on a session with no bus:
// what the player says and would announce, reading or not, and what Volume, Rate and buttons reach.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "platform/dbus/dbus_desktop_session.h"
#include "platform/dbus/mpris_application_adaptor.h"
#include "platform/dbus/mpris_player_adaptor.h"

namespace orlavo {
namespace {

struct PlayerCase {
    const char* name;
    ReadingState state = ReadingState::kStopped;
    QStringList press{};       // as on the bus: Player.Play on the player, Raise on the application
    const char* set = "Rate";  // a property a client sets, to `to`
    double to = 2.0, volume = 1.0;
    QString status = "Stopped";
    const char* announced = "";
    std::vector<FormEvent> events{};
    int raised = 0;
};

class Player : public ::testing::TestWithParam<PlayerCase> {};

TEST_P(Player, SaysAnnouncesAndPassesOnWhatTheMediaControlsAsk) {
    const PlayerCase& c = GetParam();
    StreamVolume volume;
    std::vector<FormEvent> events;
    int raised = 0;
    DBusDesktopSession session("Orlavo", "orlavo", volume);
    session.SetEventHandler([&events](FormEvent event) { events.push_back(event); });
    session.SetRaiseHandler([&raised] { ++raised; });
    MprisPlayerAdaptor player(session);
    MprisApplicationAdaptor application(session);
    for (const QString& method : c.press) {
        QObject* adaptor =
            method.startsWith("Player.") ? &player : static_cast<QObject*>(&application);
        QMetaObject::invokeMethod(adaptor, method.section('.', -1).toLatin1());
    }
    player.setProperty(c.set, c.to);
    const bool reading = c.state == ReadingState::kReading;
    session.ShowState(c.state);
    session.ShowItem(reading ? 3 : -1, reading ? "Emma" : "");
    QCoreApplication::processEvents();  // where the commands are handed on from
    EXPECT_EQ(player.Changes().keys().join(' ').toStdString(), c.announced);
    EXPECT_EQ(player.property("PlaybackStatus").toString(), c.status);
    EXPECT_EQ(player.property("Rate").toDouble(), 1.0);
    EXPECT_EQ(volume.Level(), c.volume);
    EXPECT_EQ(events, c.events);
    EXPECT_EQ(raised, c.raised);
}

INSTANTIATE_TEST_SUITE_P(
    MediaControls, Player,
    ::testing::Values(
        PlayerCase{
            .name = "ReadingWithEveryButtonPressed",
            .state = ReadingState::kReading,
            .press = {"Player.Play", "Player.Pause", "Player.PlayPause", "Player.Stop", "Raise",
                      "Quit"},
            .status = "Playing",
            .announced = "Metadata PlaybackStatus",
            .events = {FormEvent::kMediaPlay, FormEvent::kMediaPause, FormEvent::kMediaPlayPause,
                       FormEvent::kMediaStop, FormEvent::kUnload},
            .raised = 1},
        PlayerCase{.name = "Paused",
                   .state = ReadingState::kPaused,
                   .status = "Paused",
                   .announced = "PlaybackStatus"},
        PlayerCase{.name = "VolumeReachesTheStream", .set = "Volume", .to = 0.5, .volume = 0.5},
        PlayerCase{.name = "VolumeAboveOneIsFull", .set = "Volume", .to = 1.7},
        PlayerCase{.name = "VolumeBelowZeroIsSilent", .set = "Volume", .to = -0.2, .volume = 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orlavo
