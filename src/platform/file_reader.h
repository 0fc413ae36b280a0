#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace orlavo {

// How many bytes of a file have been read so far, for whoever waits on another thread.
using ReadProgress = std::atomic<std::uint64_t>;

// Reads a whole file into memory. A file that cannot be used raises a RuntimeError whose message
// says why in plain words (missing, a folder, not a regular file, unreadable, too large): error 53
// when there is no such file, error 57 for every other reason. No file is left open either way.
// A file larger than the memory budget allows (platform/memory_budget.h) is refused with
// std::bad_alloc before it is read.
class FileReader {
  public:
    virtual ~FileReader() = default;
    // The file's bytes, unchanged. A file larger than maxBytes is refused, not cut short.
    // `progress` grows as the bytes come in; it may be read from any thread meanwhile.
    virtual std::string ReadAll(const std::string& path, std::size_t maxBytes,
                                ReadProgress& progress) = 0;
    // The memory the system can still give, in bytes (free and reclaimable memory and free swap),
    // or nothing when it does not say. Whoever makes more of the bytes asks it first.
    virtual std::optional<std::size_t> MemoryAvailable() = 0;
};

}  // namespace orlavo
