// Text conversion between the program's code page 932 strings and the
// outside world: UTF-8 (stored form descriptions, the Linux side of tests)
// and, in the Win32 build, UTF-16 (platform/win32/wide.h).
#pragma once

#include <cstddef>
#include <string>

namespace velmora {

// Lead bytes of code page 932: 0x81-0x9F and 0xE0-0xFC.  A trail byte may
// have the value of an ASCII character ('\\', '&'), so text is walked from
// its start, character by character.
inline bool IsCp932LeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Bytes of the character that starts at `pos`: 2 for a lead byte with its
// trail byte, 1 otherwise (a lead byte at the very end stands alone).
inline std::size_t Cp932CharLength(const std::string& text, std::size_t pos) {
    return IsCp932LeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

// Characters that code page 932 cannot hold become "?".
std::string Utf8ToCp932(const std::string& utf8);
// The same, telling whether that happened: a file name to be stored in the
// list must not name another file than the one the user chose.
std::string Utf8ToCp932Checked(const std::string& utf8, bool& lossy);
std::string Cp932ToUtf8(const std::string& cp932);

}  // namespace velmora
