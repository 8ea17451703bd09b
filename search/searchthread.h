// TFindFile: the worker that carries out one search, of one start folder
// (folder mode) or of a list of paths (list mode). Each directory entry is
// tested by name against the masks, by last-write time against a date range,
// and by contents against a containing and a not-containing text (documents
// turned into text first); zip archives can be looked into. Every hit and
// every folder the walk starts reaches the main thread through a
// synchronised call, in the order found; to spare round trips between the
// threads, reports made within a few milliseconds of each other share one
// call. What is waiting is handed over at a pause, at the end of the run,
// and before anything that may take a while is read: a document, an
// archive, a file of more than one read block.
//
// The main window creates the thread suspended, sets its criteria, and
// starts it with Start. Stop is: Suspend, SetFreeOnTerminate(true),
// SetOnTerminate(nullptr), Terminate, Resume; the thread notices at the start
// of its next folder, before its next directory entry or listed path (a file
// being read is abandoned at its next block), and ends without another
// report: a hit or folder report that reaches the main thread after
// Terminate is dropped there.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "classlib/datetime.h"
#include "classlib/findfile.h"
#include "classlib/masks.h"
#include "classlib/stringlist.h"
#include "classlib/thread.h"
#include "search/codepageset.h"

class TFolderIndex;
class TStringSearch;

// The entry being tested, as the found-file handler reads it.
struct TFoundItem {
  TSearchRec SearchRec;  // as the find calls filled it
  std::string FullName;  // full path; for a hit inside a zip archive, the archive
  // The entry's own name as masks, the choice of text converter and the zip
  // rule see it, where FullName and SearchRec.Name may end in its short name
  // (a name the code page cannot hold, a path too long): in the code page,
  // with "?" for each character the code page lacks.
  std::string RealName;
  // Text around the first occurrence of the containing text; before the
  // contents are tested it holds the containing text itself (8-bit), after a
  // failed search it is empty.
  std::string Context;
};

// The record is valid only during the call.
using TFileFoundEvent = std::function<void(TObject* Sender, const TFoundItem& Found)>;

// Results of the last entry test.
enum : uint8_t {
  isMatched = 0,
  isRejected = 1,
  isFailed = 3,  // an exception while the contents were read or searched
};

// A local date-time as a UTC file time, converted by the time-zone rules in
// force on that date.
uint64_t DateTimeToUtcFileTime(TDateTime local);

class TFindFile : public TThread {
public:
  // Suspended, with PauseRequest set.
  TFindFile();
  // A thread still running is told to terminate and waited for (by an owner
  // that does not let it free itself).
  ~TFindFile() override;

  // Cuts the mask text into Masks (see SplitMaskText).
  void SetMasks(const std::string& maskText);
  // "" gives "C:"; one trailing "\" is removed ("D:\" gives "D:").
  void SetPath(const std::string& text);
  void SetRecurse(bool value) { recurse_ = value; }
  // Local date-times; stored as UTC file times.
  void SetDateFrom(TDateTime local) { dateFrom_ = DateTimeToUtcFileTime(local); }
  void SetDateTo(TDateTime local) { dateTo_ = DateTimeToUtcFileTime(local); }

  // List mode's paths. A plain list is copied here, whole, so the caller may
  // free or change it at once ("In results" lists every result). The folder
  // index is read when the run starts, under its guard, and only the paths
  // below StartFolder are tested (only those directly in it without
  // Recurse). nullptr: no list, so the thread walks StartFolder.
  void SetPathList(const TStrings* list);
  void SetPathList(const TFolderIndex* index);
  bool HasPathList() const { return hasPathList_; }

  // Clears PauseRequest and resumes the thread if it is suspended.
  void Start();

  // Criteria the main window sets directly before the start.
  std::wstring ContainsText;     // empty: no such test
  std::wstring NotContainsText;  // empty: no such test
  bool CaseSensitive = false;
  TCodePageSet CodePages = 0;
  bool UseDates = false;
  bool InZip = false;            // also look inside zip archives
  bool ListMode = false;         // test the path list instead of walking StartFolder
  TFileFoundEvent OnFileFound;   // main thread, once per hit
  TNotifyEvent OnFolder;         // main thread, once per folder started (once per run in list mode)

  bool PauseRequest() const { return pauseRequest_; }
  bool Recurse() const { return recurse_; }
  const std::string& StartFolder() const { return startFolder_; }
  const TStringList& Masks() const { return masks_; }
  int32_t FindAttr() const { return findAttr_; }
  uint64_t DateFrom() const { return dateFrom_; }
  uint64_t DateTo() const { return dateTo_; }
  // The mask being tried; after the mask loop, the last one tried.
  const std::string& CurrentMask() const { return currentMask_; }
  uint8_t ItemState() const { return itemState_; }
  // The entry being tested (a handler gets the record of its own hit).
  const TFoundItem& Found() const { return found_; }
  // Entries the run left out for want of a path the 8-bit calls open (a
  // name the code page cannot hold without a short name, a path too long
  // even by short names); read once the run has ended.
  int LeftOut() const { return leftOut_; }
  // Set only while HandleException runs.
  std::exception_ptr ExceptionObject() const { return exceptionObject_; }

protected:
  void Execute() override;
  // An exception that ended the run: shown once in the main thread, unless
  // it is EAbort or the thread has been told to terminate.
  virtual void HandleException();

private:
  class TRunScope;

  void SearchFolders();
  void SearchFolder(const std::string& path);
  void SearchFileList();
  void ProcessListedFile(const std::string& path);
  // The mask loop and the zip rule for one entry: in folder mode found_
  // already holds it; a listed path is looked up once a mask matches
  // found_.RealName.
  void TestEntry(const std::string* listedPath);
  void TestContents();
  bool InDateRange() const;
  bool SearchInZip(const std::string& archive);
  bool MaskMatches(size_t index, const std::string& name);
  // Pause point: waits while PauseRequest is set or the thread is asked to
  // pause, unless it is told to terminate.
  void WaitWhilePaused();
  // Hits and folder starts wait in reports_ and reach the main thread
  // together, in their order, in one synchronised call (see FlushReports).
  struct TReport {
    bool folder;
    TFoundItem found;
  };
  void FileFound();
  void FolderStarted();
  void Queue(TReport&& report);
  void FlushReportsIfDue();
  void FlushReports();
  // nullptr for an empty text.
  std::unique_ptr<TStringSearch> MakeMatcher(const std::wstring& text) const;

  std::atomic<bool> pauseRequest_{true};
  HANDLE startEvent_ = nullptr;  // signalled by Start
  bool recurse_ = true;
  int32_t findAttr_ = faAnyFile;
  std::string currentMask_ = "*.*";
  TStringList masks_;
  std::string startFolder_ = "C:";
  uint64_t dateFrom_ = 0;
  uint64_t dateTo_ = 0;
  TFoundItem found_;
  uint8_t itemState_ = isRejected;
  std::atomic<int> leftOut_{0};
  std::exception_ptr exceptionObject_;

  bool hasPathList_ = false;
  std::vector<std::string> pathList_;       // a plain list's copy, or the index's at the start
  const TFolderIndex* pathIndex_ = nullptr;

  // Built per run.
  std::vector<std::string> maskTexts_;
  std::string containsText8_;
  bool hasText_ = false;
  std::unique_ptr<TStringSearch> containsMatcher_;
  std::unique_ptr<TStringSearch> notContainsMatcher_;
  std::vector<std::optional<TMask>> compiledMasks_;
  std::optional<TMask> zipMask_;
  std::vector<TReport> reports_;
  ULONGLONG oldestReport_ = 0;
};
