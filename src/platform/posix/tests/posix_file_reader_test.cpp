// The file reader against real files: a regular file is read whole, anything else refused, saying
// why, and no file left open either way.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "platform/posix/posix_file_reader.h"
#include "platform/runtime_error.h"

namespace orlavo {
namespace {

using namespace std::string_literals;

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
}  // namespace orlavo
