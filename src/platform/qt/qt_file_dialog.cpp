#include "platform/qt/qt_file_dialog.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QStringList>

namespace orlavo {
namespace {

// QFileDialog takes the patterns from the parentheses of the text it shows; a description that
// does not already show its pattern gets it appended.
QString NameFilterOf(const FileTypeFilter& filter) {
    const QString description = QString::fromStdString(filter.description);
    const QString pattern = QString::fromStdString(filter.pattern);
    if (description.contains(QLatin1Char('(') + pattern + QLatin1Char(')'))) {
        return description;
    }
    return description + QStringLiteral(" (") + pattern + QLatin1Char(')');
}

// Qt's own dialog reads double quotes in the file name box as marks around several names, so a
// book called 'Say "Hi".txt' could never be chosen. A name that is, quotes and all, an existing
// file in the folder shown is taken as it stands.
class QuoteSafeFileDialog : public QFileDialog {
  public:
    using QFileDialog::QFileDialog;

    const QString& literalChoice() const { return m_literalChoice; }

  protected:
    void accept() override {
        const auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (edit != nullptr && edit->text().contains(QLatin1Char('"'))) {
            const QFileInfo named(directory(), edit->text());
            if (named.isFile()) {
                m_literalChoice = named.absoluteFilePath();
                QDialog::accept();
                return;
            }
        }
        QFileDialog::accept();
    }

  private:
    QString m_literalChoice;
};

}  // namespace

std::optional<std::string> QtFileDialog::GetOpenFileName(const OpenFileRequest& request) {
    // No parent: the dialog belongs to no window, as the request asks.
    QuoteSafeFileDialog dialog(nullptr, QString::fromStdString(request.title),
                               QFile::decodeName(QByteArray::fromStdString(request.initialFolder)));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList nameFilters;
    for (const FileTypeFilter& filter : request.filters) {
        nameFilters << NameFilterOf(filter);
    }
    if (!nameFilters.isEmpty()) {
        dialog.setNameFilters(nameFilters);
    }
    // The file list matches name filters in any letter case unless told otherwise; make sure.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);

    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    if (!dialog.literalChoice().isEmpty()) {
        return QFile::encodeName(dialog.literalChoice()).toStdString();
    }
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return QFile::encodeName(chosen.front()).toStdString();
}

}  // namespace orlavo
