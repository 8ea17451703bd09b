#include "app/searchcontrol_win.h"

#include <windows.h>

#include "app/configform_win.h"
#include "app/findform_win.h"
#include "app/multilang.h"
#include "app/resultlist_win.h"
#include "app/widemessage_win.h"
#include "classlib/paths.h"
#include "classlib/codepage.h"
#include "classlib/combobox.h"
#include "classlib/coolbar.h"
#include "classlib/datetimepicker.h"
#include "classlib/pagecontrol.h"
#include "classlib/statusbar.h"
#include "classlib/toolbar.h"
#include "classlib/buttons.h"
#include "classlib/edits.h"
#include "classlib/label.h"
#include "classlib/stringlist.h"
#include "classlib/strutils.h"
#include "classlib/timer.h"
#include "search/filelistthread.h"
#include "search/searchthread.h"
#include "search/threadowner.h"
#include "shell/openablepath.h"
#include "shell/shelltree.h"
#include "widecontrols/widecombobox.h"

namespace {

// The end of a search flashes the window this many times, this far apart.
constexpr int kFlashes = 4;
constexpr UINT kFlashIntervalMs = 300;

bool IsFixedDrive(const std::string& path) {
  if (path.size() < 2 || path[1] != ':') return false;
  const std::string root = path.substr(0, 2) + "\\";
  return GetDriveTypeA(root.c_str()) == DRIVE_FIXED;
}


}  // namespace

TSearchControl::TSearchControl(TFindForm& form) : form_(form), flashTimer_(std::make_unique<TTimer>(nullptr)) {
  flashTimer_->SetEnabled(false);
  flashTimer_->SetInterval(kFlashIntervalMs);
  flashTimer_->OnTimer = [this](TObject*) { FlashTimerTick(); };
}

TSearchControl::~TSearchControl() { StopAndWaitForAll(); }

void TSearchControl::tbStartClick() {
  // Fields that cannot make a search leave the present results alone.
  if (!LocationChosen()) return;
  std::optional<TSearchCriteria> criteria = ReadCriteria();
  if (!criteria) return;
  // Hits of an earlier search must not land in the list this one starts.
  if (!SearchThreads.Empty()) StopAll();
  form_.ResultList().Clear();
  StartSearch(*criteria);
}

void TSearchControl::tbAddClick() {
  if (!LocationChosen()) return;
  if (std::optional<TSearchCriteria> criteria = ReadCriteria()) StartSearch(*criteria);
}

void TSearchControl::tbStopClick() {
  const bool running = !SearchThreads.Empty();
  StopAll();
  if (running) elapsed_ = Now() - StartTime;
  ShowCountAndTime();
}

void TSearchControl::tbInResultsClick() {
  std::optional<TSearchCriteria> criteria = ReadCriteria();
  if (!criteria) return;
  if (!SearchThreads.Empty()) StopAll();
  FoundCount_ = 0;
  LeftOut_ = 0;
  StartTime = Now();
  TStringList paths;
  form_.ResultList().AddFullPaths(paths);
  TFindFile* thread = NewThread(*criteria);
  thread->ListMode = true;
  thread->SetPathList(&paths);
  thread->SetPath("");
  form_.ResultList().Clear();
  SearchThreads.Append(thread);
  thread->Start();
}

bool TSearchControl::LocationChosen() {
  if (form_.pcFilePath->ActivePageIndex() != 1 || !ExcludeTrailingBackslash(form_.cbFolder->Text()).empty())
    return true;
  // An empty path would mean the whole of the first drive.
  ShowWideMessage(form_.Handle(), MultiByteToWide(MultiLang->Translate("Type or choose the folder to look in.")),
                  MB_OK | MB_ICONINFORMATION);
  if (form_.cbFolder->CanFocus()) form_.cbFolder->SetFocus();
  return false;
}

std::optional<TSearchCriteria> TSearchControl::ReadCriteria() {
  form_.KeepFieldTexts();
  TSearchCriteria criteria;
  const std::wstring maskField = form_.cbMask->Text();
  const size_t bad = FindCharOutsideAnsi(maskField);
  if (bad != std::wstring::npos) {
    // The system's code page would turn the character into "?", a wildcard
    // that lists files the user never asked for.
    const std::wstring character = maskField.substr(bad, 1);
    ShowWideMessage(form_.Handle(),
                    MultiByteToWide(MultiLang->Translate("The file name cannot be searched for: this system cannot "
                                                         "represent the character in file masks:")) +
                        L" \"" + character + L"\"",
                    MB_OK | MB_ICONWARNING);
    return std::nullopt;
  }
  criteria.MaskText = BuildNameMask(WideToMultiByte(maskField), ExtractTypeMasks(form_.cbTypes->Text()));
  criteria.ContainsText = form_.cbString->Text();
  criteria.NotContainsText = form_.cbNoString->Text();
  const TConfigForm& options = *ConfigForm;
  criteria.CaseSensitive = options.CheckCase->Checked();
  TCodePageChoice choice;
  choice.All = options.CheckAllCP->Checked();
  choice.Ansi = options.CheckAnsi->Checked();
  choice.Oem = options.CheckOEM->Checked();
  choice.Koi8 = options.CheckKOI8->Checked();
  choice.Wp5Dos = options.CheckWP5dos->Checked();
  choice.Unicode = options.CheckUnicode->Checked();
  choice.Utf8 = options.CheckUTF8->Checked();
  criteria.CodePages = CodePageSetOf(choice);
  criteria.UseDates = form_.CheckDate->Checked();
  criteria.DateFrom = form_.eDateFrom->DateTime();
  criteria.DateTo = EndOfDay(form_.eDateTo->DateTime());
  criteria.InZip = options.CheckInZip->Checked();
  if (form_.checkSize->Checked())
    criteria.SizeLimit = TSizeLimit(form_.eSize->Text(), form_.cbSize->ItemIndex(), form_.cbEquals->ItemIndex());
  return criteria;
}

TFindFile* TSearchControl::NewThread(const TSearchCriteria& criteria) {
  auto* thread = new TFindFile();
  ConfigureSearchThread(*thread, criteria);
  sizeLimits_[thread] = criteria.SizeLimit;
  thread->SetFreeOnTerminate(true);
  thread->OnFileFound = [this](TObject* sender, const TFoundItem& found) { OnFileFound(sender, found); };
  thread->OnFolder = [this](TObject* sender) { OnFolder(sender); };
  thread->SetOnTerminate([this](TObject* sender) { OnSearchTerminate(sender); });
  return thread;
}

TFileListThread* TSearchControl::NewIndexer(const std::string& path) {
  auto* indexer = new TFileListThread();
  indexer->SetDir(path);
  indexer->Recursive = true;
  indexer->Target = &FolderIndex();
  IndexThreads.Add(indexer);
  return indexer;
}

void TSearchControl::StartSearch(const TSearchCriteria& criteria) {
  FoundCount_ = 0;
  FolderCount_ = 0;
  LeftOut_ = 0;
  SetStatus(0, MultiLang->Translate("Searching..."));
  StartTime = Now();
  if (form_.pcFilePath->ActivePageIndex() == 0) SearchTickedFolders(criteria);
  else SearchSpecialPath(criteria);
  if (SearchThreads.Empty()) {
    elapsed_ = Now() - StartTime;
    ShowCountAndTime();
  }
}

void TSearchControl::SearchTickedFolders(const TSearchCriteria& criteria) {
  TShellTree& tree = *form_.ShellTree;
  const bool cache = ConfigForm->CheckCashe->Checked();
  const int count = tree.Items()->Count();
  // Threads queued before (a search still running, the search in the
  // results) look for other things: only this start's cover a folder.
  const int firstOfThisStart = SearchThreads.Count();
  for (int i = 0; i < count; ++i) {
    if (tree.GetCheckState(i) != csChecked) continue;
    const std::string path = ExcludeTrailingBackslash(tree.GetNodePath(i));
    // A virtual folder has no path: there is nothing on disk to search.
    if (path.empty()) continue;
    bool useIndex = false;
    if (cache && IsFixedDrive(path)) {
      TFileListThread* indexer = IndexThreads.FindCovering(path);
      if (indexer == nullptr) {
        indexer = NewIndexer(path);
        indexer->Resume();
      } else {
        useIndex = !indexer->Pending();
      }
    }
    if (SearchThreads.Covers(path, firstOfThisStart)) continue;
    TFindFile* thread = NewThread(criteria);
    thread->ListMode = useIndex;
    if (useIndex) thread->SetPathList(&FolderIndex());
    thread->SetPath(path);
    thread->SetRecurse(true);
    SearchThreads.Append(thread);
  }
  SearchThreads.StartFirst();
}

void TSearchControl::SearchSpecialPath(const TSearchCriteria& criteria) {
  // Every row then holds a full path: a file action must not come to act on
  // another file when the current folder moves.
  const std::string typed = form_.cbFolder->Text();
  std::string path = OpenablePath(AbsolutePath(MultiByteToWide(typed)));
  path = ExcludeTrailingBackslash(path.empty() ? typed : path);
  TFindFile* thread = NewThread(criteria);
  thread->SetPath(path);
  thread->SetRecurse(form_.CheckSubDirs->Checked());
  SearchThreads.Append(thread);
  thread->Start();
}

void TSearchControl::StartIndexers() {
  if (!ConfigForm->CheckCashe->Checked()) return;
  TShellTree& tree = *form_.ShellTree;
  const int count = tree.Items()->Count();
  for (int i = 0; i < count; ++i) {
    if (tree.GetCheckState(i) != csChecked) continue;
    const std::string path = ExcludeTrailingBackslash(tree.GetNodePath(i));
    if (path.empty() || !IsFixedDrive(path)) continue;
    SetStatus(0, MultiLang->Translate("Indexing..."));
    TFileListThread* indexer = NewIndexer(path);
    indexer->SetOnTerminate([this](TObject* sender) { OnIndexThreadTerminate(sender); });
    indexer->Resume();
  }
}

void TSearchControl::StopAndWaitForAll() {
  StopAll();
  SearchThreads.WaitForAll(kWorkerExitWaitMs);
  IndexThreads.TerminateAll();
}

void TSearchControl::OnFileFound(TObject* Sender, const TFoundItem& Found) {
  TFileInfo info = MakeFileInfo(Found, typeNames_);
  const auto limit = sizeLimits_.find(Sender);
  if (limit != sizeLimits_.end() && !limit->second.Accepts(info.Size)) return;
  ++FoundCount_;
  form_.ResultList().Add(info);
}

void TSearchControl::OnFolder(TObject* /*Sender*/) {
  ++FolderCount_;
  SetStatus(2, FormatInt(MultiLang->TranslateFormat("Processed %d folders."), FolderCount_));
}

void TSearchControl::OnSearchTerminate(TObject* Sender) {
  LeftOut_ += static_cast<TFindFile*>(Sender)->LeftOut();
  SearchThreads.Remove(Sender);
  sizeLimits_.erase(Sender);
  if (SearchThreads.AnyWaiting()) SearchThreads.StartFirst();
  if (!SearchThreads.Empty()) return;
  elapsed_ = Now() - StartTime;
  ShowCountAndTime();
  SignalEnd();
}

void TSearchControl::OnIndexThreadTerminate(TObject* Sender) {
  auto* indexer = static_cast<TFileListThread*>(Sender);
  TStatusPanel* panel2 = form_.StatusBar->Panels()->Items(2);
  panel2->SetText(panel2->Text() + " " + indexer->Dir() + " " + TimeToStr(indexer->Elapsed()));
  TStatusPanel* panel0 = form_.StatusBar->Panels()->Items(0);
  if (panel0->Text() == MultiLang->Translate("Indexing...")) panel0->SetText("");
}

void TSearchControl::ShowCountAndTime() {
  SetStatus(0, FormatInt(MultiLang->TranslateFormat("Found %d files."), FoundCount_));
  SetStatus(1, TimeToStr(elapsed_));
  if (LeftOut_ > 0)
    SetStatus(2, FormatInt(MultiLang->TranslateFormat("Processed %d folders."), FolderCount_) + " " +
                     FormatInt(MultiLang->TranslateFormat("Entries left out (no name this system can open): %d."),
                               LeftOut_));
  form_.ResultList().SyncCount();
}

void TSearchControl::SignalEnd() {
  if (ConfigForm->CheckBeep->Checked()) MessageBeep(0);
  if (!ConfigForm->CheckFlashW->Checked()) return;
  // The rhythm is kept by a timer: the window answers while it flashes.
  flashesLeft_ = kFlashes - 1;
  Flash();
  flashTimer_->SetEnabled(false);
  flashTimer_->SetEnabled(true);
}

void TSearchControl::FlashTimerTick() {
  Flash();
  if (--flashesLeft_ <= 0) flashTimer_->SetEnabled(false);
}

void TSearchControl::Flash() {
  FlashWindow(form_.Handle(), TRUE);
  FlashWindow(Application->Handle(), TRUE);
}

bool TSearchControl::Flashing() const { return flashTimer_->Enabled(); }

void TSearchControl::StopAll() {
  SearchThreads.StopAll();
  // A stopped thread reports nothing more.
  sizeLimits_.clear();
}

void TSearchControl::SetStatus(int panel, const std::string& text) {
  form_.StatusBar->Panels()->Items(panel)->SetText(text);
}
