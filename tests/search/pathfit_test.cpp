#include <gtest/gtest.h>

#include "search/pathfit.h"

namespace {

// An entry keeps its own name as long as any path with it fits; the
// folder's parts go short from the deepest up, and the entry's short name
// is the last resort.
TEST(FitPath, ShortensTheDeepestFolderPartsFirstAndTheEntryLast) {
  struct Case {
    const char* folder;
    const char* shortFolder;
    const char* name;  // "" for a name the code page cannot hold
    const char* shortName;
    size_t limit;
    const char* path;
  };
  const Case cases[] = {
      {"C:\\aaaaaa\\bbbbbb", "C:\\A~1\\B~1", "n.txt", "", 22, "C:\\aaaaaa\\bbbbbb\\n.txt"},
      {"C:\\aaaaaa\\bbbbbb", "C:\\A~1\\B~1", "n.txt", "", 20, "C:\\aaaaaa\\B~1\\n.txt"},
      {"C:\\aaaaaa\\bbbbbb", "C:\\A~1\\B~1", "name.txt", "", 20, "C:\\A~1\\B~1\\name.txt"},
      {"C:\\aaaaaa\\bbbbbb", "C:\\A~1\\B~1", "longname.txt", "LONG~1.TXT", 22, "C:\\A~1\\B~1\\LONG~1.TXT"},
      {"C:\\aaaaaa\\bbbbbb", "C:\\A~1\\B~1", "longname.txt", "LONG~1.TXT", 20, ""},
      {"C:\\aaaaaa", "C:\\A~1", "", "X~1.TXT", 40, "C:\\aaaaaa\\X~1.TXT"},
      {"C:\\aaaaaa", "C:\\A~1", "", "", 40, ""},
      {"C:\\aaaaaa", "", "longname.txt", "LONG~1.TXT", 20, "C:\\aaaaaa\\LONG~1.TXT"},
      {"C:\\aaaaaa\\b", "C:\\A~1", "longname.txt", "", 20, "C:\\A~1\\longname.txt"},  // taken whole
  };
  for (const Case& c : cases)
    EXPECT_EQ(FitPath(c.folder, c.shortFolder, c.name, c.shortName, c.limit), c.path)
        << c.folder << " + " << c.name << " within " << c.limit;
}

}  // namespace
