// The compiled-help extractor against a stand-in decompiler (built from
// chm2text_hh_standin.cpp and put in the Windows folder): what it collects,
// the command line it gives, a fresh folder per extraction, the time-out for
// a decompiler that hangs, and the clean-up.
//
// data/chm_help.chm was compiled once from data/chm_help/ ("chmcmd help.hhp");
// the stand-in writes those pages back for the names the file lists.
#include "search/chm2text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "ends_within.h"
#include "process_group_win.h"
#include "search/extract/chm_crafted.h"
#include "search/extract/chmpages.h"
#include "search/hh_standin_win.h"
#include "search/search_fixtures_win.h"
#include "search/documenttext.h"
#include "search/subreport.h"
#include "shell/folders.h"
#include "shell/runandwait.h"

using search_test::ScopedEnv;

namespace {

std::string DataPath(const std::string& name) { return std::string(OVALIS_TEST_DATA) + "\\" + name; }
std::string ExtractDataPath(const std::string& name) { return DataPath("..\\extract\\data\\" + name); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Everything below folder, one name a line.
std::string Listing(const std::string& folder) {
  std::string names;
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    names += folder + "\\" + name + "\n";
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) names += Listing(folder + "\\" + name);
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  return names;
}

testing::AssertionResult FolderIsEmpty(const std::string& folder) {
  std::string names = Listing(folder);
  if (names.empty()) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "left behind:\n" << names;
}

std::string Text(TTextExtractor& extractor) {
  TMemoryStream& out = extractor.Output();
  EXPECT_EQ(out.Position(), 0);
  return std::string(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
}

// Each test has a scratch folder of its own and points the temporary folder
// into it, so what an extraction leaves behind shows, even with other tests
// (or another run of the same one) beside it.
class Chm2Text : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(search_test::InstallHelpDecompilerStandIn());
    scratch_ = GetTempDir() + "ovalis_chm_" + testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
               std::to_string(GetCurrentProcessId());
    DeleteTree(scratch_);
    ASSERT_TRUE(CreateDirectoryA(scratch_.c_str(), nullptr));
    SetTemp(scratch_ + "\\temp\\");
    ASSERT_TRUE(CreateDirectoryA(temp_.c_str(), nullptr));
    log_ = scratch_ + "\\hh.log";
    logEnv_ = std::make_unique<ScopedEnv>("OVALIS_HH_LOG", log_);
    pagesEnv_ = std::make_unique<ScopedEnv>("OVALIS_HH_PAGES", DataPath("chm_help"));
  }
  void TearDown() override {
    tmpEnv_.reset();
    tempEnv_.reset();
    DeleteTree(scratch_);
  }

  void SetTemp(const std::string& folder) {
    temp_ = folder;
    // The old setting restores its value as it ends, so it ends first.
    tmpEnv_.reset();
    tempEnv_.reset();
    tmpEnv_ = std::make_unique<ScopedEnv>("TMP", folder);
    tempEnv_ = std::make_unique<ScopedEnv>("TEMP", folder);
    ASSERT_EQ(GetTempDir(), folder);
  }

  // One run of the stand-in: its command line and the folder it was given.
  struct Run {
    std::string commandLine;
    std::string folder;
    bool folderWasEmpty;
  };
  std::vector<Run> Runs() {
    std::vector<Run> runs;
    std::vector<std::string> lines = Lines(ReadFile(log_));
    for (size_t i = 0; i + 1 < lines.size(); i += 2) {
      const std::string& second = lines[i + 1];
      size_t space = second.rfind(' ');
      runs.push_back({lines[i], second.substr(0, space), second.substr(space + 1) == "empty"});
    }
    return runs;
  }

  // The collected pages, whole, in the order the folder lists them.
  static testing::AssertionResult IsThePages(const std::string& text) {
    size_t total = 0;
    for (const char* page : kPages) {
      const std::string bytes = ReadFile(DataPath(page));
      total += bytes.size();
      if (text.find(bytes) == std::string::npos) return testing::AssertionFailure() << page << " missing: " << text;
    }
    if (text.size() != total) return testing::AssertionFailure() << "more than the pages: " << text;
    return testing::AssertionSuccess();
  }
  static constexpr const char* kPages[] = {"chm_help\\index.htm", "chm_help\\topics\\second.html",
                                           "chm_help\\notes.txt", "chm_help\\data.xml"};

  std::string scratch_;
  std::string temp_;
  std::string log_;
  std::unique_ptr<ScopedEnv> tmpEnv_, tempEnv_, logEnv_, pagesEnv_;
};

}  // namespace

// HTML, text and XML pages, in subfolders too, are appended whole with their
// tags; other files are not. The folder is gone afterwards.
TEST_F(Chm2Text, CollectsThePagesTheDecompilerWrites) {
  TChm2Text chm(DataPath("chm_help.chm"));
  const std::string text = Text(chm);
  EXPECT_TRUE(IsThePages(text));
  EXPECT_EQ(text.find("stylemarker"), std::string::npos);
  EXPECT_EQ(text.find("[OPTIONS]"), std::string::npos);

  std::vector<Run> runs = Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].folder.rfind(temp_ + "_ovalis.", 0), 0u) << runs[0].folder;
  EXPECT_EQ(runs[0].commandLine, "\"" + search_test::HelpDecompilerPath() + "\" -decompile \"" + runs[0].folder +
                                     "\" \"" + DataPath("chm_help.chm") + "\"");
  EXPECT_TRUE(runs[0].folderWasEmpty);
  EXPECT_FALSE(Exists(runs[0].folder));
  EXPECT_TRUE(FolderIsEmpty(temp_));
}

// Both paths are quoted, so spaces in the temporary folder or in the file's
// path do not split them.
TEST_F(Chm2Text, PathsWithSpacesReachTheDecompilerWhole) {
  ASSERT_TRUE(CreateDirectoryA((scratch_ + "\\temp with spaces").c_str(), nullptr));
  SetTemp(scratch_ + "\\temp with spaces\\");
  const std::string folder = scratch_ + "\\my help files";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  const std::string file = folder + "\\chm help.chm";
  ASSERT_TRUE(CopyFileA(DataPath("chm_help.chm").c_str(), file.c_str(), FALSE));

  TChm2Text chm(file);
  EXPECT_TRUE(IsThePages(Text(chm)));
  std::vector<Run> runs = Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].commandLine,
            "\"" + search_test::HelpDecompilerPath() + "\" -decompile \"" + runs[0].folder + "\" \"" + file + "\"");
  EXPECT_EQ(runs[0].folder.rfind(temp_, 0), 0u) << runs[0].folder;
  EXPECT_TRUE(FolderIsEmpty(temp_));
}

// Only the system's decompiler runs, by its full path: never one that lies
// in the current folder (or beside the program).
TEST_F(Chm2Text, DecompilerIsRunFromTheWindowsFolderOnly) {
  const std::string decoy = scratch_ + "\\decoy";
  ASSERT_TRUE(CreateDirectoryA(decoy.c_str(), nullptr));
  WriteFile(decoy + "\\hh.exe", "not a program");
  char old[MAX_PATH];
  ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, old), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(decoy.c_str()));
  std::string text;
  {
    TChm2Text chm(DataPath("chm_help.chm"));
    text = Text(chm);
  }
  SetCurrentDirectoryA(old);
  EXPECT_TRUE(IsThePages(text));
  std::vector<Run> runs = Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].commandLine.rfind("\"" + search_test::HelpDecompilerPath() + "\" ", 0), 0u) << runs[0].commandLine;
}

// The decompiler runs in the extraction folder, so a relative file name is
// made full first.
TEST_F(Chm2Text, RelativeFileNameIsMadeFull) {
  char old[MAX_PATH];
  ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, old), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(OVALIS_TEST_DATA));
  std::string text;
  {
    TChm2Text chm("chm_help.chm");
    text = Text(chm);
  }
  SetCurrentDirectoryA(old);
  EXPECT_TRUE(IsThePages(text));
}

// Every extraction gets a new, empty folder of its own, and leaves none.
TEST_F(Chm2Text, EachExtractionGetsAFreshFolder) {
  for (int i = 0; i < 3; ++i) {
    TChm2Text chm(DataPath("chm_help.chm"));
    EXPECT_TRUE(IsThePages(Text(chm)));
  }
  std::vector<Run> runs = Runs();
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_NE(runs[0].folder, runs[1].folder);
  EXPECT_NE(runs[1].folder, runs[2].folder);
  EXPECT_NE(runs[0].folder, runs[2].folder);
  for (const Run& run : runs) EXPECT_TRUE(run.folderWasEmpty) << run.folder;
  EXPECT_TRUE(FolderIsEmpty(temp_));
}

// A name that exists is passed over, never reused, and what it holds is left
// alone; missing parents are made.
TEST_F(Chm2Text, ExtractionFolderNeverTakesAnExistingName) {
  const std::string taken = temp_ + "_ovalis.0000000A";
  ASSERT_TRUE(CreateDirectoryA(taken.c_str(), nullptr));
  WriteFile(taken + "\\stale.htm", "stale");
  EXPECT_EQ(CreateExtractionFolder(temp_, "_ovalis.", 10), temp_ + "_ovalis.0000000B");
  EXPECT_EQ(CreateExtractionFolder(temp_, "_ovalis.", 10), temp_ + "_ovalis.0000000C");
  EXPECT_EQ(ReadFile(taken + "\\stale.htm"), "stale");
  EXPECT_TRUE(FolderIsEmpty(temp_ + "_ovalis.0000000B"));

  const std::string deep = temp_ + "a\\b\\";
  EXPECT_EQ(CreateExtractionFolder(deep, "_x.", 0xFFFFFFFF), deep + "_x.FFFFFFFF");
  EXPECT_EQ(CreateExtractionFolder(deep, "_x.", 0xFFFFFFFF), deep + "_x.00000000");

  // A parent that is a file cannot hold a folder.
  WriteFile(temp_ + "file", "x");
  EXPECT_THROW(CreateExtractionFolder(temp_ + "file\\", "_x.", 0), EOSError);
}

// A decompiler that never ends is ended by run-and-wait's time-out, with
// everything started for it; it wrote nothing, so the reader gives the
// pages, and the folder is removed. Whether the stand-in gets as far as its
// log before the time-out depends on the machine.
TEST_F(Chm2Text, HungDecompilerIsEndedByTheTimeOut) {
  TOwnProcessGroup group;
  ASSERT_TRUE(group.Joined());
  const uint32_t oldTimeout = RunAndWaitTimeout();
  SetRunAndWaitTimeout(500);
  ScopedEnv hang("OVALIS_HH_HANG", "1");
  std::string text;
  {
    TChm2Text chm(DataPath("chm_help.chm"));
    text = Text(chm);
  }
  SetRunAndWaitTimeout(oldTimeout);
  EXPECT_TRUE(IsThePages(text));
  EXPECT_EQ(group.Others(), "");
  std::vector<Run> runs = Runs();
  EXPECT_LE(runs.size(), 1u);
  for (const Run& run : runs) EXPECT_FALSE(Exists(run.folder));
  EXPECT_TRUE(FolderIsEmpty(temp_));
}

// A file the decompiler cannot read gives no text and no error, and the
// folder is removed all the same.
TEST_F(Chm2Text, FileThatIsNoHelpFileGivesNoText) {
  const std::string file = scratch_ + "\\bad.chm";
  WriteFile(file, "not a help file <html>needle</html>");
  TChm2Text chm(file);
  EXPECT_EQ(Text(chm), "");
  ASSERT_EQ(Runs().size(), 1u);
  EXPECT_TRUE(FolderIsEmpty(temp_));
}

// The search and the report read ".chm" files through the extractor, the
// extension in either case.
TEST_F(Chm2Text, ChmFilesAreReadThroughTheExtractor) {
  const std::string upper = scratch_ + "\\HELP.CHM";
  ASSERT_TRUE(CopyFileA(DataPath("chm_help.chm").c_str(), upper.c_str(), FALSE));
  std::unique_ptr<TTextExtractor> extractor = CreateTextExtractor(upper);
  ASSERT_NE(dynamic_cast<TChm2Text*>(extractor.get()), nullptr);
  EXPECT_TRUE(IsThePages(Text(*extractor)));

  TSubStringReport report;
  EXPECT_EQ(report.MakeReport(DataPath("chm_help.chm"), L"needle"), 4);
  EXPECT_NE(report.Html().find("Welcome page with the needle."), std::string::npos);
  EXPECT_NE(report.Html().find("&lt;data&gt;needle in xml&lt;/data&gt;"), std::string::npos);
  EXPECT_TRUE(FolderIsEmpty(temp_));
}

// A decompiler that writes nothing, as Wine's does: the help file's own
// reader extracts the pages into the same folder, and it goes all the same.
TEST_F(Chm2Text, PagesTheDecompilerDoesNotWriteComeFromTheReader) {
  ScopedEnv noPages("OVALIS_HH_PAGES", "");
  std::string text;
  {
    TChm2Text chm(ExtractDataPath("chm_codepages.chm"));
    text = Text(chm);
  }
  const std::string cp1251 = ReadFile(ExtractDataPath("chm_codepages\\cp1251.htm"));
  const std::string utf8 = ReadFile(ExtractDataPath("chm_codepages\\utf8.htm"));
  EXPECT_TRUE(text == cp1251 + utf8 || text == utf8 + cp1251) << text;
  std::vector<Run> runs = Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_FALSE(Exists(runs[0].folder));
  EXPECT_TRUE(FolderIsEmpty(temp_));
}

// Pages whose names climb out of the extraction folder ("../..", "..\..",
// a drive, ".. ") are not written anywhere; the page that stays is read.
TEST_F(Chm2Text, PageNamesThatClimbOutOfTheFolderWriteNothingOutside) {
  ScopedEnv noPages("OVALIS_HH_PAGES", "");
  std::string text;
  {
    TChm2Text chm(ExtractDataPath("chm_climb.chm"));
    text = Text(chm);
  }
  EXPECT_EQ(text, ReadFile(ExtractDataPath("chm_climb\\index.htm")));
  std::vector<std::string> left = Lines(Listing(scratch_));
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{scratch_ + "\\hh.log", scratch_ + "\\temp"}));
  for (const char* name : {"escape1.htm", "escape2.htm", "escape3.htm", "escape4.htm"})
    EXPECT_FALSE(Exists(std::string("C:\\") + name)) << name;
}

// Help files whose directory leaves out what describes the compressed
// section, and loops: the search and the preview's report end, and find the
// plain page.
TEST_F(Chm2Text, HelpFilesWithALoopingDirectoryEndInTheSearchAndTheReport) {
  ScopedEnv noPages("OVALIS_HH_PAGES", "");
  search_test::TTree tree;
  for (const chm_test::TLoopingHelpFile& file : chm_test::LoopingHelpFiles()) {
    const std::string path = tree.File("looping.chm", file.bytes);
    search_test::TRecording found;
    TFindFile search;
    search.SetMasks("*.chm");
    search.SetPath(tree.Root());
    search.CodePages = cpAllCodePages;
    search.ContainsText = L"needle";
    search_test::Record(search, found, tree);
    search.Start();
    if (!PumpUntil([&] { return search.Finished(); })) {
      ADD_FAILURE() << "the search of " << file.name << " did not end";
      std::fflush(stdout);
      std::_Exit(1);
    }
    EXPECT_EQ(found.Hits(), std::vector<std::string>{"looping.chm"}) << file.name;

    int32_t count = -1;
    test_wait::EndsWithin(std::chrono::seconds(60), file.name, [&] { count = TSubStringReport().MakeReport(path, L"needle"); });
    EXPECT_EQ(count, 1) << file.name;
  }
}

// The decompiler's pages are taken within the reader's limits: one past the
// bytes they may add up to is left out, the others are read.
TEST_F(Chm2Text, DecompilerPagePastTheCapIsLeftOut) {
  const std::string pages = scratch_ + "\\pages";
  ASSERT_TRUE(CreateDirectoryA(pages.c_str(), nullptr));
  WriteFile(pages + "\\small.htm", "<p>small page</p>");
  {
    std::ofstream big(pages + "\\big.htm", std::ios::binary);
    const std::string block(1 << 20, 'x');
    for (uint64_t written = 0; written <= TChmLimits{}.bytes; written += block.size()) big << block;
  }
  ScopedEnv listed("OVALIS_HH_PAGES", pages);
  const std::string help = scratch_ + "\\big.chm";
  WriteFile(help, chm_test::CraftedHelpFile({{"/big.htm", 0, 0, 1}, {"/small.htm", 0, 0, 1}}, "x"));
  TChm2Text chm(help);
  EXPECT_EQ(Text(chm), "<p>small page</p>");
}
