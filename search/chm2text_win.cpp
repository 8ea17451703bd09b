#include "search/chm2text.h"

#include <windows.h>

#include <atomic>

#include "classlib/exceptions.h"
#include "classlib/findfile.h"
#include "classlib/paths.h"
#include "classlib/strutils.h"
#include "search/chmfolder.h"
#include "search/extract/chmpages.h"
#include "shell/folders.h"
#include "shell/runandwait.h"

namespace {

constexpr const char* kFolderPrefix = "_ovalis.";
// Names tried before giving up; only a temporary folder crowded with our own
// leftovers could use them all.
constexpr uint32_t kFolderAttempts = 65536;

// How long the removal of the extraction folder is retried: the decompiler
// and its console host have ended when RunAndWait returns, but another
// program may still hold what they wrote for a moment (a virus scanner
// reading the new pages, say).
constexpr int kRemoveAttempts = 40;
constexpr DWORD kRemoveRetryDelay = 50;

// Removes the extraction folder on every way out of the constructor.
class TFolderRemover {
public:
  explicit TFolderRemover(std::string folder) : folder_(std::move(folder)) {}
  ~TFolderRemover() {
    for (int attempt = 0; attempt < kRemoveAttempts; ++attempt) {
      if (attempt > 0) Sleep(kRemoveRetryDelay);
      DeleteTree(folder_);
      if (GetFileAttributesA(folder_.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    }
  }
  TFolderRemover(const TFolderRemover&) = delete;
  TFolderRemover& operator=(const TFolderRemover&) = delete;

private:
  std::string folder_;
};

[[noreturn]] void RaiseFolderError(const std::string& folder, DWORD code) {
  throw EOSError(code, "Cannot create folder " + folder + ". " + SysErrorMessage(code));
}

bool FolderExists(const std::string& folder) {
  DWORD attributes = GetFileAttributesA(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Creates folder and whatever parents it lacks; an existing folder (a drive's
// root included, which refuses to be created) is fine.
void ForceFolder(const std::string& folder) {
  if (CreateDirectoryA(folder.c_str(), nullptr)) return;
  DWORD code = GetLastError();
  if (code == ERROR_ALREADY_EXISTS || FolderExists(folder)) return;
  std::string parent = ExtractFileDir(folder);
  if (code != ERROR_PATH_NOT_FOUND || parent.empty() || parent == folder) RaiseFolderError(folder, code);
  ForceFolder(parent);
  if (!CreateDirectoryA(folder.c_str(), nullptr) && !FolderExists(folder))
    RaiseFolderError(folder, GetLastError());
}

// A different starting number for every extraction of every process, so the
// first name tried is nearly always free.
uint32_t FirstCandidate() {
  static std::atomic<uint32_t> counter{0};
  return GetCurrentProcessId() * 0x10001u ^ static_cast<uint32_t>(GetTickCount64()) ^
         (counter.fetch_add(1) * 0x9E3779B9u);
}

// A path handed to the decompiler as one argument even when it holds spaces.
// The paths here never end in "\", which would escape the closing quote.
std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// The decompiler runs in its own folder, so a relative name must not reach it.
std::string FullPath(const std::string& fileName) {
  DWORD size = GetFullPathNameA(fileName.c_str(), 0, nullptr, nullptr);
  if (size == 0) return fileName;
  std::string path(size, '\0');
  DWORD length = GetFullPathNameA(fileName.c_str(), size, path.data(), nullptr);
  if (length == 0 || length >= size) return fileName;
  path.resize(length);
  return path;
}

// The system's decompiler by its full path: a bare name would be looked for
// in the program's and the current folder first, and run from there. ""
// when the Windows folder is unknown.
std::string HelpDecompiler() {
  char folder[MAX_PATH + 1] = {};
  UINT length = GetSystemWindowsDirectoryA(folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return "";
  return IncludeTrailingBackslash(std::string(folder, length)) + "hh.exe";
}

// The help file's own reader, for when the decompiler wrote no page (Wine's
// writes none) or is missing: the pages go to the same folder, within the
// reader's limits. A file that cannot be opened gives none, as it does to
// the decompiler.
void ExtractPages(const std::string& fileName, const std::string& folder) {
  try {
    TFileStream source(fileName, fmOpenRead | fmShareDenyNone);
    TChmFolderWriter writer(folder);
    ExtractChmPages(source, writer);
  } catch (const EFOpenError&) {
  }
}

}  // namespace

std::string CreateExtractionFolder(const std::string& parent, const std::string& prefix, uint32_t first) {
  bool parentsMade = false;
  for (uint32_t i = 0; i < kFolderAttempts;) {
    std::string folder = parent + prefix + IntToHex(first + i, 8);
    if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
    DWORD code = GetLastError();
    if (code == ERROR_ALREADY_EXISTS) {
      ++i;
      continue;
    }
    if (code == ERROR_PATH_NOT_FOUND && !parentsMade && !parent.empty()) {
      ForceFolder(ExcludeTrailingBackslash(parent));
      parentsMade = true;
      continue;
    }
    RaiseFolderError(folder, code);
  }
  RaiseFolderError(parent + prefix + "*", ERROR_ALREADY_EXISTS);
}

TChm2Text::TChm2Text(const std::string& fileName) : TTextExtractor(fileName) {
  std::string temp = GetTempDir();
  if (temp.empty()) throw EOSError(ERROR_PATH_NOT_FOUND, "No temporary folder");
  const std::string folder = CreateExtractionFolder(temp, kFolderPrefix, FirstCandidate());
  TFolderRemover remover(folder);
  // A decompiler that never ends is stopped by RunAndWait's time-out; what it
  // wrote by then is still collected.
  const std::string decompiler = HelpDecompiler();
  if (!decompiler.empty())
    RunAndWait(Quoted(decompiler) + " -decompile " + Quoted(folder) + " " + Quoted(FullPath(fileName)), folder, SW_HIDE);
  const TChmLimits limits{};
  TCollectBudget budget{limits.pages, limits.bytes};
  if (Collect(folder, budget) == 0) {
    ExtractPages(fileName, folder);
    Collect(folder, budget);
  }
  Output().SetPosition(0);
}

// Pages are appended in the order the system lists them, a subfolder's pages
// at the place where the subfolder is listed, within the limits of the help
// file's reader: a page that would pass one is not taken.
int TChm2Text::Collect(const std::string& folder, TCollectBudget& budget) {
  int pages = 0;
  const std::string base = IncludeTrailingBackslash(folder);
  TSearchRec rec;
  TFindScope scope(rec);
  for (int found = FindFirst(base + "*.*", faAnyFile, rec); found == 0 && budget.pages > 0; found = FindNext(rec)) {
    const std::string path = base + rec.Name;
    if ((rec.Attr & faDirectory) != 0) {
      if (rec.Name == "." || rec.Name == "..") continue;
      // The decompiler makes no links; one found here leads outside the folder.
      if ((rec.Attr & FILE_ATTRIBUTE_REPARSE_POINT) != 0) continue;
      pages += Collect(path, budget);
    } else if (IsChmTextPage(rec.Name)) {
      TFileStream page(path, fmOpenRead | fmShareDenyNone);
      const uint64_t size = static_cast<uint64_t>(page.Size());
      if (size > budget.bytes) continue;
      Output().CopyFrom(page, 0);
      budget.bytes -= size;
      --budget.pages;
      ++pages;
    }
  }
  return pages;
}
