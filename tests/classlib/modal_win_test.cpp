#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "classlib/appevents.h"
#include "classlib/buttons.h"
#include "classlib/canvas.h"
#include "classlib/label.h"
#include "classlib/panels.h"
#include "classlib/timer.h"
#include "window_fixture_win.h"

namespace {

// A dialog as the program makes them: created once, hidden, shown modally
// again and again.
class TOkDialog : public TForm {
public:
  explicit TOkDialog(TComponent* owner) : TForm(owner) {
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    SetClientWidth(200);
    SetClientHeight(80);
    ok = new TButton(this);
    ok->SetParent(this);
    ok->SetBounds(60, 40, 75, 25);
    ok->SetCaption("Ok");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
  }
  TButton* ok;
};

class ModalTest : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    form->SetBounds(360, 40, 420, 300);
    Application->SetMainForm(form.get());
    form->Show();
    dialog = std::make_unique<TOkDialog>(nullptr);
    dialog->AfterConstruction();
    // A modal loop whose end never comes fails its test after a minute
    // instead of hanging the run: the dialog is cancelled.
    watchdog = std::make_unique<TTimer>(nullptr);
    watchdog->SetInterval(60000);
    watchdog->OnTimer = [this](TObject*) {
      if (dialog->Visible()) {
        ADD_FAILURE() << "the modal loop did not end within a minute";
        dialog->SetModalResult(mrAbort);
      }
    };
  }
  void TearDown() override {
    watchdog.reset();
    dialog.reset();
    Application->SetMainForm(nullptr);
    WindowTest::TearDown();
  }
  std::unique_ptr<TOkDialog> dialog;
  std::unique_ptr<TTimer> watchdog;
};

}  // namespace

TEST_F(ModalTest, AButtonWithAModalResultEndsShowModalAgainAndAgain) {
  std::vector<std::string> seen;
  dialog->OnShow = [&](TObject*) {
    seen.push_back(IsWindowEnabled(form->Handle()) ? "main enabled" : "main disabled");
    PostButtonClick(dialog->ok->Handle());
  };
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_FALSE(dialog->Visible());
  EXPECT_FALSE(IsWindowVisible(dialog->Handle()));
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(seen, (std::vector<std::string>{"main disabled", "main disabled"}));
  // Centred on the main form.
  RECT main{}, shown{};
  GetWindowRect(form->Handle(), &main);
  GetWindowRect(dialog->Handle(), &shown);
  EXPECT_NEAR((shown.left + shown.right) / 2, (main.left + main.right) / 2, 1);
  EXPECT_NEAR((shown.top + shown.bottom) / 2, (main.top + main.bottom) / 2, 1);
  // A fixed dialog border.
  EXPECT_FALSE(GetWindowLongA(dialog->Handle(), GWL_STYLE) & WS_THICKFRAME);
  EXPECT_TRUE(GetWindowLongA(dialog->Handle(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
}

TEST_F(ModalTest, EnterEscAndCloseEndTheModalLoop) {
  // The button is the first tab stop, so it gets the focus and the key.
  dialog->OnShow = [&](TObject*) { PostMessageA(dialog->ok->Handle(), WM_KEYDOWN, VK_RETURN, 1); };
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(dialog->ActiveControl(), dialog->ok);
  dialog->OnShow = [&](TObject*) { PostMessageA(dialog->Handle(), WM_CLOSE, 0, 0); };
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  // OnClose may keep the dialog open: the next close ends it.
  int closes = 0;
  dialog->OnClose = [&](TObject*, TCloseAction& action) {
    if (++closes == 1) {
      action = caNone;
      PostButtonClick(dialog->ok->Handle());
    }
  };
  dialog->OnShow = [&](TObject*) { PostMessageA(dialog->Handle(), WM_CLOSE, 0, 0); };
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(closes, 2);
}

TEST_F(ModalTest, AShowingFormCannotBeShownModally) {
  dialog->Show();
  EXPECT_THROW(dialog->ShowModal(), EInvalidOperation);
}

TEST_F(ModalTest, PositionAndWindowStateApplyWhenShown) {
  auto centred = std::make_unique<TForm>(nullptr);
  centred->SetBounds(0, 0, 300, 200);
  centred->SetPosition(poScreenCenter);
  centred->Show();
  RECT area{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  EXPECT_EQ(centred->Left(), (area.right - area.left - 300) / 2);
  centred->Hide();
  centred->SetWindowState(wsMaximized);
  EXPECT_EQ(centred->WindowState(), wsMaximized);  // the state it will show in
  centred->Show();
  EXPECT_TRUE(IsZoomed(centred->Handle()));
  centred->SetWindowState(wsNormal);
  EXPECT_FALSE(IsZoomed(centred->Handle()));
  EXPECT_EQ(centred->WindowState(), wsNormal);
}

TEST_F(ModalTest, ARightToLeftFormMirrorsItsChildren) {
  auto* left = Add<TPanel>(form.get(), 0, 0, 100, 0);
  left->SetAlign(alLeft);
  auto* label = Add<TLabel>(left, 5, 5, 10, 10);
  label->SetCaption("Text");
  form->SetBiDiMode(bdRightToLeft);
  EXPECT_TRUE(label->IsRightToLeft());
  EXPECT_TRUE(GetWindowLongA(form->Handle(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
  EXPECT_TRUE(GetWindowLongA(left->Handle(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
  EXPECT_EQ(label->DrawTextBiDiModeFlagsReadingOnly(), static_cast<UINT>(DT_RTLREADING));
  // The left-aligned pane shows at the right edge of the screen's form.
  RECT formRect{}, paneRect{};
  GetWindowRect(form->Handle(), &formRect);
  GetWindowRect(left->Handle(), &paneRect);
  EXPECT_GT(paneRect.left, (formRect.left + formRect.right) / 2);
  EXPECT_EQ(left->BoundsRect(), Rect(0, 0, 100, form->ClientHeight()));
  // A child that reads left to right keeps its own mode.
  label->SetBiDiMode(bdLeftToRight);
  EXPECT_FALSE(label->IsRightToLeft());
}

TEST_F(ModalTest, ChildrenWithParentFontFollowTheFormsFont) {
  auto* follows = Add<TLabel>(form.get(), 5, 5, 10, 10);
  auto* own = Add<TLabel>(form.get(), 5, 30, 10, 10);
  own->Font()->SetName("Courier New");
  form->Font()->SetName("Tahoma");
  form->Font()->SetHeight(-15);
  EXPECT_EQ(follows->Font()->Name(), "Tahoma");
  EXPECT_EQ(follows->Font()->Height(), -15);
  EXPECT_EQ(own->Font()->Name(), "Courier New");
  EXPECT_TRUE(follows->ParentFont());
  EXPECT_FALSE(own->ParentFont());
}

TEST_F(ModalTest, MinimizeAndRestoreTellTheApplicationEvents) {
  TApplicationEvents events(nullptr);
  std::vector<std::string> log;
  events.OnMinimize = [&](TObject*) { log.push_back("minimized"); };
  events.OnRestore = [&](TObject*) { log.push_back("restored"); };
  // The main form's minimise command minimises the program.
  SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(Application->Handle()));
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  Application->Minimize();  // once only
  Application->Restore();
  EXPECT_FALSE(IsIconic(Application->Handle()));
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(log, (std::vector<std::string>{"minimized", "restored"}));
  ShowWindow(Application->Handle(), SW_HIDE);
}

// The program's loop: the main form shows with the application's window
// (its taskbar button), and closing the main form ends the loop.
TEST_F(ModalTest, RunShowsTheMainFormAndEndsWhenItCloses) {
  form->Hide();
  bool shown = false;
  form->OnShow = [&](TObject*) {
    shown = true;
    PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
  };
  Application->Run();
  EXPECT_TRUE(shown);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_TRUE(IsWindowVisible(Application->Handle()));
  // A dialog's client size is what was asked before its window existed.
  dialog->Show();
  EXPECT_EQ(dialog->ClientWidth(), 200);
  EXPECT_EQ(dialog->ClientHeight(), 80);
  ShowWindow(Application->Handle(), SW_HIDE);
}
