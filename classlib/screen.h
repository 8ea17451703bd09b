// The screen object: the cursor the whole program shows while it is busy.
#pragma once

#include <windows.h>

#include "classlib/component.h"

using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crHandPoint = -21;

class TScreen : public TComponent {
public:
  explicit TScreen(TComponent* owner) : TComponent(owner) {}

  // crDefault lets each window show its own cursor again; any other value
  // is shown at once, over every window of the program.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value);
  // The system cursor of a value (the arrow for crDefault and unknown ones).
  static HCURSOR CursorHandle(TCursor value);

private:
  TCursor cursor_ = crDefault;
};

// The program's screen object (created by the class library at start-up).
extern TScreen* Screen;

// Shows a cursor for a scope and puts the previous one back however the
// scope is left.
class ScreenCursorScope {
public:
  explicit ScreenCursorScope(TCursor cursor) : saved_(Screen->Cursor()) { Screen->SetCursor(cursor); }
  ~ScreenCursorScope() { Screen->SetCursor(saved_); }
  ScreenCursorScope(const ScreenCursorScope&) = delete;
  ScreenCursorScope& operator=(const ScreenCursorScope&) = delete;

private:
  TCursor saved_;
};
