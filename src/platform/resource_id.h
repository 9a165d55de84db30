// Resources named by number, as resource scripts write them: "#123".
// Kept apart from the Win32 code that loads them so the rule can be tested.
#pragma once

#include <string>

namespace velmora {

// The id named by "#" and a number from 1 to 65535; 0 when `name` starts
// with "#" but names no such id; -1 when it does not (it is then the
// resource's own name, "#" alone included).
inline long NumericResourceId(const std::string& name) {
    if (name.size() < 2 || name[0] != '#') return -1;
    long id = 0;
    for (std::size_t i = 1; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || id > 0xFFFF) return 0;
        id = id * 10 + (name[i] - '0');
    }
    return id <= 0xFFFF ? id : 0;
}

}  // namespace velmora
