// The media controls as playerctl or a panel sees them, over the test's own session bus.

#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QThread>

#include "platform/dbus/dbus_desktop_session.h"

namespace orlavo {
namespace {

using Command = DBusDesktopSession::Command;
const QString kPath = "/org/mpris/MediaPlayer2", kProperties = "org.freedesktop.DBus.Properties";
const QString kPlayer = "org.mpris.MediaPlayer2.Player", kGet = kProperties + ".Get";

// Notes each PropertiesChanged of the player as "Name=value;".
class Announcements : public QObject {
    Q_OBJECT
  public:
    QString seen;
  public Q_SLOTS:
    void Note(const QString& interface, const QVariantMap& changed, const QStringList&) {
        for (const QString& name : interface == kPlayer ? changed.keys() : QStringList()) {
            seen += name + '=' + changed[name].toString() + ';';
        }
    }
};

struct PlayerCase {
    const char* name;
    bool reading = false;
    QStringList press{};  // methods under org.mpris.MediaPlayer2
    QString set{};        // a property of the player, set to `to`
    double to = 0, volume = 1.0;
    QString status = "Stopped", announced{};
    std::vector<Command> commands{};
};

class Player : public ::testing::TestWithParam<PlayerCase> {};

TEST_P(Player, SaysAnnouncesAndPassesOnWhatTheMediaControlsAsk) {
    const PlayerCase& c = GetParam();
    QDBusConnection client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, c.name);
    const auto ask = [&client](const QString& method, const QVariantList& args) {
        QDBusMessage call =
            QDBusMessage::createMethodCall("org.mpris.MediaPlayer2.orlavo", kPath,
                                           method.section('.', 0, -2), method.section('.', -1));
        call.setArguments(args);
        const QDBusMessage answer = client.call(call, QDBus::BlockWithGui);
        return answer.arguments().value(0).value<QDBusVariant>().variant();
    };
    StreamVolume volume;
    std::vector<Command> commands;
    DBusDesktopSession session("Orlavo", "orlavo", volume);
    session.SetCommandHandler([&commands](Command command) { commands.push_back(command); });
    Announcements announcements;
    client.connect("", kPath, kProperties, "PropertiesChanged", &announcements,
                   SLOT(Note(QString, QVariantMap, QStringList)));
    session.Connect();  // the calls until it is there also let the bus take the line above
    for (int i = 0; i < 500 && !ask(kGet, {kPlayer, "Rate"}).isValid(); ++i) {
        QThread::msleep(10);
    }
    for (const QString& method : c.press) {
        ask("org.mpris.MediaPlayer2." + method, {});
    }
    if (!c.set.isEmpty()) {
        ask(kProperties + ".Set", {kPlayer, c.set, QVariant::fromValue(QDBusVariant(c.to))});
    }
    session.ShowReading(c.reading);
    session.ShowItem(c.reading ? 3 : -1, c.reading ? "Emma" : "");
    EXPECT_EQ(ask(kGet, {kPlayer, "PlaybackStatus"}).toString(), c.status);
    EXPECT_EQ(ask(kGet, {kPlayer, "Rate"}).toDouble(), 1.0);
    EXPECT_EQ(volume.Level(), c.volume);
    EXPECT_EQ(commands, c.commands);
    EXPECT_EQ(announcements.seen.toStdString(), c.announced.toStdString());  // sent before both
}

INSTANTIATE_TEST_SUITE_P(
    MediaControls, Player,
    ::testing::Values(
        PlayerCase{.name = "ReadingWithEveryButtonPressed",
                   .reading = true,
                   .press = {"Player.Play", "Player.Pause", "Player.PlayPause", "Player.Stop",
                             "Raise", "Quit"},
                   .status = "Playing",
                   .announced = "PlaybackStatus=Playing;Metadata=;",
                   .commands = {Command::kPlay, Command::kPause, Command::kPlayPause,
                                Command::kStop, Command::kRaise, Command::kQuit}},
        PlayerCase{.name = "VolumeReachesTheStream", .set = "Volume", .to = 0.5, .volume = 0.5},
        PlayerCase{.name = "VolumeAboveOneIsFull", .set = "Volume", .to = 1.7},
        PlayerCase{.name = "VolumeBelowZeroIsSilent", .set = "Volume", .to = -0.2, .volume = 0},
        PlayerCase{.name = "RateStaysOne", .set = "Rate", .to = 2.0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orlavo

#include "mpris_test.moc"
