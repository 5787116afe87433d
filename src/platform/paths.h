// The program's own paths: its folder, its base name, and the files it names
// beside itself.
#pragma once

#include <string>

namespace vantrel {

// The folder of a file's path ("C:\Tools", or "D:\" at a drive root) and its
// name without the extension.
std::string FolderOf(const std::string& path);
std::string BaseNameOf(const std::string& path);
// A folder with "\" appended unless it already ends in one.
std::string WithBackslash(std::string folder);

}  // namespace vantrel
