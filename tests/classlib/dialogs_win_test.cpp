#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "classlib/canvas.h"
#include "classlib/dialogs.h"
#include "temp_folder_win.h"
#include "window_fixture_win.h"

namespace {

// Answers the first dialog box this thread shows (the system's boxes run
// their own message loop, so another thread waits for the box to appear)
// with a command, as a click on one of its buttons would; notes what the
// box looked like then.
class DialogAnswer {
public:
  explicit DialogAnswer(WORD command, HWND watched = nullptr)
      : command_(command), watched_(watched), thread_(GetCurrentThreadId()), worker_([this] { Run(); }) {}
  ~DialogAnswer() { Wait(); }
  // What the box looked like is known once the answer was given.
  void Wait() {
    if (worker_.joinable()) worker_.join();
  }

  std::string caption;
  std::string text;
  HWND owner = nullptr;
  bool watchedEnabled = true;

private:
  static BOOL CALLBACK FindBox(HWND window, LPARAM data) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) != "#32770" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(data) = window;
    return FALSE;
  }
  void Run() {
    // A minute at most, only so that a box that never shows ends the wait.
    const ULONGLONG deadline = GetTickCount64() + 60000;
    while (GetTickCount64() < deadline) {
      HWND box = nullptr;
      EnumThreadWindows(thread_, FindBox, reinterpret_cast<LPARAM>(&box));
      if (box != nullptr) {
        char buffer[256] = {};
        GetWindowTextA(box, buffer, sizeof buffer);
        caption = buffer;
        GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
        text = buffer;
        owner = GetWindow(box, GW_OWNER);
        if (watched_ != nullptr) watchedEnabled = IsWindowEnabled(watched_);
        Sleep(50);  // the dialog has finished setting itself up
        PostMessageA(box, WM_COMMAND, command_, 0);
        return;
      }
      Sleep(20);
    }
  }

  WORD command_;
  HWND watched_;
  DWORD thread_;
  std::thread worker_;
};

class DialogsTest : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    form->SetBounds(360, 360, 420, 200);
    Application->SetMainForm(form.get());
    form->Show();
    other = std::make_unique<TForm>(nullptr);
    other->SetBounds(360, 600, 200, 100);
    other->Show();
    SetForegroundWindow(form->Handle());
    Pump(2);
  }
  void TearDown() override {
    other.reset();
    Application->SetMainForm(nullptr);
    WindowTest::TearDown();
  }
  std::unique_ptr<TForm> other;
};

}  // namespace

TEST_F(DialogsTest, MessageDlgAnswersWithTheButtonPressedOwnedByTheActiveForm) {
  DialogAnswer answer(IDNO, other->Handle());
  EXPECT_EQ(MessageDlg("Move selected files?", mtConfirmation, mbYes | mbNo, 0), mrNo);
  answer.Wait();
  EXPECT_EQ(answer.caption, "Confirm");
  EXPECT_EQ(answer.text, "Move selected files?");
  EXPECT_EQ(answer.owner, form->Handle());
  // The program's other windows wait for the answer, and work again after.
  EXPECT_FALSE(answer.watchedEnabled);
  EXPECT_TRUE(IsWindowEnabled(other->Handle()));
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));
}

TEST_F(DialogsTest, EachSetOfButtonsGivesItsAnswers) {
  {
    DialogAnswer answer(IDOK);
    EXPECT_EQ(MessageDlg("File already exists! Overwrite?", mtWarning, mbOK | mbCancel, 0), mrOk);
  }
  {
    DialogAnswer answer(IDCANCEL);
    EXPECT_EQ(MessageDlg("Stop?", mtConfirmation, mbYes | mbNo | mbCancel, 0), mrCancel);
  }
  {
    DialogAnswer answer(IDOK);
    Application->SetTitle("Ovalis test");
    ShowMessage("Done");
    answer.Wait();
    EXPECT_EQ(answer.caption, "Ovalis test");
  }
  {
    DialogAnswer answer(IDCANCEL);
    EXPECT_EQ(Application->MessageBox("No files found. Nothing to report.", "Info", MB_OKCANCEL), IDCANCEL);
    answer.Wait();
    EXPECT_EQ(answer.caption, "Info");
  }
  EXPECT_THROW(MessageDlg("x", mtError, mbNo, 0), EInvalidOperation);
}

TEST_F(DialogsTest, SaveDialogGivesTheChosenNameOrNothingWhenCancelled) {
  TempFolder folder;
  TSaveDialog dialog(nullptr);
  dialog.SetDefaultExt("txt");
  dialog.SetFileName("FileList");
  dialog.SetFilter("Text files (*.txt)|*.TXT|Comma separated (*.csv)|*.CSV");
  dialog.SetInitialDir(folder.Path());
  {
    DialogAnswer answer(IDCANCEL, other->Handle());
    EXPECT_FALSE(dialog.Execute());
    answer.Wait();
    EXPECT_FALSE(answer.watchedEnabled);
  }
  EXPECT_EQ(dialog.FileName(), "FileList");
  {
    DialogAnswer answer(IDOK);
    EXPECT_TRUE(dialog.Execute());
  }
  EXPECT_EQ(dialog.FileName(), folder / "FileList.txt");
  EXPECT_EQ(dialog.FilterIndex(), 1);
  EXPECT_TRUE(IsWindowEnabled(other->Handle()));
}

// The face of a font the system has, so the dialog can select it.
static int CALLBACK KeepFirstFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM data) {
  if (!(type & TRUETYPE_FONTTYPE) || font->lfFaceName[0] == '@') return 1;
  *reinterpret_cast<std::string*>(data) = font->lfFaceName;
  return 0;
}

TEST_F(DialogsTest, FontDialogKeepsTheFontWhenCancelledAndTakesTheChoice) {
  std::string face;
  HDC screen = GetDC(nullptr);
  LOGFONTA all{};
  all.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExA(screen, &all, KeepFirstFace, reinterpret_cast<LPARAM>(&face), 0);
  ReleaseDC(nullptr, screen);
  ASSERT_FALSE(face.empty());
  TFontDialog dialog(nullptr);
  dialog.Font()->SetName(face);
  dialog.Font()->SetHeight(-13);
  dialog.Font()->SetStyle(fsBold);
  int changes = 0;
  dialog.Font()->OnChange = [&](TObject*) { ++changes; };
  {
    DialogAnswer answer(IDCANCEL);
    EXPECT_FALSE(dialog.Execute());
  }
  EXPECT_EQ(changes, 0);
  {
    DialogAnswer answer(IDOK);
    EXPECT_TRUE(dialog.Execute());
  }
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(dialog.Font()->Name(), face);
  EXPECT_EQ(dialog.Font()->Style() & fsBold, fsBold);
}
