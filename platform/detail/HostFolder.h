// Host folders as the file calls see them: the folder that holds a path, and whether a path is one.
#pragma once

#include <string>

namespace pelrudo::detail {

// "." for a bare name, "/" for a name at the root.
std::string ParentFolder(const std::string& path);
bool IsHostFolder(const std::string& path);

}  // namespace pelrudo::detail
