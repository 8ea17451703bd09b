// The paired calls of drawing as scopes: the second call runs however the
// scope is left.
#pragma once

#include <windows.h>

class PaintScope {
public:
  explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &ps_)) {}
  ~PaintScope() { EndPaint(window_, &ps_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }
  const PAINTSTRUCT& info() const { return ps_; }

private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

class WindowDCScope {
public:
  explicit WindowDCScope(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDCScope() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDCScope(const WindowDCScope&) = delete;
  WindowDCScope& operator=(const WindowDCScope&) = delete;
  HDC dc() const { return dc_; }

private:
  HWND window_;
  HDC dc_;
};

class SelectScope {
public:
  SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectScope() {
    if (old_ != nullptr && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;

private:
  HDC dc_;
  HGDIOBJ old_;
};
