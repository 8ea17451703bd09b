#include "widecontrols/widehints.h"

#include "classlib/actions.h"
#include "classlib/application.h"
#include "widecontrols/codepageconv.h"
#include "widecontrols/platform.h"
#include "widecontrols/unicodewindows.h"
#include "widecontrols/win32wide.h"

namespace {
std::string AnsiImage(const std::wstring& s) { return WideStringToStringEx(s, DefaultSystemCodePage); }
std::wstring FromAnsi(const std::string& s) { return StringToWideStringEx(s, DefaultSystemCodePage); }
}  // namespace

// --- canvas text -----------------------------------------------------------------------

void WideCanvasTextOut(TCanvas* canvas, int x, int y, const std::wstring& text) {
  canvas->Changing();
  canvas->RequiredState(csHandleValid | csFontValid | csBrushValid);
  int width = WideCanvasTextWidth(canvas, text);
  if (canvas->CanvasOrientation() == coRightToLeft) x += width + 1;
  ExtTextOutW(canvas->Handle(), x, y, static_cast<UINT>(canvas->TextFlags()), nullptr, text.data(),
              static_cast<UINT>(text.size()), nullptr);
  canvas->MoveTo(x + width, y);
  canvas->Changed();
}

SIZE WideCanvasTextExtent(TCanvas* canvas, const std::wstring& text) {
  canvas->RequiredState(csHandleValid | csFontValid);
  SIZE size{0, 0};
  if (!GetTextExtentPoint32W(canvas->Handle(), text.data(), static_cast<int>(text.size()), &size)) size = SIZE{0, 0};
  return size;
}

int WideCanvasTextWidth(TCanvas* canvas, const std::wstring& text) { return WideCanvasTextExtent(canvas, text).cx; }
int WideCanvasTextHeight(TCanvas* canvas, const std::wstring& text) { return WideCanvasTextExtent(canvas, text).cy; }

// --- shortcut text -----------------------------------------------------------------------

std::wstring WideShortCutToText(TShortCut shortCut) {
  if (!Win32PlatformIsUnicode) return FromAnsi(ShortCutToText(shortCut));
  WORD key = shortCut & 0xFF;
  std::wstring name;
  std::string own = KeyNameFromTable(key);
  if (!own.empty()) {
    name = FromAnsi(own);
  } else if ((key >= 0x30 && key <= 0x39) || (key >= 0x41 && key <= 0x5A) || (key >= 0x60 && key <= 0x69)) {
    UINT ch = MapVirtualKeyW(key, 2) & 0xFFFF;
    if (ch != 0) name = std::wstring(1, static_cast<wchar_t>(ch));
  } else {
    wchar_t text[64] = {};
    LONG scan = static_cast<LONG>(MapVirtualKeyW(key, 0)) << 16;
    if (GetKeyNameTextW(scan, text, 64) > 0) name = text;
  }
  if (name.empty()) return std::wstring();
  std::wstring result;
  if (shortCut & scShift) result += L"Shift+";
  if (shortCut & scCtrl) result += L"Ctrl+";
  if (shortCut & scAlt) result += L"Alt+";
  return result + name;
}

// --- hint show ------------------------------------------------------------------------------

void ProcessCMHintShowMsg(TMessage& message) {
  if (!Win32PlatformIsUnicode) return;
  auto* info = reinterpret_cast<THintInfo*>(message.LParam);
  if (info == nullptr) return;
  if (info->HintWindowClass == THintWindow::StaticClass()) {
    info->HintWindowClass = TWideCustomHintWindow::StaticClass();
  } else if (info->HintWindowClass == nullptr ||
             !info->HintWindowClass->InheritsFrom(TWideCustomHintWindow::StaticClass())) {
    return;
  }
  info->HintData = info;
  info->HintStr = AnsiImage(WideGetShortHint(WideGetHint(info->HintControl)));
}

bool IsWideHintInfo(void* data) {
  if (data == nullptr || Application == nullptr || data != &Application->CurrentHintInfo()) return false;
  const auto* info = static_cast<const THintInfo*>(data);
  return info->HintData == data && info->HintWindowClass != nullptr &&
         info->HintWindowClass->InheritsFrom(TWideCustomHintWindow::StaticClass());
}

std::wstring GetWideHintText(const THintInfo& info) {
  std::wstring result = FromAnsi(info.HintStr);
  if (result.empty() || info.HintControl == nullptr) return result;
  std::wstring wideHint = WideGetShortHint(WideGetHint(info.HintControl));
  if (AnsiImage(wideHint) == info.HintStr) return wideHint;
  if (Application != nullptr && Application->HintShortCuts() && info.HintControl->Action() != nullptr) {
    auto* action = dynamic_cast<TCustomAction*>(info.HintControl->Action());
    if (action != nullptr && action->ShortCut() != 0) {
      std::string ansi = AnsiImage(wideHint) + " (" + ShortCutToText(action->ShortCut()) + ")";
      if (ansi == info.HintStr) return wideHint + L" (" + WideShortCutToText(action->ShortCut()) + L")";
    }
  }
  return result;
}

// --- wide hint window ----------------------------------------------------------------------

TWideCustomHintWindow::TWideCustomHintWindow(TComponent* owner) : THintWindow(owner) {}

THintWindowClass TWideCustomHintWindow::StaticClass() {
  return ClassInfoOf<TWideCustomHintWindow, THintWindow, TComponent*>("TWideCustomHintWindow",
                                                                      THintWindow::StaticClass());
}

std::wstring TWideCustomHintWindow::WideControl_GetTextOf(TControl* control) { return WideControl_GetText(control); }

void TWideCustomHintWindow::CreateWindowHandle(const TCreateParams& params) {
  CreateUnicodeHandle(this, params, L"", false);
}

void TWideCustomHintWindow::ActivateHint(const TRect& rect, const std::string& hint) {
  activating_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{activating_};
  THintWindow::ActivateHint(rect, hint);
}

void TWideCustomHintWindow::ActivateHintData(const TRect& rect, const std::string& hint, void* data) {
  if (!Win32PlatformIsUnicode || !IsWideHintInfo(data)) {
    THintWindow::ActivateHintData(rect, hint, data);
    return;
  }
  activating_ = true;
  paintingSuppressed_ = true;
  struct Reset {
    TWideCustomHintWindow* w;
    ~Reset() { w->activating_ = w->paintingSuppressed_ = false; }
  } reset{this};
  WideControl_SetText(this, GetWideHintText(*static_cast<THintInfo*>(data)));
  THintWindow::ActivateHint(rect, hint);
  paintingSuppressed_ = false;
  Invalidate();
}

TRect TWideCustomHintWindow::CalcHintRect(int maxWidth, const std::string& hint, void* data) {
  if (!Win32PlatformIsUnicode || !IsWideHintInfo(data)) return THintWindow::CalcHintRect(maxWidth, hint, data);
  return CalcHintRectW(maxWidth, GetWideHintText(*static_cast<THintInfo*>(data)));
}

TRect TWideCustomHintWindow::CalcHintRectW(int maxWidth, const std::wstring& hint) {
  RECT r{0, 0, maxWidth, 0};
  HDC dc = GetDC(nullptr);
  {
    CanvasHandleScope scope(Canvas(), dc);
    Canvas()->Font()->Assign(Font());
    Canvas()->RequiredState(csHandleValid | csFontValid);
    Wide_DrawTextW(dc, hint.c_str(), -1, &r, 0xC10 | DrawTextBiDiModeFlagsReadingOnly());
  }
  ReleaseDC(nullptr, dc);
  return Rect(0, 0, r.right + 6, r.bottom + 2);
}

void TWideCustomHintWindow::Dispatch(TMessage& message) {
  if (message.Msg != CM_TEXTCHANGED) return THintWindow::Dispatch(message);
  if (activating_) return;
  std::wstring caption = Caption();
  SIZE size{0, 0};
  HDC dc = GetDC(nullptr);
  {
    CanvasHandleScope scope(Canvas(), dc);
    Canvas()->Font()->Assign(Font());
    size = WideCanvasTextExtent(Canvas(), caption);
  }
  ReleaseDC(nullptr, dc);
  SetBounds(left_, top_, size.cx + 6, size.cy + 6);
}

void TWideCustomHintWindow::Paint() {
  if (paintingSuppressed_) return;
  if (!Win32PlatformIsUnicode) return THintWindow::Paint();
  TRect client = ClientRect();
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(client);
  RECT r{client.Left + 2, client.Top + 2, client.Right, client.Bottom};
  Canvas()->Font()->SetColor(clInfoText);
  Canvas()->Brush()->SetStyle(bsClear);
  Canvas()->RequiredState(csHandleValid | csFontValid | csBrushValid);
  std::wstring caption = Caption();
  Wide_DrawTextW(Canvas()->Handle(), caption.c_str(), -1, &r, 0x810 | DrawTextBiDiModeFlagsReadingOnly());
}
