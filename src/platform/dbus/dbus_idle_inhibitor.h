#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <optional>

namespace orlavo {

// Asks the desktop not to go idle (blank, lock, suspend) and lets it go again: through the
// desktop portal where there is one, else through the screen saver's own service, else not at
// all. Every call is asynchronous and short, and a request still unanswered when the wish changes
// is settled when its answer comes, so the caller never waits on the desktop. A portal that
// answers after Orlavo went on without it (or after reading ended) has its request closed at
// once: at most one way keeps the desktop awake, and none once the wish is dropped.
class DBusIdleInhibitor : public QObject {
  public:
    // `application` and `reason` are what the desktop shows about the request.
    DBusIdleInhibitor(QString application, QString reason);

    // The bus to ask on, once there is one; a wish made before is carried out then.
    void Use(const QDBusConnection& bus);
    void Hold(bool awake);

  private:
    // The ways of asking, in the order tried.
    enum class Way { kPortal, kScreenSaver, kScreenSaverRoot, kNone };

    void Settle();
    void Ask(Way way);
    void Release();
    void Answered(Way way, const QString& path, const QDBusMessage& reply);
    void Close(const QString& request);

    QString m_application;
    QString m_reason;
    std::optional<QDBusConnection> m_bus;
    bool m_wanted = false;
    bool m_asking = false;
    // The way that answered last time, tried first next time; kNone after every way failed, until
    // the wish is dropped and made again.
    Way m_way = Way::kPortal;
    bool m_gaveUp = false;
    // What keeps the desktop awake now: the portal's request, or the screen saver's cookie.
    std::optional<QDBusObjectPath> m_request;
    std::optional<uint> m_cookie;
    QString m_cookiePath;
    // The number of the latest request, so that a late answer is told from the one awaited.
    int m_attempt = 0;
};

}  // namespace orlavo
