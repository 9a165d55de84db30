#include "platform/codec.h"

#include "platform/win32/wide.h"

namespace velmora {

std::string Utf8ToCp932Checked(const std::string& utf8, bool& lossy) {
    // ASCII is the same in both (code page 932's 0x5C and 0x7E are U+005C and
    // U+007E on Windows): most strings of a stored form need no conversion.
    lossy = false;
    for (unsigned char c : utf8)
        if (c >= 0x80) return WideToCp932(Utf8ToWide(utf8), &lossy);
    return utf8;
}

std::string Utf8ToCp932(const std::string& utf8) {
    bool lossy = false;
    return Utf8ToCp932Checked(utf8, lossy);
}

std::string Cp932ToUtf8(const std::string& cp932) { return WideToUtf8(Cp932ToWide(cp932)); }

}  // namespace velmora
