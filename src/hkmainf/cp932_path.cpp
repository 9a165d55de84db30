#include "hkmainf/cp932_path.h"

namespace velmora {

std::size_t LastPathSeparator(const std::string& path) {
    // Only a walk from the start knows where characters begin: a byte seen
    // from the end cannot tell whether it is a trail byte.
    std::size_t last = std::string::npos;
    for (std::size_t i = 0; i < path.size(); i += Cp932CharLength(path, i))
        if (path[i] == '\\' || path[i] == ':') last = i;
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
