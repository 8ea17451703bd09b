#include "search/chmfolder.h"

#include <windows.h>

#include <algorithm>

#include "classlib/paths.h"

namespace {

// Made-up names tried for one page before it is given up.
constexpr unsigned kMadeUpAttempts = 1000;

bool IsAsciiName(const std::string& part) {
  return std::all_of(part.begin(), part.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

HANDLE CreateNewFile(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool TChmFolderWriter::BeginPage(const std::vector<std::string>& parts) {
  file_.Close();
  // The pages' names passed ChmPagePath, so joined with "\" they stay below
  // the folder; ASCII keeps them the same in every code page.
  if (std::all_of(parts.begin(), parts.end(), IsAsciiName)) {
    path_ = folder_;
    for (size_t i = 0; i < parts.size(); ++i) {
      path_ += "\\" + parts[i];
      if (i + 1 < parts.size()) CreateDirectoryA(path_.c_str(), nullptr);
    }
    if (path_.size() < MAX_PATH) file_.Set(CreateNewFile(path_));
  }
  const std::string ext = parts.empty() ? std::string() : ExtractFileExt(parts.back());
  for (unsigned attempt = 0; !file_ && attempt < kMadeUpAttempts; ++attempt) {
    path_ = folder_ + "\\~page" + std::to_string(++madeUp_) + ext;
    file_.Set(CreateNewFile(path_));
    const DWORD code = GetLastError();
    if (!file_ && code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) break;
  }
  return file_.IsValid();
}

bool TChmFolderWriter::WritePage(const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 20));
    if (!WriteFile(file_.Get(), bytes, chunk, &written, nullptr) || written == 0) return false;
    bytes += written;
    size -= written;
  }
  return true;
}

void TChmFolderWriter::EndPage(bool complete) {
  file_.Close();
  if (!complete) DeleteFileA(path_.c_str());
}
