#pragma once

#include <QString>

#include "platform/text_box.h"

class QLineEdit;

namespace orlavo {

// The path box over a line edit.
class QtTextBox : public TextBox {
  public:
    explicit QtTextBox(QLineEdit& edit);

    void SetText(const std::string& text) override;

  private:
    QLineEdit& m_edit;
};

}  // namespace orlavo
