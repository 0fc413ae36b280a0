#include "platform/qt/qt_label.h"

#include <QFontMetrics>
#include <QLabel>

namespace orlavo {

QtLabel::QtLabel(QLabel& label) : m_label(label) {}

void QtLabel::SetCaption(const std::string& caption) {
    const QString text = QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    const QString shown = QFontMetrics(m_label.font())
                              .elidedText(text, Qt::ElideRight, m_label.contentsRect().width());
    m_label.setText(shown);
    m_label.setToolTip(shown == text ? QString() : text);
    // The label's accessible name says what it is ("Book title"), which hides its text from a
    // screen reader; the title itself, uncut, goes in the description it reads next.
    m_label.setAccessibleDescription(text);
}

}  // namespace orlavo
