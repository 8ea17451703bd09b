// A hit of a search thread as the result list keeps it.
#pragma once

#include <map>
#include <string>

#include "search/fileinfo.h"

struct TFoundItem;

// The shell's type names, asked once per extension: a search of a big tree
// meets the same few extensions again and again.
class TTypeNameCache {
public:
  const std::string& TypeNameOf(const std::string& fileName);

private:
  std::map<std::string, std::string> names_;  // by lower-case extension
};

// Name, folder (without its trailing "\"), type name, size, the file's own
// last-write time as local time, no icon yet, and the context of the first
// occurrence.
TFileInfo MakeFileInfo(const TFoundItem& found, TTypeNameCache& typeNames);
