#include "platform/text/iconv_converter.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <type_traits>

namespace orlavo {
namespace {

static_assert(std::is_same_v<iconv_t, void*>, "the header keeps iconv_t as a void*");

constexpr std::size_t kFailed = static_cast<std::size_t>(-1);
const iconv_t kNotOpened = reinterpret_cast<iconv_t>(std::intptr_t{-1});

IconvConverter::Step Run(iconv_t cd, char** from, std::size_t* left, std::span<char> out) {
    char* to = out.data();
    std::size_t room = out.size();
    const std::size_t before = left == nullptr ? 0 : *left;
    const bool whole = iconv(cd, from, left, &to, &room) != kFailed;
    const int error = whole ? 0 : errno;
    return {before - (left == nullptr ? 0 : *left), static_cast<std::size_t>(to - out.data()),
            error};
}

}  // namespace

IconvConverter::IconvConverter(const char* from, const char* to) : m_cd(iconv_open(to, from)) {}

IconvConverter::~IconvConverter() {
    if (ok()) {
        iconv_close(m_cd);
    }
}

bool IconvConverter::ok() const {
    return m_cd != kNotOpened;
}

IconvConverter::Step IconvConverter::Convert(std::string_view in, std::span<char> out) {
    char* from = const_cast<char*>(in.data());  // iconv's signature; it never writes there
    std::size_t left = in.size();
    return Run(m_cd, &from, &left, out);
}

IconvConverter::Step IconvConverter::Finish(std::span<char> out) {
    return Run(m_cd, nullptr, nullptr, out);
}

void IconvConverter::Reset() {
    iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace orlavo
