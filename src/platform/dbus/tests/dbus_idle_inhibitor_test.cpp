// The idle inhibitor against stand-ins for the desktop portal and the screen saver, on a session
// bus of the test's own (dbus-run-session): which of them is asked, and that what was asked for
// is let go again, also when the wish is dropped before the desktop answered or the portal
// answers only after Orlavo went on to the screen saver.
// The bus connections need a QCoreApplication for the whole run, so this test brings its own main.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QTimer>

#include "platform/dbus/dbus_idle_inhibitor.h"

namespace orlavo {
namespace {

// Answers Inhibit, Close and UnInhibit for the services it was given the names of, at the paths
// given, and notes each call it answers as "Member path argument;" (any portal request's path as
// "request"). The portal answers Inhibit after `portalLateMs`, or never when it is negative.
class FakeDesktop : public QDBusVirtualObject {
  public:
    FakeDesktop(QStringList paths, int portalLateMs)
        : m_paths(std::move(paths)), m_portalLateMs(portalLateMs) {}
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& call, const QDBusConnection& bus) override {
        if (!m_paths.contains(call.path()) && !call.path().contains(QStringLiteral("request"))) {
            return false;  // the caller is told there is no such object
        }
        const QVariant argument = call.arguments().value(call.member() == "Inhibit" ? 1 : 0);
        const bool request = call.path().contains(QStringLiteral("request"));
        calls += call.member() + ' ' + (request ? "request" : call.path()) + ' ' +
                 argument.toString() + ';';
        QDBusMessage reply = call.createReply();
        if (call.member() == "Inhibit" && call.interface().contains("portal")) {
            reply << QVariant::fromValue(
                QDBusObjectPath("/org/freedesktop/portal/desktop/request/1"));
            call.setDelayedReply(true);
            if (m_portalLateMs >= 0) {
                QTimer::singleShot(m_portalLateMs, [bus, reply] { bus.send(reply); });
            }
            return true;
        } else if (call.member() == "Inhibit") {
            reply << 42u;
        }
        return bus.send(reply);
    }

    QString calls;

  private:
    QStringList m_paths;
    int m_portalLateMs;
};

void Spin(int ms) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

struct InhibitCase {
    const char* name;
    QStringList services, paths;
    bool dropAtOnce;
    int portalLateMs;
    QString calls;
};

class IdleInhibitor : public ::testing::TestWithParam<InhibitCase> {};

TEST_P(IdleInhibitor, AsksTheFirstThatAnswersAndLetsGoAfter) {
    const InhibitCase& c = GetParam();
    QDBusConnection desktopBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, c.name);
    FakeDesktop desktop(c.paths, c.portalLateMs);
    desktopBus.registerVirtualObject("/", &desktop, QDBusConnection::SubPath);
    for (const QString& service : c.services) {
        ASSERT_TRUE(desktopBus.registerService(service));
    }
    {
        DBusIdleInhibitor inhibitor("Orlavo", "Reading a book aloud");
        inhibitor.Use(QDBusConnection::sessionBus());
        inhibitor.Hold(true);
        const int lateMs = c.portalLateMs < 0 ? 3000 : c.portalLateMs;  // never: past the bound
        Spin(c.dropAtOnce ? 0 : 300 + lateMs);
        inhibitor.Hold(false);
        Spin(300 + lateMs);
    }
    EXPECT_EQ(desktop.calls.toStdString(), c.calls.toStdString());
    for (const QString& service : c.services) {
        desktopBus.unregisterService(service);
    }
    desktopBus.unregisterObject("/", QDBusConnection::UnregisterTree);
    QDBusConnection::disconnectFromBus(c.name);
}

const QString kPortal = "org.freedesktop.portal.Desktop", kSaver = "org.freedesktop.ScreenSaver";
const QString kPortalPath = "/org/freedesktop/portal/desktop",
              kSaverPath = "/org/freedesktop/ScreenSaver";
const QString kPortalCalls = "Inhibit " + kPortalPath + " 12;Close request ;";

INSTANTIATE_TEST_SUITE_P(
    Desktops, IdleInhibitor,
    ::testing::Values(
        InhibitCase{
            "ThePortal", {kPortal, kSaver}, {kPortalPath, kSaverPath}, false, 0, kPortalCalls},
        InhibitCase{
            "ThePortalDroppedBeforeItAnswered", {kPortal}, {kPortalPath}, true, 0, kPortalCalls},
        InhibitCase{
            "TheScreenSaver",
            {kSaver},
            {kSaverPath},
            false,
            0,
            "Inhibit " + kSaverPath + " Reading a book aloud;UnInhibit " + kSaverPath + " 42;"},
        InhibitCase{"TheScreenSaverOfOlderDesktops",
                    {kSaver},
                    {"/ScreenSaver"},
                    false,
                    0,
                    "Inhibit /ScreenSaver Reading a book aloud;UnInhibit /ScreenSaver 42;"},
        InhibitCase{"ThePortalAnsweringAfterReadingEnded",
                    {kPortal},
                    {kPortalPath},
                    true,
                    3500,
                    kPortalCalls + "Close request ;"},
        InhibitCase{"ThePortalAnsweringAfterTheScreenSaver",
                    {kPortal, kSaver},
                    {kPortalPath, kSaverPath},
                    false,
                    3500,
                    "Inhibit " + kPortalPath + " 12;Close request ;Inhibit " + kSaverPath +
                        " Reading a book aloud;Close request ;UnInhibit " + kSaverPath + " 42;"},
        InhibitCase{"ThePortalNeverAnswering",
                    {kPortal, kSaver},
                    {kPortalPath, kSaverPath},
                    false,
                    -1,
                    "Inhibit " + kPortalPath + " 12;Close request ;Inhibit " + kSaverPath +
                        " Reading a book aloud;UnInhibit " + kSaverPath + " 42;"},
        InhibitCase{"NothingToAsk", {}, {}, false, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orlavo

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
