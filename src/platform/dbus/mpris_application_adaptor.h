#pragma once

#include <QDBusAbstractAdaptor>
#include <QStringList>

namespace orlavo {

class DBusDesktopSession;

// org.mpris.MediaPlayer2: who the player is, and bringing its window up or closing it.
class MprisApplicationAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ yes)
    Q_PROPERTY(bool CanRaise READ yes)
    Q_PROPERTY(bool HasTrackList READ no)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ none)
    Q_PROPERTY(QStringList SupportedMimeTypes READ none)

  public:
    explicit MprisApplicationAdaptor(DBusDesktopSession& session);

    bool yes() const { return true; }
    bool no() const { return false; }
    QString identity() const;
    QString desktopEntry() const;
    QStringList none() const { return {}; }

  public Q_SLOTS:
    void Raise();
    void Quit();

  private:
    DBusDesktopSession& m_session;
};

}  // namespace orlavo
