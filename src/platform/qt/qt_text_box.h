#pragma once

#include <QString>

#include "platform/text_box.h"

class QLineEdit;

namespace orlavo {

// The path box over a line edit. A path's bytes need not be valid UTF-8, so the box gives back
// exactly the bytes it was given for as long as the person has not typed over them.
class QtTextBox : public TextBox {
  public:
    explicit QtTextBox(QLineEdit& edit);

    void SetText(const std::string& text) override;
    std::string Text() const override;

  private:
    QLineEdit& m_edit;
    std::string m_text;
    QString m_shown;
};

}  // namespace orlavo
