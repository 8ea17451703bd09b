// Windows only. Wide text on a canvas, and the wide hint: the trap hands
// every CM_HINTSHOW of a Unicode control to ProcessCMHintShowMsg, which
// makes the hint show in a Unicode hint window with the control's wide
// short hint.
#pragma once

#include <windows.h>

#include <string>

#include "classlib/canvas.h"
#include "classlib/hintwindow.h"
#include "classlib/menus.h"

void WideCanvasTextOut(TCanvas* canvas, int x, int y, const std::wstring& text);
// A zero size when the system cannot measure.
SIZE WideCanvasTextExtent(TCanvas* canvas, const std::wstring& text);
int WideCanvasTextWidth(TCanvas* canvas, const std::wstring& text);
int WideCanvasTextHeight(TCanvas* canvas, const std::wstring& text);

// The shortcut's text with the key name in wide characters.
std::wstring WideShortCutToText(TShortCut shortCut);

// For the plain hint window class (or a wide one): switches to the wide
// hint window, marks the hint record as prepared here and sets its 8-bit
// text to the image of the control's wide short hint.
void ProcessCMHintShowMsg(TMessage& message);
// True only for the application's hint record, prepared by
// ProcessCMHintShowMsg, with a wide hint window class: the address is
// compared before anything is read from data.
bool IsWideHintInfo(void* data);
// The wide text to show for a prepared hint record.
std::wstring GetWideHintText(const THintInfo& info);

class TWideCustomHintWindow : public THintWindow {
public:
  explicit TWideCustomHintWindow(TComponent* owner);
  static THintWindowClass StaticClass();
  THintWindowClass ClassType() const override { return StaticClass(); }
  const char* ClassName() const override { return "TWideCustomHintWindow"; }

  std::wstring Caption() { return WideControl_GetTextOf(this); }
  void ActivateHint(const TRect& rect, const std::string& hint) override;
  void ActivateHintData(const TRect& rect, const std::string& hint, void* data) override;
  TRect CalcHintRect(int maxWidth, const std::string& hint, void* data) override;
  void Dispatch(TMessage& message) override;

protected:
  void CreateWindowHandle(const TCreateParams& params) override;
  void Paint() override;

private:
  static std::wstring WideControl_GetTextOf(TControl* control);
  TRect CalcHintRectW(int maxWidth, const std::wstring& hint);
  bool activating_ = false;
  bool paintingSuppressed_ = false;
};
