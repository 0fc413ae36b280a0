#include "platform/dbus/dbus_idle_inhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QTimer>
#include <QVariantMap>
#include <climits>
#include <utility>

#include "platform/dbus/bus_timeouts.h"

namespace orlavo {
namespace {

// The portal call itself is never given up on, so that an answer after kBusAnswerMs still comes
// in and its request can be closed; Orlavo stops waiting for it after kBusAnswerMs all the same.
constexpr int kForever = INT_MAX;
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
    QString path;
    const int attempt = ++m_attempt;
    if (way == Way::kPortal) {
        // The portal names the request after the caller and the token, so its path is known
        // before any answer, and it can be closed whatever the answer turns out to be.
        const QString token = QStringLiteral("orlavo%1").arg(attempt);
        QString sender = m_bus->baseService().mid(1);
        sender.replace(u'.', u'_');
        path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
        call = QDBusMessage::createMethodCall(
            kPortal, QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
        call << QString() << kSuspendAndIdle
             << QVariantMap{{QStringLiteral("handle_token"), token},
                            {QStringLiteral("reason"), m_reason}};
        QTimer::singleShot(kBusAnswerMs, this, [this, attempt, path] {
            if (m_asking && m_attempt == attempt) {
                // Too slow: the next way is tried. A portal that holds the inhibit without saying
                // so, or never answers at all, is told to let go now; should its answer still
                // come, it is closed again when it does.
                Close(path);
                Ask(m_wanted ? Way::kScreenSaver : Way::kNone);
                if (!m_wanted) {
                    m_gaveUp = false;
                }
            }
        });
    } else {
        path = way == Way::kScreenSaver ? QStringLiteral("/org/freedesktop/ScreenSaver")
                                        : QStringLiteral("/ScreenSaver");
        call = QDBusMessage::createMethodCall(kScreenSaver, path, kScreenSaver,
                                              QStringLiteral("Inhibit"));
        call << m_application << m_reason;
    }
    m_asking = true;
    const int timeout = way == Way::kPortal ? kForever : kBusAnswerMs;
    auto* watcher = new QDBusPendingCallWatcher(m_bus->asyncCall(call, timeout), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, way, path, attempt](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                const QDBusMessage reply = answered->reply();
                if (m_attempt != attempt || !m_asking) {
                    // Orlavo went on without this answer: what it holds is let go at once.
                    if (way == Way::kPortal && reply.type() == QDBusMessage::ReplyMessage) {
                        const auto given =
                            qvariant_cast<QDBusObjectPath>(reply.arguments().value(0)).path();
                        Close(given.isEmpty() ? path : given);
                    }
                    return;
                }
                Answered(way, path, reply);
            });
}

void DBusIdleInhibitor::Answered(Way way, const QString& path, const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        Ask(Way(int(way) + 1));
        return;
    }
    if (way == Way::kPortal) {
        m_request = qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst());
        if (m_request->path().isEmpty()) {
            m_request = QDBusObjectPath(path);
        }
    } else {
        m_cookie = reply.arguments().constFirst().toUInt();
        m_cookiePath = path;
    }
    m_way = way;
    m_asking = false;
    Settle();
}

void DBusIdleInhibitor::Close(const QString& request) {
    m_bus->send(QDBusMessage::createMethodCall(kPortal, request,
                                               QStringLiteral("org.freedesktop.portal.Request"),
                                               QStringLiteral("Close")));
}

// Nobody waits for the answer: a desktop that does not take the release back has nothing to hold
// once Orlavo's connection ends.
void DBusIdleInhibitor::Release() {
    if (m_request) {
        Close(m_request->path());
    } else {
        QDBusMessage call = QDBusMessage::createMethodCall(kScreenSaver, m_cookiePath, kScreenSaver,
                                                           QStringLiteral("UnInhibit"));
        call << *m_cookie;
        m_bus->send(call);
    }
    m_request.reset();
    m_cookie.reset();
}

}  // namespace orlavo
