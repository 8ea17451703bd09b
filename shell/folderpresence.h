// Whether a folder named by display names is gone from the disk, asked of
// the file system itself rather than of a shell listing (which leaves out
// hidden folders, and names localised ones in the language of the day).
#pragma once

#include <span>
#include <string>
#include <string_view>

// Whether the folder that names reach from the folder base (one name per
// level, each as the tree shows it) is certainly gone: base is a folder that
// is there, and on the way some folder holds no folder shown by that name
// and none that may be shown by another name. False whenever the disk
// cannot tell, as for a folder that cannot be listed.
bool FolderGoneFromDisk(const std::string& base, std::span<const std::string_view> names);
