#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>

#include "classlib/hintwindow.h"
#include "widecontrols/wideactions.h"
#include "widecontrols/widecombobox.h"
#include "widecontrols/widehints.h"
#include "widewindow_fixture.h"

namespace {

class WideComboBoxTest : public WideWindowTest {
protected:
  TWideComboBox* ShownCombo(TComboBoxStyle style = csDropDown) {
    auto* combo = Add<TWideComboBox>(10, 10);
    combo->SetStyle(style);
    form->Show();
    combo->Items()->Add(kZhukova);
    combo->Items()->Add(L"\x0436\x0443\x0440\x043D\x0430\x043B");  // журнал
    combo->Items()->Add(L"Report");
    return combo;
  }
  // Types through the real message loop, as the keyboard would.
  void Type(HWND window, const std::wstring& keys) {
    for (wchar_t k : keys) PostMessageW(window, WM_CHAR, k, 1);
    Application->ProcessMessages();
  }
};

}  // namespace

TEST_F(WideComboBoxTest, HistoryItemsAndTextKeepCyrillic) {
  TWideComboBox* combo = ShownCombo();
  EXPECT_EQ(combo->Items()->Count(), 3);
  EXPECT_EQ(combo->Items()->Get(0), kZhukova);
  EXPECT_EQ(combo->Items()->IndexOf(L"\x0436\x0443\x043A\x043E\x0432\x0430"), 0);  // case ignored
  EXPECT_EQ(combo->Items()->Get(7), L"");  // out of range: empty, no exception
  combo->SetText(kZhuk);
  EXPECT_EQ(combo->Text(), kZhuk);
  combo->Items()->Clear();
  EXPECT_EQ(combo->Items()->Count(), 0);
  EXPECT_EQ(combo->Text(), kZhuk);
}

TEST_F(WideComboBoxTest, AutoCompleteKeepsTheTypedCaseAndSelectsTheRest) {
  TWideComboBox* combo = ShownCombo();
  combo->Items()->Add(L"readme");
  int clicks = 0;
  combo->OnClick = [&](TObject*) { ++clicks; };
  Type(combo->EditHandle(), L"r");  // the first of Report and readme in list order
  EXPECT_EQ(combo->Text(), L"report");
  EXPECT_EQ(combo->ItemIndex(), 2);
  EXPECT_EQ(combo->SelStart(), 1);
  EXPECT_EQ(combo->SelLength(), 5);
  EXPECT_EQ(clicks, 1);
  // Cyrillic in the same case (Wine's prefix search ignores only Latin case).
  combo->SetText(L"");
  Type(combo->EditHandle(), L"\x0416");
  EXPECT_EQ(combo->Text(), kZhukova);
  EXPECT_EQ(combo->ItemIndex(), 0);
  EXPECT_EQ(combo->SelText(), L"\x0443\x043A\x043E\x0432\x0430");
  Type(combo->EditHandle(), L"\x0443\x043A");  // typing over the selection keeps completing
  EXPECT_EQ(combo->Text(), kZhukova);
  EXPECT_EQ(combo->SelStart(), 3);
  EXPECT_EQ(clicks, 2);
  EXPECT_TRUE(errors.empty());
}

TEST_F(WideComboBoxTest, NoCompletionAwayFromTheEndOrWithAutoCompleteOff) {
  TWideComboBox* combo = ShownCombo();
  combo->SetText(L"xy");
  combo->SetSelStart(0);
  combo->SetSelLength(0);
  Type(combo->EditHandle(), L"\x0416");
  EXPECT_EQ(combo->Text(), L"\x0416xy");
  combo->SetText(L"");
  combo->SetAutoComplete(false);
  Type(combo->EditHandle(), L"\x0416");
  EXPECT_EQ(combo->Text(), L"\x0416");
  EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST_F(WideComboBoxTest, AutoSearchInAListStyleBuildsAPrefixUntilAPause) {
  TWideComboBox* combo = ShownCombo(csDropDownList);
  // Keys join only while each comes within the pause of the one before. On
  // a loaded machine handling them may take that long: a slow typist, who
  // pauses and types again.
  constexpr DWORD kPause = 1300;
  const ULONGLONG deadline = GetTickCount64() + 60000;
  for (bool first = true;; first = false) {
    if (!first) Sleep(kPause);
    const ULONGLONG before = GetTickCount64();
    Type(combo->Handle(), L"\x0436\x0443\x0440");
    if (GetTickCount64() - before < kPause - 100 || GetTickCount64() > deadline) break;
  }
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->AutoSearchText(), L"\x0436\x0443\x0440");
  Type(combo->Handle(), L"\b");
  EXPECT_EQ(combo->AutoSearchText(), L"\x0436\x0443");
  Sleep(kPause);
  Type(combo->Handle(), L"r");
  EXPECT_EQ(combo->AutoSearchText(), L"r");
  EXPECT_EQ(combo->ItemIndex(), 2);
}

// Without a parent the combo box can have no window yet: its items wait,
// wide, for the window it gets later.
TEST_F(WideComboBoxTest, ItemsGivenBeforeTheWindowKeepTheirWideText) {
  auto* combo = new TWideComboBox(form.get());
  TWideStrings* items = combo->Items();
  items->Clear();
  TWideStringList list;
  list.Add(L"x");
  list.Add(kZhuk);
  items->Assign(&list);
  items->Insert(0, kZhukova);
  items->Delete(1);
  EXPECT_EQ(items->Count(), 2);
  EXPECT_EQ(items->IndexOf(kZhuk), 1);
  EXPECT_EQ(items->Get(0), kZhukova);
  EXPECT_FALSE(combo->HandleAllocated());
  combo->SetParent(form.get());
  form->Show();
  ASSERT_TRUE(IsWindowUnicode(combo->Handle()));
  EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETCOUNT, 0, 0), 2);
  wchar_t text[32] = {};
  SendMessageW(combo->Handle(), CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(std::wstring(text), kZhuk);
  EXPECT_EQ(items->Get(0), kZhukova);
}

TEST_F(WideComboBoxTest, TheWideHintWindowTakesTheSizeOfItsText) {
  TWideCustomHintWindow window(nullptr);
  window.HandleNeeded();
  WideControl_SetText(&window, kZhuk);
  RECT small{}, large{};
  GetWindowRect(window.Handle(), &small);
  WideControl_SetText(&window, kZhukova + L" " + kZhukova);
  GetWindowRect(window.Handle(), &large);
  EXPECT_GT(large.right - large.left, small.right - small.left);
  EXPECT_EQ(window.Width(), large.right - large.left);
}

TEST_F(WideComboBoxTest, RecreatingTheWindowKeepsItemsSelectionAndText) {
  TWideComboBox* combo = ShownCombo();
  combo->SetItemIndex(1);
  combo->SetText(kZhuk);
  combo->SetStyle(csSimple);
  EXPECT_EQ(combo->Items()->Count(), 3);
  EXPECT_EQ(combo->Items()->Get(0), kZhukova);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), kZhuk);
  EXPECT_TRUE(IsWindowUnicode(combo->EditHandle()));
  EXPECT_TRUE(IsWindowUnicode(combo->ListHandle()));
}

TEST_F(WideComboBoxTest, EnterWithTheListOpenClosesItAndGoesNoFurther) {
  TWideComboBox* combo = ShownCombo();
  combo->SetDroppedDown(true);
  ASSERT_TRUE(combo->DroppedDown());
  SendMessageW(combo->EditHandle(), WM_CHAR, VK_RETURN, 1);
  EXPECT_FALSE(combo->DroppedDown());
}

TEST_F(WideComboBoxTest, AutoCompleteIsBackWhenAKeyHandlerRaises) {
  TWideComboBox* combo = ShownCombo();
  combo->OnKeyPress = [](TObject*, char&) { throw EConvertError("bad key"); };
  Type(combo->EditHandle(), L"a");
  EXPECT_EQ(errors, std::vector<std::string>{"bad key"});
  EXPECT_TRUE(combo->AutoComplete());
}

TEST_F(WideComboBoxTest, ASelectionChangeWithNothingSelectedLeavesTheTypedText) {
  TWideComboBox* combo = ShownCombo();
  combo->SetText(kZhuk);
  int selects = 0;
  combo->OnSelect = [&](TObject*) { ++selects; };
  combo->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo->Handle()));
  EXPECT_EQ(combo->Text(), kZhuk);
  EXPECT_EQ(selects, 1);
  combo->SetItemIndex(2);
  combo->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo->Handle()));
  EXPECT_EQ(combo->Text(), L"Report");
}

namespace {
WNDPROC comboPrevious = nullptr;
LRESULT CALLBACK OverstateItemLength(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = CallWindowProcW(comboPrevious, window, msg, wParam, lParam);
  if (msg == CB_GETLBTEXTLEN && result >= 0) result += 4;
  return result;
}
}  // namespace

TEST_F(WideComboBoxTest, AnEightBitItemKeepsOnlyTheCharactersReturned) {
  TWideComboBox* combo = ShownCombo();
  comboPrevious = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(combo->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OverstateItemLength)));
  std::string item = combo->AnsiItems()->Get(2);
  SetWindowLongPtrW(combo->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(comboPrevious));
  EXPECT_EQ(item, "Report");
  EXPECT_EQ(combo->AnsiItems()->Get(0), "??????");
}

TEST_F(WideComboBoxTest, AWideActionGivesItsCaptionToTheCombo) {
  TWideComboBox* combo = ShownCombo();
  EXPECT_EQ(WideControl_GetActionLinkClass(combo, TWinControlActionLink::StaticClass()),
            TWideWinControlActionLink::StaticClass());
  TWideAction action(form.get());
  action.SetCaption(L"old");
  combo->SetAction(&action);
  EXPECT_EQ(combo->Text(), L"old");
  action.SetCaption(kZhuk);
  EXPECT_EQ(combo->Text(), kZhuk);
  EXPECT_EQ(action.TCustomAction::Caption(), "???");
  combo->SetText(L"by hand");  // no longer linked
  action.SetCaption(kZhukova);
  EXPECT_EQ(combo->Text(), L"by hand");
  combo->SetAction(nullptr);
}

TEST_F(WideComboBoxTest, TheHintOfAUnicodeControlShowsWideInAWideHintWindow) {
  // Apart from the forms of tests running beside this one on the display.
  form->SetBounds(700, 600, 300, 120);
  TWideComboBox* combo = ShownCombo();
  combo->SetHint(kZhuk + L"|" + kZhukova);
  combo->SetShowHint(true);
  THintInfo& info = Application->CurrentHintInfo();
  info = THintInfo{};
  info.HintControl = combo;
  info.HintWindowClass = THintWindow::StaticClass();
  combo->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintWindowClass, TWideCustomHintWindow::StaticClass());
  EXPECT_EQ(info.HintStr, "???");
  EXPECT_TRUE(IsWideHintInfo(&info));
  EXPECT_EQ(GetWideHintText(info), kZhuk);
  // A record elsewhere that looks the same is not taken for the application's.
  THintInfo copy = info;
  copy.HintData = &copy;
  EXPECT_FALSE(IsWideHintInfo(&copy));
  EXPECT_FALSE(IsWideHintInfo(nullptr));
  // Shown through the application, from a point over the combo.
  RECT r{};
  GetWindowRect(combo->Handle(), &r);
  // Asked again until the combo is mapped on the display and no other
  // program's window lies over the point.
  PumpUntil([&] {
    if (Application->HintWindow() != nullptr) return true;
    Application->ActivateHint(POINT{r.left + 5, r.top + 5});
    return false;
  });
  auto* window = dynamic_cast<TWideCustomHintWindow*>(Application->HintWindow());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->Caption(), kZhuk);
  Application->CancelHint();
}

// The shortcut the class library adds to a hint comes out wide beside the
// wide hint; a hint the program replaced shows as that replacement.
TEST_F(WideComboBoxTest, AWideHintKeepsTheActionsShortCutAndAReplacedHintShowsAsItIs) {
  TWideComboBox* combo = ShownCombo();
  auto* action = new TWideAction(form.get());
  action->SetShortCut(ShortCut('S', ssCtrl));
  combo->SetAction(action);
  combo->SetHint(kZhuk + L"|" + kZhukova);
  THintInfo& info = Application->CurrentHintInfo();
  info = THintInfo{};
  info.HintControl = combo;
  info.HintWindowClass = THintWindow::StaticClass();
  combo->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, "??? (Ctrl+S)");
  EXPECT_EQ(GetWideHintText(info), kZhuk + L" (Ctrl+S)");
  info.HintStr = "Replaced";
  EXPECT_EQ(GetWideHintText(info), L"Replaced");
  combo->SetAction(nullptr);
}

TEST_F(WideComboBoxTest, WideCanvasTextOfNothingHasNoWidth) {
  TWideComboBox* combo = ShownCombo();
  HDC dc = GetDC(combo->Handle());
  CanvasHandleScope scope(combo->Canvas(), dc);
  EXPECT_EQ(WideCanvasTextWidth(combo->Canvas(), L""), 0);
  EXPECT_GT(WideCanvasTextWidth(combo->Canvas(), kZhuk), 0);
  combo->Canvas()->SetHandle(nullptr);
  ReleaseDC(combo->Handle(), dc);
}

// Three wide combo boxes with Cyrillic text, saved as a picture of the
// screen in the build folder ("wide_combo_form.bmp") for a person to check.
TEST_F(WideComboBoxTest, ScreenshotOfThreeCyrillicComboBoxes) {
  const std::wstring texts[] = {kZhukova, L"\x043F\x0440\x0438\x0432\x0435\x0442 \x043C\x0438\x0440",
                                L"\x042D\x0442\x043E \x0442\x0435\x0441\x0442"};
  form->SetBounds(700, 40, 320, 160);  // apart from other tests' forms
  for (int i = 0; i < 3; ++i) {
    auto* combo = Add<TWideComboBox>(10, 10 + 40 * i);
    combo->SetStyle(i == 2 ? csOwnerDrawFixed : csDropDown);
    form->Show();
    combo->Items()->Add(texts[i]);
    if (i == 2) combo->SetItemIndex(0);
    else combo->SetText(texts[i]);
  }
  WideControl_SetText(form.get(), L"\x0424\x043E\x0440\x043C\x0430");
  for (int i = 0; i < 20; ++i) {
    Application->ProcessMessages();
    Sleep(20);
  }
  RECT r{};
  GetWindowRect(form->Handle(), &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
  BITMAPFILEHEADER fh{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  fh.bfSize = fh.bfOffBits + stride * static_cast<DWORD>(h);
  std::ofstream out("wide_combo_form.bmp", std::ios::binary);
  out.write(reinterpret_cast<const char*>(&fh), sizeof fh);
  out.write(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
  out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(stride * static_cast<DWORD>(h)));
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  EXPECT_TRUE(out.good());
}
