#pragma once

#include "platform/dialogs.h"

class QWidget;

namespace orlavo {

// Message and input boxes, modal over the main window.
class QtDialogs : public Dialogs {
  public:
    explicit QtDialogs(QWidget& owner);

    void MsgBox(const std::string& text, MessageStyle style, const std::string& title) override;
    std::string InputBox(const std::string& prompt, const std::string& title) override;

  private:
    QWidget& m_owner;
};

}  // namespace orlavo
