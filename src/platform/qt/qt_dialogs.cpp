#include "platform/qt/qt_dialogs.h"

#include <QInputDialog>
#include <QMessageBox>

namespace orlavo {
namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QtDialogs::QtDialogs(QWidget& owner) : m_owner(owner) {}

void QtDialogs::MsgBox(const std::string& text, MessageStyle style, const std::string& title) {
    QMessageBox box(&m_owner);
    box.setIcon(style == MessageStyle::kInformation ? QMessageBox::Information
                                                    : QMessageBox::Warning);
    box.setWindowTitle(FromUtf8(title));
    // Plain text, so a book's name that looks like markup is shown as it is.
    box.setTextFormat(Qt::PlainText);
    box.setText(FromUtf8(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

std::string QtDialogs::InputBox(const std::string& prompt, const std::string& title) {
    QInputDialog dialog(&m_owner);
    dialog.setWindowTitle(FromUtf8(title));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setLabelText(FromUtf8(prompt));
    dialog.setTextValue(QString());
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.textValue().toStdString();
}

}  // namespace orlavo
