#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "classlib/hintwindow.h"
#include "widecontrols/widehints.h"
#include "widewindow_fixture.h"

TEST_F(WideWindowTest, WideCaptionGivenBeforeTheWindowShowsAndSurvivesRecreation) {
  auto* edit = Add<TWideTestEdit>(10, 10);
  WideControl_SetText(edit, kZhuk);
  EXPECT_FALSE(edit->HandleAllocated());
  EXPECT_EQ(WideControl_GetText(edit), kZhuk);
  form->Show();
  ASSERT_TRUE(IsWindowUnicode(edit->Handle()));
  EXPECT_EQ(WindowText(edit->Handle()), kZhuk);
  EXPECT_EQ(edit->Text(), "???");  // the class library sees the 8-bit image
  edit->RecreateWnd();
  EXPECT_EQ(WindowText(edit->Handle()), kZhuk);
  EXPECT_EQ(WideControl_GetText(edit), kZhuk);
  // A window the class library finds its control from.
  EXPECT_EQ(FindControl(edit->Handle()), edit);
}

TEST_F(WideWindowTest, TypedCyrillicReachesTheClassLibraryAs255AndTheWindowAsItself) {
  auto* edit = Add<TWideTestEdit>(10, 10);
  form->Show();
  PostMessageW(edit->Handle(), WM_CHAR, 0x0416, 1);
  PostMessageW(edit->Handle(), WM_CHAR, 0x00E9, 1);  // a Latin-1 letter takes the 8-bit path
  Application->ProcessMessages();
  EXPECT_EQ(edit->keys, (std::vector<unsigned char>{255, 0xE9}));
  EXPECT_EQ(WindowText(edit->Handle()), L"\x0416\x00E9");
  EXPECT_TRUE(errors.empty());
}

TEST_F(WideWindowTest, AnOnMessageHandlerThatHandlesAWideCharStopsItsDispatch) {
  auto* edit = Add<TWideTestEdit>(10, 10);
  form->Show();
  int seen = 0;
  Application->OnMessage = [&](MSG& msg, bool& handled) {
    if (msg.message == WM_CHAR && msg.wParam == 0x0416) {
      ++seen;
      handled = true;
    }
  };
  PostMessageW(edit->Handle(), WM_CHAR, 0x0416, 1);
  Application->ProcessMessages();
  EXPECT_EQ(seen, 1);
  EXPECT_TRUE(edit->keys.empty());
  EXPECT_EQ(WindowText(edit->Handle()), L"");
}

TEST_F(WideWindowTest, SettingTheSameWideTextTwiceSendsOneTextChange) {
  auto* edit = Add<TWideTestEdit>(10, 10);
  form->Show();
  edit->textChanges = 0;
  WideControl_SetText(edit, kZhuk);
  WideControl_SetText(edit, kZhuk);
  EXPECT_EQ(edit->textChanges, 1);
}

TEST_F(WideWindowTest, TextMessagesSentToTheControlObjectAreConvertedByTheSystem) {
  auto* edit = Add<TWideTestEdit>(10, 10);
  form->Show();
  edit->SetText("caf\xE9");
  EXPECT_EQ(WindowText(edit->Handle()), L"caf\x00E9");
  EXPECT_EQ(edit->Text(), "caf\xE9");
}

TEST_F(WideWindowTest, ANonWindowedControlFollowsItsEightBitTextChangedBehindIt) {
  TControl label(form.get());
  WideControl_SetText(&label, kZhuk);
  EXPECT_EQ(WideControl_GetText(&label), kZhuk);
  EXPECT_EQ(label.Text(), "???");
  label.SetText("plain");
  EXPECT_EQ(WideControl_GetText(&label), L"plain");
  // A new text whose image is the same 8-bit text still changes it.
  WideControl_SetText(&label, kZhuk);
  WideControl_SetText(&label, L"\x0416\x0416\x0416");
  EXPECT_EQ(WideControl_GetText(&label), L"\x0416\x0416\x0416");
}

TEST_F(WideWindowTest, HintsAreKeptWideAndSplitAtTheBar) {
  TControl label(form.get());
  WideControl_SetHint(&label, kZhuk + L"|" + kZhukova);
  EXPECT_EQ(WideGetShortHint(WideControl_GetHint(&label)), kZhuk);
  EXPECT_EQ(WideGetLongHint(WideControl_GetHint(&label)), kZhukova);
  EXPECT_EQ(WideGetShortHint(L"plain"), L"plain");
  EXPECT_TRUE(WideControl_IsHintStored(&label));
}

// Answers a window's text length too high, as the system may do.
namespace {
WNDPROC overstatedPrevious = nullptr;
LRESULT CALLBACK OverstateTextLength(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = CallWindowProcW(overstatedPrevious, window, msg, wParam, lParam);
  if (msg == WM_GETTEXTLENGTH) result += 5;
  return result;
}
}  // namespace

TEST_F(WideWindowTest, ReadingAUnicodeWindowKeepsOnlyTheCharactersItReturned) {
  auto* edit = Add<TWideTestEdit>(10, 10);
  form->Show();
  WideControl_SetText(edit, kZhuk);
  overstatedPrevious = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(edit->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OverstateTextLength)));
  std::wstring text = WideControl_GetText(edit);
  SetWindowLongPtrW(edit->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(overstatedPrevious));
  EXPECT_EQ(text, kZhuk);
  EXPECT_EQ(text.size(), 3u);
}

TEST_F(WideWindowTest, WMCharPackingCarriesCharactersAbove255InTheHighWord) {
  TMessage m{WM_CHAR, 0x0416, 0, 0};
  MakeWMCharMsgSafeForAnsi(m);
  EXPECT_EQ(m.WParam, MAKEWPARAM(255, 0x0416));
  EXPECT_EQ(GetWideCharFromWMCharMsg(m), L'\x0416');
  RestoreWMCharMsg(m);
  EXPECT_EQ(m.WParam, 0x0416u);
  SetWideCharForWMCharMsg(m, L'a');
  EXPECT_EQ(m.WParam, static_cast<WPARAM>('a'));
  TMessage other{WM_KEYDOWN, 0, 0, 0};
  EXPECT_THROW(MakeWMCharMsgSafeForAnsi(other), Exception);
  TMessage packed{WM_CHAR, MAKEWPARAM(255, 0x0416), 0, 0};
  EXPECT_THROW(MakeWMCharMsgSafeForAnsi(packed), Exception);
}

// A control whose class-library creation makes a tree view child, which asks
// its parent for the notification format while the parent is being created.
namespace {
class TTreeParent : public TWinControl {
public:
  using TWinControl::TWinControl;
  const char* ClassName() const override { return "TTreeParent"; }
  bool unicode = true;
  HWND childDuringCreation = nullptr;
  void Dispatch(TMessage& message) override {
    TWinControl::Dispatch(message);
    if (message.Msg == WM_CREATE)
      childDuringCreation = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD, 0, 0, 50, 50, Handle(), nullptr,
                                            GetModuleHandleW(nullptr), nullptr);
  }

protected:
  void CreateWindowHandle(const TCreateParams& params) override {
    if (unicode) CreateUnicodeHandle(this, params, L"");
    else TWinControl::CreateWindowHandle(params);
  }
};
}  // namespace

TEST_F(WideWindowTest, NotifyFormatIsAnsweredUnicodeDuringAndAfterCreation) {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&init);
  auto* wide = Add<TTreeParent>(10, 10);
  auto* plain = Add<TTreeParent>(10, 60);
  plain->unicode = false;
  form->Show();
  ASSERT_NE(wide->childDuringCreation, nullptr);
  EXPECT_TRUE(SendMessageW(wide->childDuringCreation, TVM_GETUNICODEFORMAT, 0, 0));
  EXPECT_FALSE(SendMessageW(plain->childDuringCreation, TVM_GETUNICODEFORMAT, 0, 0));
  // Once the trap is in place, it answers for its window.
  EXPECT_EQ(SendMessageW(wide->Handle(), WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(wide->childDuringCreation),
                         NF_QUERY),
            NFR_UNICODE);
  EXPECT_EQ(HandleWMNotifyFormat(form->Handle()), NFR_ANSI);
}

TEST_F(WideWindowTest, AHandlerInFrontOfTheTrapKeepsItInTheChainAcrossRecreation) {
  struct Front : TObject {
    TWndMethod next;
    int seen = 0;
    void Handle(TMessage& m) {
      if (m.Msg == CM_TEXTCHANGED) ++seen;
      next(m);
    }
  } front;
  auto* edit = Add<TWideTestEdit>(10, 10);
  form->Show();
  front.next = edit->WindowProc;
  edit->WindowProc = TWndMethod(&front, &Front::Handle);
  edit->RecreateWnd();
  WideControl_SetText(edit, kZhuk);
  PostMessageW(edit->Handle(), WM_CHAR, 0x0436, 1);
  Application->ProcessMessages();
  EXPECT_EQ(front.seen, 1);
  EXPECT_EQ(edit->keys, std::vector<unsigned char>{255});
  EXPECT_EQ(WindowText(edit->Handle()), L"\x0436" + kZhuk);  // typed at the caret, at the start
  edit->WindowProc = front.next;
}
