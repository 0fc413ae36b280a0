#include "platform/dbus/desktop_contrast.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <utility>

#include "platform/dbus/bus_timeouts.h"

namespace orlavo {
namespace {

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kSettings = QStringLiteral("org.freedesktop.portal.Settings");
const QString kGnome = QStringLiteral("org.gnome.desktop.a11y.interface");
const QString kGnomeKey = QStringLiteral("high-contrast");
const QString kAppearance = QStringLiteral("org.freedesktop.appearance");
const QString kAppearanceKey = QStringLiteral("contrast");

// Older portals wrap Read's answer in a second variant.
QVariant Unwrapped(QVariant value) {
    while (value.userType() == qMetaTypeId<QDBusVariant>()) {
        value = value.value<QDBusVariant>().variant();
    }
    return value;
}

}  // namespace

DesktopContrast::DesktopContrast(std::function<void(bool)> highContrast)
    : m_highContrast(std::move(highContrast)) {}

void DesktopContrast::Use(const QDBusConnection& bus) {
    QDBusConnection(bus).connect(kPortal, kPath, kSettings, QStringLiteral("SettingChanged"), this,
                                 SLOT(SettingChanged(QString, QString, QDBusVariant)));
    Ask(bus, kGnome, kGnomeKey);
    Ask(bus, kAppearance, kAppearanceKey);
}

void DesktopContrast::Ask(const QDBusConnection& bus, const QString& group, const QString& key) {
    QDBusMessage read =
        QDBusMessage::createMethodCall(kPortal, kPath, kSettings, QStringLiteral("Read"));
    read << group << key;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(read, kBusAnswerMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, group, key](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                const QDBusMessage reply = answered->reply();
                // No portal, or one that does not know the setting: nothing asked for.
                if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
                    Take(group, key, reply.arguments().constFirst());
                }
            });
}

void DesktopContrast::SettingChanged(const QString& group, const QString& key,
                                     const QDBusVariant& value) {
    Take(group, key, value.variant());
}

void DesktopContrast::Take(const QString& group, const QString& key, const QVariant& value) {
    const QVariant setting = Unwrapped(value);
    if (group == kGnome && key == kGnomeKey) {
        m_gnome = setting.toBool();
    } else if (group == kAppearance && key == kAppearanceKey) {
        m_appearance = setting.toUInt() == 1;  // 1: higher contrast
    } else {
        return;
    }
    const bool high = m_gnome || m_appearance;
    if (high != std::exchange(m_told, high) && m_highContrast) {
        m_highContrast(high);
    }
}

}  // namespace orlavo
