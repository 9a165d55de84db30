#include "platform/codec.h"

#include <iconv.h>

#include <cerrno>

namespace velmora {
namespace {

std::string Convert(const char* to, const char* from, const std::string& in, bool* lossy = nullptr) {
    if (lossy) *lossy = false;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return in;
    std::string out;
    out.resize(in.size() * 4 + 16);
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-const-cast): iconv takes char** for input it only reads
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) break;  // cannot happen with the 4x reserve
        // An unconvertible or malformed byte: one "?" for it, then go on.
        if (lossy) *lossy = true;
        if (dstLeft == 0) break;
        *dst++ = '?';
        --dstLeft;
        ++src;
        --srcLeft;
        while (srcLeft > 0 && (static_cast<unsigned char>(*src) & 0xC0) == 0x80 && std::string(from) == "UTF-8") {
            ++src;
            --srcLeft;
        }
    }
    out.resize(out.size() - dstLeft);
    iconv_close(cd);
    return out;
}

}  // namespace

std::string Utf8ToCp932(const std::string& utf8) { return Convert("CP932", "UTF-8", utf8); }
std::string Utf8ToCp932Checked(const std::string& utf8, bool& lossy) { return Convert("CP932", "UTF-8", utf8, &lossy); }
std::string Cp932ToUtf8(const std::string& cp932) { return Convert("UTF-8", "CP932", cp932); }

}  // namespace velmora
