#include "shell/fileops.h"

#include <shellapi.h>
#include <shlobj.h>

#include "classlib/application.h"
#include "classlib/codepage.h"
#include "classlib/forms.h"
#include "classlib/paths.h"
#include "classlib/stringlist.h"
#include "shell/owners.h"
#include "shell/pidls.h"

namespace {

constexpr DWORD kShopFilePath = 2;
constexpr int kShObjectPropertiesOrdinal = 178;
constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;

HWND ApplicationWindow() { return Application != nullptr ? Application->Handle() : nullptr; }

// Names for the shell: each followed by a zero, the whole by one more. An
// empty name would end the list early and hide the names after it, so it
// is left out.
template <class Names, class Name>
std::wstring NameList(const Names& names, Name name) {
  std::wstring list;
  for (const auto& item : names) {
    const std::wstring text = name(item);
    if (text.empty()) continue;
    list += text;
    list.push_back(L'\0');
  }
  return list;  // c_str() supplies the final zero
}

std::vector<std::string> Lines(const TStrings& files) {
  std::vector<std::string> lines;
  for (int i = 0; i < files.Count(); ++i) lines.push_back(files.Get(i));
  return lines;
}

std::wstring Wide(const std::string& path) { return MultiByteToWide(path); }

// from and to: name lists as NameList makes them; to may be empty.
bool RunFileOperation(UINT operation, const std::wstring& from, const std::wstring& to, FILEOP_FLAGS flags) {
  if (from.empty()) return false;
  SHFILEOPSTRUCTW op{};
  op.hwnd = ApplicationWindow();
  op.wFunc = operation;
  op.pFrom = from.c_str();
  op.pTo = to.empty() ? nullptr : to.c_str();
  op.fFlags = flags;
  // The shell's windows belong to the hidden application window: without
  // this the user could sort, search or delete again while they are up.
  TTaskWindowsDisabled disabled(nullptr);
  return SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted;
}

bool CopyOrMove(UINT operation, const TStrings& files, const std::string& destFolder) {
  // The destination is a list too: the shell reads it up to a double zero.
  return RunFileOperation(operation, NameList(Lines(files), Wide), Wide(destFolder) + L'\0',
                          FOF_ALLOWUNDO | FOF_RENAMEONCOLLISION);
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

bool DeleteToRecycleBin(const TStrings& files) {
  return RunFileOperation(FO_DELETE, NameList(Lines(files), Wide), L"", FOF_ALLOWUNDO);
}

bool CopyFiles(const TStrings& files, const std::string& destFolder) { return CopyOrMove(FO_COPY, files, destFolder); }

bool MoveFiles(const TStrings& files, const std::string& destFolder) { return CopyOrMove(FO_MOVE, files, destFolder); }

bool TransferFiles(const std::vector<TFileTarget>& files, TTransfer transfer) {
  const std::wstring from = NameList(files, [](const TFileTarget& file) { return file.Source; });
  const std::wstring to = NameList(files, [](const TFileTarget& file) { return file.Target; });
  FILEOP_FLAGS flags = FOF_ALLOWUNDO | FOF_MULTIDESTFILES;
  // Without it the shell would ask again about what the user has answered;
  // with nothing to replace, it still asks about a file that turns up late.
  for (const TFileTarget& file : files)
    if (file.Replaces) flags |= FOF_NOCONFIRMATION;
  return RunFileOperation(transfer == TTransfer::Copy ? FO_COPY : FO_MOVE, from, to, flags);
}
