#include "platform/dbus/mpris_player_adaptor.h"

#include <QDBusObjectPath>
#include <QMetaProperty>
#include <utility>

#include "platform/dbus/dbus_desktop_session.h"

namespace orlavo {

MprisPlayerAdaptor::MprisPlayerAdaptor(DBusDesktopSession& session)
    : QDBusAbstractAdaptor(&session), m_session(session) {
    Changes();
}

QString MprisPlayerAdaptor::Interface() {
    const QMetaObject& table = staticMetaObject;
    return QString::fromLatin1(table.classInfo(table.indexOfClassInfo("D-Bus Interface")).value());
}

// Only what Orlavo changes by itself is announced: Volume and Rate change only when a client sets
// them.
QVariantMap MprisPlayerAdaptor::Changes() {
    QVariantMap changed;
    const QMetaObject& table = staticMetaObject;
    for (int i = table.propertyOffset(); i < table.propertyCount(); ++i) {
        const QMetaProperty property = table.property(i);
        const QString name = QString::fromLatin1(property.name());
        const QVariant value = property.read(this);
        if (!property.isWritable() && std::exchange(m_shown[name], value) != value) {
            changed.insert(name, value);
        }
    }
    return changed;
}

QString MprisPlayerAdaptor::playbackStatus() const {
    switch (m_session.State()) {
        case ReadingState::kReading:
            return QStringLiteral("Playing");
        case ReadingState::kPaused:
            return QStringLiteral("Paused");
        case ReadingState::kStopped:
            break;
    }
    return QStringLiteral("Stopped");
}

QVariantMap MprisPlayerAdaptor::metadata() const {
    const QString track = m_session.Position() < 0
                              ? QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")
                              : QStringLiteral("/org/orlavo/line/%1").arg(m_session.Position());
    QVariantMap metadata{
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(track))}};
    if (!m_session.BookTitle().isEmpty()) {
        metadata.insert(QStringLiteral("xesam:title"), m_session.BookTitle());
    }
    return metadata;
}

double MprisPlayerAdaptor::volume() const {
    return m_session.Volume().Level();
}

// Heard from the next piece of sound on, for this run only, as the desktop's mixer would set it.
void MprisPlayerAdaptor::setVolume(double level) {
    m_session.Volume().Set(level);
}

void MprisPlayerAdaptor::Play() {
    m_session.Choose(FormEvent::kMediaPlay);
}

void MprisPlayerAdaptor::Pause() {
    m_session.Choose(FormEvent::kMediaPause);
}

void MprisPlayerAdaptor::PlayPause() {
    m_session.Choose(FormEvent::kMediaPlayPause);
}

void MprisPlayerAdaptor::Stop() {
    m_session.Choose(FormEvent::kMediaStop);
}

}  // namespace orlavo
