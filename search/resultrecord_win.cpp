#include "search/resultrecord.h"

#include "classlib/filetime.h"
#include "classlib/paths.h"
#include "classlib/strutils.h"
#include "search/searchthread.h"
#include "shell/fileinfo.h"

const std::string& TTypeNameCache::TypeNameOf(const std::string& fileName) {
  const std::string extension = ExtractFileExt(fileName);
  const std::string key = AnsiLowerCase(extension);
  auto found = names_.find(key);
  if (found == names_.end()) found = names_.emplace(key, GetFileTypeName(extension)).first;
  return found->second;
}

TFileInfo MakeFileInfo(const TFoundItem& found, TTypeNameCache& typeNames) {
  TFileInfo info;
  const WIN32_FIND_DATAA& data = found.SearchRec.FindData;
  info.Name = found.SearchRec.Name;
  info.Path = ExtractFilePath(found.FullName);
  if (!info.Path.empty() && info.Path.back() == '\\') info.Path.pop_back();
  // A file reached by its short name has the type of its own name's extension.
  info.TypeName = typeNames.TypeNameOf(found.RealName.empty() ? info.Name : found.RealName);
  info.Size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  // The packed DOS time cannot hold dates before 1980 or after 2107; the
  // file's own time can.
  info.Modified = UtcFileTimeToLocalDateTime(data.ftLastWriteTime);
  info.ImageIndex = -1;
  info.Context = found.Context;
  return info;
}
