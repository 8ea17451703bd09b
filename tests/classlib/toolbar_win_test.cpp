#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/bitmap.h"
#include "classlib/coolbar.h"
#include "classlib/imagelist.h"
#include "classlib/menus.h"
#include "classlib/toolbar.h"
#include "window_fixture_win.h"

namespace {

class ToolBarTest : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    form->SetBounds(40, 340, 520, 160);
    images = new TImageList(form.get());
    images->SetWidth(24);
    images->SetHeight(24);
    TBitmap strip;
    strip.SetSize(24 * 3, 24);
    images->Add(&strip, nullptr);
    bar = new TToolBar(form.get());
    bar->SetBounds(0, 0, 500, 40);
    bar->SetShowCaptions(true);
    bar->SetImages(images);
    bar->SetFlat(true);
    for (const char* caption : {"Back", "Start", "Stop", "-", "Options"}) {
      auto* button = new TToolButton(form.get());
      if (std::string(caption) == "-") {
        button->SetStyle(tbsSeparator);
      } else {
        button->SetCaption(caption);
        button->SetHint(std::string(caption) + " hint");
        button->SetImageIndex(static_cast<int>(buttons.size()) % 3);
        button->OnClick = [this, caption](TObject*) { log.push_back(caption); };
      }
      button->SetParent(bar);
      buttons.push_back(button);
    }
    buttons[0]->SetVisible(false);
  }
  // A user's click on the button with command.
  void ClickButton(TToolBar* toolBar, UINT command) {
    RECT r{};
    ASSERT_TRUE(SendMessageA(toolBar->Handle(), TB_GETRECT, command, reinterpret_cast<LPARAM>(&r)));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageA(toolBar->Handle(), WM_MOUSEMOVE, 0, at);
    PostMessageA(toolBar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(toolBar->Handle(), WM_LBUTTONUP, 0, at);
    Pump();
  }
  std::string ButtonText(TToolBar* toolBar, UINT command) {
    char text[64] = {};
    TBBUTTONINFOA info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT;
    info.pszText = text;
    info.cchText = sizeof text;
    SendMessageA(toolBar->Handle(), TB_GETBUTTONINFOA, command, reinterpret_cast<LPARAM>(&info));
    return text;
  }

  TImageList* images = nullptr;
  TToolBar* bar = nullptr;
  std::vector<TToolButton*> buttons;
  std::vector<std::string> log;
};

// Buttons show their captions and run OnClick when clicked; a hidden or a
// disabled button does nothing.
TEST_F(ToolBarTest, ClickedButtonsRunTheirOnClick) {
  bar->SetParent(form.get());
  form->Show();
  HWND window = bar->Handle();
  EXPECT_EQ(SendMessageA(window, TB_BUTTONCOUNT, 0, 0), 5);
  EXPECT_TRUE(SendMessageA(window, TB_ISBUTTONHIDDEN, buttons[0]->Command(), 0));
  EXPECT_EQ(ButtonText(bar, buttons[1]->Command()), "Start");
  ClickButton(bar, buttons[1]->Command());
  ClickButton(bar, buttons[4]->Command());
  EXPECT_EQ(log, (std::vector<std::string>{"Start", "Options"}));
  buttons[2]->SetEnabled(false);
  EXPECT_FALSE(SendMessageA(window, TB_ISBUTTONENABLED, buttons[2]->Command(), 0));
  ClickButton(bar, buttons[2]->Command());
  EXPECT_EQ(log.size(), 2u);
  // A translated caption shows at once.
  buttons[1]->SetCaption("Suche");
  EXPECT_EQ(ButtonText(bar, buttons[1]->Command()), "Suche");
  // The bar is as tall as its buttons (24-pixel images with a caption).
  RECT r{};
  SendMessageA(window, TB_GETRECT, buttons[1]->Command(), reinterpret_cast<LPARAM>(&r));
  EXPECT_GE(r.bottom - r.top, 24 + 8);
  EXPECT_GE(bar->Height(), static_cast<int>(r.bottom));
  EXPECT_EQ(bar->Buttons(1), buttons[1]);
  EXPECT_THROW(bar->Buttons(5), EListError);
  delete buttons[2];
  EXPECT_EQ(SendMessageA(window, TB_BUTTONCOUNT, 0, 0), 4);
}

TEST_F(ToolBarTest, InfoTipIsTheButtonsHint) {
  bar->SetParent(form.get());
  form->Show();
  char text[8] = {};
  NMTBGETINFOTIPA tip{};
  tip.hdr.hwndFrom = bar->Handle();
  tip.hdr.code = TBN_GETINFOTIPA;
  tip.pszText = text;
  tip.cchTextMax = sizeof text;
  tip.iItem = static_cast<int>(buttons[2]->Command());
  SendMessageA(form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
  EXPECT_STREQ(text, "Stop hi");  // cut to the buffer
}

// While a menu dropped from the bar is open, a timer plays the user: it
// notes what ran as the menu opened and picks an item (the system's
// WM_COMMAND), then closes the menu.
struct MenuPlay {
  static inline std::vector<std::string>* log = nullptr;
  static inline HWND owner = nullptr;
  static inline UINT command = 0;
  static void CALLBACK Pick(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    log->push_back("timer");
    EndMenu();
    PostMessageA(owner, WM_COMMAND, command, 0);
  }
};

class MenuBarTest : public ToolBarTest {
protected:
  void SetUp() override {
    ToolBarTest::SetUp();
    menu = new TMainMenu(form.get());
    for (const char* caption : {"&File", "&Help"}) {
      auto* top = new TMenuItem(form.get());
      top->SetCaption(caption);
      top->OnClick = [this, caption](TObject*) { log.push_back(std::string("opening ") + caption); };
      menu->Items()->Add(top);
      auto* sub = new TMenuItem(form.get());
      sub->SetCaption(std::string(caption) + " item");
      sub->OnClick = [this, caption](TObject*) { log.push_back(std::string("chose ") + caption); };
      top->Add(sub);
      items.push_back(sub);
    }
    menuBar = new TToolBar(form.get());
    menuBar->SetBounds(0, 60, 300, 22);
    menuBar->SetFlat(true);
    menuBar->SetList(true);
    menuBar->SetMenu(menu);
    menuBar->SetParent(form.get());
    form->Show();
  }
  // Runs open (which opens a menu) with the timer ready to choose item,
  // and waits for the choice to arrive.
  template <class Open>
  void ChooseWhileOpen(TMenuItem* item, Open open) {
    MenuPlay::log = &log;
    MenuPlay::owner = menuBar->Handle();
    MenuPlay::command = item->Command();
    // At once: an open menu holds the pointer, which other tests on the
    // display may be moving.
    SetTimer(nullptr, 0, 10, MenuPlay::Pick);
    open();
    PumpUntil([&] { return !log.empty() && log.back().rfind("chose", 0) == 0; });
  }

  TMainMenu* menu = nullptr;
  std::vector<TMenuItem*> items;
  TToolBar* menuBar = nullptr;
};

TEST_F(MenuBarTest, MenuButtonsDropTheirSubMenusDown) {
  ASSERT_EQ(menuBar->ButtonCount(), 2);
  EXPECT_EQ(ButtonText(menuBar, menuBar->Buttons(0)->Command()), "&File");
  ChooseWhileOpen(items[0], [&] { ClickButton(menuBar, menuBar->Buttons(0)->Command()); });
  EXPECT_EQ(log, (std::vector<std::string>{"opening &File", "timer", "chose &File"}));
  // Freeing the menu takes its buttons away.
  delete menu;
  EXPECT_EQ(menuBar->ButtonCount(), 0);
  EXPECT_EQ(SendMessageA(menuBar->Handle(), TB_BUTTONCOUNT, 0, 0), 0);
}

// Alt with the underlined letter opens the item's menu, as a menu bar does.
TEST_F(MenuBarTest, AltWithTheUnderlinedLetterOpensTheMenu) {
  ChooseWhileOpen(items[1], [&] {
    PostMessageA(form->Handle(), WM_SYSCHAR, 'h', 0x20000000);  // with Alt held
    Pump();
  });
  EXPECT_EQ(log, (std::vector<std::string>{"opening &Help", "timer", "chose &Help"}));
}

// A translated caption and a new top item show on the bar at once.
TEST_F(MenuBarTest, ButtonsFollowTheMenuItems) {
  menu->Items()->Items(0)->SetCaption("&Datei");
  EXPECT_EQ(ButtonText(menuBar, menuBar->Buttons(0)->Command()), "&Datei");
  auto* extra = new TMenuItem(form.get());
  extra->SetCaption("&Extra");
  menu->Items()->Add(extra);
  ASSERT_EQ(menuBar->ButtonCount(), 3);
  EXPECT_EQ(ButtonText(menuBar, menuBar->Buttons(2)->Command()), "&Extra");
  delete extra;
  EXPECT_EQ(menuBar->ButtonCount(), 2);
  EXPECT_EQ(SendMessageA(menuBar->Handle(), TB_BUTTONCOUNT, 0, 0), 2);
}

// Bands hold the bars; hiding a band makes the cool bar shorter.
TEST_F(ToolBarTest, CoolBarBandsShowAndHide) {
  auto* cool = new TCoolBar(form.get());
  cool->SetBounds(0, 0, 500, 30);
  cool->SetParent(form.get());
  auto* first = new TToolBar(form.get());
  first->SetShowCaptions(true);
  auto* only = new TToolButton(form.get());
  only->SetCaption("File");
  only->SetParent(first);
  cool->Bands()->Add()->SetControl(first);
  TCoolBand* second = cool->Bands()->Add();
  second->SetControl(bar);
  form->Show();
  EXPECT_EQ(bar->Parent(), cool);
  EXPECT_EQ(GetParent(bar->Handle()), cool->Handle());
  EXPECT_EQ(SendMessageA(cool->Handle(), RB_GETBANDCOUNT, 0, 0), 2);
  const int both = cool->Height();
  EXPECT_GE(both, first->Height() + bar->Height());
  second->SetVisible(false);
  EXPECT_LT(cool->Height(), both);
  EXPECT_FALSE(IsWindowVisible(bar->Handle()));
  second->SetVisible(true);
  EXPECT_EQ(cool->Height(), both);
  EXPECT_TRUE(IsWindowVisible(bar->Handle()));
  cool->RecreateWnd();
  EXPECT_EQ(SendMessageA(cool->Handle(), RB_GETBANDCOUNT, 0, 0), 2);
  EXPECT_EQ(cool->Height(), both);
}

}  // namespace
