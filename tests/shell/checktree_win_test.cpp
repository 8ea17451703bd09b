#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "classlib/bitmap.h"
#include "classlib/imagelist.h"
#include "shell/checktree.h"
#include "tree_fixture.h"

namespace {

class CheckTreeTest : public TreeFormTest {
protected:
  RECT FormBounds() const override { return RECT{1000, 760, 1260, 1000}; }
  void SetUp() override {
    TreeFormTest::SetUp();
    tree = AddTree<TCheckTree>();
    tree->SetCheckBitmap(nullptr);  // fills the check images from the resource
    tree->OnStateClick = [this](TCheckState state) { clicks.push_back(state); };
    a = tree->Items()->Add(nullptr, "a");
    tree->Items()->AddChild(a, "a1");
    b = tree->Items()->Add(nullptr, "b");
    for (int i = 0; i < tree->Items()->Count(); ++i) tree->SetCheckState(i, csUnchecked);
  }
  // A point of node's check box, found by the window's hit test.
  POINT CheckBoxPoint(TTreeNode* node) {
    TRect text = node->DisplayRect(true);
    int y = (text.Top + text.Bottom) / 2;
    for (int x = 0; x < text.Left; ++x)
      if (tree->GetHitTestInfoAt(x, y) & TVHT_ONITEMSTATEICON) return POINT{x + 2, y};
    ADD_FAILURE() << "no check box before " << node->Text();
    return POINT{0, y};
  }

  TCheckTree* tree = nullptr;
  TTreeNode* a = nullptr;
  TTreeNode* b = nullptr;
  std::vector<TCheckState> clicks;
};

TEST_F(CheckTreeTest, CheckImagesComeFromTheResource) {
  EXPECT_EQ(tree->CheckBitmap()->Width(), 64);
  EXPECT_EQ(tree->CheckBitmap()->Height(), 16);
  EXPECT_EQ(tree->CheckBitmap()->PixelFormat(), pf8bit);
  EXPECT_EQ(tree->StateImages()->Count(), 4);
  // A bitmap of two images, then nil: the resource's four come back.
  TBitmap two;
  two.SetSize(32, 16);
  tree->SetCheckBitmap(&two);
  EXPECT_EQ(tree->StateImages()->Count(), 2);
  tree->SetCheckBitmap(nullptr);
  EXPECT_EQ(tree->CheckBitmap()->Width(), 64);
  EXPECT_EQ(tree->StateImages()->Count(), 4);
}

TEST_F(CheckTreeTest, StatesByIndexAndWithoutBoxes) {
  EXPECT_EQ(tree->GetCheckState(-1), csNone);
  EXPECT_EQ(tree->GetCheckState(tree->Items()->Count()), csNone);
  tree->SetCheckState(1, csGrayed);
  tree->SetCheckState(2, csNone);
  EXPECT_EQ(a->GetFirstChild()->StateIndex(), 3);
  EXPECT_EQ(b->StateIndex(), -1);
  tree->SetCheckBoxes(false);
  EXPECT_EQ(tree->StateImages(), nullptr);
  EXPECT_EQ(tree->GetCheckState(1), csGrayed);
  tree->SetCheckBoxes(true);
  EXPECT_NE(tree->StateImages(), nullptr);
  EXPECT_TRUE(clicks.empty());  // setting states tells nobody
}

TEST_F(CheckTreeTest, ToggleFollowsTheTwoAndThreeStateCycles) {
  struct Case {
    bool threeState;
    TCheckState from;
    TCheckState to;
  };
  const Case cases[] = {
      {false, csUnchecked, csChecked}, {false, csChecked, csUnchecked}, {false, csGrayed, csUnchecked},
      {false, csNone, csUnchecked},    {true, csUnchecked, csChecked},  {true, csChecked, csGrayed},
      {true, csGrayed, csUnchecked},   {true, csNone, csUnchecked},
  };
  for (const Case& c : cases) {
    tree->SetThreeState(c.threeState);
    TCheckTree::SetNodeCheckState(b, c.from);
    clicks.clear();
    tree->ToggleState(b);
    EXPECT_EQ(TCheckTree::NodeCheckState(b), c.to) << c.threeState << " " << c.from;
    EXPECT_EQ(clicks, std::vector<TCheckState>{c.to});
  }
}

// Only the character 32 is the space; 0x120 merely shares its low byte.
TEST_F(CheckTreeTest, OnlyTheSpaceCharacterToggles) {
  HWND window = tree->Handle();
  SendMessageA(window, WM_CHAR, VK_SPACE, 1);  // nothing selected yet
  EXPECT_TRUE(clicks.empty());
  b->SetSelected(true);
  SendMessageA(window, WM_CHAR, 0x120, 1);
  SendMessageA(window, WM_CHAR, 0x10020, 1);
  SendMessageA(window, WM_CHAR, 'a', 1);  // no incremental search either
  EXPECT_TRUE(clicks.empty());
  EXPECT_TRUE(b->Selected());
  SendMessageA(window, WM_CHAR, VK_SPACE, 1);
  EXPECT_EQ(clicks, std::vector<TCheckState>{csChecked});
  EXPECT_EQ(TCheckTree::NodeCheckState(b), csChecked);
}

// A click on the box toggles, a click on the text does not, and a
// double-click on the box toggles once per click without expanding.
TEST_F(CheckTreeTest, MouseTogglesOnTheBoxOnly) {
  HWND window = tree->Handle();
  Pump();
  ClickAt(window, CheckBoxPoint(b));
  EXPECT_TRUE(PumpUntil([&] { return !clicks.empty(); }));
  EXPECT_EQ(clicks, std::vector<TCheckState>{csChecked});
  // The click on the text selects the node, and is handled once it has.
  TRect text = b->DisplayRect(true);
  ClickAt(window, POINT{text.Left + 3, (text.Top + text.Bottom) / 2});
  EXPECT_TRUE(PumpUntil([&] { return b->Selected(); }));
  Pump();
  EXPECT_EQ(clicks.size(), 1u);
  clicks.clear();
  ClickAt(window, CheckBoxPoint(a), 2);
  EXPECT_TRUE(PumpUntil([&] { return clicks.size() >= 2; }));
  Pump();
  EXPECT_EQ(clicks, (std::vector<TCheckState>{csChecked, csUnchecked}));
  EXPECT_FALSE(a->Expanded());
}

}  // namespace
