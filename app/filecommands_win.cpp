#include "app/filecommands_win.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <set>
#include <vector>

#include "app/configform_win.h"
#include "app/findform_win.h"
#include "app/multilang.h"
#include "app/resultlist_win.h"
#include "app/widemessage_win.h"
#include "classlib/application.h"
#include "classlib/codepage.h"
#include "classlib/dialogs.h"
#include "classlib/menus.h"
#include "classlib/paths.h"
#include "classlib/buttons.h"
#include "classlib/edits.h"
#include "classlib/exceptions.h"
#include "classlib/label.h"
#include "classlib/stringlist.h"
#include "classlib/strutils.h"
#include "search/resultreport.h"
#include "shell/dropfilesource.h"
#include "shell/fileidentity.h"
#include "shell/fileops.h"
#include "shell/openablepath.h"
#include "shell/pickedfiles.h"

namespace {

const char kHomePage[] = "https://www.marnok.example/ovalis";
const char kSupportMail[] = "mailto:support@marnok.example";
constexpr int kDragDistance = 10;

// A message that lists files names this many, then says there are more.
constexpr size_t kFilesNamedAtMost = 20;

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The name of a new file in folder that holds text; "" when it cannot be
// written whole (the file is then gone, the system's error code kept).
std::wstring WriteNewFile(const std::wstring& folder, const std::string& text) {
  wchar_t name[MAX_PATH] = {};
  if (GetTempFileNameW(folder.c_str(), L"ovr", 0, name) == 0) return {};
  HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool written = file != INVALID_HANDLE_VALUE;
  for (size_t at = 0; written && at < text.size();) {
    DWORD done = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - at, 1 << 20));
    written = WriteFile(file, text.data() + at, chunk, &done, nullptr) && done == chunk;
    at += done;
  }
  if (file != INVALID_HANDLE_VALUE && !CloseHandle(file)) written = false;
  if (written) return name;
  const DWORD error = GetLastError();
  DeleteFileW(name);
  SetLastError(error);
  return {};
}

// Puts replacement in the place of the file target the system's way, which
// keeps target's attributes and permissions and works while another
// program reads it with full sharing. Whenever it fails, target stays as
// it was (the system's error code kept).
bool ReplaceOldFile(const std::wstring& target, const std::wstring& replacement, const std::wstring& folder,
                    DWORD attributes) {
  wchar_t backup[MAX_PATH] = {};
  if (GetTempFileNameW(folder.c_str(), L"ovb", 0, backup) == 0) return false;
  // Only the name is wanted: without one, a failure may leave no old file.
  DeleteFileW(backup);
  if (!ReplaceFileW(target.c_str(), replacement.c_str(), backup,
                    REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr)) {
    const DWORD error = GetLastError();
    // Some failures leave the old file under the backup name.
    if (GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) MoveFileExW(backup, target.c_str(), 0);
    SetLastError(error);
    return false;
  }
  DeleteFileW(backup);
  // Not every system carries the flags over.
  constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD wanted = attributes & kSettable;
  if ((GetFileAttributesW(target.c_str()) & kSettable) != wanted)
    SetFileAttributesW(target.c_str(), wanted != 0 ? wanted : FILE_ATTRIBUTE_NORMAL);
  return true;
}

// Writes text to a new file beside fileName and puts it in the place of
// fileName only once it is whole: a full disk never leaves a cut-off file,
// and an old file keeps its attributes. False, with the system's error
// code kept, when anything fails; an old file then stays as it was.
bool ReplaceFileWith(const std::string& fileName, const std::string& text) {
  const std::wstring target = MultiByteToWide(fileName);
  std::wstring folder = WideExtractFilePath(target);
  if (folder.empty()) folder = L".\\";
  const std::wstring written = WriteNewFile(folder, text);
  if (written.empty()) return false;
  const DWORD attributes = GetFileAttributesW(target.c_str());
  constexpr DWORD kMoveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED;
  const bool done = attributes == INVALID_FILE_ATTRIBUTES ? MoveFileExW(written.c_str(), target.c_str(), kMoveFlags)
                                                          : ReplaceOldFile(target, written, folder, attributes);
  if (done) return true;
  const DWORD error = GetLastError();
  DeleteFileW(written.c_str());
  SetLastError(error);
  return false;
}

void ShellOpen(const char* verb, const std::string& target, int show) {
  ShellExecuteA(Application->Handle(), verb, target.c_str(), nullptr, nullptr, show);
}

}  // namespace

std::string FolderToOpen(const std::string& path) {
  // A drive letter alone ("C:") would open the drive's current folder.
  if (path.size() == 2 && path[1] == ':') return path + "\\";
  return path;
}

void OpenHomePage() { ShellExecuteA(nullptr, nullptr, kHomePage, nullptr, nullptr, SW_SHOWNOACTIVATE); }

void MailToSupport() { ShellExecuteA(nullptr, nullptr, kSupportMail, nullptr, nullptr, SW_SHOWNOACTIVATE); }

TFileCommands::TFileCommands(TFindForm& form) : form_(form) {}

void TFileCommands::GetSelectedFiles(TStrings* list) {
  if (list == nullptr) return;
  const std::vector<int> rows = form_.ResultList().SelectedIndexes();
  if (rows.empty()) return;
  list->Clear();
  for (int row : rows) list->Add(form_.ResultList().FullPath(row));
}

void TFileCommands::mOpenClick() {
  const int row = form_.ResultList().FirstSelected();
  if (row < 0) return;
  ShellOpen(nullptr, form_.ResultList().FullPath(row), SW_SHOWNORMAL);
}

void TFileCommands::mFolderClick() {
  const int row = form_.ResultList().FirstSelected();
  if (row < 0) return;
  ShellOpen("open", FolderToOpen(std::string(form_.ResultList().Results().Path(row))), SW_SHOWNORMAL);
}

void TFileCommands::mCopyToClick() {
  if (form_.ResultList().FirstSelected() < 0) return;
  const std::string folder = BrowseForFolderTitle(form_.Handle(), MultiLang->Translate("Copy to..."));
  if (!folder.empty()) CopySelectedTo(folder);
}

void TFileCommands::CopySelectedTo(const std::string& folder) {
  const std::vector<std::wstring> files = SelectedFilesWide();
  if (files.empty()) return;
  Transfer(files, folder, TTransfer::Copy);
}

void TFileCommands::mMove2SelectClick() {
  if (form_.ResultList().FirstSelected() < 0) return;
  const std::string folder = BrowseForFolderTitle(form_.Handle(), MultiLang->Translate("Move to..."));
  if (!folder.empty()) MoveSelectedTo(folder);
}

void TFileCommands::MoveSelectedTo(const std::string& folder) {
  const std::vector<std::wstring> files = SelectedFilesWide();
  if (files.empty()) return;
  if (MessageDlg(MultiLang->Translate("Please confirm moving selected files to") + " " + folder, mtConfirmation,
                 mbOK | mbCancel, 0) != mrOk)
    return;
  Transfer(files, folder, TTransfer::Move);
}

bool TFileCommands::Transfer(const std::vector<std::wstring>& files, const std::string& folder, TTransfer transfer) {
  const std::vector<uint32_t> picked = form_.ResultList().SelectedIds();
  const HWND owner = form_.Handle();
  const std::string question = MultiLang->Translate("File already exists! Overwrite?");
  const std::optional<TTransferPlan> plan =
      PlanFileTargets(files, MultiByteToWide(folder), transfer, [&](const std::wstring& existing) {
        switch (ShowWideMessage(owner, existing + L"\r\n" + MultiByteToWide(question),
                                MB_YESNOCANCEL | MB_ICONQUESTION)) {
          case IDYES:
            return TReplaceAnswer::Replace;
          case IDNO:
            return TReplaceAnswer::Keep;
          default:
            return TReplaceAnswer::Cancel;
        }
      });
  if (!plan) return false;
  if (!plan->Files.empty()) TransferFiles(plan->Files, transfer);
  // The shell says what failed in its own words where it can, but not what
  // it skipped; the user must never take a partial copy for a whole one.
  std::vector<std::wstring> missing = plan->Refused;
  for (std::wstring& source : NotArrived(*plan, transfer)) missing.push_back(std::move(source));
  // The list shows what is left before the message names what stayed.
  if (transfer == TTransfer::Move) {
    std::vector<std::wstring> folders;
    for (const TFileTarget& file : plan->Files)
      if (file.Facts.Folder) folders.push_back(file.Source);
    DropVanishedRows(picked, folders);
  }
  NameFilesLeft(transfer == TTransfer::Copy ? "These files were not copied:" : "These files were not moved:", missing);
  return true;
}

void TFileCommands::NameFilesLeft(const char* says, const std::vector<std::wstring>& files) {
  if (files.empty()) return;
  std::wstring names;
  for (size_t i = 0; i < files.size() && i < kFilesNamedAtMost; ++i) names += L"\r\n" + RealPath(files[i]);
  if (files.size() > kFilesNamedAtMost) names += L"\r\n...";
  ShowWideMessage(form_.Handle(), MultiByteToWide(MultiLang->Translate(says)) + names, MB_OK | MB_ICONWARNING);
}

std::vector<std::wstring> TFileCommands::SelectedFilesWide() {
  TStringList files;
  GetSelectedFiles(&files);
  std::vector<std::wstring> wide;
  for (int i = 0; i < files.Count(); ++i) wide.push_back(MultiByteToWide(files[i]));
  return wide;
}

void TFileCommands::DropVanishedRows(const std::vector<uint32_t>& picked, const std::vector<std::wstring>& folders) {
  // The list may have changed while the shell worked (hits of a running
  // search): the picked records are found again by identity.
  TResultList& list = form_.ResultList();
  std::vector<int> gone;
  for (int row : list.RowsOf(picked))
    if (row >= 0 && PathGone(MultiByteToWide(list.FullPath(row)))) gone.push_back(row);
  list.DeleteRows(gone);
  for (const std::wstring& folder : folders)
    if (PathGone(folder)) list.DeleteFolderRows(WideToMultiByte(folder));
}

void TFileCommands::mCopyClick() {
  TStringList files;
  GetSelectedFiles(&files);
  form_.DropFileSource->SetFiles(&files);
  form_.DropFileSource->CopyToClipboard();
}

void TFileCommands::mDeleteClick() {
  const std::vector<std::wstring> files = SelectedFilesWide();
  if (files.empty()) return;
  const std::vector<uint32_t> picked = form_.ResultList().SelectedIds();
  // The shell stops at a name it cannot find, and leaves every file after
  // it: only files that are there go, each once, and a file inside a picked
  // folder goes with the folder.
  TFileIdentities identities;
  const TPickedFiles pick = PickFiles(files, identities);
  std::vector<std::wstring> names, folders;
  for (const TPickedFile& file : pick.Files) {
    if (file.Within < 0) names.push_back(file.Path);
    if (file.Facts.Folder) folders.push_back(file.Path);
  }
  const TShellOutcome outcome = names.empty() ? TShellOutcome::Done : RecycleFiles(names);
  bool anyGone = false;
  for (const TPickedFile& file : pick.Files) anyGone = anyGone || PathGone(file.Path);
  // Every path picked is looked at again, also one the shell was not
  // given: it may be another entry than the one it was taken for.
  std::vector<std::wstring> left;
  std::set<std::wstring> named;
  for (const std::wstring& path : files)
    if (!path.empty() && !PathGone(path) && named.insert(PathKey(RealPath(path))).second) left.push_back(path);
  DropVanishedRows(picked, folders);
  // A "No" to the shell's question deletes nothing and needs no message.
  if (outcome != TShellOutcome::Cancelled || anyGone) NameFilesLeft("These files were not deleted:", left);
}

void TFileCommands::mPropClick() {
  const int row = form_.ResultList().FirstSelected();
  if (row < 0) return;
  ShowFileProperties(form_.ResultList().FullPath(row), "");
}

void TFileCommands::mListDelClick() {
  const std::vector<int> rows = form_.ResultList().SelectedIndexes();
  if (rows.empty()) return;
  form_.ResultList().DeleteRows(rows);
}

void TFileCommands::mListDelFolderClick() {
  const int row = form_.ResultList().FirstSelected();
  if (row < 0) return;
  if (MessageDlg(MultiLang->Translate("Do not show files from this folder?"), mtConfirmation, mbOK | mbCancel, 0) !=
      mrOk)
    return;
  const std::string folder(form_.ResultList().Results().Path(row));
  form_.ResultList().DeleteFolderRows(folder);
}

void TFileCommands::mReportClick() {
  TResultList& list = form_.ResultList();
  if (list.Results().Count() == 0) {
    const bool hidden = list.Filtering() && list.CompleteCount() > 0;
    Application->MessageBox(MultiLang->Translate(hidden ? "The name filter hides every file. Nothing to report."
                                                        : "No files found. Nothing to report."),
                            "Info", MB_OK);
    return;
  }
  std::string fileName;
  for (;;) {
    form_.SaveDlg->SetInitialDir("");
    if (!form_.SaveDlg->Execute()) return;
    fileName = form_.SaveDlg->FileName();
    if (!PathExists(fileName)) break;
    if (Application->MessageBox(MultiLang->Translate("File already exists! Overwrite?"), "Info", MB_OKCANCEL) ==
        IDOK)
      break;
  }
  SaveReport(fileName);
  if (ConfigForm->CheckReportOpen->Checked()) ShellOpen(nullptr, fileName, SW_SHOWNORMAL);
}

void TFileCommands::SaveReport(const std::string& fileName) {
  const TConfigForm& options = *ConfigForm;
  TReportFields fields;
  fields.All = options.CheckRAll->Checked();
  fields.FullPath = options.CheckRPath->Checked();
  fields.FileName = options.CheckRFileName->Checked();
  fields.PathOnly = options.CheckRFilePath->Checked();
  fields.DateTime = options.CheckRDate->Checked();
  fields.FileSize = options.CheckRSize->Checked();
  const bool csv = IsCsvReportName(fileName);
  const TFileInfoList& results = form_.ResultList().Results();
  std::string text;
  for (int i = 0; i < results.Count(); ++i) text += ReportLine(results.Item(i), fields, csv) + "\r\n";
  if (!ReplaceFileWith(fileName, text))
    throw EWriteError(MultiLang->Translate("The report could not be written:") + " " + fileName + "\r\n" +
                      SysErrorMessage(GetLastError()));
}

void TFileCommands::miFileClick() {
  const bool any = !form_.ResultList().SelectedIndexes().empty();
  for (TMenuItem* item : {form_.miOpen, form_.miOpenFolder, form_.miCopyTo, form_.miMoveTo, form_.miCopy,
                          form_.miDelete, form_.miProperties})
    item->SetEnabled(any);
}

void TFileCommands::ListViewMouseDown(int x, int y) { DragStart = POINT{x, y}; }

void TFileCommands::ListViewMouseMove(TShiftState shift, int x, int y) {
  if (DragStart.x == -1 && DragStart.y == -1) return;
  const TShiftState buttons = shift & (ssShift | ssAlt | ssCtrl | ssLeft | ssRight | ssMiddle);
  if (buttons != ssLeft && buttons != ssRight) return;
  if (std::abs(x - DragStart.x) < kDragDistance && std::abs(y - DragStart.y) < kDragDistance) return;
  TStringList files;
  GetSelectedFiles(&files);
  if (files.Count() == 0) return;
  form_.DropFileSource->SetFiles(&files);
  form_.DropFileSource->Execute();
}
