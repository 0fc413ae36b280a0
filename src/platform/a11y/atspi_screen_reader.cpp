#include "platform/a11y/atspi_screen_reader.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace orlavo {

namespace {

const QString kService = QStringLiteral("org.a11y.Bus");
const QString kPath = QStringLiteral("/org/a11y/bus");
const QString kStatus = QStringLiteral("org.a11y.Status");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kScreenReaderEnabled = QStringLiteral("ScreenReaderEnabled");
// The service answers within milliseconds; one being started by the bus may take longer, and
// start-up is not held for it.
constexpr int kAnswerMs = 300;

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
    m_answer = QDBusConnection::sessionBus().asyncCall(get, kAnswerMs);
}

bool AtspiScreenReader::Running() {
    if (m_answer) {
        QDBusPendingReply<QDBusVariant> answer = *m_answer;
        answer.waitForFinished();
        // An error (no such service) leaves what was known, at first "none".
        if (answer.isValid()) {
            m_running = answer.value().variant().toBool();
        }
        m_answer.reset();
    }
    return m_running;
}

void AtspiScreenReader::StatusChanged(const QString& interface, const QVariantMap& changed,
                                      const QStringList& invalidated) {
    if (interface != kStatus) {
        return;
    }
    if (changed.contains(kScreenReaderEnabled)) {
        m_running = changed.value(kScreenReaderEnabled).toBool();
        m_answer.reset();  // newer than any answer still on its way
    } else if (invalidated.contains(kScreenReaderEnabled)) {
        Ask();
    }
}

}  // namespace orlavo
