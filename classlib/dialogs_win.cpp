#include "classlib/dialogs.h"

#include <windows.h>
#include <commdlg.h>

#include <cstdio>
#include <vector>

#include "classlib/application.h"
#include "classlib/canvas.h"
#include "classlib/exceptions.h"
#include "classlib/forms.h"

namespace {

UINT MessageBoxButtons(TMsgDlgButtons buttons) {
  switch (buttons) {
    case mbOK:
      return MB_OK;
    case mbOK | mbCancel:
      return MB_OKCANCEL;
    case mbYes | mbNo:
      return MB_YESNO;
    case mbYes | mbNo | mbCancel:
      return MB_YESNOCANCEL;
    default:
      throw EInvalidOperation("A message box cannot show these buttons");
  }
}

// Runs a common dialog with the program's other windows disabled: true
// when the user confirmed it, false when cancelled; a dialog that failed
// raises.
template <class F>
bool RunCommonDialog(HWND owner, const char* dialog, F&& show) {
  BOOL chosen;
  {
    TTaskWindowsDisabled disabled(owner);
    chosen = show();
  }
  if (chosen) return true;
  DWORD error = CommDlgExtendedError();
  if (error == 0) return false;
  char text[96];
  std::snprintf(text, sizeof text, "The %s dialog could not be shown (error %lu)", dialog,
                static_cast<unsigned long>(error));
  throw EInvalidOperation(text);
}

}  // namespace

TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int) {
  static const char* const kCaptions[] = {"Warning", "Error", "Information", "Confirm"};
  static const UINT kIcons[] = {MB_ICONWARNING, MB_ICONERROR, MB_ICONINFORMATION, MB_ICONQUESTION, 0};
  const std::string caption = type == mtCustom ? Application->Title() : kCaptions[type];
  return Application->MessageBox(text, caption, MessageBoxButtons(buttons) | kIcons[type]);
}

void ShowMessage(const std::string& text) { Application->MessageBox(text, Application->Title(), MB_OK); }

void TSaveDialog::SetDefaultExt(const std::string& value) {
  defaultExt_ = !value.empty() && value[0] == '.' ? value.substr(1) : value;
}

bool TSaveDialog::Execute() {
  // The pairs as the system wants them: each part ended by a zero, and one
  // more zero after the last.
  std::string filter = filter_;
  for (char& c : filter)
    if (c == '|') c = '\0';
  if (!filter.empty()) filter += std::string(2, '\0');
  // Room for any name the 8-bit dialog can give.
  std::vector<char> file(4 * MAX_PATH, '\0');
  fileName_.copy(file.data(), file.size() - 1);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = ActiveOwnerWindow();
  ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(filterIndex_);
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = initialDir_.empty() ? nullptr : initialDir_.c_str();
  ofn.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
  ofn.lpstrDefExt = defaultExt_.empty() ? nullptr : defaultExt_.c_str();
  ofn.Flags = OFN_EXPLORER;
  if (options_ & ofOverwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
  if (options_ & ofHideReadOnly) ofn.Flags |= OFN_HIDEREADONLY;
  if (options_ & ofNoChangeDir) ofn.Flags |= OFN_NOCHANGEDIR;
  if (options_ & ofPathMustExist) ofn.Flags |= OFN_PATHMUSTEXIST;
  if (options_ & ofEnableSizing) ofn.Flags |= OFN_ENABLESIZING;
  if (!RunCommonDialog(ofn.hwndOwner, "save", [&] { return GetSaveFileNameA(&ofn); })) return false;
  fileName_ = file.data();
  filterIndex_ = static_cast<int>(ofn.nFilterIndex);
  return true;
}

TFontDialog::TFontDialog(TComponent* owner) : TComponent(owner), font_(new TFont) {}

TFontDialog::~TFontDialog() { delete font_; }

bool TFontDialog::Execute() {
  LOGFONTA lf{};
  GetObjectA(font_->Handle(), sizeof lf, &lf);
  CHOOSEFONTA cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = ActiveOwnerWindow();
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
  cf.rgbColors = ColorToRGB(font_->Color());
  if (!RunCommonDialog(cf.hwndOwner, "font", [&] { return ChooseFontA(&cf); })) return false;
  // Taken in one change, so those who follow the font hear of it once.
  TFont chosenFont;
  chosenFont.SetName(lf.lfFaceName);
  chosenFont.SetHeight(lf.lfHeight);
  TFontStyles style = 0;
  if (lf.lfWeight >= FW_BOLD) style |= fsBold;
  if (lf.lfItalic) style |= fsItalic;
  if (lf.lfUnderline) style |= fsUnderline;
  if (lf.lfStrikeOut) style |= fsStrikeOut;
  chosenFont.SetStyle(style);
  chosenFont.SetCharset(lf.lfCharSet);
  chosenFont.SetColor(static_cast<TColor>(cf.rgbColors));
  font_->Assign(&chosenFont);
  return true;
}
