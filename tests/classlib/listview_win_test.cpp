#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "classlib/listview.h"
#include "window_fixture_win.h"

namespace {

constexpr int kRows = 100000;

std::string RowCaption(int index) { return "row" + std::to_string(index); }

class ListViewTest : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    form->SetBounds(360, 40, 420, 300);
    list = new TListView(form.get());
    list->SetBounds(0, 0, 400, 280);
    list->SetViewStyle(vsReport);
    list->SetOwnerData(true);
    list->SetMultiSelect(true);
    list->SetRowSelect(true);
    list->SetReadOnly(true);
    for (const char* caption : {"Name", "Size"}) {
      TListColumn* column = list->Columns()->Add();
      column->SetCaption(caption);
      column->SetWidth(150);
    }
    list->Columns()->Items(1)->SetAlignment(taRightJustify);
    list->OnData = [this](TObject*, TListItem* item) {
      ++dataCalls;
      item->SetCaption(RowCaption(item->Index()));
      item->SubItems()->Add(std::to_string(item->Index() * 10));
    };
    list->OnSelectItem = [this](TObject*, TListItem* item, bool selected) {
      selections.push_back((item != nullptr ? std::to_string(item->Index()) : "all") + (selected ? "+" : "-"));
    };
    list->SetParent(form.get());
    list->Items()->SetCount(kRows);
    form->Show();
    Pump();
  }
  // What a screen reader reads: the window's text of a cell.
  std::string CellText(int row, int column) {
    char text[64];
    std::fill(std::begin(text), std::end(text), 'Z');
    text[63] = '\0';
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list->Handle(), LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
  }
  POINT RowPoint(int row) {
    RECT r{};
    r.left = LVIR_LABEL;
    SendMessageA(list->Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    return POINT{r.left + 5, (r.top + r.bottom) / 2};
  }
  void ClickRow(int row, WPARAM keys = 0) {
    POINT p = RowPoint(row);
    LPARAM at = MAKELPARAM(p.x, p.y);
    PostMessageA(list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    PostMessageA(list->Handle(), WM_LBUTTONUP, keys, at);
    Pump();
  }

  TListView* list = nullptr;
  int dataCalls = 0;
  std::vector<std::string> selections;
};

TEST_F(ListViewTest, RowsComeFromOnDataAsTheWindowAsksForThem) {
  EXPECT_EQ(list->Items()->Count(), kRows);
  EXPECT_EQ(SendMessageA(list->Handle(), LVM_GETITEMCOUNT, 0, 0), kRows);
  EXPECT_EQ(CellText(0, 0), "row0");
  EXPECT_EQ(CellText(kRows - 1, 0), RowCaption(kRows - 1));
  EXPECT_EQ(CellText(12345, 1), "123450");
  EXPECT_EQ(CellText(7, 5), "");  // a column the owner gave no text
  // Only rows asked for were made: a few screens, not the whole list.
  EXPECT_LT(dataCalls, 1000);
}

// An owner that fails on a row gets its error reported and the row shows
// empty cells.
TEST_F(ListViewTest, AFailingOwnerLeavesTheCellEmpty) {
  list->OnData = [](TObject*, TListItem*) { throw EListError("no such row"); };
  EXPECT_EQ(CellText(5, 0), "");
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(errors.front(), "no such row");
  errors.clear();
}

// The header tells of a click on a column; the owner learns which column.
TEST_F(ListViewTest, ColumnClickNamesTheColumn) {
  std::vector<int> clicked;
  list->OnColumnClick = [&](TObject*, TListColumn* column) { clicked.push_back(column->Index()); };
  HWND header = reinterpret_cast<HWND>(SendMessageA(list->Handle(), LVM_GETHEADER, 0, 0));
  ASSERT_NE(header, nullptr);
  RECT r{};
  ASSERT_TRUE(SendMessageA(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r)));
  SendClick(header, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  Pump();
  EXPECT_EQ(clicked, std::vector<int>{1});
}

// A click selects one row; Shift+click selects the range from it, and the
// range is reported too, so the owner always learns of the change.
TEST_F(ListViewTest, ClicksAndShiftClickSelectAndReport) {
  ClickRow(2);
  EXPECT_EQ(list->SelCount(), 1);
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_TRUE(list->Focused(2));
  ASSERT_FALSE(selections.empty());
  EXPECT_EQ(selections.back(), "2+");
  selections.clear();
  ClickRow(5, MK_SHIFT);
  EXPECT_EQ(list->SelCount(), 4);
  for (int i = 2; i <= 5; ++i) EXPECT_TRUE(list->Selected(i)) << i;
  EXPECT_FALSE(list->Selected(6));
  EXPECT_TRUE(list->Focused(5));
  EXPECT_EQ(list->GetNextItem(2, isSelected), 3);
  EXPECT_EQ(list->GetNextItem(-1, isFocused), 5);
  EXPECT_FALSE(selections.empty());
  EXPECT_NE(std::find(selections.begin(), selections.end(), "2+"), selections.end())
      << "the range was not reported";
  TListItem* first = list->Selected();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Index(), 2);
  EXPECT_EQ(first->Caption(), "row2");  // filled by OnData
}

// The mouse reaches the owner before the window acts on it, with the
// buttons held in the shift state (what a drag out of the list looks at).
TEST_F(ListViewTest, MouseEventsAndDoubleClickReachTheOwner) {
  std::vector<std::string> mouse;
  list->OnMouseDown = [&](TObject*, TMouseButton button, TShiftState shift, int x, int y) {
    mouse.push_back("down " + std::to_string(button) + " " + std::to_string(shift) + " " + std::to_string(x) +
                    "," + std::to_string(y));
  };
  list->OnMouseMove = [&](TObject*, TShiftState shift, int x, int y) {
    mouse.push_back("move " + std::to_string(shift) + " " + std::to_string(x) + "," + std::to_string(y));
  };
  int doubleClicks = 0;
  list->OnDblClick = [&](TObject*) { ++doubleClicks; };
  POINT p = RowPoint(1);
  const std::string at = std::to_string(p.x) + "," + std::to_string(p.y);
  PostMessageA(list->Handle(), WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MAKELPARAM(p.x, p.y));
  PostMessageA(list->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
  PostMessageA(list->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  Pump();
  ASSERT_GE(mouse.size(), 2u);
  EXPECT_EQ(mouse[0], "move " + std::to_string(ssLeft | ssCtrl) + " " + at);
  EXPECT_EQ(mouse[1], "down " + std::to_string(mbRight) + " " + std::to_string(ssRight) + " " + at);
  ClickRow(1);
  PostMessageA(list->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  PostMessageA(list->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  Pump();
  EXPECT_EQ(doubleClicks, 1);
}

// Keys reach the owner first; a key it takes never moves the focus.
TEST_F(ListViewTest, KeysReachTheOwnerFirst) {
  std::vector<WORD> keys;
  list->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
    keys.push_back(key);
    if (key == VK_DOWN) key = 0;
  };
  list->SetItemIndex(10);
  list->SetFocus();
  PostMessageA(list->Handle(), WM_KEYDOWN, VK_DELETE, 1);
  PostMessageA(list->Handle(), WM_KEYDOWN, VK_DOWN, 1);
  Pump();
  EXPECT_EQ(keys, (std::vector<WORD>{VK_DELETE, VK_DOWN}));
  EXPECT_TRUE(list->Focused(10));
}

TEST_F(ListViewTest, SelectionAndFocusFromCode) {
  list->SetItemIndex(40);
  EXPECT_EQ(list->ItemIndex(), 40);
  EXPECT_TRUE(list->Focused(40));
  list->SetSelected(41, true);
  EXPECT_EQ(list->SelCount(), 2);
  list->SetFocused(41, true);
  EXPECT_FALSE(list->Focused(40));
  list->ClearSelection();
  EXPECT_EQ(list->SelCount(), 0);
  EXPECT_EQ(list->Selected(), nullptr);
  EXPECT_EQ(list->ItemIndex(), -1);
}

// The owner hears which rows are about to be asked for.
TEST_F(ListViewTest, MakeVisibleScrollsTheRowIntoView) {
  std::vector<std::pair<int, int>> hints;
  list->OnDataHint = [&](TObject*, int from, int to) { hints.emplace_back(from, to); };
  list->MakeVisible(50000, false);
  Pump();
  ASSERT_FALSE(hints.empty());
  EXPECT_LE(hints.back().first, 50000);
  EXPECT_GE(hints.back().second, 50000);
  int top = static_cast<int>(SendMessageA(list->Handle(), LVM_GETTOPINDEX, 0, 0));
  int page = static_cast<int>(SendMessageA(list->Handle(), LVM_GETCOUNTPERPAGE, 0, 0));
  EXPECT_LE(top, 50000);
  EXPECT_GT(top + page, 50000);
}

// Typing a caption's beginning moves to the row (the window asks the owner).
TEST_F(ListViewTest, TypingFindsARowByItsCaption) {
  // The window joins a character to the search only when it comes less
  // than 450 ms after the one before (in Wine; Windows waits longer). The
  // window's own search costs it a moment per row: among a hundred thousand
  // rows a loaded machine takes longer than that, among a thousand a few
  // milliseconds. Should a gap still pass it, this is a slow typist, who
  // pauses and types again from the first row.
  constexpr int kTypedRows = 1000;
  list->Items()->SetCount(kTypedRows);
  list->SetFocus();
  constexpr DWORD kJoinDelay = 450, kPause = 1000;
  const ULONGLONG deadline = GetTickCount64() + 60000;
  bool quick = false;
  for (bool first = true; !quick && GetTickCount64() < deadline; first = false) {
    if (!first) {
      Sleep(kPause);
      list->SetFocused(0, true);
    }
    quick = true;
    const std::string typed = "row777";
    DWORD previous = 0;
    for (size_t i = 0; i < typed.size(); ++i) {
      const DWORD before = GetTickCount();
      PostMessageA(list->Handle(), WM_CHAR, static_cast<WPARAM>(typed[i]), 1);
      Application->ProcessMessages();
      // The window read its clock for this character and the one before
      // between these two readings of ours.
      if (i > 0 && GetTickCount() - previous >= kJoinDelay) quick = false;
      previous = before;
    }
  }
  Pump();
  ASSERT_TRUE(quick) << "the characters never came quickly enough to make one search";
  EXPECT_EQ(list->GetNextItem(-1, isFocused), 777);
  EXPECT_EQ(list->FindCaption(0, "ROW12", true, true, false), 12);
  EXPECT_EQ(list->FindCaption(12, "row12", false, false, true), 12);  // wrapped all the way round
  EXPECT_EQ(list->FindCaption(kTypedRows - 1, "row5", false, false, false), -1);
  EXPECT_EQ(list->FindCaption(0, "nothing", true, true, true), -1);
}

// An info tip comes filled with the window's text and is cut to the
// buffer the window lends.
TEST_F(ListViewTest, InfoTipIsAskedOnlyWithHintsAndCutToTheBuffer) {
  std::vector<std::string> asked;
  list->OnInfoTip = [&](TObject*, TListItem* item, std::string& tip) {
    asked.push_back(item->Caption() + ":" + tip);
    tip = std::string(100, 'x');
  };
  char buffer[16] = "given";
  NMLVGETINFOTIPA tip{};
  tip.hdr.hwndFrom = list->Handle();
  tip.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list->Handle()));
  tip.hdr.code = LVN_GETINFOTIPA;
  tip.pszText = buffer;
  tip.cchTextMax = sizeof buffer;
  tip.iItem = 3;
  SendMessageA(form->Handle(), WM_NOTIFY, tip.hdr.idFrom, reinterpret_cast<LPARAM>(&tip));
  EXPECT_TRUE(asked.empty());
  EXPECT_STREQ(buffer, "given");
  list->SetShowHint(true);
  SendMessageA(form->Handle(), WM_NOTIFY, tip.hdr.idFrom, reinterpret_cast<LPARAM>(&tip));
  EXPECT_EQ(asked, std::vector<std::string>{"row3:given"});
  EXPECT_EQ(std::string(buffer), std::string(15, 'x'));
}

// Columns, count and images outlive a re-created window; a width the user
// dragged is the width read.
TEST_F(ListViewTest, ColumnsAndCountSurviveRecreation) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(list->Handle(), LVM_GETHEADER, 0, 0));
  HDITEMA resized{};
  resized.mask = HDI_WIDTH;
  resized.cxy = 90;
  SendMessageA(header, HDM_SETITEMA, 0, reinterpret_cast<LPARAM>(&resized));
  EXPECT_EQ(list->Columns()->Items(0)->Width(), 90);
  list->SetHideSelection(false);  // re-creates the window
  EXPECT_EQ(list->Items()->Count(), kRows);
  EXPECT_EQ(list->Columns()->Items(0)->Width(), 90);
  EXPECT_EQ(CellText(3, 1), "30");
  LVCOLUMNA column{};
  char text[16] = {};
  column.mask = LVCF_TEXT | LVCF_FMT;
  column.pszText = text;
  column.cchTextMax = sizeof text;
  ASSERT_TRUE(SendMessageA(list->Handle(), LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&column)));
  EXPECT_STREQ(text, "Size");
  EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);
  EXPECT_THROW(list->Columns()->Items(2), EListError);
}

// A growing list keeps its place: the rows shown stay where they are.
TEST_F(ListViewTest, GrowingCountDoesNotScroll) {
  list->MakeVisible(500, false);
  Pump();
  int top = static_cast<int>(SendMessageA(list->Handle(), LVM_GETTOPINDEX, 0, 0));
  list->Items()->SetCount(kRows + 1000);
  Pump();
  EXPECT_EQ(SendMessageA(list->Handle(), LVM_GETTOPINDEX, 0, 0), top);
  list->Items()->SetCount(-5);
  EXPECT_EQ(list->Items()->Count(), 0);
}

}  // namespace
