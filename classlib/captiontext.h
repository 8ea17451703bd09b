// Text of a control's caption drawn on its canvas: DrawTextA with the
// canvas's font, on a transparent background, reading right to left when
// the control does.
#pragma once

#include <windows.h>

#include <string>

class TCanvas;
class TControl;

void DrawCaptionText(TCanvas* canvas, TControl* control, const std::string& text, RECT& rect, UINT format);
// The size the text needs with the control's font (DT_CALCRECT), measured on
// the screen, so it works before the control has a window.
SIZE MeasureCaptionText(TControl* control, const std::string& text, UINT format);
