// Message boxes and the common dialogs. Each belongs to the active form
// (or the main form), with the program's other windows disabled while it is
// shown, as a modal form.
#pragma once

#include <cstdint>
#include <string>

#include "classlib/component.h"
#include "classlib/controls.h"

class TFont;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : uint16_t { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };
using TMsgDlgButtons = uint16_t;

// A message box with the icon and caption ("Warning", "Error",
// "Information", "Confirm", or the program's title) of its type and the
// buttons asked for (OK; OK and Cancel; Yes and No; Yes, No and Cancel;
// any other set raises EInvalidOperation). Returns mrOk, mrCancel, mrYes or
// mrNo. The help context is accepted and not used.
TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);
// The text with an OK button, captioned with the program's title.
void ShowMessage(const std::string& text);

enum TOpenOption : uint32_t {
  ofOverwritePrompt = 1,
  ofHideReadOnly = 2,
  ofNoChangeDir = 4,
  ofPathMustExist = 8,
  ofEnableSizing = 16,
};
using TOpenOptions = uint32_t;

// The system's save dialog.
class TSaveDialog : public TComponent {
public:
  explicit TSaveDialog(TComponent* owner) : TComponent(owner) {}

  // Added to a name typed without one ("txt", no dot).
  const std::string& DefaultExt() const { return defaultExt_; }
  void SetDefaultExt(const std::string& value);
  // The name shown first; the chosen one after Execute.
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& value) { fileName_ = value; }
  // Pairs of description and masks, all separated by "|":
  // "Text files (*.txt)|*.TXT|Comma separated (*.csv)|*.CSV".
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& value) { filter_ = value; }
  // The pair shown (1 is the first); the one chosen after Execute.
  int FilterIndex() const { return filterIndex_; }
  void SetFilterIndex(int value) { filterIndex_ = value; }
  const std::string& InitialDir() const { return initialDir_; }
  void SetInitialDir(const std::string& value) { initialDir_ = value; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& value) { title_ = value; }
  TOpenOptions Options() const { return options_; }
  void SetOptions(TOpenOptions value) { options_ = value; }

  // True when the user chose a name; false when cancelled. A dialog the
  // system cannot show raises EInvalidOperation with its error code.
  bool Execute();

private:
  std::string defaultExt_;
  std::string fileName_;
  std::string filter_;
  int filterIndex_ = 1;
  std::string initialDir_;
  std::string title_;
  TOpenOptions options_ = ofHideReadOnly | ofEnableSizing;
};

// The system's font dialog: shows Font (face, size, style, character set,
// colour) and takes the choice into it.
class TFontDialog : public TComponent {
public:
  explicit TFontDialog(TComponent* owner);
  ~TFontDialog() override;

  TFont* Font() const { return font_; }
  // True when the user chose a font (Font then holds it).
  bool Execute();

private:
  TFont* font_;
};
