// The hint window: a small bordered pop-up that shows a control's hint, and
// the hint record the application fills for every hint it is about to show.
#pragma once

#include <windows.h>

#include <string>

#include "classlib/classref.h"
#include "classlib/controls.h"

class THintWindow;
using THintWindowClass = const TClassInfo<THintWindow, TComponent*>*;

// What CM_HINTSHOW hands the control (LParam points to it): the control may
// change the text, the position, the window class or the data passed on to
// the hint window.
struct THintInfo {
  TControl* HintControl = nullptr;
  THintWindowClass HintWindowClass = nullptr;
  POINT HintPos{0, 0};
  int HintMaxWidth = 0;
  TColor HintColor = 0;
  TRect CursorRect;
  POINT CursorPos{0, 0};
  int ReshowTimeout = 0;
  int HideTimeout = 0;
  std::string HintStr;
  void* HintData = nullptr;
};

class THintWindow : public TCustomControl {
public:
  explicit THintWindow(TComponent* owner);
  static THintWindowClass StaticClass();
  virtual THintWindowClass ClassType() const { return StaticClass(); }
  const char* ClassName() const override { return "THintWindow"; }

  // Shows the window with hint at rect (screen co-ordinates).
  virtual void ActivateHint(const TRect& rect, const std::string& hint);
  virtual void ActivateHintData(const TRect& rect, const std::string& hint, void* data);
  // The size the hint needs, at most maxWidth wide (origin 0, 0).
  virtual TRect CalcHintRect(int maxWidth, const std::string& hint, void* data);
  // Hides the window.
  void ReleaseHandle();

  void Dispatch(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
};
