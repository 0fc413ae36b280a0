// The Load E Book command as the person sees it through Form1: what a load shows, what a cancel
// or a failed load leaves alone, and a load chosen while a book is being read.

#include "book_loading/book_loader.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_form.h"
#include "platform/runtime_error.h"

namespace orlavo {
namespace {

using namespace std::string_literals;
using testing::FakePlatform;
using testing::ShownBox;
using Items = std::vector<std::string>;

ShownBox ConfirmBox(const std::string& path) {
    return {"Your E Book TxT File Is Loaded From\r\n" + path, MessageStyle::kExclamation, "Orlavo"};
}

void ChooseAndLoad(FakePlatform& p, Form1& form, const std::optional<std::string>& path) {
    p.fileDialog.choices.push_back(path);
    form.Raise(Form1::Event::kLoadEBookClick);
}

struct LoadCase {
    const char* name;
    std::string path;
    std::string title;
    std::string bytes = "x";
    Items items = {"x"};
};

class LoadedBookTest : public ::testing::TestWithParam<LoadCase> {};

// Each book replaces one loaded before it, with an item selected.
TEST_P(LoadedBookTest, ReplacesTheBookAndShowsItsItemsTitlePathAndConfirmation) {
    FakePlatform p;
    Form1 form(testing::ServicesOf(p));
    const LoadCase& c = GetParam();
    p.files.files["/before/Old.txt"] = "old,book\n";
    p.files.files[c.path] = c.bytes;
    ChooseAndLoad(p, form, "/before/Old.txt");
    p.list.SetSelected(1);

    ChooseAndLoad(p, form, c.path);

    EXPECT_EQ(p.list.Items(), c.items);
    EXPECT_EQ(p.list.Selected(), -1);
    EXPECT_EQ(p.title.caption, c.title);
    EXPECT_EQ(p.pathBox.Text(), c.path);
    EXPECT_EQ(p.dialogs.boxes.back(), ConfirmBox(c.path));
    EXPECT_EQ(form.members().SourcePath.substr(0, c.path.size() + 1), c.path + '\0');
    EXPECT_EQ(form.members().LinePos, 0);
    EXPECT_EQ(p.files.lastMaxBytes, std::size_t{1} << 30);
}

INSTANTIATE_TEST_SUITE_P(
    Books, LoadedBookTest,
    ::testing::Values(
        LoadCase{"NameLessExtension",
                 "/books/Moby Dick.txt",
                 "Moby Dick",
                 "In the beginning,\r\n\r\n\"God, created\" the heaven\r\n",
                 {"In the beginning", "", "", "God, created", "the heaven"}},
        LoadCase{"FileAtTheRoot", "/book.txt", "book"},
        LoadCase{"NameWithoutExtensionLosesFourCharacters", "/notes/readme", "re"},
        LoadCase{"FourCharacterNameGivesEmptyTitle", "/notes/a.tx", ""},
        LoadCase{"ThreeCharacterNameGivesEmptyTitle", "/notes/abc", ""},
        LoadCase{"BackslashIsPartOfALinuxName", "/books/AC\\DC.txt", "AC\\DC"},
        LoadCase{"AccentsCountAsOneCharacter", "/B\u00FCcher/Faust \u2013 I.t\u00EBt",
                 "Faust \u2013 I"},
        LoadCase{"LongPathLoadsIntact", "/" + std::string(300, 'd') + "/Emma.txt", "Emma"},
        LoadCase{"EmptyFileGivesEmptyList", "/books/Empty.txt", "Empty", "", {}},
        // The bytes are decoded before they are split: byte-order mark, NULs and Windows-1252.
        LoadCase{"DecodedBeforeSplitting",
                 "/b/Caf.txt",
                 "Caf",
                 "\xEF\xBB\xBF\0Caf\xC3\xA9\0,x\r\n"s,
                 {"Caf\u00E9", "x"}},
        LoadCase{"Windows1252Book", "/b/Cr.txt", "Cr", "cr\xE8me,fin\r\n", {"cr\u00E8me", "fin"}}),
    [](const auto& info) { return std::string(info.param.name); });

// What the reader raises for each kind of file it refuses (the real reader's reasons are tested
// against real files in posix_file_reader_test.cpp); Cancel and a path without a "/" raise nothing
// and show nothing.
struct KeptCase {
    const char* name;
    std::optional<std::string> answer;
    std::optional<RuntimeError> failure;
};

class KeptBookTest : public ::testing::TestWithParam<KeptCase> {};

TEST_P(KeptBookTest, KeepsThePreviousBookAndItsReadingPosition) {
    FakePlatform p;
    Form1 form(testing::ServicesOf(p));
    form.Raise(Form1::Event::kLoad);
    p.files.files["/books/Good Book.txt"] = "first,second\nthird\n";
    ChooseAndLoad(p, form, "/books/Good Book.txt");
    // Read the first item, then stop: the reading position is now 1.
    p.list.SetSelected(0);
    p.pump.At(1, [&form] { form.Raise(Form1::Event::kStopOrlavoClick); });
    form.Raise(Form1::Event::kStartOrlavoClick);
    ASSERT_EQ(form.members().LinePos, 1);
    const std::string sourcePath = form.members().SourcePath;
    p.dialogs.boxes.clear();
    if (GetParam().failure) {
        p.files.failures.emplace(*GetParam().answer, *GetParam().failure);
    }

    ChooseAndLoad(p, form, GetParam().answer);

    if (GetParam().failure) {
        ASSERT_EQ(p.dialogs.boxes.size(), 1U);
        EXPECT_EQ(p.dialogs.boxes.front(),
                  (ShownBox{"Orlavo could not load the book\r\n" + *GetParam().answer + "\r\n\r\n" +
                                GetParam().failure->what(),
                            MessageStyle::kExclamation, "Orlavo"}));
    } else {
        EXPECT_TRUE(p.dialogs.boxes.empty());
    }
    EXPECT_EQ(p.list.Items(), (Items{"first", "second", "third"}));
    EXPECT_EQ(p.list.Selected(), 1);
    EXPECT_EQ(p.title.caption, "Good Book");
    EXPECT_EQ(p.pathBox.Text(), "/books/Good Book.txt");
    EXPECT_EQ(form.members().LinePos, 1);
    EXPECT_EQ(form.members().SourcePath, sourcePath);
}

RuntimeError Refused(const char* why) {
    return RuntimeError(kFileCannotBeRead, why);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, KeptBookTest,
    ::testing::Values(KeptCase{"Cancel", std::nullopt, std::nullopt},
                      KeptCase{"WindowsPathHasNoLinuxSeparator", "C:\\Books\\a.txt", std::nullopt},
                      KeptCase{"Missing", "/b/gone.txt",
                               RuntimeError(kFileNotFound, "There is no file.")},
                      KeptCase{"Folder", "/b/shelf", Refused("It is a folder.")},
                      KeptCase{"Fifo", "/b/pipe", Refused("It is not an ordinary file.")},
                      KeptCase{"Device", "/dev/zero", Refused("It is not an ordinary file.")},
                      KeptCase{"TooLarge", "/b/huge.txt", Refused("It is larger than 1 GiB.")}),
    [](const auto& info) { return std::string(info.param.name); });

// A load chosen during reading: a new book ends the reading of the old one; a failed load does not.
struct NestedCase {
    const char* name;
    std::string path;
    Items spoken;
    std::string title;
};

class LoadWhileReadingTest : public ::testing::TestWithParam<NestedCase> {};

TEST_P(LoadWhileReadingTest, EndsTheReadingOnlyWhenANewBookIsLoaded) {
    FakePlatform p;
    Form1 form(testing::ServicesOf(p));
    form.Raise(Form1::Event::kLoad);
    p.files.files["/books/Old.txt"] = "old one\nold two\nold three\n";
    p.files.files["/books/New.txt"] = "new one\nnew two\n";
    ChooseAndLoad(p, form, "/books/Old.txt");
    p.list.SetSelected(0);
    p.pump.At(2, [&] { ChooseAndLoad(p, form, GetParam().path); });

    form.Raise(Form1::Event::kStartOrlavoClick);

    EXPECT_EQ(p.Spoken(), GetParam().spoken);
    EXPECT_EQ(p.title.caption, GetParam().title);
    if (GetParam().title == "New") {  // nothing selected in the new list after the load
        EXPECT_EQ(p.list.Items(), (Items{"new one", "new two"}));
        EXPECT_EQ(p.list.Selected(), -1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Loads, LoadWhileReadingTest,
    ::testing::Values(NestedCase{"NewBook", "/books/New.txt", {"old one", "old two"}, "New"},
                      NestedCase{"MissingFile",
                                 "/books/missing.txt",
                                 {"old one", "old two", "old three", "The End"},
                                 "Old"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orlavo
