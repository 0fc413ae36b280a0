#pragma once

#include <QDBusConnection>
#include <QDBusVariant>
#include <QObject>
#include <QString>
#include <functional>

namespace orlavo {

// Whether the desktop asks for high contrast, as its settings portal tells: GNOME's
// accessibility switch, or the freedesktop appearance's contrast preference. Asked once the bus
// is there, without waiting, then kept up to date by the portal's change signal; each time the
// answer changes, `highContrast` hears it. A desktop that says nothing leaves the window's colours
// as they are.
class DesktopContrast : public QObject {
    Q_OBJECT

  public:
    explicit DesktopContrast(std::function<void(bool)> highContrast);

    void Use(const QDBusConnection& bus);

  private slots:
    void SettingChanged(const QString& group, const QString& key, const QDBusVariant& value);

  private:
    void Ask(const QDBusConnection& bus, const QString& group, const QString& key);
    void Take(const QString& group, const QString& key, const QVariant& value);

    std::function<void(bool)> m_highContrast;
    bool m_gnome = false;       // org.gnome.desktop.a11y.interface high-contrast
    bool m_appearance = false;  // org.freedesktop.appearance contrast
    bool m_told = false;        // what the window was last told
};

}  // namespace orlavo
