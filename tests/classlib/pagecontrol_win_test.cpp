#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/pagecontrol.h"
#include "window_fixture_win.h"

namespace {

class PageControlTest : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    form->SetBounds(40, 40, 320, 260);
    pages = new TPageControl(form.get());
    pages->SetBounds(0, 0, 300, 240);
    pages->SetParent(form.get());
    for (const char* caption : {"What to find", "Advanced options", "Third"}) {
      auto* sheet = new TTabSheet(form.get());
      sheet->SetCaption(caption);
      sheet->SetPageControl(pages);
      auto* child = new TWinControl(form.get());
      child->SetBounds(10, 10, 50, 20);
      child->SetParent(sheet);
      sheets.push_back(sheet);
      children.push_back(child);
    }
    pages->OnChange = [this](TObject* sender) { changes.push_back(sender); };
  }
  // A user's click on a tab of a page control.
  void ClickTab(TPageControl* control, int tab) {
    RECT r{};
    ASSERT_TRUE(SendMessageA(control->Handle(), TCM_GETITEMRECT, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&r)));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageA(control->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(control->Handle(), WM_LBUTTONUP, 0, at);
    Pump();
  }
  std::string TabText(TPageControl* control, int tab) {
    char text[64] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(control->Handle(), TCM_GETITEMA, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item));
    return text;
  }
  int TabCount(TPageControl* control) { return static_cast<int>(SendMessageA(control->Handle(), TCM_GETITEMCOUNT, 0, 0)); }

  TPageControl* pages = nullptr;
  std::vector<TTabSheet*> sheets;
  std::vector<TWinControl*> children;
  std::vector<TObject*> changes;
};

// Only the active sheet and what it holds are shown; a click on a tab
// switches and tells the owner.
TEST_F(PageControlTest, ClickingATabShowsItsSheetAlone) {
  form->Show();
  EXPECT_EQ(pages->PageCount(), 3);
  EXPECT_EQ(pages->ActivePage(), sheets[0]);
  EXPECT_TRUE(IsWindowVisible(children[0]->Handle()));
  EXPECT_FALSE(IsWindowVisible(sheets[1]->Handle()));
  ClickTab(pages, 1);
  EXPECT_EQ(changes, std::vector<TObject*>{pages});
  EXPECT_EQ(pages->ActivePageIndex(), 1);
  EXPECT_TRUE(IsWindowVisible(children[1]->Handle()));
  EXPECT_FALSE(IsWindowVisible(sheets[0]->Handle()));
  // The sheet fills the area below the tabs.
  RECT tab{}, sheet{};
  SendMessageA(pages->Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
  GetWindowRect(sheets[1]->Handle(), &sheet);
  MapWindowPoints(nullptr, pages->Handle(), reinterpret_cast<POINT*>(&sheet), 2);
  EXPECT_GE(sheet.top, tab.bottom);
  EXPECT_GT(sheet.right - sheet.left, 250);
  pages->SetActivePageIndex(2);  // from code: no OnChange
  EXPECT_EQ(changes.size(), 1u);
  EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETCURSEL, 0, 0), 2);
  EXPECT_TRUE(IsWindowVisible(sheets[2]->Handle()));
}

// A translated caption shows on its tab at once; a hidden tab keeps its
// sheet's place among the pages.
TEST_F(PageControlTest, CaptionsAndHiddenTabsFollowTheSheets) {
  form->Show();
  sheets[1]->SetCaption("Erweitert");
  EXPECT_EQ(TabText(pages, 1), "Erweitert");
  sheets[0]->SetTabVisible(false);
  EXPECT_EQ(TabCount(pages), 2);
  EXPECT_EQ(TabText(pages, 0), "Erweitert");
  EXPECT_EQ(pages->ActivePage(), sheets[1]);  // the hidden one was active
  EXPECT_EQ(sheets[0]->PageIndex(), 0);
  EXPECT_EQ(sheets[0]->TabIndex(), -1);
  EXPECT_EQ(sheets[2]->TabIndex(), 1);
  pages->SetActivePage(sheets[0]);  // a page without a tab cannot be chosen
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  sheets[0]->SetTabVisible(true);
  sheets[2]->SetPageIndex(0);
  EXPECT_EQ(TabText(pages, 0), "Third");
  EXPECT_EQ(pages->Pages(0), sheets[2]);
  EXPECT_THROW(pages->Pages(3), EListError);
  delete sheets[1];
  EXPECT_EQ(pages->PageCount(), 2);
  EXPECT_EQ(TabCount(pages), 2);
  EXPECT_NE(pages->ActivePage(), nullptr);
  EXPECT_TRUE(IsWindowVisible(pages->ActivePage()->Handle()));
}

// A page control on a sheet of another: each switches on its own.
TEST_F(PageControlTest, NestedPageControlsSwitchApart) {
  auto* inner = new TPageControl(form.get());
  inner->SetBounds(5, 40, 200, 120);
  inner->SetParent(sheets[0]);
  std::vector<TTabSheet*> innerSheets;
  for (const char* caption : {"Folders tree", "Special path"}) {
    auto* sheet = new TTabSheet(form.get());
    sheet->SetCaption(caption);
    sheet->SetPageControl(inner);
    innerSheets.push_back(sheet);
  }
  int innerChanges = 0;
  inner->OnChange = [&](TObject*) { ++innerChanges; };
  form->Show();
  ClickTab(inner, 1);
  EXPECT_EQ(innerChanges, 1);
  EXPECT_TRUE(changes.empty());
  EXPECT_EQ(inner->ActivePage(), innerSheets[1]);
  EXPECT_TRUE(IsWindowVisible(innerSheets[1]->Handle()));
  ClickTab(pages, 2);
  EXPECT_EQ(changes.size(), 1u);
  EXPECT_FALSE(IsWindowVisible(innerSheets[1]->Handle()));  // its outer sheet is hidden
  EXPECT_EQ(inner->ActivePage(), innerSheets[1]);
  // Freeing the outer control frees everything inside it.
  delete pages;
  EXPECT_EQ(form->ControlCount(), 0);
}

}  // namespace
