#include "hkmainf/cp932_path.h"

namespace velmora {

bool IsCp932LeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

std::size_t LastPathSeparator(const std::string& path) {
    // Only a walk from the start knows where characters begin: a byte seen
    // from the end cannot tell whether it is a trail byte.
    std::size_t last = std::string::npos;
    std::size_t i = 0;
    while (i < path.size()) {
        unsigned char b = static_cast<unsigned char>(path[i]);
        if (IsCp932LeadByte(b) && i + 1 < path.size()) {
            i += 2;
            continue;
        }
        if (b == '\\' || b == ':') last = i;
        ++i;
    }
    return last;
}

std::string FolderOfPath(const std::string& path) {
    std::size_t sep = LastPathSeparator(path);
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

std::string NameOfPath(const std::string& path) {
    std::size_t sep = LastPathSeparator(path);
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string FolderOfFilePath(const std::string& utf8Path) {
    return utf8Path.substr(0, utf8Path.find_last_of("\\:") + 1);
}

}  // namespace velmora
