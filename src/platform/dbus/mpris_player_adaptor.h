#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QVariantMap>

namespace orlavo {

class DBusDesktopSession;

// org.mpris.MediaPlayer2.Player: whether Orlavo reads, what, and starting and stopping it. A book
// has no tracks to skip to and no position to seek to, so those commands do nothing.
// The Q_PROPERTY lines are the one table of what the player shows: the bus reads them, and what
// PropertiesChanged announces is read from them too, under the same names.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    // A book is read at the pace the person set for speech; a media player's rate has no
    // meaning for it, so a set of Rate changes nothing.
    Q_PROPERTY(double Rate READ one WRITE setRate)
    Q_PROPERTY(double MinimumRate READ one)
    Q_PROPERTY(double MaximumRate READ one)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ no)
    Q_PROPERTY(bool CanGoPrevious READ no)
    Q_PROPERTY(bool CanSeek READ no)
    Q_PROPERTY(bool CanPlay READ yes)
    Q_PROPERTY(bool CanPause READ yes)
    Q_PROPERTY(bool CanControl READ yes)

  public:
    explicit MprisPlayerAdaptor(DBusDesktopSession& session);

    static QString Interface();
    // The properties whose values differ from when this was last asked, by their names on the
    // bus: what the next PropertiesChanged carries.
    QVariantMap Changes();

    QString playbackStatus() const;
    QVariantMap metadata() const;
    double one() const { return 1.0; }
    void setRate(double) {}
    double volume() const;
    void setVolume(double level);
    qlonglong position() const { return 0; }
    bool yes() const { return true; }
    bool no() const { return false; }

  public Q_SLOTS:
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next() {}
    void Previous() {}
    void Seek(qlonglong) {}
    void SetPosition(const QDBusObjectPath&, qlonglong) {}
    void OpenUri(const QString&) {}

  Q_SIGNALS:
    void Seeked(qlonglong position);

  private:
    DBusDesktopSession& m_session;
    QVariantMap m_shown;
};

}  // namespace orlavo
