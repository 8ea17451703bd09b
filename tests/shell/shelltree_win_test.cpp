#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "classlib/codepage.h"
#include "classlib/stringlist.h"
#include "shell/fileinfo.h"
#include "shell/folders.h"
#include "shell/shelltree.h"
#include "shell/subfolders.h"
#include "shell_fixtures.h"
#include "tree_fixture.h"

namespace {

std::string DesktopDirectory() {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path))) return {};
  return path;
}

void MakeFolders(const std::string& base, const std::vector<std::string>& relative) {
  CreateDirectoryA(base.c_str(), nullptr);
  for (const std::string& r : relative) CreateDirectoryA((base + "\\" + r).c_str(), nullptr);
}

// A folder tree on the desktop, deleted at the end:
//   Fix\Docs\{beta, Zed, alpha, Alpha2}, Fix\Empty, Fix\Tri\{One, Two\Deep}, Fix\file.txt
class DesktopFixture {
public:
  DesktopFixture() : path_(MakeFreshFolder(DesktopDirectory() + "\\", "OvalisTree")) {
    name_ = path_.substr(path_.rfind('\\') + 1);
    MakeFolders(path_, {"Docs", "Docs\\beta", "Docs\\Zed", "Docs\\alpha", "Docs\\Alpha2", "Empty", "Tri", "Tri\\One", "Tri\\Two",
                        "Tri\\Two\\Deep"});
    WriteTextFile(path_ + "\\file.txt", "not a folder");
  }
  ~DesktopFixture() { DeleteTree(path_); }
  DesktopFixture(const DesktopFixture&) = delete;
  DesktopFixture& operator=(const DesktopFixture&) = delete;
  const std::string& Name() const { return name_; }
  const std::string& Path() const { return path_; }

private:
  std::string path_;
  std::string name_;
};

TTreeNode* ChildNamed(TTreeNode* parent, const std::string& text) {
  for (TTreeNode* n = parent != nullptr ? parent->GetFirstChild() : nullptr; n != nullptr; n = n->GetNextSibling())
    if (n->Text() == text) return n;
  return nullptr;
}

std::vector<std::string> ChildTexts(TTreeNode* parent) {
  std::vector<std::string> texts;
  for (TTreeNode* n = parent->GetFirstChild(); n != nullptr; n = n->GetNextSibling()) texts.push_back(n->Text());
  return texts;
}

TCheckState StateOf(TTreeNode* node) { return TCheckTree::NodeCheckState(node); }

// A folder of the node's that is no longer there: the test programs running
// alongside add their own folders to the shared desktop and remove them.
bool LeftTheDisk(TTreeNode* node) {
  const std::string path = PidlToPath(TShellTree::NodePidl(node));
  return !path.empty() && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> Lines(TStrings& list) { return list.ToVector(); }

class ShellTreeTest : public TreeFormTest {
protected:
  void SetUp() override {
    TreeFormTest::SetUp();
    ASSERT_FALSE(DesktopDirectory().empty());
    tree = AddTree<TShellTree>();
    root = tree->Items()->GetFirstNode();
    ASSERT_NE(root, nullptr);
    fix = ChildNamed(root, fixture.Name());
    ASSERT_NE(fix, nullptr) << "the desktop lists the fixture folder";
  }
  // fix and the named descendants, expanded.
  TTreeNode* Open(TTreeNode* node, const std::vector<std::string>& path) {
    node->Expand(false);
    for (const std::string& name : path) {
      node = ChildNamed(node, name);
      if (node == nullptr) return nullptr;
      node->Expand(false);
    }
    return node;
  }
  // A folder made below the fixture; the line its tick is stored by.
  std::string MakeFolder(const std::wstring& below, DWORD attributes) {
    const std::wstring path = MultiByteToWide(fixture.Path() + "\\") + below;
    EXPECT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    EXPECT_TRUE(SetFileAttributesW(path.c_str(), attributes));
    return FixtureLine(WideToMultiByte(below));
  }
  std::string FixtureLine(const std::string& below) { return root->Text() + "\\" + fixture.Name() + "\\" + below; }

  DesktopFixture fixture;
  TShellTree* tree = nullptr;
  TTreeNode* root = nullptr;
  TTreeNode* fix = nullptr;
};

TEST_F(ShellTreeTest, SubFoldersLoadOnFirstExpansionOnly) {
  EXPECT_TRUE(root->Expanded());
  EXPECT_EQ(fix->Count(), 0);
  EXPECT_TRUE(fix->HasChildren());
  EXPECT_EQ(tree->GetNodePath(fix->AbsoluteIndex()), fixture.Path());
  fix->Expand(false);
  std::vector<std::string> children = ChildTexts(fix);
  std::sort(children.begin(), children.end());
  EXPECT_EQ(children, (std::vector<std::string>{"Docs", "Empty", "Tri"}));  // no file, no hidden item
  // An empty folder loses its button once it has been looked into.
  TTreeNode* empty = ChildNamed(fix, "Empty");
  empty->Expand(false);
  EXPECT_EQ(empty->Count(), 0);
  EXPECT_FALSE(empty->HasChildren());
  // Collapsing and expanding again loads nothing twice.
  fix->Collapse(false);
  fix->Expand(false);
  EXPECT_EQ(fix->Count(), 3);
  ChildNamed(fix, "Tri")->SetSelected(true);
  EXPECT_EQ(tree->Path(), fixture.Path() + "\\Tri");
  EXPECT_EQ(tree->GetNodePath(-1), "");
}

// Deeper than the drives, folders are in byte order: upper case first. Each
// shows the icons the shell gives it by itself, a read-only (customisable)
// folder among plain ones too.
TEST_F(ShellTreeTest, DeepFoldersSortByBytes) {
  SetFileAttributesA((fixture.Path() + "\\Docs\\Zed").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY);
  TTreeNode* docs = Open(fix, {"Docs"});
  ASSERT_NE(docs, nullptr);
  EXPECT_EQ(docs->Level(), 2);
  EXPECT_EQ(ChildTexts(docs), (std::vector<std::string>{"Alpha2", "Zed", "alpha", "beta"}));
  for (TTreeNode* n = docs->GetFirstChild(); n != nullptr; n = n->GetNextSibling()) {
    EXPECT_EQ(n->ImageIndex(), GetPidlIconIndex(TShellTree::NodePidl(n), false, false)) << n->Text();
    EXPECT_EQ(n->SelectedIndex(), GetPidlIconIndex(TShellTree::NodePidl(n), false, true)) << n->Text();
  }
  SetFileAttributesA((fixture.Path() + "\\Docs\\Zed").c_str(), FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(ShellTreeTest, ChecksSpreadDownAndGraysSpreadUp) {
  tree->SetThreeState(true);
  TTreeNode* tri = Open(fix, {"Tri", "Two"})->Parent();
  TTreeNode* one = ChildNamed(tri, "One");
  TTreeNode* two = ChildNamed(tri, "Two");
  TTreeNode* deep = ChildNamed(two, "Deep");
  tree->ToggleState(tri);
  for (TTreeNode* n : {tri, one, two, deep}) EXPECT_EQ(StateOf(n), csChecked) << n->Text();
  EXPECT_EQ(StateOf(fix), csUnchecked);
  // Checked -> grayed: a checked ancestor no longer covers everything.
  tree->ToggleState(two);
  EXPECT_EQ(StateOf(two), csGrayed);
  EXPECT_EQ(StateOf(deep), csUnchecked);
  EXPECT_EQ(StateOf(tri), csGrayed);
  EXPECT_EQ(StateOf(one), csChecked);
  // Grayed -> unchecked leaves the grayed parent as it is.
  tree->ToggleState(two);
  EXPECT_EQ(StateOf(two), csUnchecked);
  EXPECT_EQ(StateOf(tri), csGrayed);
  // The root is never changed by a descendant.
  tree->ToggleState(fix);
  tree->ToggleState(deep);
  EXPECT_EQ(StateOf(deep), csGrayed);
  for (TTreeNode* n : {two, tri, fix}) EXPECT_EQ(StateOf(n), csGrayed) << n->Text();
  EXPECT_EQ(StateOf(root), csUnchecked);
}

TEST_F(ShellTreeTest, UncheckingUnderACheckedFolderLeavesSiblingsAsLines) {
  TStringList lines;
  tree->GetCheckedPaths(&lines);
  EXPECT_TRUE(lines.ToVector().empty());
  TTreeNode* tri = Open(fix, {"Tri"});
  tree->ToggleState(fix);
  EXPECT_EQ(StateOf(ChildNamed(tri, "One")), csChecked);
  tree->ToggleState(ChildNamed(tri, "Two"));
  EXPECT_EQ(StateOf(fix), csUnchecked);
  EXPECT_EQ(StateOf(tri), csUnchecked);
  tree->GetCheckedPaths(&lines);
  const std::string prefix = root->Text() + "\\" + fixture.Name() + "\\";
  std::vector<std::string> expected;
  for (TTreeNode* n = fix->GetFirstChild(); n != nullptr; n = n->GetNextSibling())
    expected.push_back(n == tri ? prefix + "Tri\\One" : prefix + n->Text());
  EXPECT_EQ(Lines(lines), expected);
}

// Folders loaded under a checked folder come checked; under a grayed one,
// unchecked.
TEST_F(ShellTreeTest, NewChildrenTakeTheirParentsCheck) {
  tree->SetThreeState(true);
  tree->ToggleState(fix);
  TTreeNode* tri = Open(fix, {"Tri"});
  EXPECT_EQ(StateOf(tri), csChecked);
  EXPECT_EQ(StateOf(ChildNamed(tri, "One")), csChecked);
  TTreeNode* docs = ChildNamed(fix, "Docs");
  tree->ToggleState(docs);
  EXPECT_EQ(StateOf(docs), csGrayed);
  docs->Expand(false);
  EXPECT_EQ(StateOf(docs->GetFirstChild()), csUnchecked);
}

// The desktop's check reaches the folders stored in the desktop folder,
// never My Computer or other items outside it.
TEST_F(ShellTreeTest, CheckingTheDesktopChecksOnlyItsOwnFolders) {
  Open(fix, {"Tri"});
  tree->ToggleState(root);
  EXPECT_EQ(StateOf(fix), csChecked);
  EXPECT_EQ(StateOf(ChildNamed(ChildNamed(fix, "Tri"), "Two")), csChecked);
  int outside = 0;
  for (TTreeNode* n = root->GetFirstChild(); n != nullptr; n = n->GetNextSibling()) {
    const std::string path = PidlToPath(TShellTree::NodePidl(n));
    if (path.rfind(DesktopDirectory() + "\\", 0) == 0) continue;
    ++outside;
    EXPECT_EQ(StateOf(n), csUnchecked) << n->Text();
  }
  EXPECT_GT(outside, 0);  // My Computer at least
}

TEST_F(ShellTreeTest, CheckedPathsSurviveASaveAndRestoreEverySystem) {
  TTreeNode* two = Open(fix, {"Tri", "Two"});
  tree->ToggleState(ChildNamed(fix, "Docs"));
  tree->ToggleState(two);
  TStringList saved;
  tree->GetCheckedPaths(&saved);
  ASSERT_EQ(saved.Count(), 2);
  // A second tree (no window needed) loads the folders on the way.
  TShellTree restored(nullptr);
  restored.SetCheckedPaths(&saved);
  TStringList again;
  restored.GetCheckedPaths(&again);
  EXPECT_EQ(Lines(again), Lines(saved));
  TTreeNode* fix2 = ChildNamed(restored.Items()->GetFirstNode(), fixture.Name());
  EXPECT_EQ(StateOf(ChildNamed(fix2, "Tri")), csUnchecked);
  // A line under a drive not connected now ticks nothing and is kept for
  // the day it is back, until the user toggles a folder above it; a line
  // whose folder is gone from a folder that is there is dropped, also when
  // the code page could not hold its name ("??" on a Western system).
  TTreeNode* computer = nullptr;
  for (TTreeNode* n = root->GetFirstChild(); n != nullptr; n = n->GetNextSibling())
    if (IsSpecialFolderPidl(TShellTree::NodePidl(n), rsDrives)) computer = n;
  ASSERT_NE(computer, nullptr);
  const std::string absent = root->Text() + "\\" + computer->Text() + "\\Nope (Q:)\\One";
  TShellTree other(nullptr);
  TStringList gone;
  gone.Add(root->Text() + "\\" + fixture.Name() + "\\Nope\\One");
  gone.Add(MakeFolder(L"Docs\\\u4E2D\u6587", FILE_ATTRIBUTE_NORMAL));
  ASSERT_TRUE(RemoveDirectoryW((MultiByteToWide(fixture.Path()) + L"\\Docs\\\u4E2D\u6587").c_str()));
  gone.Add(absent);
  other.SetCheckedPaths(&gone);
  other.GetCheckedPaths(&again);
  EXPECT_EQ(Lines(again), std::vector<std::string>{absent});
  TTreeNode* root3 = other.Items()->GetFirstNode();
  EXPECT_EQ(StateOf(ChildNamed(root3, fixture.Name())), csUnchecked);
  other.ToggleState(root3);
  other.ToggleState(root3);
  other.GetCheckedPaths(&again);
  EXPECT_TRUE(again.ToVector().empty());
}

// The tree shows neither hidden folders nor the names a folder bore in
// another language: their ticks stay, as does one in a folder that holds a
// folder the shell may show by a name of its own (a system one with a
// desktop.ini), and those of hidden folders whose names the code page shows
// by "?" or by a look-alike ("HidO").
TEST_F(ShellTreeTest, TicksOfFoldersTheTreeDoesNotShowAreKeptEverySystem) {
  TStringList stored;
  stored.Add(MakeFolder(L"Tri\\Hidden", FILE_ATTRIBUTE_HIDDEN));
  stored.Add(MakeFolder(L"Tri\\HiddenSystem", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(WriteTextFile(fixture.Path() + "\\Tri\\HiddenSystem\\desktop.ini", "[.ShellClassInfo]\r\n"));
  stored.Add(MakeFolder(L"Tri\\Hidden\\Inner", FILE_ATTRIBUTE_NORMAL));
  stored.Add(FixtureLine("Tri\\Named Otherwise"));
  // Docs holds no folder shown by another name, so only the disk keeps this.
  stored.Add(MakeFolder(L"Docs\\Hid\u4E2D\u6587", FILE_ATTRIBUTE_HIDDEN));
  stored.Add(MakeFolder(L"Docs\\Hid\u014C", FILE_ATTRIBUTE_HIDDEN));
  TShellTree restored(nullptr);
  restored.SetCheckedPaths(&stored);
  TStringList again;
  restored.GetCheckedPaths(&again);
  EXPECT_EQ(Lines(again), Lines(stored));
  SetFileAttributesA((fixture.Path() + "\\Tri\\HiddenSystem").c_str(), FILE_ATTRIBUTE_DIRECTORY);
}

// On a Japanese system (code page 932) "\x83\x5C" is one katakana whose
// second byte is a "\": a stored tick of a folder of that name comes back,
// and so do those of hidden folders the tree does not show: "Hid" and a
// kanji ending in "\x5C", and one inside a folder whose name so ends.
TEST_F(ShellTreeTest, TicksOfFoldersWhoseNamesHoldASecondByteBackslashComeBackDoubleByteSystem) {
  if (AnsiCodePage() != 932) GTEST_SKIP() << "needs code page 932";
  const std::string so = "\x83\x5C";
  ASSERT_TRUE(CreateDirectoryA((fixture.Path() + "\\Tri\\" + so).c_str(), nullptr));
  tree->ToggleState(Open(fix, {"Tri", so}));
  TStringList saved;
  tree->GetCheckedPaths(&saved);
  TShellTree restored(nullptr);
  restored.SetCheckedPaths(&saved);
  TTreeNode* fix2 = ChildNamed(restored.Items()->GetFirstNode(), fixture.Name());
  EXPECT_EQ(StateOf(ChildNamed(ChildNamed(fix2, "Tri"), so)), csChecked);

  TStringList stored;
  stored.Add(MakeFolder(L"Docs\\Hid\u8868", FILE_ATTRIBUTE_HIDDEN));
  ASSERT_NE(stored.Get(0).find("\x95\x5C"), std::string::npos);
  const std::string hyou = MakeFolder(L"Tri\\\u8868", FILE_ATTRIBUTE_NORMAL);
  stored.Add(MakeFolder(L"Tri\\\u8868\\Inner", FILE_ATTRIBUTE_HIDDEN));
  const std::vector<std::string> kept = Lines(stored);
  stored.Add(hyou + "\\Gone");
  TShellTree other(nullptr);
  other.SetCheckedPaths(&stored);
  TStringList again;
  other.GetCheckedPaths(&again);
  EXPECT_EQ(Lines(again), kept);
}

// A tick on the desktop, saved and restored after a restart, gives the very
// ticks its toggle gave: the folders stored on the desktop, never My
// Computer, whose drives then come unticked when it is opened.
TEST_F(ShellTreeTest, RestoredDesktopTickGivesTheTicksOfItsToggle) {
  Open(fix, {"Tri"});
  tree->ToggleState(root);
  TStringList saved;
  tree->GetCheckedPaths(&saved);
  ASSERT_EQ(Lines(saved), std::vector<std::string>{root->Text()});

  TShellTree restored(nullptr);
  restored.SetCheckedPaths(&saved);
  TTreeNode* root2 = restored.Items()->GetFirstNode();
  EXPECT_EQ(StateOf(root2), csChecked);
  TTreeNode* computer = nullptr;
  for (TTreeNode* n = root->GetFirstChild(); n != nullptr; n = n->GetNextSibling()) {
    TTreeNode* same = ChildNamed(root2, n->Text());
    if (same == nullptr && LeftTheDisk(n)) continue;
    ASSERT_NE(same, nullptr) << n->Text();
    EXPECT_EQ(StateOf(same), StateOf(n)) << n->Text();
    if (IsSpecialFolderPidl(TShellTree::NodePidl(same), rsDrives)) computer = same;
  }
  ASSERT_NE(computer, nullptr);
  EXPECT_EQ(StateOf(computer), csUnchecked);
  computer->Expand(false);
  ASSERT_GT(computer->Count(), 0);
  for (TTreeNode* drive = computer->GetFirstChild(); drive != nullptr; drive = drive->GetNextSibling())
    EXPECT_EQ(StateOf(drive), csUnchecked) << drive->Text();
  // Folders loaded later below a restored desktop folder still take its tick.
  TTreeNode* fix2 = ChildNamed(root2, fixture.Name());
  fix2->Expand(false);
  EXPECT_EQ(StateOf(ChildNamed(fix2, "Docs")), csChecked);
}

// A tick on a folder whose children are already loaded is applied, and the
// loaded children take it, as they would have taken it when loading.
TEST_F(ShellTreeTest, RestoredTickOnALoadedFolderReachesItsChildren) {
  TTreeNode* tri = Open(fix, {"Tri"});
  TStringList lines;
  lines.Add(root->Text() + "\\" + fixture.Name() + "\\Tri");
  tree->SetCheckedPaths(&lines);
  EXPECT_EQ(StateOf(tri), csChecked);
  EXPECT_EQ(StateOf(ChildNamed(tri, "One")), csChecked);
  EXPECT_EQ(StateOf(ChildNamed(tri, "Two")), csChecked);
  EXPECT_EQ(StateOf(fix), csUnchecked);
}

// Each name of a saved line is looked for below the previous one, so a tick
// on ...\Y\Same never lands on an earlier ...\X\Same.
TEST_F(ShellTreeTest, RestoredNamesAreMatchedLevelByLevel) {
  MakeFolders(fixture.Path() + "\\X", {"Same"});
  MakeFolders(fixture.Path() + "\\Y", {"Same"});
  Open(fix, {"X"});
  TStringList lines;
  lines.Add(root->Text() + "\\" + fixture.Name() + "\\Y\\Same");
  tree->SetCheckedPaths(&lines);
  EXPECT_EQ(StateOf(ChildNamed(ChildNamed(fix, "X"), "Same")), csUnchecked);
  EXPECT_EQ(StateOf(ChildNamed(ChildNamed(fix, "Y"), "Same")), csChecked);
}

// The Wine mount manager's own request for a drive letter backed by a host
// folder: it makes the dosdevices link of the test's prefix.
constexpr DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
struct UnixDriveRequest {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDevice;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};

// Defines (or, with an empty host path, removes) a fixed drive.
bool DefineUnixDrive(char letter, const std::string& hostPath) {
  HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) return false;
  std::vector<char> buffer(sizeof(UnixDriveRequest) + hostPath.size() + 1, '\0');
  auto* request = reinterpret_cast<UnixDriveRequest*>(buffer.data());
  request->size = static_cast<ULONG>(buffer.size());
  request->type = DRIVE_FIXED;
  request->letter = static_cast<WCHAR>(letter - 'A' + 'a');
  if (!hostPath.empty()) {
    request->mountPointOffset = sizeof(UnixDriveRequest);
    std::memcpy(buffer.data() + sizeof(UnixDriveRequest), hostPath.c_str(), hostPath.size());
  }
  DWORD got = 0;
  BOOL ok = DeviceIoControl(manager, kDefineUnixDrive, buffer.data(), request->size, nullptr, 0, &got, nullptr);
  CloseHandle(manager);
  return ok != 0;
}

class SecondDrive {
public:
  SecondDrive() {
    DWORD used = GetLogicalDrives();
    for (char c = 'E'; c < 'Z' && letter_ == 0; ++c)
      if ((used & (1u << (c - 'A'))) == 0) letter_ = c;
    std::string host = UnixNameOfDosPath(folder_.Path());
    if (letter_ != 0 && !host.empty() && DefineUnixDrive(letter_, host)) root_ = std::string(1, letter_) + ":\\";
  }
  ~SecondDrive() {
    if (!root_.empty()) DefineUnixDrive(letter_, "");
  }
  SecondDrive(const SecondDrive&) = delete;
  SecondDrive& operator=(const SecondDrive&) = delete;
  // "E:\" and the like; "" when no drive could be made.
  const std::string& Root() const { return root_; }

private:
  TTempFolder folder_;
  char letter_ = 0;
  std::string root_;
};

TTreeNode* NodeWithPath(TTreeNode* parent, const std::string& path) {
  for (TTreeNode* n = parent->GetFirstChild(); n != nullptr; n = n->GetNextSibling())
    if (PidlToPath(TShellTree::NodePidl(n)) == path) return n;
  return nullptr;
}

// "D:\Data" ticked and saved comes back on D:, not on a "C:\Data" the
// restoring tree happens to have loaded first.
TEST_F(ShellTreeTest, SameFolderNameOnTwoDrivesRestoresOnTheRightDrive) {
  SecondDrive drive;
  ASSERT_FALSE(drive.Root().empty()) << "could not add a drive to the test prefix";
  const std::string data = MakeFreshFolder("C:\\", "OvalisData").substr(3);
  MakeFolders(drive.Root() + data, {});
  struct Cleanup {
    std::string a, b;
    ~Cleanup() {
      DeleteTree(a);
      DeleteTree(b);
    }
  } cleanup{"C:\\" + data, drive.Root() + data};

  auto openDrives = [](TShellTree& t, const std::string& second) {
    TTreeNode* top = t.Items()->GetFirstNode();
    TTreeNode* computer = nullptr;
    for (TTreeNode* n = top->GetFirstChild(); n != nullptr && computer == nullptr; n = n->GetNextSibling())
      if (IsSpecialFolderPidl(TShellTree::NodePidl(n), rsDrives)) computer = n;
    if (computer == nullptr) return std::vector<TTreeNode*>{};
    computer->Expand(false);
    std::vector<TTreeNode*> drives{NodeWithPath(computer, "C:\\"), NodeWithPath(computer, second)};
    return drives;
  };
  std::vector<TTreeNode*> drives = openDrives(*tree, drive.Root());
  ASSERT_EQ(drives.size(), 2u);
  ASSERT_NE(drives[0], nullptr);
  ASSERT_NE(drives[1], nullptr);
  drives[1]->Expand(false);
  TTreeNode* ticked = ChildNamed(drives[1], data);
  ASSERT_NE(ticked, nullptr);
  tree->ToggleState(ticked);
  TStringList saved;
  tree->GetCheckedPaths(&saved);
  ASSERT_EQ(saved.Count(), 1);

  TShellTree restored(nullptr);
  std::vector<TTreeNode*> drives2 = openDrives(restored, drive.Root());
  ASSERT_EQ(drives2.size(), 2u);
  drives2[0]->Expand(false);  // C: browsed before the restore: its Data comes first in tree order
  restored.SetCheckedPaths(&saved);
  EXPECT_EQ(StateOf(ChildNamed(drives2[0], data)), csUnchecked);
  EXPECT_EQ(StateOf(ChildNamed(drives2[1], data)), csChecked);
}

// The tree with all three states, saved in the build folder as
// "shell_tree_states.bmp" for a person to look at.
TEST_F(ShellTreeTest, PictureOfTheThreeStates) {
  tree->SetCheckBitmap(nullptr);
  tree->SetThreeState(true);
  TTreeNode* tri = Open(fix, {"Tri", "Two"})->Parent();
  Open(fix, {"Docs"});
  tree->ToggleState(ChildNamed(fix, "Docs"));
  tree->ToggleState(tri);
  tree->ToggleState(ChildNamed(tri, "One"));  // grayed, and so is Tri
  tree->SetSelected(ChildNamed(tri, "Two"));
  EXPECT_EQ(StateOf(tri), csGrayed);
  EXPECT_EQ(StateOf(ChildNamed(fix, "Empty")), csUnchecked);
  SendMessageA(tree->Handle(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(ChildNamed(tri, "Two")->ItemId()));
  Pump(20);
  EXPECT_TRUE(SaveWindowPicture(tree->Handle(), "shell_tree_states.bmp"));
}

// --- listing a folder --------------------------------------------------------------

// A shell folder whose EnumObjects answers as told; nothing else is used.
class TFakeFolder : public IShellFolder {
public:
  TFakeFolder(HRESULT result, IEnumIDList* items) : result_(result), items_(items) {}
  STDMETHODIMP QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*, ULONG*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP EnumObjects(HWND, SHCONTF, IEnumIDList** list) override {
    *list = items_;
    return result_;
  }
  STDMETHODIMP BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE) override { return E_NOTIMPL; }
  STDMETHODIMP CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF*) override { return E_NOTIMPL; }
  STDMETHODIMP GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*, void**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetDisplayNameOf(PCUITEMID_CHILD, SHGDNF, STRRET*) override { return E_NOTIMPL; }
  STDMETHODIMP SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*) override { return E_NOTIMPL; }

private:
  HRESULT result_;
  IEnumIDList* items_;
};

// Hands out count one-item lists, then S_FALSE.
class TFakeItems : public IEnumIDList {
public:
  explicit TFakeItems(int count) : left_(count) {}
  STDMETHODIMP QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP Next(ULONG, PITEMID_CHILD* item, ULONG* fetched) override {
    *fetched = 0;
    if (left_ == 0) return S_FALSE;
    --left_;
    *item = static_cast<PITEMID_CHILD>(CoTaskMemAlloc(6));
    std::memset(*item, 0, 6);
    (*item)->mkid.cb = 4;
    *fetched = 1;
    return S_OK;
  }
  STDMETHODIMP Skip(ULONG) override { return E_NOTIMPL; }
  STDMETHODIMP Reset() override { return E_NOTIMPL; }
  STDMETHODIMP Clone(IEnumIDList**) override { return E_NOTIMPL; }
  ULONG refs = 1;

private:
  int left_;
};

TEST(EnumerateSubFolders, SuccessWithoutAnEnumeratorIsAnEmptyFolder) {
  int seen = 0;
  auto count = [&](LPITEMIDLIST) { ++seen; };
  TFakeFolder nothingHere(S_FALSE, nullptr);
  EXPECT_TRUE(EnumerateSubFolders(&nothingHere, nullptr, count));
  TFakeFolder nothingEither(S_OK, nullptr);
  EXPECT_TRUE(EnumerateSubFolders(&nothingEither, nullptr, count));
  TFakeFolder unreadable(HRESULT_FROM_WIN32(ERROR_NOT_READY), nullptr);
  EXPECT_FALSE(EnumerateSubFolders(&unreadable, nullptr, count));
  EXPECT_EQ(seen, 0);
  TFakeItems items(2);
  TFakeFolder two(S_FALSE, &items);
  EXPECT_TRUE(EnumerateSubFolders(&two, nullptr, count));
  EXPECT_EQ(seen, 2);
  EXPECT_EQ(items.refs, 0u);  // released when done
}

}  // namespace
