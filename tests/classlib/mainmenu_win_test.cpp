#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "classlib/edits.h"
#include "classlib/menus.h"
#include "window_fixture_win.h"

namespace {

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }

// File (Open Ctrl+O, a separator, Exit) and View (Toolbar, checked); the
// File menu enables Open only when the test says so, as the main window
// enables its file commands when the menu opens.
class MainMenuTest : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    form->SetBounds(40, 340, 520, 160);
    menu = new TMainMenu(form.get());
    file = Item(menu->Items(), "&File");
    open = Item(file, "&Open");
    open->SetShortCut(ShortCut('O', ssCtrl));
    Item(file, "-");
    exit = Item(file, "E&xit");
    view = Item(menu->Items(), "&View");
    toolbar = Item(view, "&Toolbar");
    toolbar->SetChecked(true);
    file->OnClick = [this](TObject*) {
      log.push_back("file opens");
      open->SetEnabled(canOpen);
    };
    open->OnClick = [this](TObject*) { log.push_back("open"); };
    exit->OnClick = [this](TObject*) { log.push_back("exit"); };
  }
  TMenuItem* Item(TMenuItem* parent, const std::string& caption) {
    auto* item = new TMenuItem(form.get());
    item->SetCaption(caption);
    parent->Add(item);
    return item;
  }
  static UINT State(HMENU menu, UINT position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE | MIIM_FTYPE;
    GetMenuItemInfoA(menu, position, TRUE, &info);
    return info.fState | info.fType;
  }

  TMainMenu* menu;
  TMenuItem *file, *open, *exit, *view, *toolbar;
  bool canOpen = true;
  std::vector<std::string> log;
};

}  // namespace

TEST_F(MainMenuTest, AMenuBoundToTheFormIsItsMenuBarAndRunsItsCommands) {
  form->SetMenu(menu);
  form->Show();
  EXPECT_EQ(GetMenu(form->Handle()), menu->Handle());
  EXPECT_EQ(GetMenuItemCount(menu->Handle()), 2);
  EXPECT_EQ(GetSubMenu(menu->Handle(), 0), file->Handle());
  char text[64] = {};
  GetMenuStringA(file->Handle(), 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "&Open\tCtrl+O");
  EXPECT_TRUE(State(view->Handle(), 0) & MFS_CHECKED);
  EXPECT_TRUE(State(file->Handle(), 1) & MFT_SEPARATOR);
  PostMessageA(form->Handle(), WM_COMMAND, exit->Command(), 0);
  Pump(2);
  // The menu lives on after the window: destroying the window must not
  // destroy the bar it showed.
  form->RecreateWnd();
  EXPECT_EQ(GetMenu(form->Handle()), menu->Handle());
  EXPECT_TRUE(IsMenu(menu->Handle()));
  EXPECT_EQ(log, std::vector<std::string>{"exit"});
}

// The system opens a sub-menu with WM_INITMENUPOPUP: the item's OnClick
// runs first and may prepare the sub-items.
TEST_F(MainMenuTest, OpeningASubMenuRunsItsItemsOnClick) {
  form->SetMenu(menu);
  form->Show();
  canOpen = false;
  // A real pop-up of the sub-menu owned by the form, closed at once.
  SetTimer(form->Handle(), 77, 50, CloseMenu);
  TrackPopupMenu(file->Handle(), TPM_LEFTALIGN, 100, 100, 0, form->Handle(), nullptr);
  KillTimer(form->Handle(), 77);
  EXPECT_EQ(log, std::vector<std::string>{"file opens"});
  EXPECT_TRUE(State(file->Handle(), 0) & MFS_GRAYED);
  SendMessageA(form->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view->Handle()), 1);
  EXPECT_EQ(log.size(), 1u);  // View has no handler
}

TEST_F(MainMenuTest, ShortcutsOfABoundMenuRunBeforeTheControlSeesTheKey) {
  auto* edit = Add<TEdit>(form.get(), 10, 10, 100, 21);
  std::vector<WORD> editKeys;
  edit->OnKeyDown = [&](TObject*, WORD& key, TShiftState) { editKeys.push_back(key); };
  form->SetMenu(menu);
  form->Show();
  edit->SetFocus();
  PressKey(edit->Handle(), 'O', ssCtrl);
  PressKey(edit->Handle(), 'O');  // without Ctrl: a plain key for the edit
  // A disabled item does not run, the key goes on to the control; its
  // menu got the chance to enable it first.
  canOpen = false;
  PressKey(edit->Handle(), 'O', ssCtrl);
  EXPECT_EQ(log, (std::vector<std::string>{"file opens", "open", "file opens"}));
  EXPECT_EQ(editKeys, (std::vector<WORD>{'O', 'O'}));
}

// The main window shows its menu on a tool bar: the form still runs the
// shortcuts, whether it was told of the menu or finds it among its own.
TEST_F(MainMenuTest, ShortcutsRunWhenTheMenuIsShownBySomeOtherControl) {
  auto* edit = Add<TEdit>(form.get(), 10, 10, 100, 21);
  form->Show();
  edit->SetFocus();
  EXPECT_EQ(GetMenu(form->Handle()), nullptr);
  PressKey(edit->Handle(), 'O', ssCtrl);
  form->SetShortCutMenu(menu);
  PressKey(edit->Handle(), 'O', ssCtrl);
  // Commands of the sub-menus a tool bar drops down with the form as owner.
  PostMessageA(form->Handle(), WM_COMMAND, exit->Command(), 0);
  Pump(2);
  EXPECT_EQ(log, (std::vector<std::string>{"file opens", "open", "file opens", "open", "exit"}));
  delete menu;  // the form forgets it
  PressKey(edit->Handle(), 'O', ssCtrl);
  EXPECT_EQ(form->ShortCutMenu(), nullptr);
}

TEST_F(MainMenuTest, APopupMenusShortcutBelongsToItsControl) {
  auto* edit = Add<TEdit>(form.get(), 10, 10, 100, 21);
  auto* other = Add<TEdit>(form.get(), 10, 40, 100, 21);
  auto* popup = new TPopupMenu(form.get());
  auto* remove = Item(popup->Items(), "Delete from this list");
  remove->SetShortCut(VK_DELETE);
  remove->OnClick = [this](TObject*) { log.push_back("remove"); };
  edit->SetPopupMenu(popup);
  form->Show();
  edit->SetText("abc");
  PressKey(edit->Handle(), VK_DELETE);
  EXPECT_EQ(edit->Text(), "abc");  // the edit never saw Del
  other->SetText("abc");
  PressKey(other->Handle(), VK_DELETE);
  EXPECT_EQ(other->Text(), "bc");
  EXPECT_EQ(log, std::vector<std::string>{"remove"});
}

TEST_F(MainMenuTest, HiddenDefaultAndBrokenItemsShowAsTheySay) {
  auto* hidden = Item(file, "Hidden");
  hidden->SetVisible(false);
  open->SetDefault(true);
  exit->SetBreak(mbBarBreak);
  HMENU sub = file->Handle();
  EXPECT_EQ(GetMenuItemCount(sub), 3);
  EXPECT_TRUE(State(sub, 0) & MFS_DEFAULT);
  EXPECT_TRUE(State(sub, 2) & MFT_MENUBARBREAK);
  hidden->SetVisible(true);
  EXPECT_EQ(GetMenuItemCount(sub), 4);
  // A hidden item's shortcut still runs.
  hidden->SetVisible(false);
  hidden->SetShortCut(ShortCut('H', ssCtrl));
  hidden->OnClick = [this](TObject*) { log.push_back("hidden"); };
  EXPECT_TRUE(menu->IsShortCut('H', ssCtrl));
  EXPECT_FALSE(menu->IsShortCut('H', 0));
  EXPECT_EQ(log, (std::vector<std::string>{"file opens", "hidden"}));
}

// Destroying a menu would destroy the sub-menus it holds; an item owned
// elsewhere keeps its own.
TEST_F(MainMenuTest, AnItemOutlivesTheMenuItWasIn) {
  auto* holder = new TMenuItem(nullptr);
  holder->Add(file);
  HMENU outer = holder->Handle();
  EXPECT_EQ(GetSubMenu(outer, 0), file->Handle());
  delete holder;
  EXPECT_FALSE(IsMenu(outer));
  EXPECT_TRUE(IsMenu(file->Handle()));
  EXPECT_EQ(file->Parent(), nullptr);
  EXPECT_EQ(GetMenuItemCount(file->Handle()), 3);
}

// A menu that owns its items, shown once, is freed without its items
// reporting their removal to it.
TEST(PopupMenuOwnership, MenuOwningItsItemsIsFreed) {
  auto* menu = new TPopupMenu(nullptr);
  for (const char* caption : {"Open", "-", "Close"}) {
    auto* item = new TMenuItem(menu);
    item->SetCaption(caption);
    menu->Items()->Add(item);
  }
  EXPECT_EQ(GetMenuItemCount(menu->Handle()), 3);
  delete menu;
}

// A popup menu's choice comes back to the popup list's window as a
// command, which runs the item; the item under the mouse is the
// application's hint meanwhile.
TEST_F(MainMenuTest, APopupMenuRunsItsChoiceThroughThePopupList) {
  auto* popup = new TPopupMenu(form.get());
  auto* remove = Item(popup->Items(), "&Remove");
  remove->SetHint("Remove|Removes the rows");
  remove->OnClick = [this](TObject*) { log.push_back("remove"); };
  form->Show();
  PostMessageA(PopupList->Window(), WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(PopupList->Window(), WM_CHAR, VK_RETURN, 0);
  popup->Popup(100, 100);
  Pump();
  EXPECT_EQ(log, std::vector<std::string>{"remove"});
  SendMessageA(PopupList->Window(), WM_MENUSELECT, MAKEWPARAM(remove->Command(), 0),
               reinterpret_cast<LPARAM>(popup->Handle()));
  EXPECT_EQ(Application->Hint(), "Removes the rows");
  delete popup;
  EXPECT_EQ(PopupList->Count(), 0);
}

namespace {
// An item that tells how it was asked to draw.
class TDrawnItem : public TMenuItem {
public:
  using TMenuItem::TMenuItem;
  void AdvancedDrawItem(TCanvas* canvas, const TRect& rect, UINT state, bool topLevel) override {
    draws.push_back(topLevel);
    TMenuItem::AdvancedDrawItem(canvas, rect, state, topLevel);
  }
  std::vector<bool> draws;
};
}  // namespace

TEST_F(MainMenuTest, AnOwnerDrawnMenuHasItsItemsMeasureAndDrawThemselves) {
  auto* drawn = new TDrawnItem(form.get());
  drawn->SetCaption("&Drawn");
  menu->Items()->Add(drawn);
  int measured = 0;
  drawn->OnMeasureItem = [&measured](TObject*, TCanvas*, int& width, int& height) {
    measured = width;
    height += 2;
  };
  menu->SetOwnerDraw(true);
  form->SetMenu(menu);
  form->Show();
  Pump();
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  GetMenuItemInfoA(GetMenu(form->Handle()), 2, TRUE, &info);
  EXPECT_TRUE(info.fType & MFT_OWNERDRAW);
  EXPECT_GT(measured, 0);
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_MENU;
  item.itemID = drawn->Command();
  item.hDC = GetDC(form->Handle());
  item.rcItem = RECT{0, 0, 60, 20};
  EXPECT_EQ(SendMessageA(form->Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item)), TRUE);
  ReleaseDC(form->Handle(), item.hDC);
  ASSERT_FALSE(drawn->draws.empty());
  EXPECT_TRUE(drawn->draws.back());  // an entry of the menu bar
  menu->SetOwnerDraw(false);
  GetMenuItemInfoA(GetMenu(form->Handle()), 2, TRUE, &info);
  EXPECT_FALSE(info.fType & MFT_OWNERDRAW);
}
