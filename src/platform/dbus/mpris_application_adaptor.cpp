#include "platform/dbus/mpris_application_adaptor.h"

#include "platform/dbus/dbus_desktop_session.h"

namespace orlavo {

MprisApplicationAdaptor::MprisApplicationAdaptor(DBusDesktopSession& session)
    : QDBusAbstractAdaptor(&session), m_session(session) {}

QString MprisApplicationAdaptor::identity() const {
    return m_session.Identity();
}

QString MprisApplicationAdaptor::desktopEntry() const {
    return m_session.DesktopEntry();
}

void MprisApplicationAdaptor::Raise() {
    m_session.Raise();
}

void MprisApplicationAdaptor::Quit() {
    m_session.Choose(FormEvent::kUnload);
}

}  // namespace orlavo
