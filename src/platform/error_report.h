// The rule of the application's general error report (the standard error
// box): a text whose last character sorts above "." is shown with "."
// appended.  Texts that end in a full stop or a ")" keep their ending.
#pragma once

#include <string>

namespace velmora {

inline std::string ErrorReportText(std::string text) {
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) text += '.';
    return text;
}

}  // namespace velmora
