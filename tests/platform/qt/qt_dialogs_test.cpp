// The message and input boxes, driven as a person would: a timer finds the open box, looks at
// it and answers it.

#include "platform/qt_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <string>

namespace orlavo {
namespace {

// Runs `answer` on the modal box once it is open, polling from inside its event loop.
void WhenABoxOpens(QObject& context, std::function<void(QWidget&)> answer) {
    auto* poll = new QTimer(&context);
    QObject::connect(poll, &QTimer::timeout, &context, [poll, answer] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            answer(*box);
        }
    });
    poll->start(10);
}

class Boxes : public ::testing::Test {
  protected:
    QWidget owner;
    QtDialogs dialogs{owner};
};

struct MessageCase {
    const char* name;
    std::string text;
    MessageStyle style;
    QMessageBox::Icon icon;
    QString shownText;
    std::string title = "Orlavo";
};

class MessageBoxes : public Boxes, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(MessageBoxes, ShowTheTextWithTheStylesIconAndOneOk) {
    const MessageCase& c = GetParam();
    bool seen = false;
    WhenABoxOpens(owner, [&](QWidget& widget) {
        auto* box = qobject_cast<QMessageBox*>(&widget);
        ASSERT_NE(box, nullptr);
        seen = true;
        EXPECT_EQ(box->icon(), c.icon);
        EXPECT_EQ(box->windowTitle(), QString::fromStdString(c.title));
        EXPECT_EQ(box->text(), c.shownText);
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        ASSERT_EQ(box->buttons().size(), 1);
        box->buttons().first()->click();
    });

    dialogs.MsgBox(c.text, c.style, c.title);

    EXPECT_TRUE(seen);
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, MessageBoxes,
    ::testing::Values(MessageCase{"ExclamationIsAWarning", "You Stoped On Line 7",
                                  MessageStyle::kExclamation, QMessageBox::Warning,
                                  "You Stoped On Line 7"},
                      MessageCase{"InformationIcon", " Min 0", MessageStyle::kInformation,
                                  QMessageBox::Information, " Min 0"},
                      MessageCase{"CrLfStartsANewLine", "Book loaded from\r\n/b/Emma.txt",
                                  MessageStyle::kInformation, QMessageBox::Information,
                                  "Book loaded from\n/b/Emma.txt"},
                      MessageCase{"MarkupIsShownAsItIs", "<b>Emma</b>", MessageStyle::kExclamation,
                                  QMessageBox::Warning, "<b>Emma</b>"},
                      MessageCase{"KeepsTheTitleItIsGiven", "text", MessageStyle::kExclamation,
                                  QMessageBox::Warning, "text", "Another title"},
                      MessageCase{"Utf8Text",
                                  "Gr\xc3\xbc\xc3\x9f"
                                  "e",
                                  MessageStyle::kExclamation, QMessageBox::Warning,
                                  QString::fromUtf8("Gr\u00fc\u00dfe")}),
    [](const auto& info) { return std::string(info.param.name); });

struct InputCase {
    const char* name;
    QString typed;
    QDialogButtonBox::StandardButton pressed;
    std::string answer;
};

class InputBoxes : public Boxes, public ::testing::WithParamInterface<InputCase> {};

TEST_P(InputBoxes, GiveWhatWasTypedOrNothingOnCancel) {
    const InputCase& c = GetParam();
    WhenABoxOpens(owner, [&](QWidget& widget) {
        auto* input = qobject_cast<QInputDialog*>(&widget);
        ASSERT_NE(input, nullptr);
        EXPECT_EQ(input->windowTitle(), QStringLiteral("Orlavo"));
        EXPECT_EQ(input->labelText(), QStringLiteral("Enter Line Number, (Must Be Numeric)"));
        auto* field = input->findChild<QLineEdit*>();
        ASSERT_NE(field, nullptr);
        EXPECT_TRUE(field->text().isEmpty());
        field->setText(c.typed);
        auto* buttons = input->findChild<QDialogButtonBox*>();
        ASSERT_TRUE(buttons != nullptr && buttons->button(c.pressed) != nullptr);
        buttons->button(c.pressed)->click();
    });

    EXPECT_EQ(dialogs.InputBox("Enter Line Number, (Must Be Numeric)"), c.answer);
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, InputBoxes,
    ::testing::Values(InputCase{"TypedThenOk", "98", QDialogButtonBox::Ok, "98"},
                      InputCase{"EmptyOk", "", QDialogButtonBox::Ok, ""},
                      InputCase{"TypedThenCancel", "98", QDialogButtonBox::Cancel, ""},
                      InputCase{"Blanks", " 2.5 ", QDialogButtonBox::Ok, " 2.5 "},
                      InputCase{"Utf8Answer", QString::fromUtf8("\u00bd"), QDialogButtonBox::Ok,
                                "\xc2\xbd"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orlavo
