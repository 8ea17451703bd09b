// Where the files of a copy or a move land: the cases in which a file takes
// a new name, is asked about, or is left where it is.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/codepage.h"
#include "shell/filetargets.h"
#include "shell/shell_fixtures.h"

namespace {

TEST(PlanFileTargets, NamesFilesSoThatNothingOfTheSelectionIsReplaced) {
  struct Case {
    const char* what;
    TTransfer transfer;
    std::vector<std::string> sources;  // below the folder; "to\..." is the target folder
    TReplaceAnswer answer;
    std::vector<std::string> targets;  // below "to", "" for nothing planned; "+" marks a replacing one
    int questions;
  };
  const TReplaceAnswer yes = TReplaceAnswer::Replace, no = TReplaceAnswer::Keep;
  const Case cases[] = {
      {"copy onto itself", TTransfer::Copy, {"to\\b.txt"}, yes, {"b (2).txt"}, 0},
      {"move onto itself", TTransfer::Move, {"to\\b.txt"}, yes, {}, 0},
      {"a selected file is there", TTransfer::Move, {"one\\b.txt", "to\\b.txt"}, yes, {"b (2).txt"}, 0},
      {"one file twice", TTransfer::Move, {"one\\a.txt", "one\\A.TXT"}, yes, {"a.txt"}, 0},
      {"one name twice", TTransfer::Copy, {"one\\a.txt", "two\\a.txt"}, yes, {"a.txt", "a (2).txt"}, 0},
      {"replaced when the user says so", TTransfer::Copy, {"one\\b.txt", "two\\b.txt"}, yes, {"+b.txt", "b (2).txt"}, 1},
      {"kept when the user says so", TTransfer::Move, {"one\\b.txt", "one\\a.txt"}, no, {"a.txt"}, 1},
      {"a file never replaces a folder", TTransfer::Copy, {"one\\dir"}, yes, {"dir (2)"}, 0},
      {"no extension, a dot first", TTransfer::Copy, {"to\\.hidden", "to\\plain"}, yes, {".hidden (2)", "plain (2)"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TTempFolder folder;
    for (const char* sub : {"one", "two", "to", "to\\dir"}) CreateDirectoryA((folder / sub).c_str(), nullptr);
    for (const char* file : {"one\\a.txt", "one\\b.txt", "one\\dir", "two\\a.txt", "two\\b.txt", "to\\b.txt",
                             "to\\.hidden", "to\\plain"})
      WriteTextFile(folder / file, file);
    std::vector<std::wstring> sources;
    for (const std::string& source : c.sources) sources.push_back(MultiByteToWide(folder / source));
    int questions = 0;
    const auto plan = PlanFileTargets(sources, MultiByteToWide(folder / "to"), c.transfer, [&](const std::wstring& existing) {
      ++questions;
      EXPECT_EQ(existing, MultiByteToWide(folder / "to\\b.txt"));
      return c.answer;
    });
    ASSERT_TRUE(plan.has_value());
    std::vector<std::string> targets;
    for (const TFileTarget& file : *plan)
      targets.push_back((file.Replaces ? "+" : "") + WideToMultiByte(file.Target).substr((folder / "to\\").size()));
    EXPECT_EQ(targets, c.targets);
    EXPECT_EQ(questions, c.questions);
  }
}

TEST(PlanFileTargets, CancelPlansNothing) {
  TTempFolder folder;
  CreateDirectoryA((folder / "to").c_str(), nullptr);
  WriteTextFile(folder / "a.txt", "new");
  WriteTextFile(folder / "to\\a.txt", "old");
  const auto plan = PlanFileTargets({MultiByteToWide(folder / "a.txt")}, MultiByteToWide(folder / "to"), TTransfer::Copy,
                                    [](const std::wstring&) { return TReplaceAnswer::Cancel; });
  EXPECT_FALSE(plan.has_value());
}

}  // namespace
