// The folder writer of the compiled-help reader: where pages go, what
// happens to names the folder cannot take, and to incomplete pages.
#include "search/chmfolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "search/search_fixtures_win.h"

using namespace search_test;

namespace {

void WritePage(TChmFolderWriter& writer, const std::vector<std::string>& parts, const std::string& bytes,
               bool complete = true) {
  ASSERT_TRUE(writer.BeginPage(parts));
  ASSERT_TRUE(writer.WritePage(bytes.data(), bytes.size()));
  writer.EndPage(complete);
}

// Every file below folder with its bytes, as "relative=bytes".
std::set<std::string> Files(const TTree& tree, const std::string& folder) {
  std::set<std::string> files;
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return files;
  do {
    const std::string name = data.cFileName, path = folder + "\\" + name;
    if (name == "." || name == "..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) files.merge(Files(tree, path));
    else files.insert(tree.Relative(path) + "=" + ReadBytes(path));
  } while (FindNextFileA(h, &data));
  FindClose(h);
  return files;
}

}  // namespace

// Pages go to their own names, with their folders; a name taken already, one
// outside ASCII and one too long for the system get made-up names, so no
// page replaces another.
TEST(ChmFolderWriter, EveryPageGetsAFileOfItsOwn) {
  TTree tree;
  TChmFolderWriter writer(tree.Root());
  WritePage(writer, {"a.htm"}, "first");
  WritePage(writer, {"topics", "deep", "b.html"}, "second");
  WritePage(writer, {"A.HTM"}, "same name, other case");
  WritePage(writer, {"\xD0\xB8\xD0\xBC\xD1\x8F.txt"}, "cyrillic name");
  WritePage(writer, {std::string(300, 'x') + ".xml"}, "long name");
  EXPECT_EQ(Files(tree, tree.Root()),
            (std::set<std::string>{"a.htm=first", "topics\\deep\\b.html=second", "~page1.HTM=same name, other case",
                                   "~page2.txt=cyrillic name", "~page3.xml=long name"}));
}

// An incomplete page leaves no file, and its name is free for the next.
TEST(ChmFolderWriter, IncompletePageLeavesNothing) {
  TTree tree;
  TChmFolderWriter writer(tree.Root());
  WritePage(writer, {"a.htm"}, "damaged", false);
  WritePage(writer, {"sub", "b.htm"}, "damaged", false);
  EXPECT_EQ(Files(tree, tree.Root()), std::set<std::string>{});
  WritePage(writer, {"a.htm"}, "whole");
  EXPECT_EQ(Files(tree, tree.Root()), std::set<std::string>{"a.htm=whole"});
}
