#include "platform/dbus/dbus_idle_inhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QVariantMap>
#include <utility>

namespace orlavo {
namespace {

constexpr int kAnswerWithinMs = 3000;
// The portal's flags: 4 suspend, 8 idle. A book is listened to, not watched, so the machine must
// not go to sleep under it either.
constexpr uint kSuspendAndIdle = 4 | 8;
const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kScreenSaver = QStringLiteral("org.freedesktop.ScreenSaver");

}  // namespace

DBusIdleInhibitor::DBusIdleInhibitor(QString application, QString reason)
    : m_application(std::move(application)), m_reason(std::move(reason)) {}

void DBusIdleInhibitor::Use(const QDBusConnection& bus) {
    m_bus = bus;
    Settle();
}

void DBusIdleInhibitor::Hold(bool awake) {
    m_wanted = awake;
    if (!awake) {
        m_gaveUp = false;
    }
    Settle();
}

void DBusIdleInhibitor::Settle() {
    if (!m_bus || m_asking) {
        return;
    }
    const bool held = m_request || m_cookie;
    if (m_wanted && !held && !m_gaveUp) {
        Ask(m_way);
    } else if (!m_wanted && held) {
        Release();
    }
}

void DBusIdleInhibitor::Ask(Way way) {
    if (way == Way::kNone) {
        m_asking = false;
        m_gaveUp = true;
        m_way = Way::kPortal;
        return;
    }
    QDBusMessage call;
    if (way == Way::kPortal) {
        call = QDBusMessage::createMethodCall(
            kPortal, QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
        call << QString() << kSuspendAndIdle << QVariantMap{{QStringLiteral("reason"), m_reason}};
    } else {
        const QString path = way == Way::kScreenSaver
                                 ? QStringLiteral("/org/freedesktop/ScreenSaver")
                                 : QStringLiteral("/ScreenSaver");
        call = QDBusMessage::createMethodCall(kScreenSaver, path, kScreenSaver,
                                              QStringLiteral("Inhibit"));
        call << m_application << m_reason;
    }
    m_asking = true;
    auto* watcher = new QDBusPendingCallWatcher(m_bus->asyncCall(call, kAnswerWithinMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, way, path = call.path()](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                const QDBusMessage reply = answered->reply();
                if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
                    Ask(Way(int(way) + 1));
                    return;
                }
                if (way == Way::kPortal) {
                    m_request = qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst());
                } else {
                    m_cookie = reply.arguments().constFirst().toUInt();
                    m_cookiePath = path;
                }
                m_way = way;
                m_asking = false;
                Settle();
            });
}

// Nobody waits for the answer: a desktop that does not take the release back has nothing to hold
// once Orlavo's connection ends.
void DBusIdleInhibitor::Release() {
    QDBusMessage call;
    if (m_request) {
        call = QDBusMessage::createMethodCall(kPortal, m_request->path(),
                                              QStringLiteral("org.freedesktop.portal.Request"),
                                              QStringLiteral("Close"));
    } else {
        call = QDBusMessage::createMethodCall(kScreenSaver, m_cookiePath, kScreenSaver,
                                              QStringLiteral("UnInhibit"));
        call << *m_cookie;
    }
    m_bus->send(call);
    m_request.reset();
    m_cookie.reset();
}

}  // namespace orlavo
