// Loading a book: the title rule, the buffer the open-file dialog gives back, and the Load E Book
// command through Form1.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "book_loading/book_title.h"
#include "book_loading/pick_file.h"
#include "fakes/fake_platform.h"
#include "main_window/form1.h"
#include "platform/memory_budget.h"

namespace orlavo::testing {
namespace {

using namespace std::string_literals;
using Event = Form1::Event;
using Items = std::vector<std::string>;

// The file name less its last four characters, whatever they are, counted as characters.
TEST(TitleRule, IsTheFileNameLessItsLastFourCharacters) {
    for (const auto& [path, title] :
         {std::pair{"/books/Moby Dick.txt", "Moby Dick"}, std::pair{"/b/readme", "re"},
          std::pair{"/b/a.tx", ""}, std::pair{"/abc", ""}, std::pair{"Emma.txt", "Emma"},
          std::pair{"/b/AC\\DC.txt", "AC\\DC"}, std::pair{"/Bücher/Faust – I.tët", "Faust – I"}}) {
        EXPECT_EQ(BookTitle(path), title);
    }
}

TEST(PickFile, GivesThePathANulAndSpacesTo254Characters) {
    const std::string k253 = "/" + std::string(252, 'y'), k300 = "/" + std::string(299, 'x');
    const std::string accented = "/b\u00F6\u00F6ks/M\u0153by.txt";  // 15 characters, 18 bytes
    FakePlatform p;
    for (const auto& [chosen, buffer] :
         {std::pair{std::optional<std::string>(), std::string(254, ' ')},
          std::pair{std::optional("/a.txt"s), "/a.txt\0"s + std::string(247, ' ')},
          std::pair{std::optional(k253), k253 + '\0'}, std::pair{std::optional(k300), k300 + '\0'},
          std::pair{std::optional(accented), accented + '\0' + std::string(254 - 16, ' ')}}) {
        p.choices.push_back(chosen);
        EXPECT_EQ(PickFile("t", {"*.TxT"}, {"TxT"}, 1.0F, p, p), buffer);
    }
}

// A Russian book, read from its first item and stopped there, so its second item is highlighted.
class Loader : public ::testing::Test {
  protected:
    void SetUp() override {
        p.files["/b/Война и мир.txt"] = "Война и мир\nЛев Николаевич Толстой написал роман о войне";
        Load("/b/Война и мир.txt");
        p.selected = 0;
        p.at[1] = [this] { form.Raise(Event::kStopOrlavoClick); };
        form.Raise(Event::kStartOrlavoClick);
        p.journal.clear();
    }
    void Load(const std::optional<std::string>& path) {
        p.choices.push_back(path);
        form.Raise(Event::kLoadEBookClick);
    }
    auto State() const {
        const Form1Members& m = form.members();
        return std::tuple(p.Items(), p.selected, p.caption, p.path, m.LinePos, m.SourcePath,
                          m.m_bookLanguage);
    }

    FakePlatform p;
    Form1 form{p.WindowServices()};
};

struct LoadCase {
    const char* name;
    std::string title, bytes{};  // of the book "/b/<title>.txt"
    Items items{};
    std::string language{};
};

class LoadingABook : public Loader, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadingABook, ReplacesListTitlePathAndLanguageAndReadsFromTheStart) {
    const LoadCase& c = GetParam();
    const std::string path = "/b/" + c.title + ".txt";
    p.files[path] = c.bytes;
    Load(path);
    const std::string& source = form.members().SourcePath;
    EXPECT_EQ(State(), std::tuple(c.items, -1, c.title, path, 0, source, c.language));
    EXPECT_TRUE(source.starts_with(path + '\0'));
    EXPECT_EQ(p.Trace(), "box: Your E Book TxT File Is Loaded From\r\n" + path);
    EXPECT_EQ(p.requests.back().initialFolder, p.AppPath());
    EXPECT_EQ(p.requests.back().filters.at(0).pattern, "*.TxT");
}

const LoadCase kBooks[] = {
    {.name = "German",
     .title = "Märchen",
     .bytes = "Es war einmal ein Mädchen, das wohnte am Wald",
     .items = {"Es war einmal ein Mädchen", "das wohnte am Wald"},
     .language = "de"},
    {.name = "Cp1252", .title = "Cr", .bytes = "cr\xE8me,fin\r\n", .items = {"cr\u00E8me", "fin"}},
    {.name = "EmptyFile", .title = "Empty"},
};

INSTANTIATE_TEST_SUITE_P(Books, LoadingABook, ::testing::ValuesIn(kBooks),
                         [](const auto& info) { return std::string(info.param.name); });

// Cancel, a missing file and one the reader refuses leave everything as it was.
TEST_F(Loader, KeepsTheBookWhenNoneIsLoaded) {
    const auto before = State();
    p.faults["read"] = {kFileCannotBeRead, 3};  // the shelf, after the book and the missing file
    for (const auto& [path, box] :
         {std::pair{std::optional<std::string>(), ""s},
          std::pair{std::optional("/b/gone.txt"s), "/b/gone.txt\r\n\r\nNo file."s},
          std::pair{std::optional("/b/shelf"s), "/b/shelf\r\n\r\nscripted read fault"s}}) {
        p.journal.clear();
        Load(path);
        EXPECT_EQ(State(), before);
        EXPECT_EQ(p.Trace(), box.empty() ? "" : "box: Orlavo could not load the book\r\n" + box);
    }
    // A file that stops answering is given up after ten seconds without a byte; when it answers
    // after all, its load stops before it claims any memory for what it read.
    p.files["/b/share.txt"] = "x";
    p.stalledRead = true;
    p.journal.clear();
    Load("/b/share.txt");
    EXPECT_EQ(State(), before);
    EXPECT_TRUE(
        p.Trace().starts_with("gave up after 10000 ms; box: Orlavo could not load the book"))
        << p.Trace();
    const int claims = p.Calls("memory");
    p.leftBehind.at(0)();
    EXPECT_EQ(p.Calls("memory"), claims);
    // Decoding a large book may take longer than ten seconds once the file is read: not a stall.
    p.stalledRead = false;
    p.slowWork = 3 * kLongestReadStall;
    p.journal.clear();
    Load("/b/share.txt");
    EXPECT_EQ(p.Trace(), "box: Your E Book TxT File Is Loaded From\r\n/b/share.txt");
    p.slowWork = {};
    // A share that brings a kilobyte each quarter second keeps loading well past ten seconds.
    p.stalledRead = false;
    p.readPace = 1000;
    p.files["/b/share.txt"] = std::string(100000, 'x');
    p.journal.clear();
    Load("/b/share.txt");
    EXPECT_EQ(p.Trace(), "box: Your E Book TxT File Is Loaded From\r\n/b/share.txt");
    // A book in another encoding takes its UTF-8 text (here 54 bytes) and the index of its items
    // beside its file for a moment; the same book in UTF-8 only the index.
    const std::string cp1251 =
        "\xD2\xEE\xEB\xF1\xF2\xEE\xE9 \xED\xE0\xEF\xE8\xF1\xE0\xEB "
        "\xF0\xEE\xEC\xE0\xED \xEE \xE2\xEE\xE9\xED\xE5";
    p.journal.clear();
    for (const auto& [bytes, room, loads] : {std::tuple{cp1251, 40, false},
                                             {"Толстой написал роман о войне"s, 40, true},
                                             {cp1251, 70, true}}) {
        p.files["/b/Толстой.txt"] = bytes;
        p.memory = kMemorySpare + room;
        Load("/b/Толстой.txt");
        EXPECT_TRUE(p.Trace().ends_with(loads ? "Толстой.txt" : "not enough memory to hold it."))
            << room << p.Trace();
        p.journal.clear();
    }
}

// A new book ends the reading of the old one; a failed load does not.
TEST_F(Loader, ALoadDuringReadingEndsThatReading) {
    p.files = {{"/b/Old.txt", "one\ntwo\nthree"}, {"/b/New.txt", "new"}};
    for (const auto& [path, spoken] :
         {std::pair{"/b/New.txt",
                    "pause; say one in en; highlight 1; pump; pause; say two in en; highlight 2; "
                    "pump"},
          std::pair{"/b/gone.txt",
                    "pause; say one in en; highlight 1; pump; pause; say two in en; highlight 2; "
                    "pump; pause; say three in en; pause; say The End"}}) {
        Load("/b/Old.txt");
        p.selected = 0;
        p.at[p.steps + 2] = [this, path = path] { Load(path); };
        p.journal.clear();
        form.Raise(Event::kStartOrlavoClick);
        std::erase_if(p.journal, [](const std::string& seen) { return seen.starts_with("box: "); });
        EXPECT_EQ(p.Trace(), spoken);
    }
}

}  // namespace
}  // namespace orlavo::testing
