#include "platform/qt/qt_text_box.h"

#include <QLineEdit>

namespace orlavo {

QtTextBox::QtTextBox(QLineEdit& edit) : m_edit(edit) {}

void QtTextBox::SetText(const std::string& text) {
    m_edit.setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace orlavo
