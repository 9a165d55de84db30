// Input/output errors of the list file and their texts for the error box.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// Thrown by the load and the save.  `code` is a Windows error code (2 not
// found, 5 access denied, 32 sharing violation, 112 disk full, ...) or 106
// for a number field that does not hold an integer.
struct InOutError {
    std::uint32_t code;
};

// The text shown in the standard error box for an error code, with "."
// appended where the text does not end in punctuation.  Windows' two codes
// of a full disk (39, 112) read as the table's own, 101.
std::string IoErrorText(std::uint32_t code);

}  // namespace velmora
