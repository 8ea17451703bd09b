#include "search/pathfit.h"

#include <vector>

#include "classlib/paths.h"

namespace {

std::string Join(const std::vector<std::string_view>& parts, std::string_view name) {
  std::string path;
  for (std::string_view part : parts) {
    path += part;
    path += '\\';
  }
  return path += name;
}

bool Fits(size_t folderLength, std::string_view name, size_t limit) {
  return !name.empty() && folderLength + 1 + name.size() <= limit;
}

}  // namespace

std::string FitPath(std::string_view folder, std::string_view shortFolder, std::string_view name,
                    std::string_view shortName, size_t limit) {
  const std::string_view own = name.empty() ? shortName : name;
  if (Fits(folder.size(), own, limit)) return Join({folder}, own);
  std::vector<std::string_view> parts = PathParts(folder);
  std::vector<std::string_view> shortParts = shortFolder.empty() ? parts : PathParts(shortFolder);
  // A short form spelled another way than the folder is taken whole.
  if (shortParts.size() != parts.size()) {
    parts = {folder};
    shortParts = {shortFolder};
  }
  size_t length = folder.size();
  for (size_t i = parts.size(); i-- > 0;) {
    length = length - parts[i].size() + shortParts[i].size();
    parts[i] = shortParts[i];
    if (Fits(length, own, limit)) return Join(parts, own);
  }
  return Fits(length, shortName, limit) ? Join(parts, shortName) : "";
}
