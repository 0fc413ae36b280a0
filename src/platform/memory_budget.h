#pragma once

#include <cstddef>
#include <optional>

namespace orlavo {

// The one rule for taking memory for a book: whatever the book costs (its bytes, its decoded text,
// the index of its items) is asked for before it is taken, from what the system says it can still
// give, and kMemorySpare is left over for the program itself (the rows the list lays out, the
// voice). On a system that has not got it, taking it would not fail but have the kernel end the
// program once the pages are touched; refused, the person keeps the book they had and is told.
inline constexpr std::size_t kMemorySpare = std::size_t{32} << 20;

// `available` is what the system can still give (FileReader::MemoryAvailable); nothing when it
// does not say, and then everything is allowed.
constexpr bool MemoryAllows(std::size_t bytes, std::optional<std::size_t> available) {
    return !available || (bytes <= *available && *available - bytes >= kMemorySpare);
}

}  // namespace orlavo
