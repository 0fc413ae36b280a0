#pragma once

// Text from one encoding into another through iconv, most often into UTF-8: a book in a legacy
// encoding or in UTF-16/32, a file name written on an older system. In: the iconv names of the
// two encodings and the bytes, whole or in pieces; out: the converted bytes and, when iconv
// stops, why, so the caller decides what a bad byte becomes. The book decoder and the file
// reader use it; it is the only code that talks to iconv.

#include <cstddef>
#include <span>
#include <string_view>

namespace orlavo {

class IconvConverter {
  public:
    explicit IconvConverter(const char* from, const char* to = "UTF-8");
    ~IconvConverter();
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;

    // Whether iconv knows both encodings; nothing else may be called when it does not.
    bool ok() const;

    struct Step {
        std::size_t read = 0;     // bytes of the input used
        std::size_t written = 0;  // bytes put at the start of the output
        // 0 when all of the input was converted; else why iconv stopped: E2BIG when the output
        // is full, EILSEQ at a byte that is no character, EINVAL inside a character cut short
        // by the end of the input.
        int error = 0;
    };

    // Converts what fits of `in` into `out`. The shift state and a character begun in one call
    // carry over into the next, so a text can come in pieces.
    Step Convert(std::string_view in, std::span<char> out);

    // Writes what a stateful encoding still owes at the end of the text (the escape back to
    // ASCII of ISO-2022) and returns to the initial state.
    Step Finish(std::span<char> out);

    // Forgets the state, to start a new text.
    void Reset();

  private:
    void* m_cd;  // iconv_t, which is a pointer; <iconv.h> stays out of the callers
};

}  // namespace orlavo
