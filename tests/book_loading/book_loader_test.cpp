// The Load E Book command as the person sees it through Form1: what a load shows, what a cancel
// or a failed load leaves alone, and a load chosen while a book is being read.

#include "book_loading/book_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "book_loading/temp_files.h"
#include "fakes/fake_form.h"
#include "platform/posix_file_reader.h"

namespace orlavo {
namespace {

using namespace std::string_literals;
using testing::FakePlatform;
using testing::ServicesOf;
using testing::ShownBox;

ShownBox ConfirmBox(const std::string& path) {
    return {"Your E Book TxT File Is Loaded From\r\n" + path, MessageStyle::kExclamation, "Orlavo"};
}

void ChooseAndLoad(FakePlatform& p, Form1& form, const std::string& path) {
    p.fileDialog.choices.push_back(path);
    form.Raise(Form1::Event::kLoadEBookClick);
}

// --- A successful load -------------------------------------------------------------------------

struct LoadCase {
    const char* name;
    std::string path;
    std::string title;
};

class LoadedBookTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadedBookTest, ShowsItemsTitlePathAndConfirmation) {
    FakePlatform p;
    Form1 form(ServicesOf(p));
    const std::string& path = GetParam().path;
    p.files.files[path] = "In the beginning,\r\n\r\n\"God, created\" the heaven\r\n";

    ChooseAndLoad(p, form, path);

    EXPECT_EQ(p.list.Items(),
              (std::vector<std::string>{"In the beginning", "", "", "God, created", "the heaven"}));
    EXPECT_EQ(p.title.caption, GetParam().title);
    EXPECT_EQ(p.pathBox.Text(), path);
    EXPECT_EQ(p.dialogs.boxes, std::vector<ShownBox>{ConfirmBox(path)});
    const Form1Members& m = form.members();
    EXPECT_EQ(m.SourcePath.substr(0, path.size() + 1), path + '\0');
    EXPECT_EQ(m.LineText, "the heaven");
    EXPECT_EQ(m.FileNum, 1);
    EXPECT_EQ(m.LinePos, 0);
    EXPECT_EQ(m.m_bookGeneration, 1U);
    EXPECT_EQ(p.list.Selected(), -1);
    EXPECT_EQ(p.files.lastMaxBytes, std::size_t{1} << 30);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, LoadedBookTest,
    ::testing::Values(LoadCase{"NameLessExtension", "/books/Moby Dick.txt", "Moby Dick"},
                      LoadCase{"FileAtTheRoot", "/book.txt", "book"},
                      LoadCase{"NameWithoutExtensionLosesFourCharacters", "/notes/readme", "re"},
                      LoadCase{"FourCharacterNameGivesEmptyTitle", "/notes/a.tx", ""},
                      LoadCase{"ThreeCharacterNameGivesEmptyTitle", "/notes/abc", ""},
                      LoadCase{"BackslashIsPartOfALinuxName", "/books/AC\\DC.txt", "AC\\DC"},
                      LoadCase{"AccentsCountAsOneCharacter", "/B\u00FCcher/Faust \u2013 I.t\u00EBt",
                               "Faust \u2013 I"},
                      LoadCase{"LongPathLoadsIntact", "/" + std::string(300, 'd') + "/Emma.txt",
                               "Emma"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadTest, EmptyFileGivesEmptyListButTitleAndConfirmation) {
    FakePlatform p;
    Form1 form(ServicesOf(p));
    p.files.files["/books/first.txt"] = "last item";
    p.files.files["/books/Empty.txt"] = "";
    ChooseAndLoad(p, form, "/books/first.txt");

    ChooseAndLoad(p, form, "/books/Empty.txt");

    EXPECT_TRUE(p.list.Items().empty());
    EXPECT_EQ(p.title.caption, "Empty");
    EXPECT_EQ(p.dialogs.boxes.back(), ConfirmBox("/books/Empty.txt"));
    EXPECT_EQ(form.members().LineText, "last item");
}

TEST(LoadTest, SecondBookReplacesTheFirstAndItsSelection) {
    FakePlatform p;
    Form1 form(ServicesOf(p));
    p.files.files["/a/One.txt"] = "a1,a2,a3\n";
    p.files.files["/a/Two.txt"] = "b1\nb2\n";
    ChooseAndLoad(p, form, "/a/One.txt");
    p.list.SetSelected(2);

    ChooseAndLoad(p, form, "/a/Two.txt");

    EXPECT_EQ(p.list.Items(), (std::vector<std::string>{"b1", "b2"}));
    EXPECT_EQ(p.list.Selected(), -1);
    EXPECT_EQ(p.title.caption, "Two");
    EXPECT_EQ(form.members().m_bookGeneration, 2U);
}

// --- Nothing chosen: nothing changes ------------------------------------------------------------

struct NoPathCase {
    const char* name;
    std::optional<std::string> answer;
};

class NoPathTest : public ::testing::TestWithParam<NoPathCase> {};

TEST_P(NoPathTest, KeepsTheBookAndShowsNothing) {
    FakePlatform p;
    Form1 form(ServicesOf(p));
    p.files.files["/books/Kept.txt"] = "kept,book";
    ChooseAndLoad(p, form, "/books/Kept.txt");
    const std::string sourcePath = form.members().SourcePath;

    p.fileDialog.choices.push_back(GetParam().answer);
    form.Raise(Form1::Event::kLoadEBookClick);

    EXPECT_EQ(p.fileDialog.requests.size(), 2U);
    EXPECT_EQ(p.dialogs.boxes.size(), 1U);  // the first load's confirmation only
    EXPECT_EQ(p.files.reads.size(), 1U);
    EXPECT_EQ(p.list.Items(), (std::vector<std::string>{"kept", "book"}));
    EXPECT_EQ(p.title.caption, "Kept");
    EXPECT_EQ(p.pathBox.Text(), "/books/Kept.txt");
    EXPECT_EQ(form.members().SourcePath, sourcePath);
    EXPECT_EQ(form.members().m_bookGeneration, 1U);
}

INSTANTIATE_TEST_SUITE_P(Answers, NoPathTest,
                         ::testing::Values(NoPathCase{"Cancel", std::nullopt},
                                           NoPathCase{"WindowsPathHasNoLinuxSeparator",
                                                      "C:\\Books\\a.txt"}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- A file that cannot be used keeps the previous book ------------------------------------------

// The real reader, with a small size limit so "too large" needs no gigabyte on disk.
class SmallLimitReader : public FileReader {
  public:
    std::string ReadAll(const std::string& path, std::size_t maxBytes) override {
        return m_real.ReadAll(path, std::min<std::size_t>(maxBytes, 64));
    }

  private:
    PosixFileReader m_real;
};

struct FailureCase {
    const char* name;
    std::string (*make)(const testing::TempDir& dir);
    std::string reason;  // part of what the box must say
    bool needsPermissions = false;
};

class FailedLoadTest : public ::testing::TestWithParam<FailureCase> {
  protected:
    Form1Services Services() {
        Form1Services s = ServicesOf(p);
        return {s.list, s.pathBox, s.title, s.dialogs, s.fileDialog, reader,
                s.pump, s.clock,   s.app,   s.window,  s.createVoice};
    }

    testing::TempDir dir;
    FakePlatform p;
    SmallLimitReader reader;
};

TEST_P(FailedLoadTest, SaysWhyAndKeepsThePreviousBook) {
    if (GetParam().needsPermissions && testing::RunningAsRoot()) {
        GTEST_SKIP() << "file permissions do not stop root, so an unreadable file cannot be made";
    }
    Form1 form(Services());
    form.Raise(Form1::Event::kLoad);
    const std::string good = dir.Write("Good Book.txt", "first,second\nthird\n");
    ChooseAndLoad(p, form, good);
    // Read the first item, then stop: the reading position is now 1.
    p.list.SetSelected(0);
    p.pump.At(1, [&form] { form.Raise(Form1::Event::kStopOrlavoClick); });
    form.Raise(Form1::Event::kStartOrlavoClick);
    ASSERT_EQ(form.members().LinePos, 1);
    const std::string sourcePath = form.members().SourcePath;
    p.dialogs.boxes.clear();

    const std::string bad = GetParam().make(dir);
    ChooseAndLoad(p, form, bad);

    ASSERT_EQ(p.dialogs.boxes.size(), 1U);
    const ShownBox& box = p.dialogs.boxes.front();
    EXPECT_NE(box.text.find(bad), std::string::npos) << box.text;
    EXPECT_NE(box.text.find(GetParam().reason), std::string::npos) << box.text;
    EXPECT_EQ(box.style, MessageStyle::kExclamation);
    EXPECT_EQ(box.title, "Orlavo");
    EXPECT_EQ(p.list.Items(), (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(p.list.Selected(), 1);
    EXPECT_EQ(p.title.caption, "Good Book");
    EXPECT_EQ(p.pathBox.Text(), good);
    EXPECT_EQ(form.members().LinePos, 1);
    EXPECT_EQ(form.members().SourcePath, sourcePath);
    EXPECT_EQ(form.members().LineText, "third");
    EXPECT_EQ(form.members().m_bookGeneration, 1U);
}

INSTANTIATE_TEST_SUITE_P(
    Files, FailedLoadTest,
    ::testing::Values(
        FailureCase{"Missing", [](const testing::TempDir& d) { return d.PathOf("gone.txt"); },
                    "There is no file"},
        FailureCase{"Folder", [](const testing::TempDir& d) { return d.MakeFolder("shelf.txt"); },
                    "folder"},
        FailureCase{"Fifo", [](const testing::TempDir& d) { return d.MakeFifo("pipe.txt"); },
                    "not an ordinary file"},
        FailureCase{"Device", [](const testing::TempDir&) { return "/dev/zero"s; },
                    "not an ordinary file"},
        FailureCase{
            "TooLarge",
            [](const testing::TempDir& d) { return d.Write("huge.txt", std::string(65, 'x')); },
            "larger than 64 bytes"},
        FailureCase{
            "Unreadable",
            [](const testing::TempDir& d) { return d.WriteUnreadable("secret.txt", "hidden"); },
            "permission", true}),
    [](const auto& info) { return std::string(info.param.name); });

// --- A load while a book is being read -----------------------------------------------------------

TEST(LoadWhileReadingTest, EndsTheReadingOfTheOldBook) {
    FakePlatform p;
    Form1 form(ServicesOf(p));
    form.Raise(Form1::Event::kLoad);
    p.files.files["/books/Old.txt"] = "old one\nold two\nold three\nold four\n";
    p.files.files["/books/New.txt"] = "new one\nnew two\n";
    ChooseAndLoad(p, form, "/books/Old.txt");
    p.list.SetSelected(0);
    p.pump.At(2, [&] { ChooseAndLoad(p, form, "/books/New.txt"); });

    form.Raise(Form1::Event::kStartOrlavoClick);

    EXPECT_EQ(p.Spoken(), (std::vector<std::string>{"old one", "old two"}));
    EXPECT_EQ(p.list.Items(), (std::vector<std::string>{"new one", "new two"}));
    EXPECT_EQ(p.list.Selected(), -1);
    EXPECT_EQ(p.title.caption, "New");
    EXPECT_EQ(p.dialogs.boxes.back(), ConfirmBox("/books/New.txt"));
    EXPECT_EQ(form.members().LinePos, 0);
    // Nothing after the nested load: no selection in the new list, nothing spoken.
    const auto afterLoad =
        std::find(p.journal.begin(), p.journal.end(),
                  testing::Happening{"msgbox", ConfirmBox("/books/New.txt").text});
    ASSERT_NE(afterLoad, p.journal.end());
    for (auto it = afterLoad + 1; it != p.journal.end(); ++it) {
        EXPECT_NE(it->what, "select") << it->text;
        EXPECT_NE(it->what, "speak") << it->text;
    }
}

TEST(LoadWhileReadingTest, FailedLoadLetsTheReadingGoOn) {
    FakePlatform p;
    Form1 form(ServicesOf(p));
    form.Raise(Form1::Event::kLoad);
    p.files.files["/books/Old.txt"] = "one\ntwo\nthree\n";
    ChooseAndLoad(p, form, "/books/Old.txt");
    p.list.SetSelected(0);
    p.pump.At(1, [&] { ChooseAndLoad(p, form, "/books/missing.txt"); });

    form.Raise(Form1::Event::kStartOrlavoClick);

    EXPECT_EQ(p.Spoken(), (std::vector<std::string>{"one", "two", "three", "The End"}));
}

}  // namespace
}  // namespace orlavo
