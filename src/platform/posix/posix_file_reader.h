#pragma once

#include <cstddef>
#include <string>

#include "platform/file_reader.h"

namespace orlavo {

// Reads book files with the POSIX calls. Only regular files are read: a FIFO would block the
// window until someone wrote to it and a device such as /dev/zero never ends, so both are refused
// before a byte is read.
class PosixFileReader : public FileReader {
  public:
    std::string ReadAll(const std::string& path, std::size_t maxBytes,
                        ReadProgress& progress) override;
    std::optional<std::size_t> MemoryAvailable() override;
};

}  // namespace orlavo
