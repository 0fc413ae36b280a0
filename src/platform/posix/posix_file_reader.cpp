#include "platform/posix/posix_file_reader.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <exception>
#include <fstream>
#include <new>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/memory_budget.h"
#include "platform/runtime_error.h"
#include "platform/text/iconv_converter.h"
#include "platform/text/utf8.h"
#include "texts/program_texts.h"

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
            throw RuntimeError(kFileNotFound, kNoSuchFile);
        case EACCES:
        case EPERM:
            CannotRead(kNoPermission);
        default:
            CannotRead(CouldNotReadText(std::strerror(error)));
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
    CannotRead(FileTooLargeText(SizeText(maxBytes)));
}

// Read in pieces, so that whoever waits sees the bytes come in: a share that has stopped
// answering can then be told from one that is merely slow. A piece is sized to come within about
// a second: a large piece from a share that delivers a few KB/s would look like silence for
// minutes. Pieces start small and grow while the file answers at once, so a local book is still
// read in pieces of a MiB after its first few hundred KiB.
class Pieces {
  public:
    explicit Pieces(int fd) : m_fd(fd) {
        // Until the file proves fast, the kernel reads ahead nothing: its read-ahead would ask a
        // slow share for far more than the piece, and the piece would wait for all of it.
        ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_RANDOM);
    }

    // Reads what fits into `into`; returns how many bytes came, 0 at the end of the file.
    std::size_t ReadSome(char* into, std::size_t room, ReadProgress& progress) {
        for (;;) {
            const auto start = std::chrono::steady_clock::now();
            const ssize_t got = ::read(m_fd, into, std::min(room, m_size));
            if (got > 0) {
                progress += static_cast<std::uint64_t>(got);
                Adapt(std::chrono::steady_clock::now() - start);
            }
            if (got >= 0) {
                return static_cast<std::size_t>(got);
            }
            if (errno != EINTR) {
                FailedCall(errno);
            }
        }
    }

  private:
    static constexpr std::size_t kSmallest = std::size_t{4} << 10;
    static constexpr std::size_t kLargest = std::size_t{1} << 20;

    void Adapt(std::chrono::steady_clock::duration took) {
        using namespace std::chrono_literals;
        if (took > 1s) {
            m_size = std::max(m_size / 2, kSmallest);
            ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_RANDOM);
        } else if (took < 100ms && m_size < kLargest) {
            m_size *= 2;
            if (m_size == kLargest) {
                ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
            }
        }
    }

    int m_fd;
    std::size_t m_size = std::size_t{16} << 10;
};

// The encodings file names were written in before UTF-8, on Linux and on the disks and shares of
// other systems.
constexpr const char* kOlderNameEncodings[] = {
    "WINDOWS-1252", "ISO-8859-2", "WINDOWS-1251", "KOI8-R", "ISO-8859-7",
    "SHIFT_JIS",    "EUC-JP",     "GB18030",      "BIG5",   "EUC-KR"};

std::string InUtf8(const std::string& name, const char* encoding) {
    IconvConverter convert(encoding);
    if (!convert.ok()) {
        return {};
    }
    std::string out(name.size() * 4, '\0');
    const IconvConverter::Step step = convert.Convert(name, out);
    out.resize(step.written);
    return step.error == 0 && step.read == name.size() ? out : std::string();
}

bool IsUtf8(const std::string& name) {
    return !InUtf8(name, "UTF-8").empty() || name.empty();
}

// The name as a UTF-8 desktop shows it: each byte that starts no character becomes U+FFFD.
std::string AsShown(const std::string& name) {
    std::string shown;
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t length = utf8::SequenceLength(std::string_view(name).substr(i));
        shown +=
            length == 0 ? std::string_view("\uFFFD") : std::string_view(name).substr(i, length);
        i += length == 0 ? 1 : length;
    }
    return shown;
}

// The person picks a name as the desktop shows it, in UTF-8; a file named on an older system has
// the same name in another encoding on disk, or shows with U+FFFD where its bytes are not UTF-8.
// Returns the path of that file. Two files may show the same (a name in Windows-1251 and its twin
// in KOI8-R); which of them the dialog meant cannot be known, and opening either could read the
// wrong book, so that is said instead.
std::optional<std::string> OlderNamedTwin(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string wanted = path.substr(slash == std::string::npos ? 0 : slash + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return std::nullopt;
    }
    std::vector<std::string> found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (IsUtf8(name)) {
            continue;
        }
        bool matches = AsShown(name) == wanted;
        for (const char* encoding : kOlderNameEncodings) {
            matches = matches || InUtf8(name, encoding) == wanted;
        }
        if (matches) {
            found.push_back((slash == std::string::npos ? "" : folder) + name);
        }
    }
    ::closedir(dir);
    if (found.size() > 1) {
        CannotRead(std::to_string(found.size()) + " files in this folder are shown by the name \"" +
                   wanted +
                   "\", each written in another old encoding, and Orlavo cannot tell which one "
                   "was chosen. Rename the book, for instance in a file manager, and choose it "
                   "again.");
    }
    return found.empty() ? std::nullopt : std::optional(found.front());
}

int OpenForReading(const std::string& path) {
    // O_NONBLOCK: opening a FIFO without a writer would otherwise wait for one, forever.
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
}

}  // namespace

std::string PosixFileReader::ReadAll(const std::string& path, std::size_t maxBytes,
                                     ReadProgress& progress) {
    int fd = OpenForReading(path);
    if (fd < 0 && errno == ENOENT) {
        if (const std::optional<std::string> twin = OlderNamedTwin(path)) {
            fd = OpenForReading(*twin);
        } else {
            errno = ENOENT;
        }
    }
    if (fd < 0) {
        FailedCall(errno);
    }
    const FileDescriptor file(fd);

    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        FailedCall(errno);
    }
    if (S_ISDIR(status.st_mode)) {
        CannotRead(kIsAFolder);
    }
    if (!S_ISREG(status.st_mode)) {
        CannotRead(kNotAFile);
    }
    const auto size = static_cast<std::size_t>(status.st_size);
    if (size > maxBytes) {
        TooLarge(maxBytes);
    }

    // Only the bytes themselves are asked for here; the loader asks for what it makes of them.
    if (!MemoryAllows(size, MemoryAvailable())) {
        throw std::bad_alloc();
    }

    // One allocation of the size the file has, read straight into: clearing it first would cost
    // as long as a third of the load of a large book. A file still growing is followed to its end.
    std::string bytes;
    std::size_t used = 0;
    Pieces pieces(file.get());
    std::exception_ptr failure;  // a failed read must not leave the string half made
    bytes.resize_and_overwrite(size, [&](char* into, std::size_t room) {
        try {
            while (used < room) {
                const std::size_t got = pieces.ReadSome(into + used, room - used, progress);
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
        const std::size_t got = pieces.ReadSome(more, sizeof more, progress);
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

std::optional<std::size_t> PosixFileReader::MemoryAvailable() {
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

}  // namespace orlavo
