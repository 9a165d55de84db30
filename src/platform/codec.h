// Text conversion between the program's code page 932 strings and the
// outside world: UTF-8 (stored form descriptions, the Linux side of tests)
// and, in the Win32 build, UTF-16 (platform/win32/wide.h).
#pragma once

#include <string>

namespace velmora {

// Characters that code page 932 cannot hold become "?".
std::string Utf8ToCp932(const std::string& utf8);
// The same, telling whether that happened: a file name to be stored in the
// list must not name another file than the one the user chose.
std::string Utf8ToCp932Checked(const std::string& utf8, bool& lossy);
std::string Cp932ToUtf8(const std::string& cp932);

}  // namespace velmora
