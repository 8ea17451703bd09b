#include "classlib/captiontext.h"

#include "classlib/canvas.h"
#include "classlib/controls.h"
#include "classlib/gdiscopes.h"

void DrawCaptionText(TCanvas* canvas, TControl* control, const std::string& text, RECT& rect, UINT format) {
  canvas->Font()->Assign(control->Font());
  canvas->RequiredState(csHandleValid | csFontValid);
  HDC dc = canvas->Handle();
  int oldMode = SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect,
            format | control->DrawTextBiDiModeFlagsReadingOnly());
  SetBkMode(dc, oldMode);
}

SIZE MeasureCaptionText(TControl* control, const std::string& text, UINT format) {
  WindowDCScope screen(nullptr);
  SelectScope font(screen.dc(), control->Font()->Handle());
  RECT r{0, 0, 0, 0};
  // An empty caption still has the height of a line.
  const std::string measured = text.empty() ? std::string(" ") : text;
  DrawTextA(screen.dc(), measured.c_str(), static_cast<int>(measured.size()), &r, format | DT_CALCRECT);
  return SIZE{text.empty() ? 0 : r.right - r.left, r.bottom - r.top};
}
