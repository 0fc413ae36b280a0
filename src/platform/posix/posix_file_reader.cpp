#include "platform/posix/posix_file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <fstream>
#include <new>
#include <optional>
#include <string_view>

#include "platform/runtime_error.h"

namespace orlavo {
namespace {

// Closes the file however the read ends.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { ::close(m_fd); }
    int get() const { return m_fd; }

  private:
    int m_fd;
};

[[noreturn]] void CannotRead(const std::string& why) {
    throw RuntimeError(kFileCannotBeRead, why);
}

[[noreturn]] void FailedCall(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            throw RuntimeError(kFileNotFound, "There is no file by that name.");
        case EACCES:
        case EPERM:
            CannotRead("You do not have permission to read this file.");
        default:
            CannotRead(std::string("The file could not be read: ") + std::strerror(error) + ".");
    }
}

std::string SizeText(std::size_t bytes) {
    constexpr std::size_t kKiB = 1024;
    if (bytes >= kKiB * kKiB * kKiB && bytes % (kKiB * kKiB * kKiB) == 0) {
        return std::to_string(bytes / (kKiB * kKiB * kKiB)) + " GiB";
    }
    if (bytes >= kKiB * kKiB && bytes % (kKiB * kKiB) == 0) {
        return std::to_string(bytes / (kKiB * kKiB)) + " MiB";
    }
    return std::to_string(bytes) + " bytes";
}

[[noreturn]] void TooLarge(std::size_t maxBytes) {
    CannotRead("The file is larger than " + SizeText(maxBytes) +
               ", too large to be a book Orlavo can read.");
}

// Reads what fits into `into`; returns how many bytes came, 0 at the end of the file.
std::size_t ReadSome(int fd, char* into, std::size_t room) {
    for (;;) {
        const ssize_t got = ::read(fd, into, room);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            FailedCall(errno);
        }
    }
}

// Memory the system can still give, in bytes (free and reclaimable memory and free swap), or
// nothing when the kernel does not say.
std::optional<std::size_t> AvailableMemory() {
    std::ifstream meminfo("/proc/meminfo");
    std::string name;
    std::size_t kilobytes = 0;
    std::size_t total = 0;
    bool known = false;
    while (meminfo >> name >> kilobytes) {
        if (name == "MemAvailable:" || name == "SwapFree:") {
            total += kilobytes * 1024;
            known = known || name == "MemAvailable:";
        }
        meminfo.ignore(64, '\n');
    }
    return known ? std::optional(total) : std::nullopt;
}

// A book takes up to three times its file while it is decoded and split into items. Taking that
// much from a system that has not got it would not fail here: the kernel promises the pages and
// later kills the program when they are touched. Asked for first, the loader can say there is not
// enough memory and keep the book the person had.
void RefuseUnlessMemoryFor(std::size_t size) {
    constexpr std::size_t kBookPerFile = 3;
    const std::optional<std::size_t> available = AvailableMemory();
    if (available && size > *available / kBookPerFile) {
        throw std::bad_alloc();
    }
}

}  // namespace

std::string PosixFileReader::ReadAll(const std::string& path, std::size_t maxBytes) {
    // O_NONBLOCK: opening a FIFO without a writer would otherwise wait for one, forever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        FailedCall(errno);
    }
    const FileDescriptor file(fd);

    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        FailedCall(errno);
    }
    if (S_ISDIR(status.st_mode)) {
        CannotRead("This is a folder, not a file.");
    }
    if (!S_ISREG(status.st_mode)) {
        CannotRead(
            "This is not an ordinary file but a device, a pipe or a socket, which cannot hold a "
            "book.");
    }
    const auto size = static_cast<std::size_t>(status.st_size);
    if (size > maxBytes) {
        TooLarge(maxBytes);
    }

    RefuseUnlessMemoryFor(size);

    // One allocation of the size the file has, read straight into: clearing it first would cost
    // as long as a third of the load of a large book. A file still growing is followed to its end.
    std::string bytes;
    std::size_t used = 0;
    std::exception_ptr failure;  // a failed read must not leave the string half made
    bytes.resize_and_overwrite(size, [&](char* into, std::size_t room) {
        try {
            while (used < room) {
                const std::size_t got = ReadSome(file.get(), into + used, room - used);
                if (got == 0) {
                    break;
                }
                used += got;
            }
        } catch (...) {
            failure = std::current_exception();
        }
        return used;
    });
    if (failure) {
        std::rethrow_exception(failure);
    }
    for (;;) {
        char more[64 * 1024];
        const std::size_t got = ReadSome(file.get(), more, sizeof more);
        if (got == 0) {
            break;
        }
        if (got > maxBytes - used) {
            TooLarge(maxBytes);
        }
        bytes.append(more, got);
        used += got;
    }
    bytes.resize(used);
    return bytes;
}

}  // namespace orlavo
