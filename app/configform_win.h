// The options dialog. Its boxes, language list, font and file-type lines are
// the program's options, which the main window reads at the moment of use.
// It reads them from the registry when it is created at start-up and writes
// them back when it is destroyed at exit; two of its boxes register the
// program in the shell and the Start Menu at once.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "classlib/forms.h"

class TButton;
class TCheckBox;
class TComboBox;
class TFontDialog;
class TLabel;
class TMemo;
class TPageControl;
class TRadioButton;
class TEdit;
class TStringList;
class TTabSheet;

class TConfigForm : public TForm {
public:
  // The pages, in their order.
  enum TPage { pgGeneral, pgView, pgSystem, pgFiles, pgReport };

  explicit TConfigForm(TComponent* owner);
  ~TConfigForm() override;

  TPageControl* PageControl = nullptr;
  TTabSheet* PageGeneral = nullptr;
  TTabSheet* PageView = nullptr;
  TTabSheet* PageSystem = nullptr;
  TTabSheet* PageFiles = nullptr;
  TTabSheet* PageReport = nullptr;
  TButton* bClose = nullptr;

  TCheckBox* CheckCase = nullptr;
  TCheckBox* CheckAllCP = nullptr;
  TCheckBox* CheckAnsi = nullptr;
  TCheckBox* CheckOEM = nullptr;
  TCheckBox* CheckKOI8 = nullptr;
  TCheckBox* CheckWP5dos = nullptr;
  TCheckBox* CheckUnicode = nullptr;
  TCheckBox* CheckUTF8 = nullptr;

  TLabel* lLanguage = nullptr;
  TComboBox* cbLanguage = nullptr;
  TCheckBox* CheckHints = nullptr;
  TCheckBox* CheckIcons = nullptr;
  TCheckBox* CheckComboStyle = nullptr;
  TCheckBox* CheckFlashW = nullptr;
  TCheckBox* CheckBeep = nullptr;
  TCheckBox* CheckFilter = nullptr;
  TCheckBox* CheckPreview = nullptr;
  TCheckBox* CheckToolbar = nullptr;
  TButton* bFont = nullptr;
  TFontDialog* FontDlg = nullptr;

  TCheckBox* CheckMainMenu = nullptr;
  TCheckBox* CheckShellMenu = nullptr;
  TCheckBox* CheckRecycle = nullptr;
  TCheckBox* CheckInZip = nullptr;
  TCheckBox* CheckCashe = nullptr;
  TCheckBox* CheckTray = nullptr;
  TCheckBox* CheckEnterStart = nullptr;
  TRadioButton* rbInternalViewer = nullptr;
  TRadioButton* rbExternalViewer = nullptr;
  TEdit* eViewer = nullptr;
  TButton* bViewer = nullptr;

  TMemo* eFileTypes = nullptr;
  TButton* bFEdit = nullptr;
  TButton* bFDefault = nullptr;

  TCheckBox* CheckReport = nullptr;
  TCheckBox* CheckRAll = nullptr;
  TCheckBox* CheckRPath = nullptr;
  TCheckBox* CheckRFileName = nullptr;
  TCheckBox* CheckRFilePath = nullptr;
  TCheckBox* CheckRDate = nullptr;
  TCheckBox* CheckRSize = nullptr;
  TCheckBox* CheckReportOpen = nullptr;

  void FormCreate(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void CheckShellMenuClick(TObject* Sender);
  void CheckMainMenuClick(TObject* Sender);
  void CheckAllCPClick(TObject* Sender);
  void bFontClick(TObject* Sender);
  void bFEditClick(TObject* Sender);
  void bFDefaultClick(TObject* Sender);
  void bCloseClick(TObject* Sender);

  // The dialog's font to every form of the application.
  void ApplyFontToForms();
  // The file-type lines, without empty ones; at most kMaxFileTypes of them,
  // as the other stored lists are capped.
  std::vector<std::string> FileTypes() const;
  static constexpr size_t kMaxFileTypes = 1000;
  // Shows the dialog modally with the page first.
  void ShowAtPage(TPage page);

  static const std::vector<std::string>& DefaultFileTypes();

private:
  void BuildGeneralPage();
  void BuildViewPage();
  void BuildSystemPage();
  void BuildFilesPage();
  void BuildReportPage();
  void LoadSettings();
  void SaveSettings();
  void SetFileTypes(const std::vector<std::string>& types);

  struct TFlag {
    const char* Value;
    TCheckBox* TConfigForm::*Box;
  };
  // The on/off options with their registry values, in the order they are
  // read.
  static const std::vector<TFlag>& Flags();

  // The stored language whose file was missing at start-up, kept until the
  // user picks another.
  std::optional<std::string> missingLanguage_;
  // Some stored file-type line could not be read, and the lines shown then.
  bool damagedFileTypes_ = false;
  std::vector<std::string> loadedFileTypes_;
};

extern TConfigForm* ConfigForm;
