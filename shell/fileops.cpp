#include "shell/fileops.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <utility>

#include "classlib/application.h"
#include "classlib/codepage.h"
#include "classlib/forms.h"
#include "classlib/paths.h"
#include "classlib/stringlist.h"
#include "shell/fileidentity.h"
#include "shell/openablepath.h"
#include "shell/owners.h"
#include "shell/pidls.h"

namespace {

constexpr DWORD kShopFilePath = 2;
constexpr int kShObjectPropertiesOrdinal = 178;
constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;

HWND ApplicationWindow() { return Application != nullptr ? Application->Handle() : nullptr; }

// A name as the shell gets it: by its real (long) names where they fit its
// path limit, so that its questions show them and what it makes elsewhere
// bears them; "" for a name that is not fully qualified, which the shell
// would take against whatever the current folder is, and for an empty one.
std::wstring ShellName(const std::wstring& path) { return IsFullyQualified(path) ? ShellPath(path) : L""; }

// Names for the shell: each followed by a zero, the whole by one more. A
// name ShellName refuses is left out: an empty one would end the list early
// and hide the names after it.
std::wstring NameList(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const std::wstring& path : paths) {
    const std::wstring name = ShellName(path);
    if (name.empty()) continue;
    list += name;
    list.push_back(L'\0');
  }
  return list;  // c_str() supplies the final zero
}

std::vector<std::wstring> WideLines(const TStrings& files) {
  std::vector<std::wstring> lines;
  for (int i = 0; i < files.Count(); ++i) lines.push_back(MultiByteToWide(files.Get(i)));
  return lines;
}

// from and to: name lists as NameList makes them; to may be empty.
TShellOutcome RunFileOperation(UINT operation, const std::wstring& from, const std::wstring& to, FILEOP_FLAGS flags) {
  if (from.empty()) return TShellOutcome::Failed;
  SHFILEOPSTRUCTW op{};
  op.hwnd = ApplicationWindow();
  op.wFunc = operation;
  op.pFrom = from.c_str();
  op.pTo = to.empty() ? nullptr : to.c_str();
  op.fFlags = flags;
  // The shell's windows belong to the hidden application window: without
  // this the user could sort, search or delete again while they are up.
  TTaskWindowsDisabled disabled(nullptr);
  const int result = SHFileOperationW(&op);
  if (op.fAnyOperationsAborted) return TShellOutcome::Cancelled;
  return result == 0 ? TShellOutcome::Done : TShellOutcome::Failed;
}

bool StillThere(const std::wstring& path, const TFileFacts& facts) {
  const std::optional<TFileFacts> now = FileFacts(path);
  return now && AlikeFacts(*now, facts);
}

bool CopyOrMove(UINT operation, const TStrings& files, const std::string& destFolder) {
  const std::wstring into = ShellName(MultiByteToWide(destFolder));
  if (into.empty()) return false;
  // The destination is a list too: the shell reads it up to a double zero.
  return RunFileOperation(operation, NameList(WideLines(files)), into + L'\0', FOF_ALLOWUNDO | FOF_RENAMEONCOLLISION) ==
         TShellOutcome::Done;
}

}  // namespace

bool ShowFileProperties(const std::string& fileName, const std::string& pageName) {
  const std::wstring name = ShellName(MultiByteToWide(fileName));
  if (name.empty()) return false;
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

bool DeleteToRecycleBin(const TStrings& files) { return RecycleFiles(WideLines(files)) == TShellOutcome::Done; }

TShellOutcome RecycleFiles(const std::vector<std::wstring>& files) {
  return RunFileOperation(FO_DELETE, NameList(files), L"", FOF_ALLOWUNDO);
}

bool CopyFiles(const TStrings& files, const std::string& destFolder) { return CopyOrMove(FO_COPY, files, destFolder); }

bool MoveFiles(const TStrings& files, const std::string& destFolder) { return CopyOrMove(FO_MOVE, files, destFolder); }

bool TransferFiles(const std::vector<TFileTarget>& files, TTransfer transfer) {
  // Only the files the user agreed to replace go without the shell's
  // question. They go first: a "No" to a question of the shell counts as a
  // cancel in its answer, and must not keep what the user agreed to.
  std::vector<const TFileTarget*> replacing, fresh;
  for (const TFileTarget& file : files) (file.Replaces ? replacing : fresh).push_back(&file);
  // A new file may be given a short name that another new target bears as
  // its real name, and that target would then reach it: the names that are
  // their own short names are made first, while nothing else bears them;
  // the others then get short names clear of them.
  std::stable_partition(fresh.begin(), fresh.end(),
                        [](const TFileTarget* file) { return IsOwnShortName(WideExtractFileName(file->Target)); });
  const UINT operation = transfer == TTransfer::Copy ? FO_COPY : FO_MOVE;
  bool done = true;
  for (const auto& [group, flags] : {std::pair{&replacing, FOF_ALLOWUNDO | FOF_MULTIDESTFILES | FOF_NOCONFIRMATION},
                                     std::pair{&fresh, FOF_ALLOWUNDO | FOF_MULTIDESTFILES}}) {
    std::wstring from, to;
    // A pair goes whole or not at all: one side alone would shift every
    // later file onto another file's target.
    for (const TFileTarget* file : *group) {
      // Targets are planned by real names; a target by its real path could
      // be another file the short name reaches.
      const std::wstring source = ShellName(file->Source);
      const std::wstring& target = file->Target;
      // A file that turned up at a free target since it was planned (while
      // the questions were open, or the replaced files were copied) stays:
      // not every shell asks before a move replaces it. A replaced file
      // that changed since the user agreed (it became a folder, say) is
      // no longer the one agreed to.
      const bool changed = file->Replaces ? !StillThere(target, file->Replaced) : !PathGone(target);
      if (source.empty() || !IsFullyQualified(target) || changed) {
        done = false;
        continue;
      }
      from += source + L'\0';
      to += target + L'\0';
    }
    if (from.empty()) continue;
    const TShellOutcome outcome = RunFileOperation(operation, from, to, static_cast<FILEOP_FLAGS>(flags));
    if (outcome == TShellOutcome::Cancelled) return false;
    done = done && outcome == TShellOutcome::Done;
  }
  return done;
}
