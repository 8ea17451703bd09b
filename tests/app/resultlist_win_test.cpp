// The result list as a user works it: selections kept through a sort,
// removals while the name filter is on, and the preview of a new search.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/filecommands_win.h"
#include "app_fixtures.h"
#include "classlib/edits.h"
#include "classlib/panels.h"
#include "resultlist_fixture_win.h"
#include "widecontrols/widecombobox.h"

namespace {

using app_test::TTempFolder;
using Names = std::vector<std::string>;

class ResultListTest : public app_test::ResultListTest {
protected:
  // A click on a column's header, as the mouse gives it.
  static void ClickColumn(int column) {
    HWND header = ListView_GetHeader(FindForm->ListView->Handle());
    RECT r{};
    Header_GetItemRect(header, column, &r);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(header, WM_LBUTTONUP, 0, at);
    Pump(5);
  }
  static void Filter(const char* text) {
    SetWindowTextA(FindForm->eFileNameFilter->Handle(), text);
    Pump(2);
  }
};

// Every selected record stays selected through sorts, wherever they put it.
TEST_F(ResultListTest, SelectedRecordsStaySelectedThroughSorts) {
  TTempFolder folder;
  for (const char* name : {"b.txt", "d.txt", "a.txt", "c.txt"}) folder.Write(name, "x");
  Find(folder.Path());
  Select({"b.txt", "d.txt"});
  ClickColumn(0);
  EXPECT_EQ(Column(0), (Names{"a.txt", "b.txt", "c.txt", "d.txt"}));
  EXPECT_EQ(SelectedNames(), (Names{"b.txt", "d.txt"}));
  ClickColumn(0);
  EXPECT_EQ(Column(0), (Names{"d.txt", "c.txt", "b.txt", "a.txt"}));
  EXPECT_EQ(SelectedNames(), (Names{"d.txt", "b.txt"}));
}

// Rows removed while the filter is on are gone when it is emptied: by
// "Delete from list" (the Del key) and by "Not this folder", which also
// takes the folder's files the filter hid.
TEST_F(ResultListTest, RowsRemovedWhileFilteringStayGoneWithoutTheFilter) {
  struct Case {
    const char* what;
    const char* row;
    void (*remove)();
    Names after;
  };
  const Case cases[] = {
      {"Del key", "report.doc", [] { Press(FindForm->ListView->Handle(), VK_DELETE); },
       {"drop", "image.png", "keep", "notes.doc", "pic.png"}},
      {"Not this folder", "notes.doc",
       [] {
         app_test::TMessageBoxAnswerer answerer;
         FindForm->FileCommands().mListDelFolderClick();
       },
       {"drop", "image.png", "keep", "report.doc"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TTempFolder root;
    for (const char* folder : {"keep", "drop"}) CreateDirectoryA((root.Path() + "\\" + folder).c_str(), nullptr);
    for (const char* file : {"keep\\report.doc", "keep\\image.png", "drop\\notes.doc", "drop\\pic.png"})
      root.Write(file, "x");
    Find(root.Path());
    Filter("doc");
    ASSERT_EQ(SortedColumn(0), (Names{"notes.doc", "report.doc"}));
    Select({c.row});
    SetFocus(FindForm->ListView->Handle());
    c.remove();
    Filter("");
    EXPECT_EQ(SortedColumn(0), c.after);
  }
}

// A new search clears the preview with the list, also when it finds nothing.
TEST_F(ResultListTest, StartClearsThePreviewOfTheLastSearch) {
  TTempFolder folder;
  folder.Write("notes.txt", "the needle is here");
  FindForm->cbString->SetText(L"needle");
  Find(folder.Path());
  Select({"notes.txt"});
  ASSERT_TRUE(FindForm->pWeb->Visible());
  FindForm->cbString->SetText(L"nowhere");
  Find(folder.Path());
  EXPECT_TRUE(Column(0).empty());
  EXPECT_FALSE(FindForm->pWeb->Visible());
  EXPECT_EQ(FindForm->pView->Caption(), "Preview is unavailable");
}

}  // namespace
