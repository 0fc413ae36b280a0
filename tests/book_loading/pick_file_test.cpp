// The open-file dialog request: the filter text, what the dialog is asked, and the buffer the
// load command gets back.

#include "book_loading/pick_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "platform/runtime_error.h"

namespace orlavo {
namespace {

using namespace std::string_literals;
using testing::FakeApplication;
using testing::FakeFileDialog;

const std::vector<std::string> kPatterns{"*.TxT", ""};
const std::vector<std::string> kDescriptions{"TxT", ""};

TEST(PickFileRequestTest, FilterTextOfTheLoadCommandIsEighteenCharacters) {
    EXPECT_EQ(FilterText(kPatterns, kDescriptions, 1.0F), "TxT (*.TxT)\0*.TxT\0"s);
}

// Only the first FilterCount entries become file types.
TEST(PickFileRequestTest, DialogShowsCaptionFileTypesAndStartsInProgramFolder) {
    FakeFileDialog dialog;
    FakeApplication app;
    app.appPath = "/opt/orlavo/bin";
    PickFile("Load", {"*.txt", "*.md", "*.rtf"}, {"Text", "Notes", "Rich"}, 2.0F, dialog, app);

    ASSERT_EQ(dialog.requests.size(), 1U);
    const OpenFileRequest& request = dialog.requests.front();
    EXPECT_EQ(request.title, "Load");
    EXPECT_EQ(request.initialFolder, "/opt/orlavo/bin");
    ASSERT_EQ(request.filters.size(), 2U);
    EXPECT_EQ(request.filters[0].description, "Text (*.txt)");
    EXPECT_EQ(request.filters[1].description, "Notes (*.md)");
    EXPECT_EQ(request.filters[1].pattern, "*.md");
}

// A count beyond the lists is a fault of the caller; it must be caught before anyone sees a
// dialog built from half the filters.
struct BadCountCase {
    const char* name;
    std::vector<std::string> patterns;
    std::vector<std::string> descriptions;
    float filterCount;
};

class PickFileBadCountTest : public ::testing::TestWithParam<BadCountCase> {};

TEST_P(PickFileBadCountTest, RaisesSubscriptErrorAndShowsNoDialog) {
    FakeFileDialog dialog;
    FakeApplication app;
    const BadCountCase& c = GetParam();
    try {
        PickFile("t", c.patterns, c.descriptions, c.filterCount, dialog, app);
        FAIL() << "no error raised";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), kSubscriptOutOfRange);
    }
    EXPECT_TRUE(dialog.requests.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Counts, PickFileBadCountTest,
    ::testing::Values(BadCountCase{"ThreeWithTwoSlots", kPatterns, kDescriptions, 3.0F},
                      BadCountCase{"ShortDescriptionList", {"*.a", "*.b"}, {"A"}, 2.0F},
                      BadCountCase{"ShortPatternList", {"*.a"}, {"A", "B"}, 2.0F},
                      BadCountCase{"EmptyLists", {}, {}, 1.0F}),
    [](const auto& info) { return std::string(info.param.name); });

// What the load command gets back for each answer of the dialog.
struct BufferCase {
    const char* name;
    std::optional<std::string> chosen;
    std::string buffer;
};

class PickFileBufferTest : public ::testing::TestWithParam<BufferCase> {};

TEST_P(PickFileBufferTest, ReturnsPathNulAndPadding) {
    FakeFileDialog dialog;
    FakeApplication app;
    dialog.choices.push_back(GetParam().chosen);
    EXPECT_EQ(PickFile("t", kPatterns, kDescriptions, 1.0F, dialog, app), GetParam().buffer);
}

const std::string kLongPath = "/" + std::string(299, 'x');       // 300 characters
const std::string kPath253 = "/" + std::string(252, 'y');        // fills the buffer with its NUL
const std::string kAccented = "/b\u00F6\u00F6ks/M\u0153by.txt";  // 15 characters, 18 bytes

INSTANTIATE_TEST_SUITE_P(
    Answers, PickFileBufferTest,
    ::testing::Values(BufferCase{"CancelGives254Spaces", std::nullopt, std::string(254, ' ')},
                      BufferCase{"PathOf22Characters", "/home/me/Moby Dick.txt",
                                 "/home/me/Moby Dick.txt"s + '\0' + std::string(231, ' ')},
                      BufferCase{"PathOf253CharactersIsNotPadded", kPath253, kPath253 + '\0'},
                      BufferCase{"PathOf300CharactersIsIntact", kLongPath, kLongPath + '\0'},
                      BufferCase{"PaddingCountsCharactersNotBytes", kAccented,
                                 kAccented + '\0' + std::string(254 - 16, ' ')}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orlavo
