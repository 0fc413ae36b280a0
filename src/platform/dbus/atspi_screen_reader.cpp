#include "platform/dbus/atspi_screen_reader.h"

#include "platform/dbus/bus_timeouts.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace orlavo {

namespace {

const QString kService = QStringLiteral("org.a11y.Bus");
const QString kPath = QStringLiteral("/org/a11y/bus");
const QString kStatus = QStringLiteral("org.a11y.Status");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kScreenReaderEnabled = QStringLiteral("ScreenReaderEnabled");

}  // namespace

AtspiScreenReader::AtspiScreenReader() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    bus.connect(kService, kPath, kProperties, QStringLiteral("PropertiesChanged"), {kStatus},
                QString(), this, SLOT(StatusChanged(QString, QVariantMap, QStringList)));
    Ask();
}

void AtspiScreenReader::Ask() {
    QDBusMessage get =
        QDBusMessage::createMethodCall(kService, kPath, kProperties, QStringLiteral("Get"));
    get << kStatus << kScreenReaderEnabled;
    const int asked = ++m_asked;
    auto* watcher = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(get, kBusStartupAnswerMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, asked](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                const QDBusPendingReply<QDBusVariant> answer = *answered;
                // An error (no such service) leaves what was known, at first "none"; a change
                // signal since is newer than this answer.
                if (asked == m_asked && answer.isValid()) {
                    m_running = answer.value().variant().toBool();
                }
            });
}

bool AtspiScreenReader::Running() {
    return m_running;
}

void AtspiScreenReader::StatusChanged(const QString& interface, const QVariantMap& changed,
                                      const QStringList& invalidated) {
    if (interface != kStatus) {
        return;
    }
    if (changed.contains(kScreenReaderEnabled)) {
        m_running = changed.value(kScreenReaderEnabled).toBool();
        ++m_asked;  // newer than any answer still on its way
    } else if (invalidated.contains(kScreenReaderEnabled)) {
        Ask();
    }
}

}  // namespace orlavo
