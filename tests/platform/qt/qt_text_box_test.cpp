// The path box in the real window: what it keeps, shows and gives back.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <string>

#include "platform/qt_main_window.h"

namespace orlavo {
namespace {

struct PathCase {
    const char* name;
    std::string given;
    std::string kept;
    QString shown;
};

class PathBox : public ::testing::TestWithParam<PathCase> {
  protected:
    QtMainWindow window;
    QLineEdit& Edit() { return *window.findChild<QLineEdit*>(QStringLiteral("txtSource")); }
};

TEST_P(PathBox, KeepsTheTextBeforeTheFirstNul) {
    window.pathBox().SetText(GetParam().given);
    EXPECT_EQ(window.pathBox().Text(), GetParam().kept);
    EXPECT_EQ(Edit().text(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    TextBox, PathBox,
    ::testing::Values(PathCase{"PlainPath", "/home/ann/Emma.txt", "/home/ann/Emma.txt",
                               "/home/ann/Emma.txt"},
                      PathCase{"PaddedAfterNul", std::string("/b/Emma.TxT\0    ", 16),
                               "/b/Emma.TxT", "/b/Emma.TxT"},
                      PathCase{"NulFirst", std::string("\0/b/x.txt", 9), "", ""},
                      PathCase{"Utf8Name",
                               "/b/Gr\xc3\xbc\xc3\x9f"
                               "e.txt",
                               "/b/Gr\xc3\xbc\xc3\x9f"
                               "e.txt",
                               QString::fromUtf8("/b/Gr\u00fc\u00dfe.txt")},
                      PathCase{"Latin1BytesInTheName", "/b/caf\xe9.txt", "/b/caf\xe9.txt",
                               QString::fromUtf8("/b/caf\uFFFD.txt")}),
    [](const auto& info) { return std::string(info.param.name); });

// Once the person edits the box, what they see is what comes back.
TEST_F(PathBox, GivesBackWhatThePersonTyped) {
    window.pathBox().SetText("/b/caf\xe9.txt");
    Edit().setFocus();
    QTest::keyClick(&Edit(), Qt::Key_End);
    QTest::keyClicks(&Edit(), QStringLiteral("x"));
    EXPECT_EQ(window.pathBox().Text(), "/b/caf\xef\xbf\xbd.txtx");
}

}  // namespace
}  // namespace orlavo
