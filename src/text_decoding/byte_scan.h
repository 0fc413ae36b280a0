#pragma once

// Looking at eight bytes of a book at a time. A million-item book is 44 MB; asking "is any of
// these eight bytes a control character?" once instead of eight times keeps the check of every
// byte to a few milliseconds.

#include <cstdint>
#include <cstring>

namespace orlavo::byte_scan {

inline constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
inline constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
inline constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

inline std::uint64_t Load(const char* at) {
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// 0x80 in each byte of `word` that equals `byte`, 0 in every other byte (exact, no carries).
inline std::uint64_t Matches(std::uint64_t word, unsigned char byte) {
    const std::uint64_t zeroWhereEqual = word ^ (kOnes * byte);
    return ~(((zeroWhereEqual & kLow7) + kLow7) | zeroWhereEqual | kLow7);
}

// 0x80 in each byte below 0x20 (a control character), exact for every byte value.
inline std::uint64_t BelowSpace(std::uint64_t word) {
    return ~(((word & kLow7) + kOnes * (0x80 - 0x20)) | word | kLow7);
}

}  // namespace orlavo::byte_scan
