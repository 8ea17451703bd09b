// Helpers of the search-thread and indexer tests: fixture trees under the
// temporary folder, a recording handler, running a search to its end while
// the main thread serves its synchronised calls, and a reference walk.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "classlib/application.h"
#include "fresh_folder_win.h"
#include "host_link_win.h"
#include "pump_until_win.h"
#include "classlib/codepage.h"
#include "classlib/filetime.h"
#include "search/searchthread.h"
#include "shell/openablepath.h"

namespace search_test {

// A fresh folder under the temporary folder, deleted with everything in it
// when the object ends.
class TTree {
public:
  TTree() : root_(MakeFreshTempFolder("ovalis-search-")) {}
  ~TTree() { DeleteTree(MultiByteToWide(root_)); }
  TTree(const TTree&) = delete;
  TTree& operator=(const TTree&) = delete;

  // The folder, without a trailing "\".
  const std::string& Root() const { return root_; }
  std::string operator/(const std::string& relative) const { return root_ + "\\" + relative; }

  // Creates the file (and the folders on its way) holding bytes.
  std::string File(const std::string& relative, const std::string& bytes = "") const {
    MakeParents(relative);
    const std::string path = *this / relative;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return path;
  }
  std::string Folder(const std::string& relative) const {
    MakeParents(relative + "\\x");
    return *this / relative;
  }
  // The same for a path in wide text, at any depth.
  void WideFile(const std::wstring& relative, const std::string& bytes) const {
    const std::wstring root = MultiByteToWide(root_) + L"\\";
    for (size_t i = relative.find(L'\\'); i != std::wstring::npos; i = relative.find(L'\\', i + 1))
      CreateDirectoryW(ExtendedLengthPath(root + relative.substr(0, i)).c_str(), nullptr);
    HANDLE h = CreateFileW(ExtendedLengthPath(root + relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
  }
  // The real (long, wide) path of an existing path, relative to the root.
  std::wstring RealRelative(const std::string& path) const {
    wchar_t real[1024] = {};
    const DWORD n = GetLongPathNameW(MultiByteToWide(path).c_str(), real, 1024);
    std::wstring root(1024, L'\0');
    root.resize(GetLongPathNameW(MultiByteToWide(root_).c_str(), root.data(), 1024));
    const std::wstring full(real, n < 1024 ? n : 0);
    return full.compare(0, root.size() + 1, root + L"\\") == 0 ? full.substr(root.size() + 1) : full;
  }
  // Sets the last-write time of a file or folder.
  void SetWriteTime(const std::string& relative, uint64_t utc) const {
    const std::string path = *this / relative;
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    const FILETIME ft = UInt64ToFileTime(utc);
    EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &ft)) << path;
    CloseHandle(h);
  }
  // The path relative to the root.
  std::string Relative(const std::string& path) const {
    return path.compare(0, root_.size() + 1, root_ + "\\") == 0 ? path.substr(root_.size() + 1) : path;
  }

private:
  void MakeParents(const std::string& relative) const {
    for (size_t i = relative.find('\\'); i != std::string::npos; i = relative.find('\\', i + 1))
      CreateDirectoryA((*this / relative.substr(0, i)).c_str(), nullptr);
  }
  static void DeleteTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(ExtendedLengthPath(folder + L"\\*").c_str(), &data);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring full = folder + L"\\" + name;
        const std::wstring extended = ExtendedLengthPath(full);
        SetFileAttributesW(extended.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) RemoveFolderLink(WideToMultiByte(full));
        else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) DeleteTree(full);
        else DeleteFileW(extended.c_str());
      } while (FindNextFileW(h, &data));
      FindClose(h);
    }
    RemoveDirectoryW(ExtendedLengthPath(folder).c_str());
  }

  std::string root_;
};

// The extractor tests' fixtures.
inline std::string DataFile(const std::string& name) {
  return std::string(OVALIS_TEST_DATA) + "\\..\\extract\\data\\" + name;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A part of a path DEPTH levels deep.
inline std::wstring DeepFolders(int depth) {
  std::wstring path;
  for (int i = 0; i < depth; ++i) path += L"folder_with_a_long_name_" + std::to_wstring(i) + L"\\";
  return path;
}

// Names the system code page cannot hold beside siblings bearing the
// lookalikes the 8-bit calls make of them (on a Western system and on a
// Cyrillic one), a Word file known by its short name, and files deeper than
// the 8-bit calls reach, the last too deep for short names too. Gives the
// files holding "needle" that a search can reach, sorted.
inline std::vector<std::wstring> MakeForeignTree(const TTree& tree) {
  for (const wchar_t* lookalike : {L"L\u00F3dz.txt", L"Lodz.txt", L"cafe.txt", L"Gdansk\\inner.txt"})
    tree.WideFile(lookalike, "nothing");
  std::vector<std::wstring> needles = {L"\u0141\u00F3d\u017A.txt", L"caf\u00E9.txt", L"Gda\u0144sk\\inner.txt",
                                       L"\u041F\u0430\u043F\u043A\u0430\\inner.txt", DeepFolders(12) + L"deep.txt"};
  for (const std::wstring& needle : needles) tree.WideFile(needle, "needle");
  tree.WideFile(L"\u0141\u00F3d\u017A.docx", ReadBytes(DataFile("docx_pandoc.docx")));
  needles.push_back(L"\u0141\u00F3d\u017A.docx");
  tree.WideFile(DeepFolders(30) + L"too deep.txt", "needle");
  std::sort(needles.begin(), needles.end());
  return needles;
}

// The real paths of what a search reported, relative to tree, sorted; each
// reported path must open and lie within the 8-bit calls' reach.
inline std::vector<std::wstring> RealHits(const TTree& tree, const std::vector<TFoundItem>& hits) {
  std::vector<std::wstring> real;
  for (const TFoundItem& hit : hits) {
    EXPECT_LT(hit.FullName.size(), static_cast<size_t>(MAX_PATH)) << hit.FullName;
    EXPECT_NE(GetFileAttributesA(hit.FullName.c_str()), INVALID_FILE_ATTRIBUTES) << hit.FullName;
    real.push_back(tree.RealRelative(hit.FullName));
  }
  std::sort(real.begin(), real.end());
  return real;
}

// What a search reported, in order: "<folder>" for each folder started, the
// path relative to the tree for each hit.
struct TRecording {
  std::vector<std::string> events;
  std::vector<std::string> contexts;  // of the hits, in order
  std::vector<TFoundItem> hits;
  int folders = 0;
  int leftOut = 0;  // entries the search left out, filled by Search

  std::vector<std::string> Hits() const {
    std::vector<std::string> names;
    for (const std::string& e : events)
      if (e != "<folder>") names.push_back(e);
    return names;
  }
  std::vector<std::string> SortedHits() const {
    std::vector<std::string> names = Hits();
    std::sort(names.begin(), names.end());
    return names;
  }
};

// Assigns handlers that record into recording (paths relative to tree).
inline void Record(TFindFile& search, TRecording& recording, const TTree& tree) {
  search.OnFileFound = [&recording, &tree](TObject*, const TFoundItem& found) {
    EXPECT_EQ(GetCurrentThreadId(), MainThreadID);
    recording.events.push_back(tree.Relative(found.FullName));
    recording.contexts.push_back(found.Context);
    recording.hits.push_back(found);
  };
  search.OnFolder = [&recording](TObject*) {
    EXPECT_EQ(GetCurrentThreadId(), MainThreadID);
    recording.events.push_back("<folder>");
    ++recording.folders;
  };
}

// Starts a configured search and waits, serving its calls, until it ends.
inline void RunToEnd(TFindFile& search) {
  search.Start();
  search.WaitFor();
}

// A search of tree's root with the given mask text, run to its end.
inline TRecording Search(const TTree& tree, const std::string& masks,
                         const std::function<void(TFindFile&)>& configure = {}) {
  TRecording recording;
  TFindFile search;
  search.SetMasks(masks);
  search.SetPath(tree.Root());
  search.CodePages = cpAllCodePages;
  Record(search, recording, tree);
  if (configure) configure(search);
  RunToEnd(search);
  recording.leftOut = search.LeftOut();
  return recording;
}

// Sets an environment variable (which programs started meanwhile inherit)
// and puts the old value back when the object ends.
class ScopedEnv {
public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    char old[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableA(name, old, sizeof old);
    had_ = n > 0 && n < sizeof old;
    if (had_) old_.assign(old, n);
    SetEnvironmentVariableA(name, value.c_str());
  }
  ~ScopedEnv() { SetEnvironmentVariableA(name_, had_ ? old_.c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

// Keeps run-level messages of search threads from opening message boxes.
class TCapturedMessages {
public:
  TCapturedMessages() {
    previous_ = Application->OnException;
    Application->OnException = [this](TObject*, const Exception& e) { messages.push_back(e.Message()); };
  }
  ~TCapturedMessages() { Application->OnException = previous_; }
  TCapturedMessages(const TCapturedMessages&) = delete;
  TCapturedMessages& operator=(const TCapturedMessages&) = delete;
  std::vector<std::string> messages;

private:
  TExceptionEvent previous_;
};

}  // namespace search_test
