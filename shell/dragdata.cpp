#include "shell/dragdata.h"

#include <shlobj.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "classlib/codepage.h"
#include "classlib/paths.h"
#include "classlib/stringlist.h"
#include "classlib/strutils.h"
#include "shell/openablepath.h"
#include "shell/owners.h"
#include "shell/pidls.h"

namespace {

// No block is larger than this; a longer file list is refused.
constexpr uint64_t kMaxBlockBytes = 0x7FFFFFFF;

// A zeroed block of size bytes filled by fill(pointer), or nil.
template <class Fill>
HGLOBAL MakeBlock(uint64_t size, Fill fill) {
  if (size == 0 || size > kMaxBlockBytes) return nullptr;
  HGLOBAL block = GlobalAlloc(kDragDataAlloc, static_cast<SIZE_T>(size));
  if (block == nullptr) return nullptr;
  auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
  if (bytes == nullptr) {
    GlobalFree(block);
    return nullptr;
  }
  fill(bytes);
  GlobalUnlock(block);
  return block;
}

// The files as a program they are dropped on is to get them: a name the
// code page cannot hold is listed by its short name, and a program that
// copies a dropped file names the copy as it is told.
std::vector<std::wstring> ShellPaths(const TStrings& files) {
  std::vector<std::wstring> paths;
  for (int i = 0; i < files.Count(); ++i) paths.push_back(ShellPath(MultiByteToWide(files.Get(i))));
  return paths;
}

// A list parsed by folder from a display name; empty when the name is too
// long for the shell's buffer or cannot be parsed, or, when mustBeFolder,
// names no folder.
TOwnedPidl ParseName(IShellFolder* folder, std::wstring wide, bool mustBeFolder) {
  if (wide.empty() || wide.size() >= MAX_PATH) return {};
  ULONG eaten = 0;
  ULONG attributes = SFGAO_FOLDER;
  TOwnedPidl pidl;
  HRESULT hr = folder->ParseDisplayName(nullptr, nullptr, wide.data(), &eaten, pidl.Receive(),
                                        mustBeFolder ? &attributes : nullptr);
  if (FAILED(hr)) return {};
  if (mustBeFolder && (attributes & SFGAO_FOLDER) == 0) return {};
  return pidl;
}

}  // namespace

HGLOBAL RenderFileList(const TStrings& files) {
  const std::vector<std::wstring> paths = ShellPaths(files);
  uint64_t size = sizeof(DROPFILES) + sizeof(wchar_t);
  for (const std::wstring& path : paths) size += (path.size() + 1) * sizeof(wchar_t);
  return MakeBlock(size, [&](uint8_t* bytes) {
    auto* header = reinterpret_cast<DROPFILES*>(bytes);
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    uint8_t* out = bytes + sizeof(DROPFILES);
    for (const std::wstring& path : paths) {
      std::memcpy(out, path.data(), path.size() * sizeof(wchar_t));
      out += (path.size() + 1) * sizeof(wchar_t);
    }
  });
}

HGLOBAL RenderNameMap(const TStrings& names) {
  uint64_t size = 1;
  for (int i = 0; i < names.Count(); ++i) size += names.Get(i).size() + 1;
  return MakeBlock(size, [&](uint8_t* bytes) {
    for (int i = 0; i < names.Count(); ++i) {
      std::string name = names.Get(i);
      std::memcpy(bytes, name.data(), name.size());
      bytes += name.size() + 1;
    }
  });
}

HGLOBAL RenderNameMapW(const TStrings& names) {
  std::vector<std::wstring> wide;
  uint64_t size = sizeof(wchar_t);
  for (int i = 0; i < names.Count(); ++i) {
    wide.push_back(MultiByteToWide(names.Get(i)));
    size += (wide.back().size() + 1) * sizeof(wchar_t);
  }
  return MakeBlock(size, [&](uint8_t* bytes) {
    for (const std::wstring& name : wide) {
      std::memcpy(bytes, name.data(), name.size() * sizeof(wchar_t));
      bytes += (name.size() + 1) * sizeof(wchar_t);
    }
  });
}

HGLOBAL RenderDropEffect(DWORD effect) {
  return MakeBlock(sizeof effect, [&](uint8_t* bytes) { std::memcpy(bytes, &effect, sizeof effect); });
}

HGLOBAL RenderShellIdList(const TStrings& files) {
  const int count = files.Count();
  if (count == 0) return nullptr;
  TComPtr<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(desktop.Receive())) || !desktop) return nullptr;
  const std::vector<std::wstring> paths = ShellPaths(files);
  const std::wstring folderPath = WideExtractFilePath(paths[0]);
  bool oneFolder = true;
  for (int i = 1; i < count && oneFolder; ++i) oneFolder = WideCompareText(WideExtractFilePath(paths[i]), folderPath) == 0;

  // lists[0] is the parent folder's, lists[i + 1] file i's.
  std::vector<TOwnedPidl> lists;
  lists.reserve(static_cast<size_t>(count) + 1);
  if (oneFolder) {
    TOwnedPidl parent = ParseName(desktop.Get(), folderPath, true);
    if (!parent) return nullptr;
    TComPtr<IShellFolder> folder;
    GetShellFolder(parent.Get(), false, folder);
    if (!folder) return nullptr;
    lists.push_back(std::move(parent));
    for (const std::wstring& path : paths) lists.push_back(ParseName(folder.Get(), WideExtractFileName(path), false));
  } else {
    lists.push_back(TOwnedPidl(PidlAlloc(sizeof(USHORT))));
    for (const std::wstring& path : paths) lists.push_back(ParseName(desktop.Get(), path, false));
  }
  uint64_t size = (static_cast<uint64_t>(count) + 2) * sizeof(UINT);
  for (const TOwnedPidl& list : lists) {
    if (!list) return nullptr;
    size += PidlSize(list.Get());
  }
  return MakeBlock(size, [&](uint8_t* bytes) {
    auto* header = reinterpret_cast<UINT*>(bytes);
    header[0] = static_cast<UINT>(count);
    uint32_t offset = (static_cast<uint32_t>(count) + 2) * sizeof(UINT);
    for (size_t i = 0; i < lists.size(); ++i) {
      const uint32_t listSize = PidlSize(lists[i].Get());
      header[1 + i] = offset;
      std::memcpy(bytes + offset, lists[i].Get(), listSize);
      offset += listSize;
    }
  });
}
