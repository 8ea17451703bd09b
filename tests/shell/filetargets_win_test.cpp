// Where the files of a copy or a move land: the cases in which a file takes
// a new name, is asked about, is left where it is or is refused, and how
// the check afterwards tells a file that arrived.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/codepage.h"
#include "shell/filetargets.h"
#include "shell/openablepath.h"
#include "shell/shell_fixtures.h"

namespace {

using Names = std::vector<std::string>;

void WriteLongFile(const std::wstring& path, const std::string& text) {
  HANDLE file = CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

// The plan's targets below "to" ("+" marks a replacing one) and its refused
// sources below the folder.
std::pair<Names, Names> Planned(const TTempFolder& folder, const TTransferPlan& plan) {
  Names targets, refused;
  for (const TFileTarget& file : plan.Files)
    targets.push_back((file.Replaces ? "+" : "") + WideToMultiByte(file.Target).substr((folder / "to\\").size()));
  for (const std::wstring& source : plan.Refused) refused.push_back(WideToMultiByte(source).substr(folder.Path().size() + 1));
  return {targets, refused};
}

TEST(PlanFileTargets, NamesFilesSoThatNothingOfTheSelectionIsReplaced) {
  struct Case {
    const char* what;
    TTransfer transfer;
    Names sources;  // below the folder, "" for an empty name; "to\..." is the target folder
    TReplaceAnswer answer;
    Names targets;
    const char* askedAbout;  // below "to", "" when nothing is asked
    Names refused = {};
  };
  const TReplaceAnswer yes = TReplaceAnswer::Replace, no = TReplaceAnswer::Keep;
  const TTransfer copy = TTransfer::Copy, move = TTransfer::Move;
  const std::string longName = "one\\" + std::string(250, 'x') + ".txt";
  const Case cases[] = {
      {"copy onto itself", copy, {"to\\b.txt"}, yes, {"b (2).txt"}, ""},
      {"move onto itself", move, {"to\\b.txt"}, yes, {}, ""},
      {"a selected file is there", move, {"one\\b.txt", "to\\b.txt"}, yes, {"b (2).txt"}, ""},
      {"one file twice", move, {"one\\a.txt", "one\\A.TXT"}, yes, {"a.txt"}, ""},
      {"one name twice", copy, {"one\\a.txt", "two\\a.txt"}, yes, {"a.txt", "a (2).txt"}, ""},
      {"replaced when the user says so", copy, {"one\\b.txt", "two\\b.txt"}, yes, {"+b.txt", "b (2).txt"}, "b.txt"},
      {"kept when the user says so", move, {"one\\b.txt", "one\\a.txt"}, no, {"a.txt"}, "b.txt"},
      {"a file never replaces a folder", copy, {"one\\dir"}, yes, {"dir (2)"}, ""},
      {"no extension, a dot first", copy, {"to\\.hidden", "to\\plain"}, yes, {".hidden (2)", "plain (2)"}, ""},
      {"an empty name", copy, {"", "one\\a.txt"}, yes, {"a.txt"}, ""},
      {"gone since listed", copy, {"one\\gone.txt", "one\\a.txt"}, yes, {"a.txt"}, "", {"one\\gone.txt"}},
      {"a name the shell would cut", copy, {"one\\a.txt."}, yes, {}, "", {"one\\a.txt."}},
      {"past the path limit", copy, {longName}, yes, {}, "", {longName}},
      {"a file moves with its folder", move, {"two\\dir\\d.txt", "two\\dir"}, yes, {"+dir"}, "dir"},
      {"a file copies beside its folder", copy, {"two\\dir\\d.txt", "two\\dir"}, yes, {"d.txt", "+dir"}, "dir"},
      {"a file moves alone when its folder stays", move, {"two\\dir\\d.txt", "two\\dir"}, no, {"d.txt"}, "dir"},
      {"a file stays in its folder already there", move, {"to\\dir", "to\\dir\\e.txt"}, yes, {}, ""},
      {"a folder that holds the target", copy, {"to", "one\\a.txt", "to\\b.txt"}, yes, {"a.txt", "b (2).txt"}, "",
       {"to"}},
      {"a move beside a hard link of itself", move, {"one\\same.txt"}, yes, {"same (2).txt"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TTempFolder folder;
    for (const char* sub : {"one", "two", "two\\dir", "to", "to\\dir"}) CreateDirectoryA((folder / sub).c_str(), nullptr);
    for (const std::string& file : Names{"one\\a.txt", "one\\b.txt", "one\\dir", "one\\same.txt", "two\\a.txt",
                                         "two\\b.txt", "two\\dir\\d.txt", "to\\b.txt", "to\\.hidden", "to\\plain",
                                         "to\\dir\\e.txt", longName})
      WriteLongFile(MultiByteToWide(folder / file), file);
    ASSERT_TRUE(CreateHardLinkA((folder / "to\\same.txt").c_str(), (folder / "one\\same.txt").c_str(), nullptr));
    std::vector<std::wstring> sources;
    for (const std::string& source : c.sources) sources.push_back(source.empty() ? L"" : MultiByteToWide(folder / source));
    std::string asked;
    const auto plan = PlanFileTargets(sources, MultiByteToWide(folder / "to"), c.transfer, [&](const std::wstring& existing) {
      asked += WideToMultiByte(existing).substr((folder / "to\\").size());
      return c.answer;
    });
    ASSERT_TRUE(plan.has_value());
    const auto [targets, refused] = Planned(folder, *plan);
    EXPECT_EQ(targets, c.targets);
    EXPECT_EQ(asked, c.askedAbout);
    EXPECT_EQ(refused, c.refused);
  }
}

// The question names the file there by its real path, also when the folder
// was given by its short name; Cancel plans nothing.
TEST(PlanFileTargets, AsksByTheRealPathAndCancelPlansNothing) {
  TTempFolder folder;
  const std::wstring to = MultiByteToWide(folder.Path()) + L"\\\x041F\x0430\x043F\x043A\x0430";
  CreateDirectoryW(to.c_str(), nullptr);
  WriteTextFile(folder / "a.txt", "new");
  WriteLongFile(to + L"\\a.txt", "old");
  const std::wstring shortTo = ShortPathName(to);
  ASSERT_FALSE(shortTo.empty());
  std::wstring asked;
  const auto plan = PlanFileTargets({MultiByteToWide(folder / "a.txt")}, shortTo, TTransfer::Copy,
                                    [&](const std::wstring& existing) {
                                      asked = existing;
                                      return TReplaceAnswer::Cancel;
                                    });
  EXPECT_FALSE(plan.has_value());
  EXPECT_EQ(asked, to + L"\\a.txt");
}

// Another path to the target folder is the same folder: a copy onto itself
// through it takes a new name and asks nothing.
TEST(PlanFileTargets, CopyOntoItselfThroughALinkTakesANewName) {
  TTempFolder folder;
  CreateDirectoryA((folder / "to").c_str(), nullptr);
  WriteTextFile(folder / "to\\b.txt", "b");
  if (!MakeFolderLink(folder / "link", folder / "to")) GTEST_SKIP() << "no folder links here";
  int questions = 0;
  const auto plan = PlanFileTargets({MultiByteToWide(folder / "link\\b.txt")}, MultiByteToWide(folder / "to"),
                                    TTransfer::Copy, [&](const std::wstring&) {
                                      ++questions;
                                      return TReplaceAnswer::Replace;
                                    });
  RemoveFolderLink(folder / "link");
  ASSERT_TRUE(plan.has_value());
  EXPECT_EQ(Planned(folder, *plan).first, Names{"b (2).txt"});
  EXPECT_EQ(questions, 0);
}

// A file has arrived only under its planned real name, with the source's
// size and its write time to the 2 s a FAT volume keeps.
TEST(NotArrived, WantsThePlannedNameTheSizeAndTheTime) {
  struct Case {
    const char* what;
    bool byShortName;  // the target is planned as the short name of the file there
    const char* bytes;
    LONGLONG later;  // the target's write time after the source's, in 100 ns
    bool arrived;
  };
  const Case cases[] = {
      {"the same", false, "source", 0, true},
      {"rounded up to 2 s", false, "source", 19'000'000, true},
      {"3 s later", false, "source", 30'000'000, false},
      {"another size", false, "other size", 0, false},
      {"reached by a short name", true, "source", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TTempFolder folder;
    CreateDirectoryA((folder / "to").c_str(), nullptr);
    const std::string source = folder / "Long Name.txt", there = folder / "to\\Long Name.txt";
    WriteTextFile(source, "source");
    WriteTextFile(there, c.bytes);
    FILETIME written{};
    HANDLE file = CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    GetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    ULARGE_INTEGER time{{written.dwLowDateTime, written.dwHighDateTime}};
    time.QuadPart += static_cast<ULONGLONG>(c.later);
    written = FILETIME{time.LowPart, time.HighPart};
    file = CreateFileA(there.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    const std::wstring target = c.byShortName ? ShortPathName(MultiByteToWide(there)) : MultiByteToWide(there);
    ASSERT_FALSE(target.empty());
    const TTransferPlan plan{MultiByteToWide(folder / "to\\"),
                             {TFileTarget{MultiByteToWide(source), target, false, *FileFacts(MultiByteToWide(source)),
                                          {}}},
                             {},
                             {}};
    EXPECT_EQ(NotArrived(plan, TTransfer::Copy).empty(), c.arrived);
  }
}

}  // namespace
