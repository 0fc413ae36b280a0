#include "platform/dbus/dbus_desktop_session.h"

#include <unistd.h>

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QStringList>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/dbus/bus_timeouts.h"
#include "platform/dbus/mpris_application_adaptor.h"
#include "platform/dbus/mpris_player_adaptor.h"
#include "texts/program_texts.h"

namespace orlavo {
namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kBusName = QStringLiteral("org.mpris.MediaPlayer2.orlavo");
// RequestName's flag and answer.
constexpr uint kDoNotQueue = 4;
constexpr uint kNameTaken = 3;

}  // namespace

// The connecting thread's way back to the session, cut when the session goes first.
struct DBusDesktopSession::Link {
    explicit Link(DBusDesktopSession* s) : session(s) {}
    std::mutex mutex;
    DBusDesktopSession* session;
};

DBusDesktopSession::DBusDesktopSession(const std::string& identity, const std::string& desktopEntry,
                                       StreamVolume& volume)
    : m_identity(QString::fromStdString(identity)),
      m_desktopEntry(QString::fromStdString(desktopEntry)),
      m_volume(volume),
      m_link(std::make_shared<Link>(this)),
      m_inhibitor(m_identity, QString::fromUtf8(window_texts::kKeepingAwake)),
      m_contrast([this](bool high) {
          if (m_highContrast) {
              m_highContrast(high);
          }
      }) {
    new MprisApplicationAdaptor(*this);
    m_player = new MprisPlayerAdaptor(*this);
}

DBusDesktopSession::~DBusDesktopSession() {
    const std::lock_guard lock(m_link->mutex);
    m_link->session = nullptr;
}

void DBusDesktopSession::SetEventHandler(std::function<void(FormEvent)> handler) {
    m_handler = std::move(handler);
}

void DBusDesktopSession::SetRaiseHandler(std::function<void()> handler) {
    m_raise = std::move(handler);
}

void DBusDesktopSession::SetHighContrastHandler(std::function<void(bool)> handler) {
    m_highContrast = std::move(handler);
}

// Connecting says hello to the bus and waits for its answer, as long as 25 seconds on a bus that
// is stuck; the window must not wait with it. The thread is left to end by itself: were Orlavo
// closed meanwhile, the process ends under it.
void DBusDesktopSession::Connect() {
    std::thread([link = m_link] {
        const QDBusConnection bus = QDBusConnection::sessionBus();
        const std::lock_guard lock(link->mutex);
        if (link->session != nullptr && bus.isConnected()) {
            QMetaObject::invokeMethod(
                link->session, [session = link->session, bus] { session->Offer(bus); },
                Qt::QueuedConnection);
        }
    }).detach();
}

void DBusDesktopSession::Offer(const QDBusConnection& bus) {
    m_bus = bus;
    m_bus->registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors);
    RequestName(kBusName, true);
    m_inhibitor.Use(bus);
    m_contrast.Use(bus);
}

// A second Orlavo takes the name with its process number, as media players do.
void DBusDesktopSession::RequestName(const QString& name, bool orAnInstance) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
    call << name << kDoNotQueue;
    auto* watcher = new QDBusPendingCallWatcher(m_bus->asyncCall(call, kBusAnswerMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, orAnInstance](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                const QDBusMessage reply = answered->reply();
                if (orAnInstance && reply.type() == QDBusMessage::ReplyMessage &&
                    reply.arguments().value(0).toUInt() == kNameTaken) {
                    RequestName(kBusName + QStringLiteral(".instance%1").arg(getpid()), false);
                }
            });
}

void DBusDesktopSession::Choose(FormEvent event) {
    Later([this, event] {
        if (m_handler) {
            m_handler(event);
        }
    });
}

void DBusDesktopSession::Raise() {
    Later([this] {
        if (m_raise) {
            m_raise();
        }
    });
}

// From the event loop, once the bus has its answer, so a caller never waits for what it starts.
void DBusDesktopSession::Later(const std::function<void()>& work) {
    QMetaObject::invokeMethod(this, work, Qt::QueuedConnection);
}

void DBusDesktopSession::ShowState(ReadingState state) {
    m_state = state;
    Announce();
}

void DBusDesktopSession::ShowItem(std::int32_t position, const std::string& bookTitle) {
    m_position = position;
    m_bookTitle = QString::fromStdString(bookTitle);
    Announce();
}

// Through the desktop's notification service, without waiting for it; nothing without a bus.
void DBusDesktopSession::Notify(const std::string& text) {
    if (!m_bus) {
        return;
    }
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), m_desktopEntry}};
    notify << m_identity << uint{0} << m_desktopEntry << m_identity
           << QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
           << QStringList() << hints << -1;
    m_bus->asyncCall(notify, kBusAnswerMs);
}

void DBusDesktopSession::KeepAwake(bool awake) {
    m_inhibitor.Hold(awake);
}

// The player is asked even without a bus, so that once there is one it announces only what changes
// from then on.
void DBusDesktopSession::Announce() {
    const QVariantMap changed = m_player->Changes();
    if (!m_bus || changed.isEmpty()) {
        return;
    }
    QDBusMessage signal =
        QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << MprisPlayerAdaptor::Interface() << changed << QStringList();
    m_bus->send(signal);
}

}  // namespace orlavo
