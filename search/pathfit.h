// Fitting an entry's path within the length the 8-bit file calls take.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The longest path the 8-bit file calls open: MAX_PATH less the terminator.
constexpr size_t kMaxOpenablePath = 259;

// The entry's path folder + "\" + name within limit characters, reaching
// it through short names where the whole is too long: the folder's parts
// are taken from shortFolder (the same folder by its short names, part for
// part) from the deepest up until the path fits, and the entry's own short
// name comes last. A name the code page cannot hold comes empty, and the
// entry goes by its short name. "" when even that does not fit (or the
// entry has no name to go by).
std::string FitPath(std::string_view folder, std::string_view shortFolder, std::string_view name,
                    std::string_view shortName, size_t limit = kMaxOpenablePath);
