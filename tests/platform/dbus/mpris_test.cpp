// The media controls as playerctl or a panel sees them, over the test's own session bus: what the
// player says and announces while Orlavo reads or not, and what Volume, Rate and the buttons reach.

#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QThread>

#include "platform/dbus/dbus_desktop_session.h"

namespace orlavo {
namespace {

using Command = DBusDesktopSession::Command;
const QString kPath = "/org/mpris/MediaPlayer2", kProperties = "org.freedesktop.DBus.Properties";
const QString kPlayer = "org.mpris.MediaPlayer2.Player";

// Notes each PropertiesChanged of the player as "Name=value;", Metadata's as its track and title.
class Announcements : public QObject {
    Q_OBJECT
  public Q_SLOTS:
    void Note(const QString& interface, const QVariantMap& changed, const QStringList&) {
        for (const QString& name : interface == kPlayer ? changed.keys() : QStringList()) {
            const auto track = qdbus_cast<QVariantMap>(changed[name]);
            seen += name + '=' + changed[name].toString() +
                    track.value("mpris:trackid").value<QDBusObjectPath>().path() + ' ' +
                    track.value("xesam:title").toString() + ';';
        }
    }

  public:
    QString seen;
};

struct PlayerCase {
    const char* name;
    bool reading = false;
    std::int32_t position = -1;  // of an item of "Emma"
    // Methods under org.mpris.MediaPlayer2, or properties set to a value, as a client calls them.
    std::vector<std::pair<QString, QVariant>> calls{};
    QString status = "Stopped", announced{};
    double volume = 1.0;
    std::vector<Command> commands{};
};

class Player : public ::testing::TestWithParam<PlayerCase> {};

TEST_P(Player, SaysAnnouncesAndPassesOnWhatTheMediaControlsAsk) {
    const PlayerCase& c = GetParam();
    QDBusConnection client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, c.name);
    const auto ask = [&client](const QString& interface, const QString& member, QVariantList args) {
        QDBusMessage call = QDBusMessage::createMethodCall("org.mpris.MediaPlayer2.orlavo", kPath,
                                                           interface, member);
        call.setArguments(args);
        return client.call(call, QDBus::BlockWithGui).arguments().value(0).value<QDBusVariant>();
    };
    const auto property = [&ask](const char* member, const QVariantList& args) {
        return ask(kProperties, member, QVariantList{kPlayer} + args);
    };
    StreamVolume volume;
    std::vector<Command> commands;
    DBusDesktopSession session("Orlavo", "orlavo", volume);
    session.SetCommandHandler([&commands](Command command) { commands.push_back(command); });
    Announcements announcements;
    client.connect("", kPath, kProperties, "PropertiesChanged", &announcements,
                   SLOT(Note(QString, QVariantMap, QStringList)));
    session.Connect();  // the calls until it is there also let the bus take the line above
    for (int i = 0; i < 500 && !property("Get", {"Rate"}).variant().isValid(); ++i) {
        QThread::msleep(10);
    }
    for (const auto& [member, value] : c.calls) {
        if (value.isValid()) {
            property("Set", {member, QVariant::fromValue(QDBusVariant(value))});
        } else {
            ask(("org.mpris.MediaPlayer2." + member).section('.', 0, -2), member.section('.', -1),
                {});
        }
    }
    session.ShowReading(c.reading);
    session.ShowItem(c.position, c.position < 0 ? "" : "Emma");
    EXPECT_EQ(property("Get", {"PlaybackStatus"}).variant().toString(), c.status);
    EXPECT_EQ(property("Get", {"Rate"}).variant().toDouble(), 1.0);
    EXPECT_EQ(volume.Level(), c.volume);
    EXPECT_EQ(commands, c.commands);
    EXPECT_EQ(announcements.seen.toStdString(), c.announced.toStdString());  // sent before both
    QDBusConnection::disconnectFromBus(c.name);
}

INSTANTIATE_TEST_SUITE_P(
    MediaControls, Player,
    ::testing::Values(
        PlayerCase{.name = "Stopped"},
        PlayerCase{.name = "ReadingWithEveryButtonPressed",
                   .reading = true,
                   .position = 3,
                   .calls = {{"Player.Play", {}},
                             {"Player.Pause", {}},
                             {"Player.PlayPause", {}},
                             {"Player.Stop", {}},
                             {"Raise", {}},
                             {"Quit", {}}},
                   .status = "Playing",
                   .announced = "PlaybackStatus=Playing ;Metadata=/org/orlavo/line/3 Emma;",
                   .commands = {Command::kPlay, Command::kPause, Command::kPlayPause,
                                Command::kStop, Command::kRaise, Command::kQuit}},
        PlayerCase{.name = "VolumeReachesTheStream", .calls = {{"Volume", 0.5}}, .volume = 0.5},
        PlayerCase{.name = "VolumeAboveOneIsFull", .calls = {{"Volume", 1.7}}},
        PlayerCase{.name = "VolumeBelowZeroIsSilent", .calls = {{"Volume", -0.2}}, .volume = 0},
        PlayerCase{.name = "RateStaysOne", .calls = {{"Rate", 2.0}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orlavo

#include "mpris_test.moc"
