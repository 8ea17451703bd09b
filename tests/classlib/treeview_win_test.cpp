#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/clipboard.h"
#include "classlib/forms.h"
#include "classlib/imagelist.h"
#include "classlib/screen.h"
#include "classlib/treeview.h"
#include "clipboard_lock_win.h"

namespace {

class TreeViewTest : public testing::Test {
protected:
  void SetUp() override {
    Application->OnException = [this](TObject*, const Exception& e) { errors.push_back(e.Message()); };
    form = std::make_unique<TForm>(nullptr);
    form->AfterConstruction();
    form->SetBounds(40, 420, 300, 260);
    tree = new TTreeView(form.get());
    tree->SetBounds(0, 0, 280, 240);
    tree->OnExpanding = [this](TObject*, TTreeNode* node, bool& allow) {
      log.push_back("expanding " + node->Text());
      allow = node->Text() != "locked";
    };
    tree->OnExpanded = [this](TObject*, TTreeNode* node) { log.push_back("expanded " + node->Text()); };
  }
  void TearDown() override {
    form.reset();
    Application->ProcessMessages();
    Application->OnException = nullptr;
    EXPECT_TRUE(errors.empty()) << errors.front();
  }
  void ShowTree() {
    tree->SetParent(form.get());
    form->Show();
  }
  bool WindowExpanded(TTreeNode* node) {
    UINT state = static_cast<UINT>(
        SendMessageA(tree->Handle(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node->ItemId()), TVIS_EXPANDED));
    return (state & TVIS_EXPANDED) != 0;
  }

  std::unique_ptr<TForm> form;
  TTreeView* tree = nullptr;
  std::vector<std::string> log;
  std::vector<std::string> errors;
};

// Expand() asks CanExpand itself, once, because the expand message gives the
// program no notification to rely on.
TEST_F(TreeViewTest, ExpandFromCodeAsksCanExpandOnce) {
  ShowTree();
  TTreeNode* root = tree->Items()->Add(nullptr, "root");
  tree->Items()->AddChild(root, "child");
  root->Expand(false);
  EXPECT_EQ(log, (std::vector<std::string>{"expanding root", "expanded root"}));
  EXPECT_TRUE(root->Expanded());
  EXPECT_TRUE(WindowExpanded(root));
}

TEST_F(TreeViewTest, UserExpansionAsksCanExpandThroughTheNotification) {
  ShowTree();
  TTreeNode* root = tree->Items()->Add(nullptr, "root");
  tree->Items()->AddChild(root, "child");
  TTreeNode* locked = tree->Items()->Add(nullptr, "locked");
  tree->Items()->AddChild(locked, "inside");
  for (TTreeNode* node : {root, locked}) {
    node->SetSelected(true);
    SendMessageA(tree->Handle(), WM_KEYDOWN, VK_RIGHT, 0);
  }
  EXPECT_EQ(log, (std::vector<std::string>{"expanding root", "expanded root", "expanding locked"}));
  EXPECT_TRUE(root->Expanded());
  EXPECT_TRUE(WindowExpanded(root));
  EXPECT_FALSE(locked->Expanded());
  EXPECT_FALSE(WindowExpanded(locked));
}

// Nodes made before the window exists appear in it, and survive its
// re-creation with their texts, state images and expansion.
TEST_F(TreeViewTest, NodesOutliveTheWindow) {
  TTreeNode* root = tree->Items()->Add(nullptr, "root");
  TTreeNode* child = tree->Items()->AddChild(root, "child");
  tree->Items()->AddChild(child, "grandchild");
  child->SetStateIndex(2);
  root->Expand(false);
  EXPECT_EQ(tree->Items()->Count(), 3);
  EXPECT_EQ(child->AbsoluteIndex(), 1);
  ShowTree();
  EXPECT_TRUE(WindowExpanded(root));
  tree->SetShowLines(false);  // re-creates the window
  EXPECT_TRUE(WindowExpanded(root));
  TVITEMA item{};
  char text[32] = {};
  item.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_STATE;
  item.hItem = child->ItemId();
  item.pszText = text;
  item.cchTextMax = sizeof text;
  item.stateMask = TVIS_STATEIMAGEMASK;
  ASSERT_TRUE(SendMessageA(tree->Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_STREQ(text, "child");
  EXPECT_EQ(item.state & TVIS_STATEIMAGEMASK, static_cast<UINT>(INDEXTOSTATEIMAGEMASK(2)));
  EXPECT_EQ(SendMessageA(tree->Handle(), TVM_GETCOUNT, 0, 0), 3);
}

TEST_F(TreeViewTest, MovedNodeKeepsItsSubtreeAndDeletionIsReported) {
  ShowTree();
  TTreeNode* a = tree->Items()->Add(nullptr, "a");
  TTreeNode* b = tree->Items()->Add(nullptr, "b");
  tree->Items()->AddChild(b, "b1");
  b->MoveTo(a, naInsert);
  EXPECT_EQ(tree->Items()->GetFirstNode(), b);
  EXPECT_EQ(b->GetNextSibling(), a);
  EXPECT_EQ(tree->Items()->Item(1)->Text(), "b1");
  EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessageA(tree->Handle(), TVM_GETNEXTITEM, TVGN_ROOT, 0)), b->ItemId());
  EXPECT_THROW(b->MoveTo(b->GetFirstChild(), naAddChild), EInvalidOperation);
  std::vector<std::string> deleted;
  tree->OnDeletion = [&](TObject*, TTreeNode* node) { deleted.push_back(node->Text()); };
  tree->Items()->Clear();
  EXPECT_EQ(deleted, (std::vector<std::string>{"a", "b1", "b"}));
  EXPECT_EQ(SendMessageA(tree->Handle(), TVM_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(tree->Items()->Item(0), nullptr);
}

}  // namespace

// A shared list (the shell's system list) is only borrowed: freeing the
// component leaves it alive; a list the component made itself is freed.
TEST(ImageListTest, SharedHandleIsNeverDestroyed) {
  HIMAGELIST system = ImageList_Create(16, 16, ILC_COLOR24, 1, 1);
  auto* shared = new TImageList(nullptr);
  shared->SetShareImages(true);
  shared->SetHandle(system);
  EXPECT_EQ(shared->Handle(), system);
  delete shared;
  EXPECT_TRUE(ImageList_Destroy(system));  // still a valid list

  TImageList own(nullptr);
  own.SetHeight(20);
  HIMAGELIST made = own.Handle();
  int cx = 0, cy = 0;
  ASSERT_TRUE(ImageList_GetIconSize(made, &cx, &cy));
  EXPECT_EQ(cx, 16);
  EXPECT_EQ(cy, 20);
}

// Open nests, and the clipboard is emptied once, before the first format of
// an opening: both formats put on it in one opening stay.
TEST(ClipboardTest, FormatsPutInOneOpeningAllStay) {
  const UINT first = RegisterClipboardFormatA("OvalisTestFirst");
  const UINT second = RegisterClipboardFormatA("OvalisTestSecond");
  auto block = [](char c) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 1);
    *static_cast<char*>(GlobalLock(h)) = c;
    GlobalUnlock(h);
    return h;
  };
  ClipboardTestLock lock;
  TClipboard* clipboard = Clipboard();
  clipboard->SetAsHandle(first, block('x'));  // an earlier, separate copy
  {
    ClipboardOpenScope open(clipboard);
    clipboard->Open();
    clipboard->SetAsHandle(second, block('a'));
    clipboard->Close();
    clipboard->SetAsHandle(CF_TEXT, block('\0'));
    EXPECT_TRUE(clipboard->IsOpen());
  }
  EXPECT_FALSE(clipboard->IsOpen());
  EXPECT_FALSE(clipboard->HasFormat(first));
  EXPECT_TRUE(clipboard->HasFormat(second));
  EXPECT_TRUE(clipboard->HasFormat(CF_TEXT));
  HANDLE data = clipboard->GetAsHandle(second);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(*static_cast<char*>(GlobalLock(data)), 'a');
  GlobalUnlock(data);
}

TEST(ScreenTest, HourglassScopeShowsTheWaitCursorAndRestores) {
  ASSERT_NE(Screen, nullptr);
  {
    ScreenCursorScope busy(crHourGlass);
    EXPECT_EQ(Screen->Cursor(), crHourGlass);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
  }
  EXPECT_EQ(Screen->Cursor(), crDefault);
}
