#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "classlib/menus.h"
#include "widecontrols/wideactions.h"
#include "widecontrols/wideapplication.h"
#include "widecontrols/widecombobox.h"
#include "widecontrols/widehints.h"
#include "widecontrols/widehotkeys.h"
#include "widecontrols/widemenus.h"
#include "../classlib/screenshot_win.h"
#include "widewindow_fixture.h"

namespace {

const std::wstring kFile = L"&\x0424\x0430\x0439\x043B";  // &Файл
const std::wstring kOpen = L"\x041E\x0442\x043A\x0440\x044B\x0442\x044C";  // Открыть

class WideMenuTest : public WideWindowTest {
protected:
  void SetUp() override {
    WideWindowTest::SetUp();
    InitializeWideControls();
  }
  TWideMenuItem* Item(TMenuItem* parent, const std::wstring& caption) {
    auto* item = new TWideMenuItem(form.get());
    item->SetCaption(caption);
    parent->Add(item);
    return item;
  }
  static std::wstring MenuText(HMENU menu, UINT position) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
  }
  // The first item of the menu that opens next is chosen as a user would:
  // Down, then Enter.
  static void ChooseFirstItemOfNextMenu() {
    PostMessageW(PopupList->Window(), WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(PopupList->Window(), WM_CHAR, VK_RETURN, 0);
  }
  static void Pump() {
    for (int i = 0; i < 5; ++i) {
      Application->ProcessMessages();
      Sleep(10);
    }
  }
  std::vector<std::string> log;
};

}  // namespace

TEST_F(WideMenuTest, EveryPopupMenuRunsItsCommandsNotOnlyTheFirst) {
  auto* first = new TPopupMenu(form.get());
  Item(first->Items(), kOpen)->OnClick = [this](TObject*) { log.push_back("first"); };
  auto* second = new TPopupMenu(form.get());
  Item(second->Items(), kZhuk)->OnClick = [this](TObject*) { log.push_back("second"); };
  form->Show();
  ASSERT_NE(dynamic_cast<TWidePopupList*>(PopupList), nullptr);
  for (int round = 0; round < 2; ++round) {
    ChooseFirstItemOfNextMenu();
    first->Popup(100, 100);
    Pump();
    ChooseFirstItemOfNextMenu();
    second->Popup(100, 100);
    Pump();
  }
  EXPECT_EQ(log, (std::vector<std::string>{"first", "second", "first", "second"}));
  EXPECT_NE(dynamic_cast<TWidePopupList*>(PopupList), nullptr);
}

TEST_F(WideMenuTest, MenuBarAndSubMenusShowWideCaptionsAndFollowTheClassLibrary) {
  auto* menu = new TMainMenu(form.get());
  auto* file = Item(menu->Items(), kFile);
  auto* open = Item(file, kOpen);
  open->SetShortCut(ShortCut('S', ssCtrl));
  auto* last = Item(file, kZhuk);
  form->SetMenu(menu);
  form->Show();
  EXPECT_EQ(MenuText(GetMenu(form->Handle()), 0), kFile);
  EXPECT_EQ(MenuText(file->Handle(), 0), kOpen + L"\tCtrl+S");
  EXPECT_EQ(MenuText(file->Handle(), 1), kZhuk);
  // A change of one item makes its whole sub-menu again: the others stay wide.
  last->SetEnabled(false);
  EXPECT_EQ(MenuText(file->Handle(), 0), kOpen + L"\tCtrl+S");
  // The class library moving a hot-key marker moves it in the wide caption.
  file->TMenuItem::SetCaption("?&???");
  EXPECT_EQ(file->Caption(), L"\x0424&\x0430\x0439\x043B");
  // Any other 8-bit change replaces the wide caption.
  last->TMenuItem::SetCaption("Exit");
  EXPECT_EQ(last->Caption(), L"Exit");
  EXPECT_EQ(MenuText(file->Handle(), 1), L"Exit");
}

TEST_F(WideMenuTest, HotKeyMarkersAreStrippedAndComparedAway) {
  EXPECT_EQ(WideStripHotkey(L"Save && &Exit"), L"Save & Exit");
  EXPECT_TRUE(WideSameCaption(kFile, L"\x0444\x0430\x0439&\x043B"));  // case and marker ignored
  EXPECT_FALSE(WideSameCaptionStr(kFile, L"\x0444\x0430\x0439\x043B"));
  EXPECT_TRUE(WideSameCaptionStr(kFile, L"\x0424\x0430&\x0439\x043B"));
  std::wstring dest = L"&\x0416\x0443\x043A";
  SyncHotKeyPosition(L"??&?", dest);
  EXPECT_EQ(dest, L"\x0416\x0443&\x043A");
  std::wstring other = L"abc";
  SyncHotKeyPosition(L"x&yz", other);  // different letters: nothing to carry over
  EXPECT_EQ(other, L"abc");
}

TEST_F(WideMenuTest, ShortCutTextsAreWide) {
  EXPECT_EQ(WideShortCutToText(ShortCut('S', ssCtrl)), L"Ctrl+S");
  EXPECT_EQ(WideShortCutToText(ShortCut(VK_F5, ssShift)), L"Shift+F5");
  EXPECT_EQ(WideShortCutToText(ShortCut(VK_RETURN, ssAlt | ssCtrl)), L"Ctrl+Alt+Enter");
  EXPECT_EQ(WideShortCutToText(ShortCut(0x07, ssCtrl)), L"");  // a key code with no key
}

TEST_F(WideMenuTest, AWideActionGivesItsCaptionAndHintToItsItems) {
  auto* popup = new TPopupMenu(form.get());
  auto* item = Item(popup->Items(), L"");
  auto* action = new TWideAction(form.get());
  action->SetCaption(kOpen);
  action->SetHint(kZhuk + L"|" + kZhukova);
  item->SetAction(action);
  EXPECT_NE(dynamic_cast<TWideMenuActionLink*>(item->ActionLink()), nullptr);
  EXPECT_EQ(item->Caption(), kOpen);
  EXPECT_EQ(item->Hint(), kZhuk + L"|" + kZhukova);
  EXPECT_EQ(MenuText(popup->Handle(), 0), kOpen);
  action->SetCaption(kZhuk);
  EXPECT_EQ(MenuText(popup->Handle(), 0), kZhuk);
  // An item whose caption was changed by hand no longer follows.
  item->SetCaption(L"&" + kZhuk);
  EXPECT_TRUE(item->ActionLink()->IsCaptionLinked());  // the same caption but for the marker
  item->SetCaption(kZhukova);
  action->SetCaption(kOpen);
  EXPECT_EQ(item->Caption(), kZhukova);
  EXPECT_EQ(WideGetMenuItemHint(item), kZhuk + L"|" + kZhukova);
}

TEST_F(WideMenuTest, OwnerDrawnItemsMeasureTheirWideText) {
  auto* popup = new TPopupMenu(form.get());
  popup->SetOwnerDraw(true);
  const std::wstring wide(12, L'\x0416');
  auto* item = Item(popup->Items(), wide);
  auto* narrow = Item(popup->Items(), L"????????????");  // what the 8-bit caption is
  int seen = -1;
  item->OnMeasureItem = [&seen](TObject*, TCanvas*, int& width, int&) { seen = width; };
  auto measure = [&](TMenuItem* which) {
    MEASUREITEMSTRUCT info{};
    info.CtlType = ODT_MENU;
    info.itemID = which->Command();
    EXPECT_TRUE(popup->DispatchMeasureItem(info));
    return static_cast<int>(info.itemWidth);
  };
  int wideWidth = measure(item);
  EXPECT_EQ(seen, wideWidth);  // the item's handler sees the wide measure
  EXPECT_GT(wideWidth, measure(narrow));
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  GetMenuItemInfoW(popup->Handle(), 0, TRUE, &info);
  EXPECT_TRUE(info.fType & MFT_OWNERDRAW);
}

TEST_F(WideMenuTest, TheItemUnderTheMouseGivesTheApplicationItsWideHint) {
  auto* popup = new TPopupMenu(form.get());
  auto* item = Item(popup->Items(), kOpen);
  item->SetHint(kZhuk + L"|" + kZhukova);
  popup->Handle();
  SendMessageW(PopupList->Window(), WM_MENUSELECT, MAKEWPARAM(item->Command(), 0),
               reinterpret_cast<LPARAM>(popup->Handle()));
  EXPECT_EQ(WideApplication->Hint(), kZhukova);
  EXPECT_EQ(Application->Hint(), "??????");
  SendMessageW(PopupList->Window(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);  // the menu closed
  EXPECT_EQ(WideApplication->Hint(), L"");
}

namespace {
RECT shotArea{};
bool shotSaved = false;
// Taken while the menu is open, then the menu is closed.
void CALLBACK TakeShotAndCloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  shotSaved = screenshot::SaveScreenPng(shotArea, "wide_menus.png");
  EndMenu();
}
}  // namespace

// A form with a Cyrillic menu bar, an owner-drawn Cyrillic popup menu open
// over it (a checked item, a disabled one, a shortcut) and a wide combo
// box showing its Cyrillic hint, under the Western code page, saved in the build folder ("wide_menus.png") for a
// person to check.
TEST_F(WideMenuTest, ScreenshotOfCyrillicMenus) {
  form->SetBounds(700, 300, 360, 200);  // apart from other tests' forms
  WideControl_SetText(form.get(), L"\x041C\x0435\x043D\x044E");
  auto* bar = new TMainMenu(form.get());
  Item(bar->Items(), kFile);
  auto* action = new TWideAction(form.get());
  action->SetCaption(L"&\x041F\x0440\x0430\x0432\x043A\x0430");  // &Правка, from an action
  Item(bar->Items(), L"")->SetAction(action);
  form->SetMenu(bar);
  auto* popup = new TPopupMenu(form.get());
  popup->SetOwnerDraw(true);
  auto* open = Item(popup->Items(), kOpen);
  open->SetShortCut(ShortCut('S', ssCtrl));
  open->SetDefault(true);
  Item(popup->Items(), kZhukova)->SetChecked(true);
  Item(popup->Items(), L"-");
  Item(popup->Items(), kZhuk)->SetEnabled(false);
  auto* combo = new TWideComboBox(form.get());
  combo->SetParent(form.get());
  combo->SetBounds(180, 120, 160, 24);
  combo->SetShowHint(true);
  combo->SetText(kZhukova);
  combo->SetHint(kZhuk + L"|" + kZhukova);
  form->Show();
  Pump();
  RECT r{};
  GetWindowRect(form->Handle(), &r);
  RECT c{};
  GetWindowRect(combo->Handle(), &c);
  // Asked again until the combo is mapped on the display and no other
  // program's window lies over the point.
  PumpUntil([&] {
    if (Application->HintWindow() != nullptr) return true;
    Application->ActivateHint(POINT{c.left + 5, c.top + 5});
    return false;
  });
  shotArea = RECT{r.left, r.top, r.right, r.bottom + 60};
  SetTimer(nullptr, 0, 400, &TakeShotAndCloseMenu);
  popup->Popup(r.left + 40, r.top + 50);
  Pump();
  EXPECT_TRUE(shotSaved);
}
