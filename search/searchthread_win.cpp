#include "search/searchthread.h"

#include <cstring>

#include "classlib/boundary.h"
#include "classlib/codepage.h"
#include "classlib/exceptions.h"
#include "classlib/filetime.h"
#include "classlib/paths.h"
#include "classlib/streams.h"
#include "search/documenttext.h"
#include "search/folderentries.h"
#include "search/extract/zipfile.h"
#include "search/folderindex.h"
#include "search/searchedstream.h"
#include "search/searchmasks.h"
#include "search/stringsearch.h"
#include "search/threadowner.h"
#include "shell/runandwait.h"

namespace {

// How often a thread resumed without Start looks whether it has been told
// to terminate (Terminate does not signal the start event).
constexpr DWORD kPausePoll = 50;

// Hits and folder starts are handed to the main thread in batches: each
// synchronised call is a round trip between two threads (and, under Wine,
// through the file server), dearer than testing a small file. A report
// waits at most this long, or until a pause or the end of the run, and a
// batch holds at most kMaxBatch reports.
constexpr ULONGLONG kReportDelay = 20;
constexpr size_t kMaxBatch = 512;

// The search running on this thread, for the run-and-wait and conversion
// hooks: a document converter that runs a program (the CHM decompiler) stops
// waiting for it, and one that works through many streams (PDF) stops
// between them, once the search has been told to terminate.
thread_local const TFindFile* runningSearch = nullptr;

bool RunningSearchToldToTerminate() { return runningSearch != nullptr && runningSearch->Terminated(); }

bool IsFolder(const TSearchRec& rec) { return (rec.Attr & faDirectory) != 0; }

// Entries the class library's find calls would leave out for an attribute
// mask (hidden, system, volume and folder entries unless asked for).
bool Excluded(const WIN32_FIND_DATAA& data, int32_t findAttr) {
  constexpr int32_t kSkippable = faHidden | faSysFile | faVolumeID | faDirectory;
  return (static_cast<int32_t>(data.dwFileAttributes) & ~findAttr & kSkippable) != 0;
}

// A listed path as a directory entry; false when it is not there. The
// attribute query gives everything a find call would but the short name, at
// a fraction of the cost (a find call lists the parent folder under Wine).
bool LookUp(const std::string& path, int32_t findAttr, TSearchRec& rec) {
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes)) return false;
  WIN32_FIND_DATAA data{};
  CopyAttributesTimesAndSize(attributes, data);
  const std::string name = ExtractFileName(path);
  if (name.empty() || name.size() >= sizeof data.cFileName) return false;
  std::memcpy(data.cFileName, name.c_str(), name.size() + 1);
  if (Excluded(data, findAttr)) return false;
  FillSearchRec(data, rec);
  return true;
}

// Lends a stream to a matcher for one search; the matcher never keeps it.
class TLentStream {
public:
  TLentStream(TStringSearch& matcher, TStream& stream) : matcher_(matcher) { matcher_.SetStream(&stream); }
  ~TLentStream() { matcher_.SetStream(nullptr); }
  TLentStream(const TLentStream&) = delete;
  TLentStream& operator=(const TLentStream&) = delete;

private:
  TStringSearch& matcher_;
};

}  // namespace

uint64_t DateTimeToUtcFileTime(TDateTime local) { return FileTimeToUInt64(LocalDateTimeToUtcFileTime(local)); }

// What one run sets up and takes down again, also when it ends by an
// exception: the hook's view of this thread, the matchers and the masks.
class TFindFile::TRunScope {
public:
  explicit TRunScope(TFindFile& search) : search_(search) {
    runningSearch = &search;
    search.maskTexts_ = search.masks_.ToVector();
    search.compiledMasks_.assign(search.maskTexts_.size(), std::nullopt);
    search.containsText8_ = WideToMultiByte(search.ContainsText);
    search.hasText_ = !search.ContainsText.empty() || !search.NotContainsText.empty();
  }
  ~TRunScope() {
    search_.containsMatcher_.reset();
    search_.notContainsMatcher_.reset();
    search_.compiledMasks_.clear();
    search_.reports_.clear();
    runningSearch = nullptr;
  }
  TRunScope(const TRunScope&) = delete;
  TRunScope& operator=(const TRunScope&) = delete;

private:
  TFindFile& search_;
};

TFindFile::TFindFile() : TThread(true) {
  startEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (startEvent_ == nullptr) RaiseLastOSError();
  pauseRequest_ = Suspended();
  dateFrom_ = DateTimeToUtcFileTime(Date());
  dateTo_ = DateTimeToUtcFileTime(Now());
  SetRunAndWaitShouldStop(&RunningSearchToldToTerminate);
  SetConversionShouldStop(&RunningSearchToldToTerminate);
}

TFindFile::~TFindFile() {
  EndThreadForOwner(*this);
  if (startEvent_ != nullptr) CloseHandle(startEvent_);
}

void TFindFile::SetMasks(const std::string& maskText) {
  masks_.Clear();
  for (const std::string& mask : SplitMaskText(maskText)) masks_.Add(mask);
}

void TFindFile::SetPath(const std::string& text) {
  if (text.empty()) {
    startFolder_ = "C:";
    return;
  }
  startFolder_ = text;
  if (IsPathDelimiter(startFolder_, startFolder_.size() - 1)) startFolder_.pop_back();
}

void TFindFile::SetPathList(const TStrings* list) {
  pathIndex_ = nullptr;
  pathList_ = list != nullptr ? list->ToVector() : std::vector<std::string>();
  hasPathList_ = list != nullptr;
}

void TFindFile::SetPathList(const TFolderIndex* index) {
  pathList_.clear();
  pathIndex_ = index;
  hasPathList_ = index != nullptr;
}

void TFindFile::Start() {
  pauseRequest_ = false;
  SetEvent(startEvent_);
  if (Suspended()) Resume();
}

void TFindFile::WaitWhilePaused() {
  // Whatever was found before a pause is seen before it.
  if ((pauseRequest_ || Suspended()) && !Terminated()) FlushReports();
  CheckPaused();
  while (pauseRequest_ && !Terminated()) {
    WaitForSingleObject(startEvent_, kPausePoll);
    CheckPaused();
  }
}

void TFindFile::Execute() {
  exceptionObject_ = nullptr;
  TRunScope run(*this);
  try {
    if (ListMode && hasPathList_) SearchFileList();
    else SearchFolders();
    FlushReports();
  } catch (...) {
    exceptionObject_ = std::current_exception();
    // What was found before the failure comes before its message.
    try {
      FlushReports();
    } catch (...) {
    }
    HandleException();
    exceptionObject_ = nullptr;
  }
}

void TFindFile::HandleException() {
  try {
    std::rethrow_exception(exceptionObject_);
  } catch (const EAbort&) {
    return;
  } catch (...) {
  }
  // A stopped search has nothing more to say.
  if (Terminated()) return;
  const std::exception_ptr error = exceptionObject_;
  try {
    Synchronize([this, error] {
      if (!Terminated()) HandleBoundaryException(error);
    });
  } catch (...) {
  }
}

std::unique_ptr<TStringSearch> TFindFile::MakeMatcher(const std::wstring& text) const {
  if (text.empty()) return nullptr;
  auto matcher = std::make_unique<TStringSearch>();
  matcher->SetCaseSensitive(CaseSensitive);
  matcher->SetCodePages(CodePages);
  matcher->SetSearchText(text);
  return matcher;
}

void TFindFile::SearchFolders() {
  containsMatcher_ = MakeMatcher(ContainsText);
  notContainsMatcher_ = MakeMatcher(NotContainsText);
  SearchFolder(startFolder_);
}

void TFindFile::SearchFolder(const std::string& path) {
  if (Terminated()) return;
  std::vector<std::string> subfolders;
  FolderStarted();
  {
    TFolderEntries entries(path);
    while (!Terminated() && entries.Next()) {
      WaitWhilePaused();
      if (Terminated()) break;
      FlushReportsIfDue();
      if (Excluded(entries.Data(), findAttr_)) continue;
      FillSearchRec(entries.Data(), found_.SearchRec);
      found_.FullName = entries.Path();
      found_.RealName = entries.RealName();
      found_.Context = containsText8_;
      itemState_ = isRejected;
      TestEntry(nullptr);
      if (recurse_ && entries.IsFolder() && !entries.IsLink()) subfolders.push_back(entries.Path());
    }
    leftOut_ += entries.LeftOut();
  }
  // Only one find handle per level stays open: subfolders come after.
  for (const std::string& folder : subfolders) SearchFolder(folder);
}

void TFindFile::SearchFileList() {
  if (pathIndex_ != nullptr) {
    // The indexer spelled deep paths through the folder's short names, as
    // a walk of it would.
    TFolderIndex::TBelow below = pathIndex_->PathsBelow(startFolder_, ShortFolderPath(startFolder_), recurse_);
    pathList_ = std::move(below.Paths);
    leftOut_ += below.LeftOut;
  }
  FolderStarted();
  containsMatcher_ = MakeMatcher(ContainsText);
  notContainsMatcher_ = MakeMatcher(NotContainsText);
  for (const std::string& path : pathList_) {
    if (Terminated()) break;
    ProcessListedFile(path);
  }
}

void TFindFile::ProcessListedFile(const std::string& path) {
  WaitWhilePaused();
  if (Terminated()) return;
  FlushReportsIfDue();
  itemState_ = isRejected;
  found_.RealName = RealNameOfPath(path);
  TestEntry(&path);
}

bool TFindFile::MaskMatches(size_t index, const std::string& name) {
  std::optional<TMask>& mask = compiledMasks_[index];
  if (!mask) mask.emplace(maskTexts_[index]);
  return mask->Matches(name);
}

void TFindFile::TestEntry(const std::string* listedPath) {
  // A listed path is looked up on disk only once its name matches a mask.
  bool present = listedPath == nullptr;
  bool tested = false;
  for (size_t i = 0; i < maskTexts_.size(); ++i) {
    currentMask_ = maskTexts_[i];
    if (!MaskMatches(i, found_.RealName)) continue;
    if (!present) {
      if (!LookUp(*listedPath, findAttr_, found_.SearchRec)) return;  // vanished: no further masks, no zip rule
      found_.FullName = *listedPath;
      found_.Context = containsText8_;
      present = true;
    }
    // A later mask matching the same name would test the same file again
    // with the same outcome.
    if (!tested) {
      itemState_ = isMatched;
      if (UseDates && !InDateRange()) itemState_ = isRejected;
      if (itemState_ == isMatched && hasText_) {
        if (IsFolder(found_.SearchRec)) itemState_ = isRejected;  // folders hold no text
        else TestContents();
      }
      tested = true;
    }
    if (itemState_ == isMatched) {
      FileFound();
      return;
    }
  }
  // The zip rule looks only at this entry: a listed archive that matched no
  // mask has not been looked up and is not looked into.
  if (!present || !InZip || itemState_ == isMatched || currentMask_ == "*.*") return;
  if (IsFolder(found_.SearchRec) || IsOnlineOnly(found_.SearchRec.FindData.dwFileAttributes)) return;
  if (!zipMask_) zipMask_.emplace("*.zip");
  if (!zipMask_->Matches(found_.RealName)) return;
  if (SearchInZip(found_.FullName)) FileFound();
}

bool TFindFile::InDateRange() const {
  const uint64_t written = FileTimeToUInt64(found_.SearchRec.FindData.ftLastWriteTime);
  return dateFrom_ <= written && written <= dateTo_;
}

void TFindFile::TestContents() {
  // Reading a file whose contents are online only would download it: a
  // search of a synced folder would pull the whole drive down.
  if (IsOnlineOnly(found_.SearchRec.FindData.dwFileAttributes)) {
    itemState_ = isRejected;
    return;
  }
  // What waits for the main thread goes there before anything that may take
  // a while: a document's conversion, or a file of more than one block.
  if (IsDocumentFile(found_.RealName) || found_.SearchRec.Size > TStringSearch::kDefaultBlockSize) FlushReports();
  try {
    std::unique_ptr<TTextExtractor> extractor = CreateTextExtractor(found_.FullName, found_.RealName);
    std::optional<TFileStream> file;
    TStream* source = nullptr;
    if (extractor) {
      source = &extractor->Output();
    } else {
      file.emplace(found_.FullName, fmOpenRead | fmShareDenyNone);
      source = &*file;
    }
    TSearchedStream stream(*source, *this);
    if (containsMatcher_) {
      TLentStream lent(*containsMatcher_, stream);
      containsMatcher_->Find();
      itemState_ = containsMatcher_->NotFound() ? isRejected : isMatched;
      found_.Context = containsMatcher_->Context();
    }
    if (itemState_ == isMatched && notContainsMatcher_) {
      TLentStream lent(*notContainsMatcher_, stream);
      if (notContainsMatcher_->Find()) itemState_ = isRejected;
    }
  } catch (...) {
    // Unreadable, locked, damaged or abandoned: this file does not match,
    // and the walk goes on.
    itemState_ = isFailed;
  }
}

bool TFindFile::SearchInZip(const std::string& archive) {
  FlushReports();
  // Every mask has been tried on the archive's own name, so none can raise
  // here; a damaged archive or entry is then only this file's failure.
  try {
    TZipFile zip;
    zip.Open(archive);
    TStringList& names = zip.Names();
    for (int i = 0; i < names.Count(); ++i) {
      if (Terminated()) return false;
      const std::string entry = names[i];
      const std::string name = ExtractFileName(entry);
      bool tested = false;
      bool hit = false;
      for (size_t m = 0; m < maskTexts_.size(); ++m) {
        currentMask_ = maskTexts_[m];
        if (!MaskMatches(m, name)) continue;
        if (!tested) {
          tested = true;
          hit = !containsMatcher_;
          if (containsMatcher_) {
            // Searched where it lies, without a copy; a damaged member is
            // empty, so it does not match.
            TZipMember member;
            zip.OpenMember(entry, member);
            TLentStream lent(*containsMatcher_, member);
            hit = containsMatcher_->Find();
            found_.Context = containsMatcher_->Context();
          }
        }
        if (hit) return true;
      }
    }
  } catch (...) {
  }
  return false;
}

void TFindFile::FileFound() {
  if (!OnFileFound) return;
  SetSearchRecTime(found_.SearchRec);
  Queue(TReport{false, found_});
}

void TFindFile::FolderStarted() {
  if (!OnFolder) return;
  Queue(TReport{true, {}});
}

void TFindFile::Queue(TReport&& report) {
  if (reports_.empty()) oldestReport_ = GetTickCount64();
  reports_.push_back(std::move(report));
  if (reports_.size() >= kMaxBatch) FlushReports();
}

void TFindFile::FlushReportsIfDue() {
  if (!reports_.empty() && GetTickCount64() - oldestReport_ >= kReportDelay) FlushReports();
}

void TFindFile::FlushReports() {
  if (reports_.empty()) return;
  std::vector<TReport> batch;
  batch.swap(reports_);
  if (Terminated()) return;
  // Stop runs on the main thread, so a call that runs after it sees the
  // flag: the rest of the batch belongs to a search that is over.
  Synchronize([this, &batch] {
    for (const TReport& report : batch) {
      if (Terminated()) return;
      if (report.folder) OnFolder(this);
      else OnFileFound(this, report.found);
    }
  });
}
