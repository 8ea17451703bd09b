// What the user does with found files, on real files in a private HOME (the
// recycle bin is its Trash folder): moving, copying onto names already
// taken, deleting, dropping a folder's rows, and the report read back.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/configform_win.h"
#include "app/filecommands_win.h"
#include "app/resultlist_win.h"
#include "app_fixtures.h"
#include "button_presser_win.h"
#include "clipboard_lock_win.h"
#include "host_link_win.h"
#include "classlib/bitmap.h"
#include "classlib/buttons.h"
#include "classlib/codepage.h"
#include "classlib/edits.h"
#include "classlib/listview.h"
#include "classlib/menus.h"
#include "classlib/paths.h"
#include "classlib/image.h"
#include "classlib/panels.h"
#include "classlib/picture.h"
#include "classlib/splitter.h"
#include "widecontrols/widecombobox.h"
#include "classlib/registry.h"
#include "classlib/stringlist.h"
#include "shell/dropfilesource.h"
#include "shell/openablepath.h"
#include "resultlist_fixture_win.h"

namespace {

using app_test::TTempFolder;

// The Windows name of a file of the host, as Wine maps it.
std::string DosName(const std::string& unixPath) {
  using TDosName = wchar_t* (*)(const char*);
  auto convert = reinterpret_cast<TDosName>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
  if (convert == nullptr) return std::string();
  wchar_t* name = convert(unixPath.c_str());
  if (name == nullptr) return std::string();
  std::string result = WideToMultiByte(name);
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The fields of a report line: ";" or TAB separated, a field in double
// quotes with its inner quotes doubled.
std::vector<std::string> Fields(const std::string& line, char separator) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == separator && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0, end; at < text.size(); at = end + 2) {
    end = text.find("\r\n", at);
    if (end == std::string::npos) break;
    lines.push_back(text.substr(at, end - at));
  }
  return lines;
}

class FileCommandsTest : public app_test::ResultListTest {
protected:
  TFileCommands& Commands() { return FindForm->FileCommands(); }
};

using Names = std::vector<std::string>;

// A move the user confirms, with one name taken in the target that the user
// will not replace: the other file moves and its row goes; the refused one
// stays in place, keeps its row, and the file in the target is untouched.
TEST_F(FileCommandsTest, MoveDropsOnlyRowsOfFilesThatMovedAndNeverOverwritesUnasked) {
  TTempFolder source, target;
  source.Write("a.txt", "new a");
  source.Write("b.txt", "new b");
  source.Write("c.txt", "new c");
  target.Write("b.txt", "old b");
  Find(source.Path());
  Select({"a.txt", "b.txt"});
  {
    TButtonPresser presser({IDOK, IDNO});  // confirm the move, keep the old b.txt
    Commands().MoveSelectedTo(target.Path());
    EXPECT_EQ(presser.Boxes(), 2);
  }
  Pump(5);
  EXPECT_EQ(Read(target.Path() + "\\a.txt"), "new a");
  EXPECT_FALSE(Exists(source.Path() + "\\a.txt"));
  EXPECT_EQ(Read(target.Path() + "\\b.txt"), "old b");
  EXPECT_EQ(Read(source.Path() + "\\b.txt"), "new b");
  EXPECT_EQ(SortedColumn(0), (Names{"b.txt", "c.txt"}));

  // Cancelling the confirmation changes nothing.
  Select({"c.txt"});
  {
    TButtonPresser presser({IDCANCEL});
    Commands().MoveSelectedTo(target.Path());
  }
  EXPECT_TRUE(Exists(source.Path() + "\\c.txt"));
  EXPECT_EQ(SortedColumn(0), (Names{"b.txt", "c.txt"}));
}

TEST_F(FileCommandsTest, CopyOntoATakenNameAsksFirst) {
  TTempFolder source, target;
  source.Write("b.txt", "new b");
  target.Write("b.txt", "old b");
  Find(source.Path());
  Select({"b.txt"});
  for (int answer : {IDNO, IDCANCEL}) {
    TButtonPresser presser({answer});
    Commands().CopySelectedTo(target.Path());
    EXPECT_EQ(presser.Boxes(), 1);
    EXPECT_EQ(Read(target.Path() + "\\b.txt"), "old b");
  }
  {
    TButtonPresser presser({IDYES});
    Commands().CopySelectedTo(target.Path());
  }
  // Told to go ahead, the copy replaces the file, never lands beside it;
  // the source stays listed.
  EXPECT_EQ(Read(target.Path() + "\\b.txt"), "new b");
  EXPECT_FALSE(Exists(target.Path() + "\\Copy of b.txt"));
  EXPECT_EQ(Column(0), (Names{"b.txt"}));
}

// Files by their wide names, which the system code page may not hold.
std::string ReadWide(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "(missing)";
  char bytes[256] = {};
  DWORD read = 0;
  ReadFile(file, bytes, sizeof bytes, &read, nullptr);
  CloseHandle(file);
  return std::string(bytes, read);
}

void WriteWide(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

// No file of a selection replaces another of it, and a file listed by its
// short name arrives under its real one, past an unrelated file of the
// target that bears that short name as its own: Copy and Move alike ask
// nothing, and every file is still there afterwards.
TEST_F(FileCommandsTest, CopyAndMoveKeepEveryFileUnderItsRealName) {
  const std::wstring cyrillic = L"\x041F\x0440\x0438\x0432\x0435\x0442.txt";
  struct Case {
    const char* what;
    std::vector<std::wstring> sources;  // below the source root
    std::vector<std::wstring> arrived;  // the names in the target, with the text of their source
    bool listedShort;
  };
  const Case cases[] = {
      {"one name twice", {L"one\\a.txt", L"two\\a.txt"}, {L"a.txt", L"a (2).txt"}, false},
      {"listed by its short name", {cyrillic}, {cyrillic}, true},
  };
  for (const Case& c : cases) {
    for (const bool move : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (move ? ", move" : ", copy"));
      TTempFolder source, target;
      const std::wstring root = MultiByteToWide(source.Path()) + L"\\";
      for (const std::wstring& name : c.sources) {
        if (name.find(L'\\') != std::wstring::npos) CreateDirectoryW((root + name.substr(0, name.find(L'\\'))).c_str(), nullptr);
        WriteWide(root + name, "source " + std::to_string(&name - c.sources.data()));
      }
      Find(source.Path());
      TStringList listed;
      const std::vector<std::string> names = Column(0);
      for (size_t i = 0; i < names.size(); ++i)  // the files, not their folders
        FindForm->ListView->SetSelected(static_cast<int>(i), names[i].find('.') != std::string::npos);
      Pump(2);
      Commands().GetSelectedFiles(&listed);
      ASSERT_EQ(listed.Count(), static_cast<int>(c.sources.size()));
      // What the short name reaches in the target is another file.
      const std::string shortName = ExtractFileName(listed[0]);
      ASSERT_EQ(shortName.find('~') != std::string::npos, c.listedShort) << shortName;
      if (c.listedShort) target.Write(shortName, "unrelated");
      {
        TButtonPresser presser({IDOK});
        if (move) Commands().MoveSelectedTo(target.Path());
        else Commands().CopySelectedTo(target.Path());
        EXPECT_EQ(presser.Boxes(), move ? 1 : 0) << WideToMultiByte(presser.Texts());
      }
      Pump(5);
      // Which of the two is first depends on the order the walk met them.
      Names arrived, expected;
      for (size_t i = 0; i < c.arrived.size(); ++i) {
        arrived.push_back(ReadWide(MultiByteToWide(target.Path()) + L"\\" + c.arrived[i]));
        expected.push_back("source " + std::to_string(i));
      }
      std::sort(arrived.begin(), arrived.end());
      EXPECT_EQ(arrived, expected);
      if (c.listedShort) {
        EXPECT_EQ(Read(target.Path() + "\\" + shortName), "unrelated");
      }
      for (int i = 0; i < listed.Count(); ++i) EXPECT_EQ(Exists(listed[i]), !move) << listed[i];
      EXPECT_EQ(static_cast<int>(Column(0).size()), static_cast<int>(names.size()) - (move ? listed.Count() : 0));
    }
  }
}

// A file whose real name has the shape of a short name lands beside the
// file whose short name it is, whichever the shell takes first, also when a
// third file replaces one in the target, and when the long name holds a "~"
// of its own: only the replacing is asked about, every file keeps its data
// and nothing is reported.
TEST_F(FileCommandsTest, ANameShapedLikeAShortNameNeverReachesAnotherTarget) {
  for (const char* longName : {"Long Name.txt", "x~y long name.txt"})
  for (const bool move : {false, true}) {
    SCOPED_TRACE(std::string(longName) + (move ? ", move" : ", copy"));
    TTempFolder source, target;
    const std::string longFile = source.Write(std::string("one\\") + longName, "long");
    const std::string shortName = ExtractFileName(WideToMultiByte(ShortPathName(MultiByteToWide(longFile))));
    ASSERT_NE(shortName.find('~'), std::string::npos) << shortName;
    source.Write("two\\" + shortName, "short-shaped");
    source.Write("three\\c.txt", "new c");
    target.Write("c.txt", "old c");
    Find(source.Path());
    Select({longName, shortName, "c.txt"});
    {
      TButtonPresser presser(move ? std::vector<int>{IDOK, IDYES} : std::vector<int>{IDYES});
      if (move) Commands().MoveSelectedTo(target.Path());
      else Commands().CopySelectedTo(target.Path());
      EXPECT_EQ(presser.Boxes(), move ? 2 : 1) << WideToMultiByte(presser.Texts());
    }
    EXPECT_EQ(Read(target.Path() + "\\" + longName), "long");
    EXPECT_EQ(Read(target.Path() + "\\" + shortName), "short-shaped");
    EXPECT_EQ(Read(target.Path() + "\\c.txt"), "new c");
  }
}

// A folder moved with a file inside it takes the file along: nothing is
// reported as not moved, and the rows of everything moved go.
TEST_F(FileCommandsTest, MovingAFolderWithAFileInsideReportsNothing) {
  TTempFolder source, target;
  source.Write("A\\in.txt", "in");
  source.Write("B\\out.txt", "out");
  Find(source.Path());
  Select({"A", "in.txt", "out.txt"});
  {
    TButtonPresser presser({IDOK});
    Commands().MoveSelectedTo(target.Path());
    EXPECT_EQ(presser.Boxes(), 1) << WideToMultiByte(presser.Texts());
  }
  Pump(5);
  EXPECT_EQ(Read(target.Path() + "\\A\\in.txt"), "in");
  EXPECT_EQ(Read(target.Path() + "\\out.txt"), "out");
  EXPECT_EQ(SortedColumn(0), (Names{"B"}));
}

// Two hard links of one file bearing one name in two folders are two
// entries: Delete and Move take both, and name nothing.
TEST_F(FileCommandsTest, BothHardLinksOfOneNameAreTaken) {
  for (const bool move : {false, true}) {
    SCOPED_TRACE(move ? "move" : "delete");
    TTempFolder source, target;
    const std::string x = source.Write("X\\same.txt", "same"), y = source.Path() + "\\Y\\same.txt";
    source.Write("Y\\other.txt", "other");
    ASSERT_TRUE(CreateHardLinkA(y.c_str(), x.c_str(), nullptr));
    Find(source.Path());
    Select({"same.txt"});
    std::wstring texts;
    {
      TButtonPresser presser({move ? IDOK : IDYES});
      if (move) Commands().MoveSelectedTo(target.Path());
      else Commands().mDeleteClick();
      texts = presser.Texts();
    }
    EXPECT_EQ(texts.find(L"were not"), std::wstring::npos) << WideToMultiByte(texts);
    EXPECT_FALSE(Exists(x));
    EXPECT_FALSE(Exists(y));
    if (move) {
      EXPECT_EQ(Read(target.Path() + "\\same.txt"), "same");
      EXPECT_EQ(Read(target.Path() + "\\same (2).txt"), "same");
    }
  }
}

// Copied into itself along with other files, a folder is named and the
// other files are copied, where the shell would stop at the folder.
TEST_F(FileCommandsTest, AFolderHoldingTheTargetIsNamedAndTheRestCopied) {
  TTempFolder source;
  source.Write("T\\t.txt", "in T");
  source.Write("X\\t.txt", "in X");
  Find(source.Path());
  Select({"T", "t.txt"});
  std::wstring texts;
  {
    TButtonPresser presser({IDOK});
    Commands().CopySelectedTo(source.Path() + "\\T");
    texts = presser.Texts();
  }
  const std::wstring named = L"These files were not copied:\r\n" + MultiByteToWide(source.Path() + "\\T");
  EXPECT_NE(texts.find(named), std::wstring::npos) << WideToMultiByte(texts);
  Names copies{Read(source.Path() + "\\T\\t (2).txt"), Read(source.Path() + "\\T\\t (3).txt")};
  std::sort(copies.begin(), copies.end());
  EXPECT_EQ(copies, (Names{"in T", "in X"}));
}

// A destination reached through a folder link into a picked folder lies in
// that folder, also where the link leads deeper into it and the destination
// is not there yet; a copy of a picked link follows it. Such a folder is
// named as not taken, and nothing of it goes into itself.
TEST_F(FileCommandsTest, AFolderReachedThroughALinkIsNotTakenIntoItself) {
  struct Case {
    const char* what;
    const char* picked;
    TTransfer transfer;
    const char* into;  // below the source folder
  };
  const Case cases[] = {
      {"a copy through a link to it", "Picked", TTransfer::Copy, "link\\sub"},
      {"a move through a link deeper into it", "Picked", TTransfer::Move, "deep\\sub"},
      {"a copy of a link to it", "link", TTransfer::Copy, "Picked\\Inner\\sub"},
  };
  TTempFolder source;
  source.Write("Picked\\Inner\\p.txt", "p");
  const std::string picked = source.Path() + "\\Picked";
  if (!MakeFolderLink(source.Path() + "\\link", picked)) GTEST_SKIP() << "no folder links here";
  ASSERT_TRUE(MakeFolderLink(source.Path() + "\\deep", picked + "\\Inner"));
  Find(source.Path());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const bool move = c.transfer == TTransfer::Move;
    Select({c.picked});
    std::wstring texts;
    {
      // A move is confirmed first.
      TButtonPresser presser(move ? std::vector<int>{IDOK, IDOK} : std::vector<int>{IDOK});
      if (move) Commands().MoveSelectedTo(source.Path() + "\\" + c.into);
      else Commands().CopySelectedTo(source.Path() + "\\" + c.into);
      texts = presser.Texts();
    }
    const std::string says = move ? "These files were not moved:" : "These files were not copied:";
    const std::wstring named = MultiByteToWide(says + "\r\n" + source.Path() + "\\" + c.picked);
    EXPECT_NE(texts.find(named), std::wstring::npos) << WideToMultiByte(texts);
    EXPECT_FALSE(Exists(picked + "\\sub"));
    EXPECT_FALSE(Exists(picked + "\\Inner\\sub"));
    EXPECT_EQ(Read(picked + "\\Inner\\p.txt"), "p");
  }
  RemoveFolderLink(source.Path() + "\\link");
  RemoveFolderLink(source.Path() + "\\deep");
}

// A copy that the shell could not make in full says which files did not
// arrive, and which folders it did not copy whole.
TEST_F(FileCommandsTest, PartialCopyNamesTheFilesNotCopied) {
  TTempFolder source, target;
  source.Write("a.txt", "a");
  source.Write("locked.txt", "b");
  source.Write("dir\\held.txt", "c");
  Find(source.Path());
  Select({"a.txt", "locked.txt", "dir"});
  std::vector<HANDLE> locks;
  for (const char* name : {"\\locked.txt", "\\dir\\held.txt"}) {
    locks.push_back(CreateFileA((source.Path() + name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(locks.back(), INVALID_HANDLE_VALUE);
  }
  std::wstring texts;
  {
    TButtonPresser presser({IDOK});
    Commands().CopySelectedTo(target.Path());
    texts = presser.Texts();
  }
  for (HANDLE lock : locks) CloseHandle(lock);
  EXPECT_EQ(Read(target.Path() + "\\a.txt"), "a");
  EXPECT_FALSE(Exists(target.Path() + "\\locked.txt"));
  const std::wstring from = MultiByteToWide(source.Path());
  EXPECT_NE(texts.find(L"These files were not copied:"), std::wstring::npos) << WideToMultiByte(texts);
  for (const std::wstring& left : {from + L"\\locked.txt", from + L"\\dir"})
    EXPECT_NE(texts.find(L"\r\n" + left), std::wstring::npos) << WideToMultiByte(left);
}

// After a Move or a Delete that leaves some of the selected files in place,
// exactly those stay selected, the preview follows the first of them, and
// the next command takes them: never the records that moved up into their
// rows.
TEST_F(FileCommandsTest, PartialMoveOrDeleteLeavesTheFilesThatStayedSelected) {
  struct Case {
    const char* what;
    std::vector<int> answers;  // to the boxes shown, in order
    bool move;
    Names left, selected;
    int previewWidth;
  };
  const Case cases[] = {
      {"move, keeping c.bmp", {IDOK, IDNO}, true, {"a.bmp", "c.bmp", "e.bmp"}, {"c.bmp"}, 3},
      {"delete, d.bmp locked", {IDYES}, false, {"a.bmp", "d.bmp", "e.bmp"}, {"d.bmp"}, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TTempFolder source, target;
    for (int width = 1; width <= 5; ++width) {
      TBitmap bitmap;
      bitmap.SetWidth(width);
      bitmap.SetHeight(1);
      bitmap.SaveToFile(source.Path() + "\\" + static_cast<char>('a' + width - 1) + ".bmp");
    }
    target.Write("c.bmp", "old c");
    Find(source.Path());
    Select({"b.bmp", "c.bmp", "d.bmp"});
    // Readable, so that the preview can show it, but not deletable.
    HANDLE lock = CreateFileA((source.Path() + "\\d.bmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (c.move) CloseHandle(lock);
    {
      TButtonPresser presser(c.answers);
      if (c.move)
        Commands().MoveSelectedTo(target.Path());
      else
        Commands().mDeleteClick();
    }
    if (!c.move) CloseHandle(lock);
    Pump(5);
    EXPECT_EQ(SortedColumn(0), c.left);
    EXPECT_EQ(SelectedNames(), c.selected);
    EXPECT_EQ(FindForm->PreviewImage->Picture()->Width(), c.previewWidth);
    TStringList next;
    Commands().GetSelectedFiles(&next);
    ASSERT_EQ(next.Count(), 1);
    EXPECT_EQ(next[0], source.Path() + "\\" + c.selected[0]);
  }
}

// Deleted files go to the recycle bin (the Trash folder of the private HOME)
// and their rows go; a file the shell could not take keeps its row.
TEST_F(FileCommandsTest, DeleteToTheRecycleBinKeepsRowsOfFilesThatStayed) {
  TTempFolder source;
  const std::string tag = std::to_string(GetCurrentProcessId());
  const std::string gone = "gone-" + tag + ".txt", kept = "kept-" + tag + ".txt";
  source.Write(gone, "bin me");
  source.Write(kept, "keep me");
  source.Write("other.txt", "x");
  Find(source.Path());
  Select({gone.c_str(), kept.c_str()});
  HANDLE lock = CreateFileA((source.Path() + "\\" + kept).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  std::wstring texts;
  {
    TButtonPresser presser({IDYES});
    Commands().mDeleteClick();
    texts = presser.Texts();
  }
  CloseHandle(lock);
  EXPECT_NE(texts.find(L"These files were not deleted:\r\n" + MultiByteToWide(source.Path() + "\\" + kept)),
            std::wstring::npos)
      << WideToMultiByte(texts);
  Pump(5);
  EXPECT_FALSE(Exists(source.Path() + "\\" + gone));
  EXPECT_TRUE(Exists(source.Path() + "\\" + kept));
  char dataHome[MAX_PATH] = {};
  if (GetEnvironmentVariableA("XDG_DATA_HOME", dataHome, MAX_PATH) != 0) {
    const std::string trash = DosName(std::string(dataHome) + "/Trash/files/" + gone);
    ASSERT_FALSE(trash.empty());
    EXPECT_EQ(Read(trash), "bin me");
  }
  EXPECT_EQ(SortedColumn(0), (Names{kept, "other.txt"}));
}

// Delete takes a picked folder with the picked file inside it, a file
// listed after them, and skips a file that vanished since the search: all
// go, nothing is reported, and no row of what went stays listed.
TEST_F(FileCommandsTest, DeleteTakesEveryPickedFileThatIsThere) {
  TTempFolder source;
  source.Write("A\\in.txt", "in");
  source.Write("A\\also.txt", "also");
  source.Write("B\\out.txt", "out");
  source.Write("B\\vanished.txt", "gone soon");
  Find(source.Path());
  Select({"vanished.txt", "A", "in.txt", "out.txt"});
  DeleteFileA((source.Path() + "\\B\\vanished.txt").c_str());
  {
    TButtonPresser presser({IDYES});
    Commands().mDeleteClick();
    EXPECT_EQ(presser.Boxes(), 1) << WideToMultiByte(presser.Texts());  // the shell's question alone
  }
  Pump(5);
  EXPECT_FALSE(Exists(source.Path() + "\\A"));
  EXPECT_FALSE(Exists(source.Path() + "\\B\\out.txt"));
  EXPECT_EQ(SortedColumn(0), (Names{"B"}));
}

// A folder typed as a relative path is searched as a full one: when the
// current folder moves, Delete still takes the file that was found, never
// a namesake of the new current folder.
TEST_F(FileCommandsTest, ARelativeFolderListsFullPathsThatStayTrue) {
  TTempFolder here, elsewhere;
  here.Write("docs\\a.txt", "searched");
  elsewhere.Write("docs\\a.txt", "unrelated");
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  SetCurrentDirectoryA(here.Path().c_str());
  Find("docs");
  SetCurrentDirectoryA(elsewhere.Path().c_str());
  Select({"a.txt"});
  TStringList files;
  Commands().GetSelectedFiles(&files);
  ASSERT_EQ(files.Count(), 1);
  EXPECT_EQ(files[0], here.Path() + "\\docs\\a.txt");
  {
    TButtonPresser presser({IDYES});
    Commands().mDeleteClick();
  }
  SetCurrentDirectoryA(current);
  EXPECT_FALSE(Exists(here.Path() + "\\docs\\a.txt"));
  EXPECT_EQ(Read(elsewhere.Path() + "\\docs\\a.txt"), "unrelated");
}

// Copy puts a file listed by its short name on the clipboard by its real,
// long name, as a program that pastes it names the copy.
TEST_F(FileCommandsTest, ClipboardCarriesTheRealLongName) {
  TTempFolder source;
  const std::wstring real = MultiByteToWide(source.Path()) + L"\\\x041F\x0440\x0438\x0432\x0435\x0442.txt";
  WriteWide(real, "x");
  Find(source.Path());
  ASSERT_EQ(Column(0).size(), 1u);
  Select({Column(0)[0]});
  ClipboardTestLock lock;
  Commands().mCopyClick();
  ASSERT_TRUE(OpenClipboard(nullptr));
  wchar_t copied[MAX_PATH] = {};
  if (HANDLE drop = GetClipboardData(CF_HDROP)) DragQueryFileW(static_cast<HDROP>(drop), 0, copied, MAX_PATH);
  CloseClipboard();
  EXPECT_EQ(std::wstring(copied), real);
}

// A file whose real path is past MAX_PATH is listed through short names:
// the clipboard gets the path the row holds, as the shell's calls do, which
// other programs can open. (Wine's shell cannot parse that path into an
// item list, as it goes by the long names, so a drag's list is not checked.)
TEST_F(FileCommandsTest, ARealPathPastTheLimitReachesTheShellAsListed) {
  TTempFolder source;
  std::vector<std::wstring> folders{MultiByteToWide(source.Path())};
  while (folders.back().size() < MAX_PATH) {
    folders.push_back(folders.back() + L"\\" + std::wstring(90, static_cast<wchar_t>(L'a' + folders.size())));
    ASSERT_TRUE(CreateDirectoryW(ExtendedLengthPath(folders.back()).c_str(), nullptr));
  }
  const std::wstring real = folders.back() + L"\\deep file.txt";
  WriteWide(ExtendedLengthPath(real), "deep");
  Find(source.Path());
  Select({"deep file.txt"});
  TStringList listed;
  Commands().GetSelectedFiles(&listed);
  ASSERT_EQ(listed.Count(), 1);
  const std::wstring row = MultiByteToWide(listed[0]);
  ASSERT_LT(row.size(), static_cast<size_t>(MAX_PATH));
  ClipboardTestLock lock;
  Commands().mCopyClick();
  ASSERT_TRUE(OpenClipboard(nullptr));
  wchar_t copied[4 * MAX_PATH] = {};
  if (HANDLE drop = GetClipboardData(CF_HDROP)) DragQueryFileW(static_cast<HDROP>(drop), 0, copied, 4 * MAX_PATH);
  CloseClipboard();
  EXPECT_EQ(std::wstring(copied), row);
  DeleteFileW(ExtendedLengthPath(real).c_str());
  for (auto folder = folders.rbegin(); folder + 1 != folders.rend(); ++folder)
    RemoveDirectoryW(ExtendedLengthPath(*folder).c_str());
}

// "Not this folder" takes the folder and those below it, never a folder
// whose name merely starts the same.
TEST_F(FileCommandsTest, NotThisFolderTakesTheFolderAndItsSubfoldersOnly) {
  TTempFolder root;
  CreateDirectoryA((root.Path() + "\\Data").c_str(), nullptr);
  CreateDirectoryA((root.Path() + "\\Data\\Old").c_str(), nullptr);
  CreateDirectoryA((root.Path() + "\\Data2").c_str(), nullptr);
  root.Write("Data\\a.txt", "x");
  root.Write("Data\\Old\\b.txt", "x");
  root.Write("Data2\\c.txt", "x");
  Find(root.Path());
  ASSERT_EQ(SortedColumn(0), (Names{"Data", "Data2", "Old", "a.txt", "b.txt", "c.txt"}));
  Select({"a.txt"});
  {
    TButtonPresser presser({IDOK});
    Commands().mListDelFolderClick();
  }
  // The folders Data and Data2 themselves lie in the root, which stays.
  EXPECT_EQ(SortedColumn(0), (Names{"Data", "Data2", "c.txt"}));
}

// A file in a drive root is listed with the drive as its folder; "Open
// folder" opens the drive's root, not its current folder.
TEST_F(FileCommandsTest, OpenFolderOfAFileInADriveRootIsTheRoot) {
  const std::string name = "ovalis-root-" + std::to_string(GetCurrentProcessId()) + ".txt";
  const std::string file = "C:\\" + name;
  { std::ofstream(file) << "x"; }
  FindForm->cbMask->SetText(MultiByteToWide(name));
  FindForm->CheckSubDirs->SetChecked(false);
  Find("C:\\");
  DeleteFileA(file.c_str());
  ASSERT_EQ(Column(0), (Names{name}));
  const std::string folder = FindForm->ResultList().Results().Item(0).Path;
  EXPECT_EQ(FolderToOpen(folder), "C:\\") << folder;
  EXPECT_EQ(FolderToOpen("C:\\Data"), "C:\\Data");
}

// The report read back field by field: CSV quotes every text field and
// doubles inner quotes, a name with a comma or a semicolon comes back
// whole; TXT quotes only what holds its TAB or a quote.
TEST_F(FileCommandsTest, ReportsReadBackIntoTheirFields) {
  {
    TRegistry classes;
    classes.SetRootKey(HKEY_CLASSES_ROOT);
    classes.OpenKey("\\.ovq", true);
    classes.WriteString("", "ovq_auto_file");
    classes.OpenKey("\\ovq_auto_file", true);
    classes.WriteString("", "Quoted \"type\" file");
  }
  TTempFolder source, out;
  source.Write("one, two.ovq", "12345");
  source.Write("semi;colon.ovq", "1");
  Find(source.Path());
  ConfigForm->CheckRAll->SetChecked(true);
  const std::string csv = out.Path() + "\\list.CSV", txt = out.Path() + "\\list.txt";
  Commands().SaveReport(csv);
  Commands().SaveReport(txt);
  const std::vector<std::string> names = Column(0);
  const std::vector<std::string> csvLines = Lines(Read(csv)), txtLines = Lines(Read(txt));
  ASSERT_EQ(csvLines.size(), 2u);
  ASSERT_EQ(txtLines.size(), 2u);
  for (size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(names[i]);
    const std::vector<std::string> fields = Fields(csvLines[i], ';');
    ASSERT_EQ(fields.size(), 4u) << csvLines[i];
    EXPECT_EQ(fields[0], source.Path() + "\\" + names[i]);
    EXPECT_EQ(fields[1], "Quoted \"type\" file");
    EXPECT_EQ(fields[3], names[i] == "one, two.ovq" ? "5" : "1");
    EXPECT_EQ(csvLines[i].substr(0, 1), "\"");
    EXPECT_EQ(csvLines[i].back() == '"', false);  // the size is never quoted
    EXPECT_EQ(Fields(txtLines[i], '\t'), (std::vector<std::string>{fields[0], fields[1], fields[2], fields[3]}));
    EXPECT_NE(txtLines[i].substr(0, 1), "\"");  // a plain path needs no quotes
  }
  ConfigForm->CheckRAll->SetChecked(false);
  ConfigForm->CheckRPath->SetChecked(false);
  ConfigForm->CheckRFileName->SetChecked(true);
  ConfigForm->CheckRSize->SetChecked(true);
  Commands().SaveReport(csv);
  EXPECT_EQ(Lines(Read(csv))[0], "\"" + names[0] + "\";" + (names[0] == "one, two.ovq" ? "5" : "1"));
  TRegistry classes;
  classes.SetRootKey(HKEY_CLASSES_ROOT);
  classes.DeleteKey("\\.ovq");
  classes.DeleteKey("\\ovq_auto_file");
}

// A report saved over an old one keeps the old file's attributes, also
// while another program reads it with full sharing; where the old file
// cannot be replaced it stays as it was, and nothing else is left beside it.
TEST_F(FileCommandsTest, ReportReplacesAnOldOneKeepingItsAttributes) {
  TTempFolder source, out;
  source.Write("a.txt", "a");
  Find(source.Path());
  const std::string report = out.Write("list.txt", "old");
  ASSERT_TRUE(SetFileAttributesA(report.c_str(), FILE_ATTRIBUTE_HIDDEN));
  HANDLE reader = CreateFileA(report.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  Commands().SaveReport(report);
  CloseHandle(reader);
  EXPECT_EQ(Lines(Read(report)).size(), 1u);
  EXPECT_EQ(GetFileAttributesA(report.c_str()) & FILE_ATTRIBUTE_HIDDEN, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesA(report.c_str(), FILE_ATTRIBUTE_NORMAL));
  out.Write("list.txt", "old");
  reader = CreateFileA(report.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_ANY_THROW(Commands().SaveReport(report));
  CloseHandle(reader);
  EXPECT_EQ(Read(report), "old");
  WIN32_FIND_DATAA entry{};
  EXPECT_EQ(FindFirstFileA((out.Path() + "\\*.tmp").c_str(), &entry), INVALID_HANDLE_VALUE);
}

// Keys of the list's pop-up menu reach their commands while the list has
// the focus: Del drops the selected row, Ctrl+C puts the selected file on
// the clipboard.
TEST_F(FileCommandsTest, ListMenuKeysReachTheirCommands) {
  TTempFolder source;
  source.Write("a.txt", "x");
  source.Write("b.txt", "x");
  Find(source.Path());
  Select({"a.txt"});
  HWND list = FindForm->ListView->Handle();
  SetFocus(list);
  ClipboardTestLock lock;
  auto press = [&](WORD key, bool ctrl) {
    BYTE keys[256] = {};
    if (ctrl) keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    PostMessageA(list, WM_KEYDOWN, key, 1);
    PostMessageA(list, WM_KEYUP, key, 0xC0000001);
    Pump(5);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
  };
  press('C', true);
  ASSERT_TRUE(OpenClipboard(nullptr));
  std::string copied;
  if (HANDLE drop = GetClipboardData(CF_HDROP)) {
    char path[MAX_PATH] = {};
    if (DragQueryFileA(static_cast<HDROP>(drop), 0xFFFFFFFF, nullptr, 0) == 1)
      DragQueryFileA(static_cast<HDROP>(drop), 0, path, MAX_PATH);
    copied = path;
  }
  CloseClipboard();
  EXPECT_EQ(copied, source.Path() + "\\a.txt");

  press(VK_DELETE, false);
  EXPECT_EQ(Column(0), (Names{"b.txt"}));
  EXPECT_TRUE(Exists(source.Path() + "\\a.txt"));  // only the row goes
}

// Opening the "File" menu enables its file commands only with a selection;
// the View toggles flip their option and show or hide their panel.
TEST_F(FileCommandsTest, FileMenuFollowsTheSelectionAndViewTogglesFlipPanels) {
  TTempFolder source;
  source.Write("a.txt", "x");
  Find(source.Path());
  auto openFileMenu = [] {
    SendMessageA(FindForm->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(FindForm->miOpen->Parent()->Handle()), 0);
  };
  const std::vector<TMenuItem*> fileItems = {FindForm->miOpen, FindForm->miOpenFolder, FindForm->miCopyTo,
                                             FindForm->miMoveTo, FindForm->miCopy, FindForm->miDelete,
                                             FindForm->miProperties};
  Select({});
  openFileMenu();
  for (TMenuItem* item : fileItems) EXPECT_FALSE(item->Enabled()) << item->Caption();
  Select({"a.txt"});
  openFileMenu();
  for (TMenuItem* item : fileItems) EXPECT_TRUE(item->Enabled()) << item->Caption();

  ASSERT_TRUE(FindForm->pFilter->Visible());
  FindForm->miViewFilter->Click();
  EXPECT_FALSE(ConfigForm->CheckFilter->Checked());
  EXPECT_FALSE(FindForm->pFilter->Visible());
  EXPECT_FALSE(FindForm->miViewFilter->Checked());
  FindForm->miViewPreview->Click();
  EXPECT_FALSE(FindForm->pView->Visible());
  EXPECT_FALSE(FindForm->SplitterView->Visible());
  FindForm->miViewFilter->Click();
  FindForm->miViewPreview->Click();
  EXPECT_TRUE(FindForm->pFilter->Visible());
  EXPECT_TRUE(FindForm->pView->Visible());
  EXPECT_TRUE(FindForm->miViewPreview->Checked());
}

// A drag out of the list starts only once the mouse has gone 10 pixels
// with one button alone held; the files it carries are the selected ones.
TEST_F(FileCommandsTest, DragStartsAfterTenPixelsWithOneButtonAlone) {
  TTempFolder source;
  source.Write("a.txt", "x");
  Find(source.Path());
  Select({"a.txt"});
  TStrings* carried = FindForm->DropFileSource->Files();
  auto dragged = [&](TShiftState shift, int x, int y) {
    carried->Clear();
    Commands().ListViewMouseMove(shift, x, y);
    return carried->Count() == 1 && (*carried)[0] == source.Path() + "\\a.txt";
  };
  EXPECT_FALSE(dragged(ssLeft, 60, 60));  // no press seen yet
  Commands().ListViewMouseDown(50, 50);
  EXPECT_FALSE(dragged(ssLeft, 59, 41));
  EXPECT_FALSE(dragged(ssLeft | ssCtrl, 70, 50));
  EXPECT_FALSE(dragged(ssLeft | ssRight, 70, 50));
  EXPECT_TRUE(dragged(ssLeft, 60, 50));
  EXPECT_TRUE(dragged(ssRight, 50, 40));
}

// With nothing listed the report says so once and asks for no file.
// With nothing listed, or every row hidden by the name filter, the report
// says which, once, and asks for no file.
TEST_F(FileCommandsTest, ReportOfAnEmptyListSaysSoAndAsksForNoFile) {
  ASSERT_EQ(FindForm->ListView->Items()->Count(), 0);
  {
    TButtonPresser presser({IDOK});
    Commands().mReportClick();
    EXPECT_EQ(presser.Boxes(), 1);
    EXPECT_NE(presser.Texts().find(L"No files found"), std::wstring::npos);
  }
  TTempFolder source;
  source.Write("a.txt", "x");
  Find(source.Path());
  FindForm->eFileNameFilter->SetText("zzz");
  Pump(5);
  ASSERT_EQ(FindForm->ListView->Items()->Count(), 0);
  TButtonPresser presser({IDOK});
  Commands().mReportClick();
  EXPECT_EQ(presser.Boxes(), 1);
  EXPECT_NE(presser.Texts().find(L"filter hides every file"), std::wstring::npos) << WideToMultiByte(presser.Texts());
}

// On a Cyrillic system the names come back in its code page.
TEST_F(FileCommandsTest, CyrillicSystemReportKeepsCyrillicNames) {
  if (AnsiCodePage() != 1251) GTEST_SKIP() << "needs code page 1251";
  TTempFolder source, out;
  const std::wstring name = L"\x041E\x0442\x0447\x0451\x0442, \x0438\x0442\x043E\x0433.txt";
  const std::string ansi = WideToMultiByte(name);
  source.Write(ansi, "x");
  Find(source.Path());
  ConfigForm->CheckRAll->SetChecked(false);
  ConfigForm->CheckRPath->SetChecked(false);
  ConfigForm->CheckRFileName->SetChecked(true);
  ConfigForm->CheckRSize->SetChecked(false);
  Commands().SaveReport(out.Path() + "\\list.csv");
  Commands().SaveReport(out.Path() + "\\list.txt");
  EXPECT_EQ(MultiByteToWide(Read(out.Path() + "\\list.csv"), 1251), L"\"" + name + L"\"\r\n");
  EXPECT_EQ(MultiByteToWide(Read(out.Path() + "\\list.txt"), 1251), name + L"\r\n");
}

}  // namespace
