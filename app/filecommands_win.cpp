#include "app/filecommands_win.h"

#include <shellapi.h>

#include <cstdlib>
#include <optional>
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
#include "classlib/label.h"
#include "classlib/stringlist.h"
#include "classlib/strutils.h"
#include "search/resultreport.h"
#include "shell/dropfilesource.h"
#include "shell/fileops.h"
#include "shell/openablepath.h"

namespace {

const char kHomePage[] = "https://www.marnok.example/ovalis";
const char kSupportMail[] = "mailto:support@marnok.example";
constexpr int kDragDistance = 10;

// A message that lists files names this many, then says there are more.
constexpr size_t kFilesNamedAtMost = 20;

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

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
  const std::vector<uint32_t> picked = form_.ResultList().SelectedIds();
  if (MessageDlg(MultiLang->Translate("Please confirm moving selected files to") + " " + folder, mtConfirmation,
                 mbOK | mbCancel, 0) != mrOk)
    return;
  if (Transfer(files, folder, TTransfer::Move)) DropVanishedRows(picked);
}

bool TFileCommands::Transfer(const std::vector<std::wstring>& files, const std::string& folder, TTransfer transfer) {
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
  if (missing.empty()) return true;
  std::wstring names;
  for (size_t i = 0; i < missing.size() && i < kFilesNamedAtMost; ++i) names += L"\r\n" + RealPath(missing[i]);
  if (missing.size() > kFilesNamedAtMost) names += L"\r\n...";
  const char* says = transfer == TTransfer::Copy ? "These files were not copied:" : "These files were not moved:";
  ShowWideMessage(owner, MultiByteToWide(MultiLang->Translate(says)) + names, MB_OK | MB_ICONWARNING);
  return true;
}

std::vector<std::wstring> TFileCommands::SelectedFilesWide() {
  TStringList files;
  GetSelectedFiles(&files);
  std::vector<std::wstring> wide;
  for (int i = 0; i < files.Count(); ++i) wide.push_back(MultiByteToWide(files[i]));
  return wide;
}

void TFileCommands::DropVanishedRows(const std::vector<uint32_t>& picked) {
  // The list may have changed while the shell worked (hits of a running
  // search): the picked records are found again by identity.
  TResultList& list = form_.ResultList();
  std::vector<int> gone;
  for (int row : list.RowsOf(picked))
    if (row >= 0 && !PathExists(list.FullPath(row))) gone.push_back(row);
  list.DeleteRows(gone);
}

void TFileCommands::mCopyClick() {
  TStringList files;
  GetSelectedFiles(&files);
  form_.DropFileSource->SetFiles(&files);
  form_.DropFileSource->CopyToClipboard();
}

void TFileCommands::mDeleteClick() {
  TStringList files;
  GetSelectedFiles(&files);
  if (files.Count() == 0) return;
  const std::vector<uint32_t> picked = form_.ResultList().SelectedIds();
  // Whatever the shell reports (a user who stops it half-way has some files
  // deleted), only the rows of files that are gone leave the list.
  DeleteToRecycleBin(files);
  DropVanishedRows(picked);
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
  if (form_.ResultList().Results().Count() == 0) {
    Application->MessageBox(MultiLang->Translate("No files found. Nothing to report."), "Info", MB_OK);
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
  TStringList lines;
  for (int i = 0; i < results.Count(); ++i) lines.Add(ReportLine(results.Item(i), fields, csv));
  lines.SaveToFile(fileName);
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
