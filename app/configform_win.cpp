#include "app/configform_win.h"

#include "app/formbuilder.h"
#include "app/multilang.h"
#include "app/programfolder.h"
#include "app/registryvalues.h"
#include "app/shellregistration.h"
#include "classlib/boundary.h"
#include "classlib/canvas.h"
#include "classlib/combobox.h"
#include "classlib/coolbar.h"
#include "classlib/datetimepicker.h"
#include "classlib/pagecontrol.h"
#include "classlib/statusbar.h"
#include "classlib/toolbar.h"
#include "classlib/dialogs.h"
#include "classlib/registry.h"
#include "classlib/buttons.h"
#include "classlib/edits.h"
#include "classlib/label.h"
#include "classlib/strutils.h"

TConfigForm* ConfigForm = nullptr;

namespace {

constexpr int kPageLeft = 8;
constexpr int kRow = 22;

}  // namespace

const std::vector<std::string>& TConfigForm::DefaultFileTypes() {
  static const std::vector<std::string> types = {
      "All files: (*.*)",
      "MS Word: (*.doc; *.rtf)",
      "Office files: (*.doc; *.xls; *.ppt; *.obd; *.mdb)",
      "Adobe PDF: (*.pdf)",
      "Windows HTML Help files: (*.chm)",
      "Text files: (*.txt)",
      "Internet files: (*.htm; *.html; *.xml)",
      "All documents: (*.doc; *.xls; *.rtf; *.pdf; *.chm; *.htm; *.html; *.xml)",
      "Pictures: (*.jpg; *.jpeg; *.gif; *.bmp; *.png; *.raw; *.tif; *.tiff)",
  };
  return types;
}

const std::vector<TConfigForm::TFlag>& TConfigForm::Flags() {
  static const std::vector<TFlag> flags = {
      {"ShellMenu", &TConfigForm::CheckShellMenu},   {"MainMenu", &TConfigForm::CheckMainMenu},
      {"Recycle", &TConfigForm::CheckRecycle},       {"FlashOnFind", &TConfigForm::CheckFlashW},
      {"cpALL", &TConfigForm::CheckAllCP},           {"Ansi", &TConfigForm::CheckAnsi},
      {"OEM", &TConfigForm::CheckOEM},               {"KOI8", &TConfigForm::CheckKOI8},
      {"UTF8", &TConfigForm::CheckUTF8},             {"Unicode", &TConfigForm::CheckUnicode},
      {"WP5dos", &TConfigForm::CheckWP5dos},         {"ComboStyle", &TConfigForm::CheckComboStyle},
      {"Icons", &TConfigForm::CheckIcons},           {"InZip", &TConfigForm::CheckInZip},
      {"Hints", &TConfigForm::CheckHints},           {"Beep", &TConfigForm::CheckBeep},
      {"Filter", &TConfigForm::CheckFilter},         {"Preview", &TConfigForm::CheckPreview},
      {"Toolbar", &TConfigForm::CheckToolbar},       {"Cashe", &TConfigForm::CheckCashe},
      {"Tray", &TConfigForm::CheckTray},             {"Report", &TConfigForm::CheckReport},
      {"ReportAll", &TConfigForm::CheckRAll},        {"ReportFileName", &TConfigForm::CheckRFileName},
      {"ReportFilePath", &TConfigForm::CheckRFilePath}, {"ReportPath", &TConfigForm::CheckRPath},
      {"ReportDate", &TConfigForm::CheckRDate},      {"ReportSize", &TConfigForm::CheckRSize},
      {"ReportAutoOpen", &TConfigForm::CheckReportOpen},
  };
  return flags;
}

TConfigForm::TConfigForm(TComponent* owner) : TForm(owner) {
  SetName("ConfigForm");
  SetCaption("Configuration");
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetClientWidth(320);
  SetClientHeight(216);
  Font()->SetName("Tahoma");
  Font()->SetHeight(-11);

  PageControl = MakeControl<TPageControl>(this, this, "PageControl", 4, 4, 312, 176);
  auto page = [this](const char* name, const char* caption) {
    TTabSheet* sheet = new TTabSheet(this);
    sheet->SetName(name);
    sheet->SetPageControl(PageControl);
    sheet->SetCaption(caption);
    return sheet;
  };
  PageGeneral = page("PageGeneral", "General");
  PageView = page("PageView", "View");
  PageSystem = page("PageSystem", "System");
  PageFiles = page("PageFiles", "Files");
  PageReport = page("PageReport", "Report");
  BuildGeneralPage();
  BuildViewPage();
  BuildSystemPage();
  BuildFilesPage();
  BuildReportPage();

  bClose = MakeCaptioned<TButton>(this, this, "bClose", "Ok", 240, 186, 75, 25);
  bClose->SetDefault(true);
  bClose->OnClick = [this](TObject* sender) { bCloseClick(sender); };
  FontDlg = new TFontDialog(this);
  FontDlg->SetName("FontDlg");

  OnCreate = [this](TObject* sender) { FormCreate(sender); };
  OnDestroy = [this](TObject* sender) { FormDestroy(sender); };
}

TConfigForm::~TConfigForm() {
  // Saving the options at exit uses this form's own members.
  BeforeDestruction();
}

void TConfigForm::BuildGeneralPage() {
  TWinControl* p = PageGeneral;
  CheckCase = MakeCaptioned<TCheckBox>(this, p, "CheckCase", "Case sensitive", kPageLeft, 8, 280, 17);
  CheckAllCP = MakeCaptioned<TCheckBox>(this, p, "CheckAllCP", "Use all code pages", kPageLeft, 8 + kRow, 280, 17);
  CheckAllCP->OnClick = [this](TObject* sender) { CheckAllCPClick(sender); };
  const int left = kPageLeft + 16;
  CheckAnsi = MakeCaptioned<TCheckBox>(this, p, "CheckAnsi", "Windows", left, 8 + 2 * kRow, 120, 17);
  CheckUnicode = MakeCaptioned<TCheckBox>(this, p, "CheckUnicode", "Unicode (UCS-2)", left, 8 + 3 * kRow, 120, 17);
  CheckWP5dos = MakeCaptioned<TCheckBox>(this, p, "CheckWP5dos", "WP5 for DOS", left, 8 + 4 * kRow, 120, 17);
  CheckOEM = MakeCaptioned<TCheckBox>(this, p, "CheckOEM", "DOS", left + 140, 8 + 2 * kRow, 120, 17);
  CheckKOI8 = MakeCaptioned<TCheckBox>(this, p, "CheckKOI8", "KOI8-R", left + 140, 8 + 3 * kRow, 120, 17);
  CheckUTF8 = MakeCaptioned<TCheckBox>(this, p, "CheckUTF8", "UTF-8", left + 140, 8 + 4 * kRow, 120, 17);
  CheckAnsi->SetChecked(true);
  CheckUnicode->SetChecked(true);
  CheckUTF8->SetChecked(true);
}

void TConfigForm::BuildViewPage() {
  TWinControl* p = PageView;
  lLanguage = MakeCaptioned<TLabel>(this, p, "lLanguage", "Select language:", kPageLeft, 10, 100, 13);
  cbLanguage = MakeControl<TComboBox>(this, p, "cbLanguage", 112, 6, 184, 21);
  cbLanguage->SetStyle(csDropDownList);
  // A language the user picks replaces one whose file was missing.
  cbLanguage->OnChange = [this](TObject*) { missingLanguage_.reset(); };
  struct Box {
    TCheckBox* TConfigForm::*member;
    const char* name;
    const char* caption;
    int column, row;
  };
  const Box boxes[] = {
      {&TConfigForm::CheckHints, "CheckHints", "Show Hints", 0, 0},
      {&TConfigForm::CheckIcons, "CheckIcons", "Show icons", 0, 1},
      {&TConfigForm::CheckComboStyle, "CheckComboStyle", "Combo boxes", 0, 2},
      {&TConfigForm::CheckFlashW, "CheckFlashW", "Flash on stop execution", 0, 3},
      {&TConfigForm::CheckBeep, "CheckBeep", "Beep sound on stop", 0, 4},
      {&TConfigForm::CheckFilter, "CheckFilter", "File name filter", 1, 0},
      {&TConfigForm::CheckPreview, "CheckPreview", "Preview panel", 1, 1},
      {&TConfigForm::CheckToolbar, "CheckToolbar", "Show Toolbar", 1, 2},
  };
  for (const Box& box : boxes) {
    TCheckBox* check = MakeCaptioned<TCheckBox>(this, p, box.name, box.caption, kPageLeft + box.column * 150,
                                                36 + box.row * kRow, 146, 17);
    check->SetChecked(true);
    this->*box.member = check;
  }
  bFont = MakeCaptioned<TButton>(this, p, "bFont", "Set font...", 158, 36 + 3 * kRow, 100, 23);
  bFont->OnClick = [this](TObject* sender) { bFontClick(sender); };
}

void TConfigForm::BuildSystemPage() {
  TWinControl* p = PageSystem;
  CheckMainMenu = MakeCaptioned<TCheckBox>(this, p, "CheckMainMenu", "Add link to Main menu", kPageLeft, 8, 280, 17);
  CheckMainMenu->OnClick = [this](TObject* sender) { CheckMainMenuClick(sender); };
  CheckShellMenu = MakeCaptioned<TCheckBox>(this, p, "CheckShellMenu", "Add to Shell menu", kPageLeft, 8 + kRow, 280, 17);
  CheckShellMenu->SetChecked(true);
  CheckShellMenu->OnClick = [this](TObject* sender) { CheckShellMenuClick(sender); };
  CheckRecycle = MakeCaptioned<TCheckBox>(this, p, "CheckRecycle", "Delete to Recycle Bin", kPageLeft, 8, 280, 17);
  CheckRecycle->SetChecked(true);
  CheckRecycle->SetEnabled(false);
  CheckRecycle->Hide();
  CheckInZip = MakeCaptioned<TCheckBox>(this, p, "CheckInZip", "Search in Zip archives", kPageLeft, 8 + 2 * kRow, 280, 17);
  CheckCashe = MakeCaptioned<TCheckBox>(this, p, "CheckCashe", "Cache results", kPageLeft, 8 + 3 * kRow, 280, 17);
  CheckTray = MakeCaptioned<TCheckBox>(this, p, "CheckTray", "Minimize to tray", kPageLeft, 8 + 4 * kRow, 280, 17);
  // Kept for the stored settings' sake; nothing reads them.
  CheckEnterStart = MakeCaptioned<TCheckBox>(this, p, "CheckEnterStart", "Enter starts search", kPageLeft, 120, 200, 17);
  rbInternalViewer = MakeCaptioned<TRadioButton>(this, p, "rbInternalViewer", "Internal viewer", kPageLeft, 120, 200, 17);
  rbExternalViewer = MakeCaptioned<TRadioButton>(this, p, "rbExternalViewer", "External viewer:", kPageLeft, 120, 200, 17);
  eViewer = MakeControl<TEdit>(this, p, "eViewer", kPageLeft, 120, 200, 21);
  bViewer = MakeCaptioned<TButton>(this, p, "bViewer", "...", 220, 120, 21, 21);
  for (TControl* hidden : std::initializer_list<TControl*>{CheckEnterStart, rbInternalViewer, rbExternalViewer, eViewer, bViewer})
    hidden->Hide();
}

void TConfigForm::BuildFilesPage() {
  TWinControl* p = PageFiles;
  eFileTypes = MakeControl<TMemo>(this, p, "eFileTypes", 4, 4, 296, 112);
  eFileTypes->SetScrollBars(ssBoth);
  eFileTypes->SetReadOnly(true);
  eFileTypes->SetColor(clBtnFace);
  bFEdit = MakeCaptioned<TButton>(this, p, "bFEdit", "Edit", 144, 122, 75, 23);
  bFEdit->OnClick = [this](TObject* sender) { bFEditClick(sender); };
  bFDefault = MakeCaptioned<TButton>(this, p, "bFDefault", "Default", 225, 122, 75, 23);
  bFDefault->OnClick = [this](TObject* sender) { bFDefaultClick(sender); };
}

void TConfigForm::BuildReportPage() {
  TWinControl* p = PageReport;
  CheckReport = MakeCaptioned<TCheckBox>(this, p, "CheckReport", "Report options", kPageLeft, 8, 280, 17);
  CheckReport->SetChecked(true);
  CheckRAll = MakeCaptioned<TCheckBox>(this, p, "CheckRAll", "All", kPageLeft + 16, 8 + kRow, 130, 17);
  CheckRPath = MakeCaptioned<TCheckBox>(this, p, "CheckRPath", "Full path", kPageLeft + 16, 8 + 2 * kRow, 130, 17);
  CheckRPath->SetChecked(true);
  CheckRFileName = MakeCaptioned<TCheckBox>(this, p, "CheckRFileName", "File name", kPageLeft + 16, 8 + 3 * kRow, 130, 17);
  CheckRFilePath = MakeCaptioned<TCheckBox>(this, p, "CheckRFilePath", "Path only", kPageLeft + 156, 8 + kRow, 130, 17);
  CheckRDate = MakeCaptioned<TCheckBox>(this, p, "CheckRDate", "Date && time", kPageLeft + 156, 8 + 2 * kRow, 130, 17);
  CheckRSize = MakeCaptioned<TCheckBox>(this, p, "CheckRSize", "File size", kPageLeft + 156, 8 + 3 * kRow, 130, 17);
  CheckReportOpen = MakeCaptioned<TCheckBox>(this, p, "CheckReportOpen", "Automaticaly open report after saving",
                                             kPageLeft, 8 + 5 * kRow, 280, 17);
}

void TConfigForm::FormCreate(TObject* /*Sender*/) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    Font()->SetCharset(metrics.lfMenuFont.lfCharSet);
  for (int i = 0; i < MultiLang->Languages().Count(); ++i) cbLanguage->Items()->Add(MultiLang->Languages()[i]);
  cbLanguage->SetItemIndex(0);
  FontDlg->Font()->Assign(Font());
  LoadSettings();
  if (FileTypes().empty()) SetFileTypes(DefaultFileTypes());
  loadedFileTypes_ = FileTypes();
}

void TConfigForm::LoadSettings() {
  TRegistry registry(KEY_READ);
  if (registry.OpenKeyReadOnly(kSettingsKey)) {
    // Each value stands alone: one missing or damaged value keeps its own
    // default and leaves the others as the user stored them.
    for (const TFlag& flag : Flags())
      if (std::optional<bool> value = ReadFlagValue(registry, flag.Value)) (this->*flag.Box)->SetChecked(*value);
    TFont& font = *FontDlg->Font();
    if (std::optional<std::string> face = ReadTextValue(registry, "Font"); face && !face->empty())
      font.SetName(*face);
    if (std::optional<int32_t> size = ReadDwordValue(registry, "FontSize"); size && *size > 0 && *size < 500)
      font.SetSize(*size);
    if (std::optional<std::string> style = ReadTextValue(registry, "FontStyle")) {
      const std::string lower = AnsiLowerCase(*style);
      TFontStyles styles = 0;
      if (lower.find("bold") != std::string::npos) styles |= fsBold;
      if (lower.find("italic") != std::string::npos) styles |= fsItalic;
      font.SetStyle(styles);
    }
    if (std::optional<int32_t> charset = ReadDwordValue(registry, "FontCharset"))
      font.SetCharset(static_cast<uint8_t>(*charset));
    if (std::optional<int32_t> color = ReadDwordValue(registry, "FontColor")) font.SetColor(static_cast<TColor>(*color));
    if (std::optional<std::string> language = ReadTextValue(registry, "LangName")) {
      int found = -1;
      for (int i = 0; i < cbLanguage->Items()->Count(); ++i)
        if (AnsiSameText(cbLanguage->Items()->Get(i), *language)) found = i;
      // Its file may be back next time: the default shows, the choice stays.
      if (found < 0) missingLanguage_ = *language;
      cbLanguage->SetItemIndex(std::max(found, 0));
    }
    registry.CloseKey();
  }
  if (registry.OpenKeyReadOnly(kHistoryKey)) {
    std::vector<std::string> types;
    for (size_t n = 0; n < kMaxFileTypes; ++n) {
      const std::string name = "FileType" + IntToStr(n);
      if (!registry.ValueExists(name)) break;
      std::optional<std::string> line = ReadTextValue(registry, name);
      // A damaged line is passed over; the lines after it are the user's too.
      if (!line) {
        damagedFileTypes_ = true;
        continue;
      }
      if (line->empty()) break;
      types.push_back(*line);
    }
    SetFileTypes(types);
  }
}

void TConfigForm::SetFileTypes(const std::vector<std::string>& types) {
  // The memo's lines are its text: one line at a time would read and write
  // the whole text for each.
  std::string text;
  for (const std::string& type : types) text += type + "\r\n";
  eFileTypes->Lines()->SetText(text);
}

void TConfigForm::FormDestroy(TObject* /*Sender*/) {
  try {
    SaveSettings();
  } catch (const Exception&) {
    // A registry that refuses the settings at exit loses them; the program
    // still ends cleanly.
  }
}

void TConfigForm::SaveSettings() {
  TRegistry registry;
  if (!registry.OpenKey(kSettingsKey, true)) return;
  for (const TFlag& flag : Flags()) registry.WriteInteger(flag.Value, (this->*flag.Box)->Checked() ? 1 : 0);
  registry.WriteString("LangName", missingLanguage_.value_or(cbLanguage->Text()));
  const TFont& font = *FontDlg->Font();
  registry.WriteString("Font", font.Name());
  std::string style;
  if (font.Style() & fsBold) style += " fsBold";
  if (font.Style() & fsItalic) style += " fsItalic";
  registry.WriteString("FontStyle", style);
  registry.WriteInteger("FontCharset", font.Charset());
  registry.WriteInteger("FontSize", font.Size());
  registry.WriteInteger("FontColor", static_cast<int32_t>(font.Color()));
  registry.CloseKey();
  // Lines that could not be read stay as they are unless the user changed
  // the list: what is shown then may be only the defaults.
  if (damagedFileTypes_ && FileTypes() == loadedFileTypes_) return;
  if (!registry.OpenKey(kHistoryKey, true)) return;
  int n = 0;
  for (const std::string& line : FileTypes()) registry.WriteString("FileType" + IntToStr(n++), line);
  for (;; ++n) {
    const std::string name = "FileType" + IntToStr(n);
    if (!registry.ValueExists(name)) break;
    registry.DeleteValue(name);
  }
}

std::vector<std::string> TConfigForm::FileTypes() const {
  TStringList text;
  text.SetText(eFileTypes->Text());
  std::vector<std::string> lines;
  for (int i = 0; i < text.Count() && lines.size() < kMaxFileTypes; ++i) {
    std::string line = text.Get(i);
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// The boxes' side effects also run while the stored options load at start-up:
// a failure is reported and the rest of the options still load.
void TConfigForm::CheckShellMenuClick(TObject* /*Sender*/) {
  GuardBoundary([this] {
    if (CheckShellMenu->Checked()) RegisterShellVerbs(ProgramFileName());
    else UnregisterShellVerbs();
  });
}

void TConfigForm::CheckMainMenuClick(TObject* /*Sender*/) {
  GuardBoundary([this] {
    if (CheckMainMenu->Checked()) AddStartMenuLink(ProgramFileName());
    else RemoveStartMenuLink();
  });
}

void TConfigForm::CheckAllCPClick(TObject* /*Sender*/) {
  const bool each = !CheckAllCP->Checked();
  for (TCheckBox* box : {CheckAnsi, CheckOEM, CheckKOI8, CheckWP5dos, CheckUnicode, CheckUTF8}) box->SetEnabled(each);
}

void TConfigForm::bFontClick(TObject* /*Sender*/) {
  if (FontDlg->Execute()) ApplyFontToForms();
}

void TConfigForm::ApplyFontToForms() {
  const uint8_t charset = FontDlg->Font()->Charset();
  for (int i = Application->ComponentCount() - 1; i >= 0; --i) {
    auto* form = dynamic_cast<TCustomForm*>(Application->Components(i));
    if (form == nullptr) continue;
    form->Font()->Assign(FontDlg->Font());
    if (charset == HEBREW_CHARSET || charset == ARABIC_CHARSET) form->SetBiDiMode(bdRightToLeft);
  }
}

void TConfigForm::bFEditClick(TObject* /*Sender*/) {
  const bool editing = eFileTypes->ReadOnly();
  eFileTypes->SetReadOnly(!editing);
  eFileTypes->SetColor(editing ? clWindow : clBtnFace);
}

void TConfigForm::bFDefaultClick(TObject* /*Sender*/) {
  SetFileTypes(DefaultFileTypes());
}

void TConfigForm::bCloseClick(TObject* /*Sender*/) { SetModalResult(mrOk); }

void TConfigForm::ShowAtPage(TPage page) {
  PageControl->SetActivePageIndex(static_cast<int>(page));
  ShowModal();
}
