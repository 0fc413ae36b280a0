#include "platform/x11_close_request.h"

#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace orlavo {
namespace {

std::uint32_t InternAtom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (reply == nullptr) {
        return 0;
    }
    const std::uint32_t atom = reply->atom;
    std::free(reply);
    return atom;
}

}  // namespace

X11CloseRequest::X11CloseRequest(const QWidget& window, std::function<void()> onClose)
    : m_window(window), m_onClose(std::move(onClose)) {
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
        m_protocolsAtom = InternAtom(x11->connection(), "WM_PROTOCOLS");
        m_deleteWindowAtom = InternAtom(x11->connection(), "WM_DELETE_WINDOW");
    }
}

bool X11CloseRequest::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || m_protocolsAtom == 0) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_CLIENT_MESSAGE) {
        return false;
    }
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    if (client->format != 32 || client->type != m_protocolsAtom ||
        client->data.data32[0] != m_deleteWindowAtom || !m_window.isWindow() ||
        client->window != static_cast<xcb_window_t>(m_window.internalWinId())) {
        return false;
    }
    m_onClose();
    return true;
}

}  // namespace orlavo
