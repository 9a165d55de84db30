// Splitting code page 932 paths.  The second byte of a double-byte character
// may have the value of '\\' (0x5C), so a plain byte search would cut such a
// character in half; these functions walk the text character by character.
#pragma once

#include <cstddef>
#include <string>

#include "platform/codec.h"

namespace velmora {

// Index of the last '\\' or ':' that is a character of its own, or npos.
std::size_t LastPathSeparator(const std::string& path);

// Up to and including that separator; "" when there is none.
std::string FolderOfPath(const std::string& path);

// What follows the separator (the whole path when there is none).
std::string NameOfPath(const std::string& path);

// Paths of the file system come from OsServices in UTF-8, where every byte of
// a multi-byte character is 0x80 or above, so a plain search finds their
// separators: up to and including the last '\\' or ':', "" when there is none.
std::string FolderOfFilePath(const std::string& utf8Path);

}  // namespace velmora
