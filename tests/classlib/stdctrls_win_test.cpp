#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "classlib/bitmap.h"
#include "classlib/buttons.h"
#include "classlib/canvas.h"
#include "classlib/edits.h"
#include "classlib/hintwindow.h"
#include "classlib/image.h"
#include "classlib/label.h"
#include "classlib/panels.h"
#include "classlib/picture.h"
#include "classlib/splitter.h"
#include "classlib/timer.h"
#include "screenshot_win.h"
#include "window_fixture_win.h"

namespace {

class ControlsTest : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    form->SetBounds(60, 60, 420, 320);
  }
  // The colour the screen shows at a client point of window.
  static COLORREF PixelAt(HWND window, int x, int y) {
    UpdateWindow(window);
    HDC dc = GetDC(window);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return c;
  }
  static TBitmap* SolidBitmap(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    auto* bitmap = new TBitmap;
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(width, height);
    for (int y = 0; y < height; ++y) {
      auto* row = static_cast<uint8_t*>(bitmap->ScanLine(y));
      for (int x = 0; x < width; ++x) {
        row[x * 3] = b;
        row[x * 3 + 1] = g;
        row[x * 3 + 2] = r;
      }
    }
    return bitmap;
  }
};

}  // namespace

// The options dialog relies on this: loading a stored value into a box runs
// the box's side effects exactly when the state changes.
TEST_F(ControlsTest, AHintWindowTakesTheSizeOfItsText) {
  THintWindow window(nullptr);
  window.HandleNeeded();
  window.SetCaption("Short");
  RECT small{}, large{};
  GetWindowRect(window.Handle(), &small);
  window.SetCaption("A much longer hint than that");
  GetWindowRect(window.Handle(), &large);
  EXPECT_GT(large.right - large.left, small.right - small.left);
  EXPECT_EQ(window.Width(), large.right - large.left);
}

TEST_F(ControlsTest, CheckBoxClickRunsOnEveryChangeOfStateFromCodeOrUser) {
  auto* box = Add<TCheckBox>(form.get(), 10, 10, 150, 20);
  std::vector<TCheckBoxState> seen;
  box->OnClick = [&](TObject*) { seen.push_back(box->State()); };
  box->SetChecked(true);  // before the window exists
  form->Show();
  EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  box->SetChecked(true);  // no change, no click
  box->SetChecked(false);
  PostButtonClick(box->Handle());
  Pump(2);
  EXPECT_TRUE(box->Checked());
  box->SetAllowGrayed(true);
  // The space bar's press and release in one go: posted apart, another
  // program taking the activation between them ends the press unclicked.
  SendMessageA(box->Handle(), WM_KEYDOWN, VK_SPACE, 1);
  SendMessageA(box->Handle(), WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0000001u));
  Pump(2);
  EXPECT_EQ(box->State(), cbGrayed);
  EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbChecked, cbUnchecked, cbChecked, cbGrayed}));
}

TEST_F(ControlsTest, RadioButtonsClearTheirSiblingsOnly) {
  auto* group = Add<TGroupBox>(form.get(), 10, 10, 200, 100);
  auto* a = Add<TRadioButton>(group, 10, 20, 100, 20);
  auto* b = Add<TRadioButton>(group, 10, 45, 100, 20);
  auto* outside = Add<TRadioButton>(form.get(), 10, 120, 100, 20);
  outside->SetChecked(true);
  a->SetChecked(true);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  form->Show();
  PostButtonClick(b->Handle());
  Pump(2);
  EXPECT_TRUE(b->Checked());
  EXPECT_FALSE(a->Checked());
  EXPECT_EQ(SendMessageA(a->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(outside->Checked());
  EXPECT_EQ(clicks, 1);
}

TEST_F(ControlsTest, EditReportsTypedAndSetTextAndCanBeReadOnly) {
  auto* edit = Add<TEdit>(form.get(), 10, 10, 150, 21);
  std::vector<std::string> changes;
  edit->OnChange = [&](TObject*) { changes.push_back(edit->Text()); };
  form->Show();
  edit->SetText("ab");
  SendMessageA(edit->Handle(), EM_SETSEL, 2, 2);
  PostMessageA(edit->Handle(), WM_CHAR, 'c', 1);
  Pump(2);
  EXPECT_EQ(edit->Text(), "abc");
  edit->SetReadOnly(true);
  PostMessageA(edit->Handle(), WM_CHAR, 'd', 1);
  Pump(2);
  EXPECT_EQ(edit->Text(), "abc");
  EXPECT_TRUE(GetWindowLongA(edit->Handle(), GWL_STYLE) & ES_READONLY);
  EXPECT_EQ(changes, (std::vector<std::string>{"ab", "abc"}));
}

// The options dialog keeps its file types in a narrow memo: a long line
// wrapped on the screen must stay one line, or saving would split it.
TEST_F(ControlsTest, MemoLinesAreTheLinesOfTheTextNotOfTheScreen) {
  auto* memo = Add<TMemo>(form.get(), 10, 10, 80, 120);
  const std::string longLine = "All documents: (*.doc; *.xls; *.rtf; *.pdf; *.chm; *.htm; *.html; *.xml)";
  memo->Lines()->Add("All files: (*.*)");  // kept without a window
  form->Show();
  memo->Lines()->Add(longLine);
  memo->Lines()->Add("Text files: (*.txt)");
  EXPECT_GT(SendMessageA(memo->Handle(), EM_GETLINECOUNT, 0, 0), 3);
  ASSERT_EQ(memo->Lines()->Count(), 3);
  EXPECT_EQ(memo->Lines()->Get(1), longLine);
  memo->Lines()->Delete(0);
  memo->Lines()->Insert(1, "");
  EXPECT_EQ(memo->Text(), longLine + "\r\n\r\nText files: (*.txt)");
  // The text survives a new window (scroll bars are part of its style).
  memo->SetScrollBars(ssBoth);
  EXPECT_TRUE(GetWindowLongA(memo->Handle(), GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(memo->Lines()->Count(), 3);
  memo->Lines()->SetText("one\ntwo\rthree");
  EXPECT_EQ(memo->Text(), "one\r\ntwo\r\nthree");
  memo->Lines()->Clear();
  EXPECT_EQ(memo->Lines()->Count(), 0);
}

TEST_F(ControlsTest, LabelSizesItselfAndWorksAsALink) {
  auto* label = Add<TLabel>(form.get(), 200, 10, 10, 10);
  label->SetCaption("A link to somewhere");
  const int width = label->Width();
  EXPECT_GT(width, 50);
  label->Font()->SetStyle(fsBold | fsUnderline);
  EXPECT_GT(label->Width(), width);
  // Right-justified, it grows to the left.
  auto* right = Add<TLabel>(form.get(), 100, 60, 100, 10);
  right->SetAlignment(taRightJustify);
  right->SetCaption("x");
  EXPECT_EQ(right->Left() + right->Width(), 200);
  int clicks = 0;
  label->OnClick = [&](TObject*) { ++clicks; };
  label->SetCursor(crHandPoint);
  form->Show();
  SendClick(label->Handle(), 3, 3);
  // Pressed on the label, released outside it: no click.
  SendMouse(label->Handle(), WM_LBUTTONDOWN, 3, 3);
  SendMouse(label->Handle(), WM_LBUTTONUP, 3, 500);
  Pump(2);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(SendMessageA(label->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(label->Handle()),
                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
            1);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_HAND));
  // The program's busy cursor shows over everything.
  Screen->SetCursor(crHourGlass);
  SendMessageA(label->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(label->Handle()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
  Screen->SetCursor(crDefault);
}

TEST_F(ControlsTest, TimerRunsItsEventWhileEnabled) {
  TTimer timer(nullptr);
  int ticks = 0;
  timer.SetInterval(10);
  timer.OnTimer = [&](TObject*) {
    if (++ticks == 3) timer.SetEnabled(false);
  };
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));
  EXPECT_EQ(ticks, 3);
  Pump(5);
  EXPECT_EQ(ticks, 3);
  // An exception in the handler reaches the application, not the system.
  timer.OnTimer = [&](TObject*) {
    timer.SetEnabled(false);
    throw Exception("tick failed");
  };
  timer.SetEnabled(true);
  EXPECT_TRUE(PumpUntil([&] { return !errors.empty(); }));
  EXPECT_EQ(errors, std::vector<std::string>{"tick failed"});
  errors.clear();
}

TEST_F(ControlsTest, ImagePaintsItsPictureWhereItsOptionsSay) {
  auto* panel = Add<TPanel>(form.get(), 0, 0, 200, 200);
  panel->SetBevelOuter(bvNone);
  panel->SetColor(RGBColor(0, 0, 255));
  auto* image = Add<TImage>(panel, 0, 0, 100, 60);
  std::unique_ptr<TBitmap> red(SolidBitmap(20, 10, 255, 0, 0));
  image->Picture()->SetGraphic(red.get());
  form->Show();
  Pump(2);
  const COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);
  EXPECT_EQ(PixelAt(image->Handle(), 5, 5), kRed);
  EXPECT_EQ(PixelAt(image->Handle(), 25, 5), kBlue);  // the parent's colour around it
  image->SetCenter(true);
  Pump(2);
  EXPECT_EQ(PixelAt(image->Handle(), 5, 5), kBlue);
  EXPECT_EQ(PixelAt(image->Handle(), 50, 30), kRed);
  // Proportional only shrinks; stretched it keeps the ratio 2:1.
  image->SetProportional(true);
  EXPECT_EQ(image->DestRect(), Rect(40, 25, 60, 35));
  image->SetStretch(true);
  EXPECT_EQ(image->DestRect(), Rect(0, 5, 100, 55));
  Pump(2);
  EXPECT_EQ(PixelAt(image->Handle(), 2, 30), kRed);
  EXPECT_EQ(PixelAt(image->Handle(), 50, 2), kBlue);
  // A cleared picture paints nothing of the old one.
  image->Picture()->SetGraphic(nullptr);
  Pump(2);
  EXPECT_EQ(PixelAt(image->Handle(), 50, 30), kBlue);
}

// Every standard control on one form, saved for a person to look at.
TEST_F(ControlsTest, ScreenshotOfEveryControl) {
  form->SetBounds(800, 200, 480, 360);
  form->SetCaption("Controls");
  auto* top = Add<TPanel>(form.get(), 0, 0, 0, 30);
  top->SetAlign(alTop);
  top->SetCaption("Raised panel, centred caption");
  auto* left = Add<TPanel>(form.get(), 0, 0, 150, 0);
  left->SetAlign(alLeft);
  left->SetBevelOuter(bvLowered);
  auto* splitter = new TSplitter(form.get());
  splitter->SetParent(form.get());
  splitter->SetColor(clSystemColor | COLOR_BTNSHADOW);
  auto* client = Add<TPanel>(form.get(), 0, 0, 0, 0);
  client->SetAlign(alClient);
  client->SetBevelOuter(bvNone);
  auto* group = Add<TGroupBox>(left, 5, 5, 138, 120);
  group->SetCaption("Group box");
  auto* check = Add<TCheckBox>(group, 8, 20, 120, 20);
  check->SetCaption("Check box");
  check->SetChecked(true);
  auto* radio1 = Add<TRadioButton>(group, 8, 45, 120, 20);
  radio1->SetCaption("Radio one");
  radio1->SetChecked(true);
  Add<TRadioButton>(group, 8, 70, 120, 20)->SetCaption("Radio two");
  auto* label = Add<TLabel>(left, 8, 140, 10, 10);
  label->SetCaption("www.marnok.example");
  label->Font()->SetColor(RGBColor(0, 0, 255));
  label->Font()->SetStyle(fsUnderline);
  label->SetCursor(crHandPoint);
  auto* bold = Add<TLabel>(left, 8, 165, 10, 10);
  bold->SetCaption("Bold label");
  bold->Font()->SetStyle(fsBold);
  auto* edit = Add<TEdit>(client, 8, 8, 200, 21);
  edit->SetText("An edit");
  auto* memo = Add<TMemo>(client, 8, 38, 200, 80);
  memo->SetScrollBars(ssVertical);
  memo->Lines()->SetText("A memo\nwith three\nlines");
  auto* image = Add<TImage>(client, 220, 8, 60, 60);
  std::unique_ptr<TBitmap> picture(SolidBitmap(40, 40, 200, 60, 60));
  image->Picture()->SetGraphic(picture.get());
  image->SetCenter(true);
  auto* ok = Add<TButton>(client, 8, 130, 75, 25);
  ok->SetCaption("OK");
  ok->SetDefault(true);
  Add<TButton>(client, 90, 130, 75, 25)->SetCaption("Cancel");
  form->Show();
  // Above the windows of other tests on the shared display.
  SetWindowPos(form->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Pump(10);
  EXPECT_TRUE(screenshot::SaveWindowPng(form->Handle(), "classlib_controls.png"));
}
