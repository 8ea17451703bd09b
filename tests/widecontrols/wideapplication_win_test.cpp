#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "classlib/actions.h"
#include "widecontrols/wideactions.h"
#include "widecontrols/wideapplication.h"
#include "widewindow_fixture.h"

namespace {

// What a wide-aware status bar does with the application's hint.
class THintTaker : public TWinControl {
public:
  using TWinControl::TWinControl;
  bool ExecuteAction(TBasicAction* action) override {
    if (auto* wide = dynamic_cast<TWideHintAction*>(action)) {
      wideHint = wide->Hint();
      return true;
    }
    if (auto* plain = dynamic_cast<THintAction*>(action)) ++plainHints, ansiHint = plain->Hint();
    return false;
  }
  std::wstring wideHint;
  std::string ansiHint;
  int plainHints = 0;
};

// A container with a Unicode window of its own, for a modeless dialog.
class TWideTestPanel : public TWinControl {
public:
  using TWinControl::TWinControl;
  const char* ClassName() const override { return "TWideTestPanel"; }

protected:
  void CreateWindowHandle(const TCreateParams& params) override { CreateUnicodeHandle(this, params, L""); }
};

class WideApplicationTest : public WideWindowTest {
protected:
  void SetUp() override {
    WideWindowTest::SetUp();
    InitializeWideControls();
  }
  void TearDown() override {
    Application->SetDialogHandle(nullptr);
    if (Application->MainForm() == form.get()) Application->SetMainForm(nullptr);
    WideWindowTest::TearDown();
  }
};

}  // namespace

TEST_F(WideApplicationTest, TheTitleIsWide) {
  const std::wstring saved = WideApplication->Title();
  WideApplication->SetTitle(kZhukova);
  EXPECT_EQ(WideApplication->Title(), kZhukova);
  wchar_t text[64] = {};
  DefWindowProcW(Application->Handle(), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(std::wstring(text), kZhukova);
  EXPECT_EQ(Application->Title(), "??????");  // the class library keeps the image
  WideApplication->SetTitle(saved);
}

// The hint reaches a wide hint taker whole, whether a menu, the mouse or
// the program set it; the class library's hint action stops at the wide
// application.
TEST_F(WideApplicationTest, TheHintActionCarriesTheWideHint) {
  auto* taker = Add<THintTaker>(10, 10);
  Application->SetMainForm(form.get());
  form->Show();
  WideApplication->SetHint(kZhuk);
  EXPECT_EQ(taker->wideHint, kZhuk);
  EXPECT_EQ(taker->plainHints, 0);
  // A hint the class library set is followed, and still taken wide.
  Application->SetHint("plain");
  EXPECT_EQ(WideApplication->Hint(), L"plain");
  EXPECT_EQ(taker->wideHint, L"plain");
  // Any other hint action goes on as it is.
  THintAction other(nullptr);
  other.SetHint("other");
  EXPECT_FALSE(other.Execute());
  EXPECT_EQ(taker->ansiHint, "other");
}

// At idle time the application's hint becomes the long hint of the control
// under the mouse, read wide.
TEST_F(WideApplicationTest, IdleTimeTakesTheWideHintOfTheControlUnderTheMouse) {
  POINT p{};
  GetCursorPos(&p);
  form->SetBounds(p.x - 50, p.y - 50, 100, 100);
  auto* edit = Add<TWideTestEdit>(0, 0);
  edit->SetAlign(alClient);
  WideControl_SetHint(edit, kZhuk + L"|" + kZhukova);
  Application->SetMainForm(form.get());
  form->Show();
  SetWindowPos(form->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  PostMessageW(form->Handle(), WM_NULL, 0, 0);
  Application->ProcessMessages();  // the hook puts the idle control on the main form
  ASSERT_NE(WideApplication->IdleEventControl(), nullptr);
  EXPECT_EQ(WideApplication->IdleEventControl()->Parent(), form.get());
  MSG msg{};
  Application->Idle(msg);
  EXPECT_EQ(WideApplication->Hint(), kZhukova);
}

// A character typed into a Unicode window of a modeless dialog is handled
// once, and whole.
TEST_F(WideApplicationTest, ADialogsKeyIsHandledOnce) {
  auto* panel = Add<TWideTestPanel>(10, 10);
  auto* edit = new TWideTestEdit(form.get());
  edit->SetParent(panel);
  edit->SetBounds(0, 0, 150, 20);
  form->Show();
  Application->SetDialogHandle(panel->Handle());
  PostMessageW(edit->Handle(), WM_CHAR, 0x0416, 1);
  Application->ProcessMessages();
  EXPECT_EQ(WindowText(edit->Handle()), L"\x0416");
}
