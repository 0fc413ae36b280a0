#include "platform/qt/qt_text_box.h"

#include <QLineEdit>

namespace orlavo {

QtTextBox::QtTextBox(QLineEdit& edit) : m_edit(edit) {}

void QtTextBox::SetText(const std::string& text) {
    m_text = text.substr(0, text.find('\0'));
    m_shown = QString::fromUtf8(m_text.data(), static_cast<qsizetype>(m_text.size()));
    m_edit.setText(m_shown);
}

std::string QtTextBox::Text() const {
    const QString shown = m_edit.text();
    if (shown == m_shown) {
        return m_text;
    }
    return shown.toStdString();
}

}  // namespace orlavo
