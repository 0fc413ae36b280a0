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
        std::string pattern = (std::filesystem::temp_directory_path() / "orlavo-test-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary folder");
        }
        m_path = pattern;
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_path, ignored)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
        std::filesystem::remove_all(m_path, ignored);
    }

    std::string path() const { return m_path.string(); }
    std::string PathOf(const std::string& name) const { return (m_path / name).string(); }

    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::string file = PathOf(name);
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
    std::string MakeFolder(const std::string& name) const {
        const std::string folder = PathOf(name);
        std::filesystem::create_directory(folder);
        return folder;
    }
    std::string MakeFifo(const std::string& name) const {
        const std::string fifo = PathOf(name);
        if (::mkfifo(fifo.c_str(), 0600) != 0) {
            throw std::runtime_error("cannot make a FIFO");
        }
        return fifo;
    }
    std::string WriteUnreadable(const std::string& name, const std::string& bytes) const {
        const std::string file = Write(name, bytes);
        std::filesystem::permissions(file, std::filesystem::perms::none);
        return file;
    }

  private:
    std::filesystem::path m_path;
};

// Permissions do not stop root, and the tests often run as root in containers.
inline bool RunningAsRoot() {
    return ::geteuid() == 0;
}

}  // namespace orlavo::testing
