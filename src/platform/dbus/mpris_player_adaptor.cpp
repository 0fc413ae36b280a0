#include "platform/dbus/mpris_player_adaptor.h"

#include "platform/dbus/dbus_desktop_session.h"

namespace orlavo {

MprisPlayerAdaptor::MprisPlayerAdaptor(DBusDesktopSession& session)
    : QDBusAbstractAdaptor(&session), m_session(session) {}

QString MprisPlayerAdaptor::playbackStatus() const {
    return m_session.PlaybackStatus();
}

QVariantMap MprisPlayerAdaptor::metadata() const {
    return m_session.Metadata();
}

double MprisPlayerAdaptor::volume() const {
    return m_session.Volume().Level();
}

// Heard from the next piece of sound on, for this run only, as the desktop's mixer would set it.
void MprisPlayerAdaptor::setVolume(double level) {
    m_session.Volume().Set(level);
}

void MprisPlayerAdaptor::Play() {
    m_session.Choose(DBusDesktopSession::Command::kPlay);
}

void MprisPlayerAdaptor::Pause() {
    m_session.Choose(DBusDesktopSession::Command::kPause);
}

void MprisPlayerAdaptor::PlayPause() {
    m_session.Choose(DBusDesktopSession::Command::kPlayPause);
}

void MprisPlayerAdaptor::Stop() {
    m_session.Choose(DBusDesktopSession::Command::kStop);
}

}  // namespace orlavo
