#pragma once

#include <QAbstractNativeEventFilter>
#include <QWidget>
#include <cstdint>
#include <functional>

namespace orlavo {

// Hands the window manager's close request for one window straight to a handler. While an item
// is being spoken the window runs no keyboard or mouse input, and Qt counts the close request as
// such input, so it would wait until the item ended; a person who closes Orlavo expects it to go
// at once, so the request is taken from the X11 events before Qt holds it back.
class X11CloseRequest : public QAbstractNativeEventFilter {
  public:
    X11CloseRequest(const QWidget& window, std::function<void()> onClose);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    const QWidget& m_window;
    std::function<void()> m_onClose;
    std::uint32_t m_protocolsAtom = 0;
    std::uint32_t m_deleteWindowAtom = 0;
};

}  // namespace orlavo
