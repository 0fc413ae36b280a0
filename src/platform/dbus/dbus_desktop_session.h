#pragma once

// The desktop around the window, over the session bus: Orlavo offers itself as a media player
// (MPRIS, org.mpris.MediaPlayer2.orlavo: a headset's buttons, the lock screen's controls,
// playerctl) and asks the desktop not to go idle while it reads. It only translates: when Orlavo
// counts as reading is the reading logic's to say, and the commands that come in go to the
// handler main.cpp sets, from the window's event loop as menu commands do. Nothing here waits on
// the bus: it is reached from a thread of its own, every call is asynchronous, and without a
// session bus nothing happens at all.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/dbus/dbus_idle_inhibitor.h"
#include "platform/dbus/desktop_contrast.h"
#include "platform/desktop_session.h"
#include "platform/form_event.h"
#include "platform/stream_volume.h"

namespace orlavo {

class MprisPlayerAdaptor;

class DBusDesktopSession : public QObject, public DesktopSession {
    Q_OBJECT

  public:
    // `identity` is the name media controls show, `desktopEntry` the base name of the .desktop
    // file they find the icon through.
    // `volume` is what the media controls' Volume sets.
    DBusDesktopSession(const std::string& identity, const std::string& desktopEntry,
                       StreamVolume& volume);
    ~DBusDesktopSession() override;

    // Hears the media controls' buttons as the events Form1 runs (Quit closes the window, as its
    // close button does), and Raise, which only brings the window up.
    void SetEventHandler(std::function<void(FormEvent)> handler);
    void SetRaiseHandler(std::function<void()> handler);
    // Hears whether the desktop asks for high contrast, once the bus says and whenever it changes.
    void SetHighContrastHandler(std::function<void(bool)> handler);
    // Connects to the session bus in the background, then offers the player there.
    void Connect();

    void ShowState(ReadingState state) override;
    void ShowItem(std::int32_t position, const std::string& bookTitle) override;
    void KeepAwake(bool awake) override;
    void Notify(const std::string& text) override;

    // For the adaptors. A command is handed on from the event loop once the bus has its answer,
    // so a caller never waits for the reading it starts.
    void Choose(FormEvent event);
    void Raise();
    QString Identity() const { return m_identity; }
    QString DesktopEntry() const { return m_desktopEntry; }
    ReadingState State() const { return m_state; }
    std::int32_t Position() const { return m_position; }
    QString BookTitle() const { return m_bookTitle; }
    StreamVolume& Volume() { return m_volume; }

  private:
    struct Link;

    void Offer(const QDBusConnection& bus);
    void RequestName(const QString& name, bool orAnInstance);
    void Later(const std::function<void()>& work);
    void Announce();

    QString m_identity;
    QString m_desktopEntry;
    StreamVolume& m_volume;
    std::function<void(FormEvent)> m_handler;
    std::function<void()> m_raise;
    std::shared_ptr<Link> m_link;
    std::optional<QDBusConnection> m_bus;
    DBusIdleInhibitor m_inhibitor;
    std::function<void(bool)> m_highContrast;
    DesktopContrast m_contrast;
    ReadingState m_state = ReadingState::kStopped;
    std::int32_t m_position = -1;
    QString m_bookTitle;
    MprisPlayerAdaptor* m_player;  // a child, as the bus finds its adaptors
};

}  // namespace orlavo
