// The real file reader against real files, folders, a FIFO and a device: what it reads, what it
// refuses and why, and that it never leaves a file open.

#include "platform/posix_file_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "book_loading/temp_files.h"
#include "platform/runtime_error.h"

namespace orlavo {
namespace {

using namespace std::string_literals;
using testing::TempDir;

std::size_t OpenFileCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

struct ReadCase {
    const char* name;
    std::string bytes;
    std::size_t maxBytes;
};

class PosixFileReaderReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(PosixFileReaderReadTest, ReturnsTheBytesUnchanged) {
    TempDir dir;
    const std::string path = dir.Write("book.txt", GetParam().bytes);
    const std::size_t openBefore = OpenFileCount();
    EXPECT_EQ(PosixFileReader().ReadAll(path, GetParam().maxBytes), GetParam().bytes);
    EXPECT_EQ(OpenFileCount(), openBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PosixFileReaderReadTest,
    ::testing::Values(ReadCase{"EmptyFile", "", 10},
                      ReadCase{"BytesWithNulsAndHighBytes", "a\0b\xFF\r\n\xEF\xBB\xBF"s, 100},
                      ReadCase{"ExactlyAtTheLimit", std::string(4096, 'k'), 4096},
                      ReadCase{"LargerThanOneReadBuffer", std::string(300000, 'q'), 1 << 20}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusalCase {
    const char* name;
    std::string (*make)(const TempDir& dir);
    std::size_t maxBytes;
    int number;
    std::string reason;
};

class PosixFileReaderRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(PosixFileReaderRefusalTest, RaisesErrorSayingWhyAndClosesTheFile) {
    TempDir dir;
    const std::string path = GetParam().make(dir);
    if (GetParam().reason == "permission" && ::geteuid() == 0) {
        GTEST_SKIP() << "file permissions do not stop root, so an unreadable file cannot be made";
    }
    const std::size_t openBefore = OpenFileCount();
    try {
        PosixFileReader().ReadAll(path, GetParam().maxBytes);
        FAIL() << "read " << path << " without complaint";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), GetParam().number);
        EXPECT_NE(std::string(error.what()).find(GetParam().reason), std::string::npos)
            << error.what();
    }
    EXPECT_EQ(OpenFileCount(), openBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PosixFileReaderRefusalTest,
    ::testing::Values(
        RefusalCase{"Missing", [](const TempDir& d) { return d.PathOf("none.txt"); }, 1 << 30,
                    kFileNotFound, "no file"},
        RefusalCase{"FolderOnTheWay",
                    [](const TempDir& d) { return d.Write("f.txt", "x") + "/inside.txt"; }, 1 << 30,
                    kFileNotFound, "no file"},
        RefusalCase{"Folder", [](const TempDir& d) { return d.path(); }, 1 << 30, kFileCannotBeRead,
                    "folder"},
        RefusalCase{"FifoWithoutWriter", [](const TempDir& d) { return d.MakeFifo("p"); }, 1 << 30,
                    kFileCannotBeRead, "not an ordinary file"},
        RefusalCase{"EndlessDevice", [](const TempDir&) { return "/dev/zero"s; }, 1 << 30,
                    kFileCannotBeRead, "not an ordinary file"},
        RefusalCase{"OneByteOverTheLimit",
                    [](const TempDir& d) { return d.Write("big.txt", std::string(4097, 'b')); },
                    4096, kFileCannotBeRead, "larger than 4096 bytes"},
        RefusalCase{"SparseFileOverOneGib",
                    [](const TempDir& d) {
                        const std::string path = d.Write("sparse.txt", "");
                        std::filesystem::resize_file(path, (std::uintmax_t{1} << 30) + 1);
                        return path;
                    },
                    std::size_t{1} << 30, kFileCannotBeRead, "larger than 1 GiB"},
        RefusalCase{"Unreadable",
                    [](const TempDir& d) {
                        const std::string path = d.Write("s.txt", "secret");
                        std::filesystem::permissions(path, std::filesystem::perms::none);
                        return path;
                    },
                    1 << 30, kFileCannotBeRead, "permission"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orlavo
