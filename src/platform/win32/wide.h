// The one place where text crosses between the program's code page 932
// strings and the UTF-16 of the wide Windows API (and UTF-8, for the stored
// form descriptions).  Windows code converts here and nowhere else, so the
// ANSI code page of the machine (1252 on many, 932 on Japanese ones) never
// decides what the user sees.
#pragma once

#include <string>

namespace velmora {

// Code page 932 bytes to UTF-16.  A malformed byte (a lead byte without its
// trail byte) becomes the code page's default character; the rest of the
// text is kept.
std::wstring Cp932ToWide(const std::string& cp932);

// UTF-16 to code page 932.  A character that code page 932 cannot hold
// becomes "?"; `lossy`, when given, tells whether that happened, so callers
// that need an exact file name can refuse a name they could not keep.
std::string WideToCp932(const std::wstring& wide, bool* lossy = nullptr);

std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);

}  // namespace velmora
