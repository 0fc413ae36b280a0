// Loading a book: the item and title rules, the buffer the open-file dialog gives back, the Load
// E Book command through Form1, and the real file reader against real files.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "book_loading/book_title.h"
#include "book_loading/field_reader.h"
#include "book_loading/pick_file.h"
#include "fakes/fake_platform.h"
#include "main_window/form1.h"
#include "platform/posix/posix_file_reader.h"

namespace orlavo::testing {
namespace {

using namespace std::string_literals;
using Event = Form1::Event;
using Items = std::vector<std::string>;

struct ItemsCase {
    const char* name;
    std::string in{};  // a book's text
    Items out{};       // its items
};

// Enough items for every kind of block the list keeps: short ones, one that spans far because an
// item in it is long, one ending with the long item, and the unfinished last one.
ItemsCase ManyItems(const char* name, std::size_t longAt) {
    ItemsCase c{.name = name};
    for (std::size_t i = 0; i < 300; ++i) {
        c.out.push_back(i == longAt ? std::string(20000, 'w') : std::to_string(i));
        c.in += (i % 3 == 0 ? "  " : "") + c.out.back() + (i % 2 == 0 ? " ,\t" : "\r\n");
    }
    return c;
}

class ItemRules : public ::testing::TestWithParam<ItemsCase> {};

TEST_P(ItemRules, SplitTheTextIntoItems) {
    FakePlatform list;
    list.ReplaceItems(ReadBookItems(GetParam().in));
    EXPECT_EQ(list.Items(), GetParam().out);
}

const ItemsCase kTexts[] = {
    {.name = "CommaAndEveryLineEnd", .in = "a,b\r\nc\nd\re", .out = {"a", "b", "c", "d", "e"}},
    {.name = "LfThenCrAreTwoLineEnds", .in = "a\n\rb", .out = {"a", "", "b"}},
    {.name = "CommaEndingALineGivesAnEmptyItem", .in = "a,\nb,", .out = {"a", "", "b", ""}},
    {.name = "TwoCommas", .in = "a,,b", .out = {"a", "", "b"}},
    {.name = "EmptyText", .in = "", .out = {}},
    {.name = "EmptyAndBlankLines", .in = "a\n\n \t \r\n\r\nb", .out = {"a", "", "", "", "b"}},
    {.name = "FinalLineEndGivesNoExtraItem", .in = "a\nb\n", .out = {"a", "b"}},
    {.name = "TrailingEmptyLineIsKept", .in = "a\n\n", .out = {"a", ""}},
    {.name = "BlanksAroundDroppedInsideKept", .in = " \t a\tb  c \t, d ", .out = {"a\tb  c", "d"}},
    {.name = "QuotedKeepsCommasAndBlanks", .in = "  \" x, y \"  ,z", .out = {" x, y ", "z"}},
    {.name = "TextAfterAQuoteStartsAnItem", .in = "\"abc\"def,ghi", .out = {"abc", "def", "ghi"}},
    {.name = "QuotedAtLineEnd", .in = "\"a\"\r\n\"\"", .out = {"a", ""}},
    {.name = "UnclosedQuoteEndsAtLineEnd", .in = "\"a, b\nc,\"d", .out = {"a, b", "c", "d"}},
    {.name = "QuoteInsideAnItemIsKept", .in = "say \"hi\" now", .out = {"say \"hi\" now"}},
    {.name = "LongRuns",
     .in = "abcdefghij,k\r\nlmnopqrstuv\rw,xyzABCDEFGH\nI",
     .out = {"abcdefghij", "k", "lmnopqrstuv", "w", "xyzABCDEFGH", "I"}},
    ManyItems("LongItemInsideABlock", 70),
    ManyItems("LongItemEndingABlock", 127),
    ManyItems("LongItemInTheLastBlock", 299)};

INSTANTIATE_TEST_SUITE_P(Book, ItemRules, ::testing::ValuesIn(kTexts),
                         [](const auto& info) { return std::string(info.param.name); });

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
    // A file that stops answering is given up after ten seconds without a byte.
    p.files["/b/share.txt"] = "x";
    p.stalledRead = true;
    p.journal.clear();
    Load("/b/share.txt");
    EXPECT_EQ(State(), before);
    EXPECT_TRUE(
        p.Trace().starts_with("gave up after 10000 ms; box: Orlavo could not load the book"))
        << p.Trace();
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
        p.memory = kMemoryMargin + room;
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

// A regular file is read whole; anything else is refused, saying why, without hanging, and no
// file is left open either way.
TEST(PosixFileReader, ReadsARegularFileWholeAndRefusesAnythingElse) {
    std::string d = std::filesystem::temp_directory_path() / "orlavo-XXXXXX";
    ::mkdtemp(d.data());
    std::ofstream(d + "/book") << "a\0b\xFF\r\n"s;
    std::ofstream(d + "/caf\xE9.txt") << "a\0b\xFF\r\n"s;  // named in Windows-1252
    std::ofstream(d + "/big") << "1234567";
    std::ofstream(d + "/\xC2\xEE\xE9\xED\xE0") << "";  // "Война" in Windows-1251 and in KOI8-R
    std::ofstream(d + "/\xF7\xCF\xCA\xCE\xC1") << "";
    ::mkfifo((d + "/fifo").c_str(), 0600);
    const auto openFiles = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    };
    const auto before = openFiles();
    for (const auto& [file, number, why] :
         {std::tuple{d + "/book", 0, ""}, std::tuple{d + "/caf\u00E9.txt", 0, ""},
          std::tuple{d + "/caf\uFFFD.txt", 0, ""},
          std::tuple{d + "/Война", int(kFileCannotBeRead), "2 files in this folder are shown"},
          std::tuple{d + "/none", int(kFileNotFound), "no file"},
          std::tuple{d, int(kFileCannotBeRead), "folder"},
          std::tuple{d + "/fifo", int(kFileCannotBeRead), "not an ordinary file"},
          std::tuple{"/dev/zero"s, int(kFileCannotBeRead), "not an ordinary file"},
          std::tuple{d + "/big", int(kFileCannotBeRead), "larger than 6 bytes"}}) {
        try {
            ReadProgress progress{0};
            EXPECT_EQ(PosixFileReader().ReadAll(file, 6, progress), "a\0b\xFF\r\n"s);
            EXPECT_EQ(number + progress, 6) << file;
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), number) << file;
            EXPECT_NE(std::string(error.what()).find(why), std::string::npos) << error.what();
        }
        EXPECT_EQ(openFiles(), before) << file;
    }
    std::filesystem::remove_all(d);
}

}  // namespace
}  // namespace orlavo::testing
