// Drawing tools and the canvas: TFont, TBrush and TPen own a GDI object made
// from their properties when first needed; TCanvas selects them into a
// device context as a drawing call requires and restores the context's
// original objects when it lets go of it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "classlib/graphics.h"
#include "classlib/object.h"

class TControl;

// System colours as TColor: 0x80000000 or'ed with a COLOR_ index.
constexpr TColor clSystemColor = static_cast<TColor>(0x80000000);
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clInfoBk = clSystemColor | COLOR_INFOBK;
constexpr TColor clInfoText = clSystemColor | COLOR_INFOTEXT;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
// The COLORREF of a colour, system colours resolved.
COLORREF ColorToRGB(TColor color);

class TGraphicsObject : public TPersistent {
public:
  ~TGraphicsObject() override;
  TNotifyEvent OnChange;
  bool HandleAllocated() const { return handle_ != nullptr; }

protected:
  // Drops the GDI object (made again when next needed) and tells OnChange.
  void Changed();
  HGDIOBJ handle_ = nullptr;
};

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;

class TFont : public TGraphicsObject {
public:
  TFont();
  HFONT Handle();
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  // Height in pixels (negative: of the characters, without leading).
  int Height() const { return height_; }
  void SetHeight(int height);
  // Size in points at the screen's resolution.
  int Size() const;
  void SetSize(int points);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  uint8_t Charset() const { return charset_; }
  void SetCharset(uint8_t charset);
  void Assign(TPersistent* source) override;

private:
  std::string name_;
  int height_;
  TColor color_ = clWindowText;
  TFontStyles style_ = 0;
  uint8_t charset_ = DEFAULT_CHARSET;
};

enum TBrushStyle { bsSolid, bsClear };

class TBrush : public TGraphicsObject {
public:
  HBRUSH Handle();
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle style);
  void Assign(TPersistent* source) override;

private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
};

class TPen : public TGraphicsObject {
public:
  HPEN Handle();
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  int Width() const { return width_; }
  void SetWidth(int width);
  void Assign(TPersistent* source) override;

private:
  TColor color_ = clBlack;
  int width_ = 1;
};

enum TCanvasStateFlag : uint8_t { csHandleValid = 1, csFontValid = 2, csPenValid = 4, csBrushValid = 8 };
enum TCanvasOrientation { coLeftToRight, coRightToLeft };

class TCanvas : public TPersistent {
public:
  TCanvas();
  ~TCanvas() override;

  // The device context; a canvas that makes its own gets one here.
  HDC Handle();
  // Lets go of the current context (its original objects restored) and
  // takes dc (not owned).
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return dc_ != nullptr; }

  TFont* Font() const { return font_; }
  TBrush* Brush() const { return brush_; }
  TPen* Pen() const { return pen_; }
  // ExtTextOut options used by TextOut (ETO_RTLREADING and the like).
  int TextFlags() const { return textFlags_; }
  void SetTextFlags(int flags) { textFlags_ = flags; }
  TCanvasOrientation CanvasOrientation();
  POINT PenPos() const { return penPos_; }
  void SetPenPos(POINT p);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);

  void TextOut(int x, int y, const std::string& text);
  SIZE TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }
  void FillRect(const TRect& rect);

  // Makes the named parts valid: a context, and the font, pen and brush
  // selected into it.
  void RequiredState(uint8_t state);
  // Around every drawing call: OnChanging, OnChange.
  void Changing();
  void Changed();
  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  // A canvas of a control or window gets its context here.
  virtual void CreateHandle() {}
  virtual void FreeHandle() { SetHandle(nullptr); }

private:
  void DeselectHandles();
  void ToolChanged(TObject* sender);

  HDC dc_ = nullptr;
  uint8_t state_ = 0;
  TFont* font_;
  TBrush* brush_;
  TPen* pen_;
  HGDIOBJ originalFont_ = nullptr;
  HGDIOBJ originalBrush_ = nullptr;
  HGDIOBJ originalPen_ = nullptr;
  POINT penPos_{0, 0};
  int textFlags_ = 0;
};

// The canvas of a control's client area: a window DC taken when drawing
// needs one, given back by FreeHandle (and when the canvas goes).
class TControlCanvas : public TCanvas {
public:
  explicit TControlCanvas(TControl* control) : control_(control) {}
  ~TControlCanvas() override;
  void FreeHandle() override;

protected:
  void CreateHandle() override;

private:
  TControl* control_;
  HWND window_ = nullptr;
};

// Points a canvas at a context for one scope (a paint or an item draw).
class CanvasHandleScope {
public:
  CanvasHandleScope(TCanvas* canvas, HDC dc) : canvas_(canvas) { canvas_->SetHandle(dc); }
  ~CanvasHandleScope() { canvas_->SetHandle(nullptr); }
  CanvasHandleScope(const CanvasHandleScope&) = delete;
  CanvasHandleScope& operator=(const CanvasHandleScope&) = delete;

private:
  TCanvas* canvas_;
};
