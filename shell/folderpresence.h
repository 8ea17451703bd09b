// Whether a folder named by display names is gone from the disk, asked of
// the file system itself rather than of a shell listing (which leaves out
// hidden folders, and names localised ones in the language of the day).
#pragma once

#include <span>
#include <string>
#include <string_view>

// Whether the folder that names reach from the folder base (one name per
// level) is certainly gone: base is a folder that is there, and some name on
// the way is no folder in its parent, which holds no folder that may be
// shown by another name. False whenever the disk cannot tell, as for a name
// holding a "?" where the code page had no character of its own.
bool FolderGoneFromDisk(const std::string& base, std::span<const std::string_view> names);
