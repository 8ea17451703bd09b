#include "classlib/canvas.h"

#include <cstring>

#include "classlib/controls.h"

COLORREF ColorToRGB(TColor color) {
  if (color & clSystemColor) return GetSysColor(color & 0xFF);
  return static_cast<COLORREF>(color) & 0xFFFFFF;
}

// --- drawing tools -------------------------------------------------------------

TGraphicsObject::~TGraphicsObject() {
  if (handle_ != nullptr) DeleteObject(handle_);
}

void TGraphicsObject::Changed() {
  if (handle_ != nullptr) {
    DeleteObject(handle_);
    handle_ = nullptr;
  }
  if (OnChange) OnChange(this);
}

namespace {
int ScreenPixelsPerInch() {
  HDC dc = GetDC(nullptr);
  int ppi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return ppi > 0 ? ppi : 96;
}
}  // namespace

TFont::TFont() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    name_ = metrics.lfMessageFont.lfFaceName;
    height_ = metrics.lfMessageFont.lfHeight;
  } else {
    name_ = "Tahoma";
    height_ = -11;
  }
  if (name_.empty()) name_ = "Tahoma";
  if (height_ == 0) height_ = -11;
}

HFONT TFont::Handle() {
  if (handle_ == nullptr) {
    LOGFONTA lf{};
    lf.lfHeight = height_;
    lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style_ & fsItalic) ? 1 : 0;
    lf.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = charset_;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
    handle_ = CreateFontIndirectA(&lf);
  }
  return static_cast<HFONT>(handle_);
}

void TFont::SetName(const std::string& name) {
  if (name == name_ || name.empty()) return;
  name_ = name;
  Changed();
}

void TFont::SetHeight(int height) {
  if (height == height_) return;
  height_ = height;
  Changed();
}

int TFont::Size() const { return MulDiv(-height_, 72, ScreenPixelsPerInch()); }
void TFont::SetSize(int points) { SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72)); }

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  // The colour is not part of the GDI font: nothing to remake.
  if (OnChange) OnChange(this);
}

void TFont::SetStyle(TFontStyles style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void TFont::SetCharset(uint8_t charset) {
  if (charset == charset_) return;
  charset_ = charset;
  Changed();
}

void TFont::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TFont*>(source);
  if (other == nullptr) return TPersistent::Assign(source);
  name_ = other->name_;
  height_ = other->height_;
  color_ = other->color_;
  style_ = other->style_;
  charset_ = other->charset_;
  Changed();
}

HBRUSH TBrush::Handle() {
  if (handle_ == nullptr) {
    LOGBRUSH lb{};
    lb.lbStyle = style_ == bsClear ? BS_HOLLOW : BS_SOLID;
    lb.lbColor = ColorToRGB(color_);
    handle_ = CreateBrushIndirect(&lb);
  }
  return static_cast<HBRUSH>(handle_);
}

void TBrush::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  if (style_ == bsClear) style_ = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void TBrush::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TBrush*>(source);
  if (other == nullptr) return TPersistent::Assign(source);
  color_ = other->color_;
  style_ = other->style_;
  Changed();
}

HPEN TPen::Handle() {
  if (handle_ == nullptr) handle_ = CreatePen(PS_SOLID, width_, ColorToRGB(color_));
  return static_cast<HPEN>(handle_);
}

void TPen::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TPen::SetWidth(int width) {
  if (width == width_) return;
  width_ = width;
  Changed();
}

void TPen::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TPen*>(source);
  if (other == nullptr) return TPersistent::Assign(source);
  color_ = other->color_;
  width_ = other->width_;
  Changed();
}

// --- canvas --------------------------------------------------------------------

TCanvas::TCanvas() : font_(new TFont), brush_(new TBrush), pen_(new TPen) {
  auto changed = [this](TObject* sender) { ToolChanged(sender); };
  font_->OnChange = changed;
  brush_->OnChange = changed;
  pen_->OnChange = changed;
}

TCanvas::~TCanvas() {
  SetHandle(nullptr);
  delete font_;
  delete brush_;
  delete pen_;
}

HDC TCanvas::Handle() {
  if (dc_ == nullptr) CreateHandle();
  return dc_;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  if (dc_ != nullptr) DeselectHandles();
  dc_ = dc;
  state_ = dc != nullptr ? csHandleValid : 0;
}

void TCanvas::DeselectHandles() {
  if (originalFont_ != nullptr) SelectObject(dc_, originalFont_);
  if (originalBrush_ != nullptr) SelectObject(dc_, originalBrush_);
  if (originalPen_ != nullptr) SelectObject(dc_, originalPen_);
  originalFont_ = originalBrush_ = originalPen_ = nullptr;
  state_ &= static_cast<uint8_t>(~(csFontValid | csBrushValid | csPenValid));
}

void TCanvas::ToolChanged(TObject* sender) {
  if (dc_ == nullptr) return;
  // The old object may be about to be deleted: put the original back first.
  if (sender == font_ && originalFont_ != nullptr) {
    SelectObject(dc_, originalFont_);
    originalFont_ = nullptr;
    state_ &= static_cast<uint8_t>(~csFontValid);
  } else if (sender == brush_ && originalBrush_ != nullptr) {
    SelectObject(dc_, originalBrush_);
    originalBrush_ = nullptr;
    state_ &= static_cast<uint8_t>(~csBrushValid);
  } else if (sender == pen_ && originalPen_ != nullptr) {
    SelectObject(dc_, originalPen_);
    originalPen_ = nullptr;
    state_ &= static_cast<uint8_t>(~csPenValid);
  }
}

void TCanvas::RequiredState(uint8_t state) {
  if ((state & csHandleValid) || state != 0) Handle();
  if (dc_ == nullptr) throw EInvalidOperation("Canvas does not allow drawing");
  if ((state & csFontValid) && !(state_ & csFontValid)) {
    HGDIOBJ old = SelectObject(dc_, font_->Handle());
    if (originalFont_ == nullptr) originalFont_ = old;
    SetTextColor(dc_, ColorToRGB(font_->Color()));
    state_ |= csFontValid;
  }
  if ((state & csBrushValid) && !(state_ & csBrushValid)) {
    HGDIOBJ old = SelectObject(dc_, brush_->Handle());
    if (originalBrush_ == nullptr) originalBrush_ = old;
    SetBkColor(dc_, ColorToRGB(brush_->Color()));
    SetBkMode(dc_, brush_->Style() == bsClear ? TRANSPARENT : OPAQUE);
    state_ |= csBrushValid;
  }
  if ((state & csPenValid) && !(state_ & csPenValid)) {
    HGDIOBJ old = SelectObject(dc_, pen_->Handle());
    if (originalPen_ == nullptr) originalPen_ = old;
    state_ |= csPenValid;
  }
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

TCanvasOrientation TCanvas::CanvasOrientation() {
  if (dc_ == nullptr) return coLeftToRight;
  return (GetTextAlign(dc_) & TA_RTLREADING) ? coRightToLeft : coLeftToRight;
}

void TCanvas::SetPenPos(POINT p) { MoveTo(p.x, p.y); }

void TCanvas::MoveTo(int x, int y) {
  RequiredState(csHandleValid);
  MoveToEx(dc_, x, y, nullptr);
  penPos_ = POINT{x, y};
}

void TCanvas::LineTo(int x, int y) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::LineTo(dc_, x, y);
  penPos_ = POINT{x, y};
  Changed();
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  if (CanvasOrientation() == coRightToLeft) x += TextWidth(text) + 1;
  ExtTextOutA(dc_, x, y, static_cast<UINT>(textFlags_), nullptr, text.data(), static_cast<UINT>(text.size()),
              nullptr);
  MoveTo(x + TextWidth(text), y);
  Changed();
}

SIZE TCanvas::TextExtent(const std::string& text) {
  RequiredState(csHandleValid | csFontValid);
  SIZE size{0, 0};
  if (!GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size)) size = SIZE{0, 0};
  return size;
}

void TCanvas::FillRect(const TRect& rect) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
  ::FillRect(dc_, &r, brush_->Handle());
  Changed();
}

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::CreateHandle() {
  auto* windowed = dynamic_cast<TWinControl*>(control_);
  if (windowed == nullptr || !windowed->HandleAllocated()) return;
  window_ = windowed->Handle();
  SetHandle(GetDC(window_));
}

void TControlCanvas::FreeHandle() {
  if (!HandleAllocated()) return;
  HDC dc = Handle();
  SetHandle(nullptr);
  if (window_ != nullptr) ReleaseDC(window_, dc);
  window_ = nullptr;
}
