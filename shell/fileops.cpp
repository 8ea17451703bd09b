#include "shell/fileops.h"

#include <shellapi.h>
#include <shlobj.h>

#include "classlib/application.h"
#include "classlib/codepage.h"
#include "classlib/paths.h"
#include "classlib/stringlist.h"
#include "shell/owners.h"
#include "shell/pidls.h"

namespace {

constexpr DWORD kShopFilePath = 2;
constexpr int kShObjectPropertiesOrdinal = 178;
constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;

HWND ApplicationWindow() { return Application != nullptr ? Application->Handle() : nullptr; }

// Names for the shell: each followed by a zero byte, the whole by one more.
// An empty name would end the list early and hide the names after it, so it
// is left out. With a folder given, the names that the files take there.
std::string NameList(const TStrings& files, const std::string* folder = nullptr) {
  std::string list;
  for (int i = 0; i < files.Count(); ++i) {
    std::string name = files.Get(i);
    if (name.empty()) continue;
    list += folder != nullptr ? IncludeTrailingBackslash(*folder) + ExtractFileName(name) : name;
    list.push_back('\0');
  }
  return list;  // c_str() supplies the final zero byte
}

// to: a name list as NameList makes it, or none.
bool RunFileOperation(UINT operation, const TStrings& files, FILEOP_FLAGS flags, const std::string* to = nullptr) {
  std::string from = NameList(files);
  if (from.empty()) return false;
  SHFILEOPSTRUCTA op{};
  op.hwnd = ApplicationWindow();
  op.wFunc = operation;
  op.pFrom = from.c_str();
  op.pTo = to != nullptr ? to->c_str() : nullptr;
  op.fFlags = flags;
  return SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
}

bool CopyOrMove(UINT operation, const TStrings& files, const std::string& destFolder, TOnCollision collision) {
  if (collision == TOnCollision::Rename) {
    // The destination is a list too: the shell reads it up to a double zero.
    std::string to = destFolder;
    to.push_back('\0');
    return RunFileOperation(operation, files, FOF_ALLOWUNDO | FOF_RENAMEONCOLLISION, &to);
  }
  // Each file's own target: the shell then replaces without asking again,
  // and some shells move several files only so.
  const std::string to = NameList(files, &destFolder);
  return RunFileOperation(operation, files, FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_MULTIDESTFILES, &to);
}

}  // namespace

bool ShowFileProperties(const std::string& fileName, const std::string& pageName) {
  using TWideProc = BOOL(WINAPI*)(HWND, DWORD, LPCWSTR, LPCWSTR);
  using TAnsiProc = BOOL(WINAPI*)(HWND, DWORD, LPCSTR, LPCSTR);
  HMODULE shell32 = GetModuleHandleA("shell32.dll");
  if (shell32 == nullptr) return false;
  // Only exported by number on the older systems, so looked up by number.
  FARPROC proc = GetProcAddress(shell32, MAKEINTRESOURCEA(kShObjectPropertiesOrdinal));
  if (proc == nullptr) return false;
  auto generic = reinterpret_cast<void (*)()>(proc);
  bool windowsNt = (GetVersion() & 0x80000000u) == 0;
  if (windowsNt) {
    std::wstring name = MultiByteToWide(fileName);
    std::wstring page = MultiByteToWide(pageName);
    return reinterpret_cast<TWideProc>(generic)(ApplicationWindow(), kShopFilePath, name.c_str(),
                                                page.c_str()) != 0;
  }
  return reinterpret_cast<TAnsiProc>(generic)(ApplicationWindow(), kShopFilePath, fileName.c_str(),
                                              pageName.c_str()) != 0;
}

std::string BrowseForFolderTitle(HWND ownerWindow, const std::string& title) {
  char displayName[MAX_PATH + 1] = {};
  BROWSEINFOA info{};
  info.hwndOwner = ownerWindow;
  info.pidlRoot = nullptr;
  info.pszDisplayName = displayName;
  info.lpszTitle = title.c_str();
  info.ulFlags = kBrowseFlags;
  TOwnedPidl chosen(SHBrowseForFolderA(&info));
  if (!chosen) return {};
  return PidlToPath(chosen.Get());
}

std::string BrowseForFolder(HWND ownerWindow) { return BrowseForFolderTitle(ownerWindow, ""); }

bool DeleteToRecycleBin(const TStrings& files) { return RunFileOperation(FO_DELETE, files, FOF_ALLOWUNDO); }

bool CopyFiles(const TStrings& files, const std::string& destFolder, TOnCollision collision) {
  return CopyOrMove(FO_COPY, files, destFolder, collision);
}

bool MoveFiles(const TStrings& files, const std::string& destFolder, TOnCollision collision) {
  return CopyOrMove(FO_MOVE, files, destFolder, collision);
}
