#pragma once

// Real files, folders and FIFOs for the tests of reading book files, in a fresh folder that is
// removed again afterwards.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace orlavo::testing {

class TempDir {
  public:
    TempDir() {
        std::string pattern = std::filesystem::temp_directory_path() / "orlavo-test-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary folder");
        }
        m_path = pattern;
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }

    std::string path() const { return m_path.string(); }
    std::string PathOf(const std::string& name) const { return (m_path / name).string(); }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
        return PathOf(name);
    }
    std::string MakeFolder(const std::string& name) const {
        std::filesystem::create_directory(PathOf(name));
        return PathOf(name);
    }
    std::string MakeFifo(const std::string& name) const {
        if (::mkfifo(PathOf(name).c_str(), 0600) != 0) {
            throw std::runtime_error("cannot make a FIFO");
        }
        return PathOf(name);
    }

  private:
    std::filesystem::path m_path;
};

}  // namespace orlavo::testing
