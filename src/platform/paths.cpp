#include "platform/paths.h"

namespace vantrel {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return std::string();
    std::string folder = path.substr(0, slash);
    // A drive root keeps its backslash: "D:" alone would mean D's current folder.
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';
    return folder;
}

std::string BaseNameOf(const std::string& path) {
    std::string name = path.substr(path.find_last_of("\\/") + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

std::string WithBackslash(std::string folder) {
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
}

}  // namespace vantrel
