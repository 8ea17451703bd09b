#include "app/findform_win.h"

#include <shellapi.h>

#include "app/aboutform_win.h"
#include "app/commandline.h"
#include "app/configform_win.h"
#include "app/fieldhistory.h"
#include "app/filecommands_win.h"
#include "app/multilang.h"
#include "app/preview_win.h"
#include "app/programfolder.h"
#include "app/registryvalues.h"
#include "app/resultlist_win.h"
#include "app/searchcontrol_win.h"
#include "app/widemessage_win.h"
#include "classlib/boundary.h"
#include "classlib/canvas.h"
#include "classlib/codepage.h"
#include "classlib/combobox.h"
#include "classlib/coolbar.h"
#include "classlib/datetimepicker.h"
#include "classlib/pagecontrol.h"
#include "classlib/statusbar.h"
#include "classlib/toolbar.h"
#include "classlib/datetime.h"
#include "classlib/image.h"
#include "classlib/panels.h"
#include "classlib/splitter.h"
#include "classlib/imagelist.h"
#include "classlib/listview.h"
#include "classlib/menus.h"
#include "classlib/registry.h"
#include "classlib/screen.h"
#include "classlib/buttons.h"
#include "classlib/edits.h"
#include "classlib/label.h"
#include "classlib/strutils.h"
#include "classlib/webbrowser.h"
#include "shell/fileinfo.h"
#include "shell/fileops.h"
#include "shell/shelltree.h"
#include "widecontrols/widecombobox.h"

TFindForm* FindForm = nullptr;

namespace {

constexpr int kHistoryLength = 10;
constexpr int kDefaultColumnWidth = 150;
// A stored width outside these (a hidden column, a damaged value) gives the
// column its default width.
constexpr int kMinColumnWidth = 8;
constexpr int kMaxColumnWidth = 4000;

}  // namespace

TFindForm::TFindForm(TComponent* owner)
    : TForm(owner),
      search_(std::make_unique<TSearchControl>(*this)),
      resultList_(std::make_unique<TResultList>(*this)),
      preview_(std::make_unique<TPreviewPane>(*this)),
      fileCommands_(std::make_unique<TFileCommands>(*this)) {
  SetName("FindForm");
  SetCaption("..:: Marnok ovalis ::..");
  Font()->SetName("Tahoma");
  Font()->SetHeight(-11);
  Font()->SetCharset(RUSSIAN_CHARSET);
  SetBounds(Left(), Top(), 656, 511);
  SetKeyPreview(true);
  DisableAlign();
  BuildToolBars();
  BuildResultArea();
  BuildCriteriaPages();
  BuildLocations();
  BuildMenus();
  EnableAlign();
  WireEvents();
  OnCreate = [this](TObject* sender) { FormCreate(sender); };
  OnDestroy = [this](TObject* sender) { FormDestroy(sender); };
  BuildWindowState();
}

TFindForm::~TFindForm() {
  // The destroy event stops the searches and saves the history: the concern
  // objects it uses must still be there.
  BeforeDestruction();
}

void TFindForm::WireEvents() {
  TSearchControl& search = *search_;
  TResultList& list = *resultList_;
  tbStart->OnClick = [&search](TObject*) { search.tbStartClick(); };
  bStart->OnClick = [&search](TObject*) { search.tbStartClick(); };
  tbStop->OnClick = [&search](TObject*) { search.tbStopClick(); };
  tbAdd->OnClick = [&search](TObject*) { search.tbAddClick(); };
  tbInResults->OnClick = [&search](TObject*) { search.tbInResultsClick(); };
  tbConfig->OnClick = [this](TObject*) { ShowOptions(0); };
  tbAbout->OnClick = [this](TObject*) { ShowAbout(); };
  tbHelp->OnClick = [this](TObject*) { ShowHelpFile(); };
  bBrowse->OnClick = [this](TObject*) { bBrowseClick(); };
  CheckDate->OnClick = [this](TObject*) { CheckDateClick(); };
  checkSize->OnClick = [this](TObject*) { checkSizeClick(); };
  OnKeyUp = [this](TObject* sender, WORD& key, TShiftState shift) { FormKeyUp(sender, key, shift); };
  for (TWinControl* field : std::initializer_list<TWinControl*>{cbMask, cbString, cbNoString, cbFolder}) {
    field->OnKeyUp = [this, field](TObject*, WORD& key, TShiftState) { cbFieldsKeyUp(field, key); };
    field->OnExit = [this, field](TObject*) { ComboBoxExit(field); };
  }

  ListView->OnData = [&list](TObject* sender, TListItem* item) { list.ListViewData(sender, item); };
  ListView->OnDataHint = [&list](TObject* sender, int start, int end) { list.ListViewDataHint(sender, start, end); };
  ListView->OnInfoTip = [&list](TObject* sender, TListItem* item, std::string& tip) {
    list.ListViewInfoTip(sender, item, tip);
  };
  ListView->OnColumnClick = [&list](TObject* sender, TListColumn* column) { list.ListViewColumnClick(sender, column); };
  ListView->OnSelectItem = [&list](TObject* sender, TListItem* item, bool selected) {
    list.ListViewSelectItem(sender, item, selected);
  };
  ListView->OnDblClick = [this](TObject*) { fileCommands_->mOpenClick(); };
  ListView->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int x, int y) {
    fileCommands_->ListViewMouseDown(x, y);
  };
  ListView->OnMouseMove = [this](TObject*, TShiftState shift, int x, int y) {
    fileCommands_->ListViewMouseMove(shift, x, y);
  };
  ListView->SetPopupMenu(ListPopup);
  eFileNameFilter->OnChange = [&list](TObject* sender) { list.eFileNameFilterChange(sender); };
  WebBrowser->OnCannotRender = [this](TObject*) { preview_->BrowserCannotRender(); };
}

void TFindForm::FormCreate(TObject* /*Sender*/) {
  KeepRoomForThePanels();
  preview_->LoadImageExtensions();
  SystemImages = new TImageList(this);
  SystemImages->SetShareImages(true);
  SystemImages->SetHandle(GetSystemImageList(false));

  LoadHistory();
  PostMessageA(Handle(), WM_DEFERREDSTARTUP, 0, 0);
  ToolBarMenu->SetMenu(MainMenu);
  MultiLang->CaptureDefaults();
  ApplyOptions();
  ConfigForm->ApplyFontToForms();
  eDateTo->SetDateTime(Now());
  eDateFrom->SetDateTime(Date());
  WebBrowser->Navigate(L"about:blank");
}

// The window is never made so small that its splitters could not keep the
// panels on both sides at their least: the list would be gone, and the
// preview would lie over the tool bar.
void TFindForm::KeepRoomForThePanels() {
  int around = 0;  // the bars above and below the panels
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Visible() && (c->Align() == alTop || c->Align() == alBottom)) around += c->Height();
  }
  const int width = 2 * SplitterLeft->MinSize() + SplitterLeft->Width();
  const int height = around + pFilter->Height() + 2 * SplitterView->MinSize() + SplitterView->Height();
  Constraints()->SetMinWidth(Width() - ClientWidth() + width);
  Constraints()->SetMinHeight(Height() - ClientHeight() + height);
}

std::vector<TFindForm::THistoryField> TFindForm::HistoryFields() const {
  return {{"Mask", cbMask}, {"SubStr", cbString}, {"NoStr", cbNoString}};
}

void TFindForm::LoadHistory() {
  TRegistry registry(KEY_READ);
  const bool open = registry.OpenKeyReadOnly(kHistoryKey);
  for (int i = 0; i < ListView->Columns()->Count(); ++i) {
    std::optional<int32_t> width;
    if (open) width = ReadDwordValue(registry, "ListViewColumn" + IntToStr(i));
    if (width && (*width < kMinColumnWidth || *width > kMaxColumnWidth)) width.reset();
    ListView->Columns()->Items(i)->SetWidth(width.value_or(kDefaultColumnWidth));
  }
  if (open) {
    for (int i = 0; i < kHistoryLength; ++i) {
      const std::string n = IntToStr(i);
      for (const THistoryField& history : HistoryFields()) {
        std::optional<std::wstring> text = ReadWideTextValue(registry, history.value + n);
        if (text && !text->empty()) history.field->Items()->Add(*text);
      }
    }
  }
  cbTypes->Items()->Clear();
  for (const std::string& line : ConfigForm->FileTypes()) cbTypes->Items()->Add(line);
  std::optional<std::string> type;
  if (open) type = ReadTextValue(registry, "Type");
  int selected = 0;
  if (type) {
    for (int i = 0; i < cbTypes->Items()->Count(); ++i)
      if (AnsiSameText(cbTypes->Items()->Get(i), *type)) {
        selected = i;
        break;
      }
  }
  cbTypes->SetItemIndex(cbTypes->Items()->Count() > 0 ? selected : -1);
}

void TFindForm::WMDeferredStartup(TMessage& /*Message*/) {
  if (deferredStartupDone_) return;
  deferredStartupDone_ = true;
  const TCursor saved = Screen->Cursor();
  Screen->SetCursor(crHourGlass);
  Application->ProcessMessages();
  TStringList paths;
  {
    TRegistry registry(KEY_READ);
    if (registry.OpenKeyReadOnly(kHistoryKey)) {
      for (int n = 0;; ++n) {
        std::optional<std::string> path = ReadTextValue(registry, "Path" + IntToStr(n));
        if (!path || path->empty()) break;
        paths.Add(*path);
      }
    }
  }
  try {
    ShellTree->SetCheckedPaths(&paths);
    search_->StartIndexers();
  } catch (...) {
    Screen->SetCursor(saved);
    throw;
  }
  Screen->SetCursor(saved);
}

void TFindForm::FormDestroy(TObject* /*Sender*/) {
  search_->StopAndWaitForAll();
  delete SystemImages;
  SystemImages = nullptr;
  try {
    // Closing moves no focus: the texts typed last would not reach the
    // history otherwise.
    KeepFieldTexts();
    SaveHistory();
  } catch (const Exception&) {
    // A registry that refuses the history loses it; the program still ends.
  }
}

void TFindForm::SaveHistory() {
  TRegistry registry;
  if (!registry.OpenKey(kHistoryKey, true)) return;
  registry.WriteString("Type", cbTypes->Text());
  for (int i = 0; i < ListView->Columns()->Count(); ++i)
    registry.WriteInteger("ListViewColumn" + IntToStr(i), ListView->Columns()->Items(i)->Width());
  for (int i = 0; i < kHistoryLength; ++i) {
    const std::string n = IntToStr(i);
    for (const THistoryField& history : HistoryFields()) {
      TWideStrings& items = *history.field->Items();
      WriteWideTextValue(registry, history.value + n, i < items.Count() ? items.Get(i) : std::wstring());
    }
  }
  // The new list goes over the old before the old one's leftovers go: a
  // failure half-way loses no tick.
  TStringList checked;
  ShellTree->GetCheckedPaths(&checked);
  int n = 0;
  for (; n < checked.Count(); ++n) registry.WriteString("Path" + IntToStr(n), checked[n]);
  for (; registry.ValueExists("Path" + IntToStr(n)); ++n) registry.DeleteValue("Path" + IntToStr(n));
}

void TFindForm::ApplyOptions() {
  const TConfigForm& options = *ConfigForm;
  ListView->SetSmallImages(options.CheckIcons->Checked() ? SystemImages : nullptr);
  ListView->SetShowHint(options.CheckHints->Checked());
  pFilter->SetVisible(options.CheckFilter->Checked());
  pView->SetVisible(options.CheckPreview->Checked());
  SplitterView->SetVisible(options.CheckPreview->Checked());
  const std::string language = options.cbLanguage->Text();
  if (MultiLang->Language() != language) {
    MultiLang->SetLanguage(language);
    MultiLang->ApplyToAllForms();
  }
  const std::string type = cbTypes->Text();
  cbTypes->Items()->Clear();
  for (const std::string& line : options.FileTypes()) cbTypes->Items()->Add(line);
  const int kept = cbTypes->Items()->IndexOf(type);
  cbTypes->SetItemIndex(kept >= 0 && cbTypes->Items()->Get(kept) == type ? kept : (cbTypes->Items()->Count() > 0 ? 0 : -1));
  miViewFilter->SetChecked(options.CheckFilter->Checked());
  miViewPreview->SetChecked(options.CheckPreview->Checked());
  miViewToolbar->SetChecked(options.CheckToolbar->Checked());
  CoolBar->Bands()->Items(1)->SetVisible(options.CheckToolbar->Checked());
  preview_->UpdatePreview("", L"");
}

void TFindForm::ApplyCommandLine(const TCommandLine& commandLine) {
  if (!commandLine.RefusedFolder.empty())
    ShowWideMessage(Handle(),
                    MultiByteToWide(MultiLang->Translate("The folder cannot be searched: this system cannot represent "
                                                         "its name, and it has no short name to be reached by:")) +
                        L" \"" + commandLine.RefusedFolder + L"\"",
                    MB_OK | MB_ICONWARNING);
  if (!commandLine.Folder.empty()) {
    cbFolder->SetText(commandLine.Folder);
    pcFilePath->SetActivePageIndex(1);
  }
  if (!commandLine.FileMask.empty()) cbMask->SetText(commandLine.FileMask);
}

void TFindForm::ShowOptions(int page) {
  ConfigForm->ShowAtPage(static_cast<TConfigForm::TPage>(page));
  ApplyOptions();
}

void TFindForm::ShowAbout() { AboutForm->ShowModal(); }

void TFindForm::ToggleOption(TCheckBox* option) {
  option->SetChecked(!option->Checked());
  ApplyOptions();
}

void TFindForm::ShowHelpFile() {
  const std::string help = ProgramFolder() + "Help.chm";
  const DWORD attributes = GetFileAttributesA(help.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
  ShellExecuteA(Handle(), nullptr, help.c_str(), nullptr, nullptr, SW_SHOWNOACTIVATE);
}

void TFindForm::FormKeyUp(TObject* /*Sender*/, WORD& Key, TShiftState /*Shift*/) {
  if (Key == VK_ESCAPE) search_->tbStopClick();
}

void TFindForm::cbFieldsKeyUp(TControl* field, WORD& key) {
  if (key != VK_RETURN) return;
  ComboBoxExit(field);
  search_->tbStartClick();
}

void TFindForm::ComboBoxExit(TControl* field) {
  if (field == cbFolder) {
    const std::string text = cbFolder->Text();
    MoveToHistoryTop(*cbFolder->Items(), text);
    if (!text.empty()) cbFolder->SetItemIndex(0);
    return;
  }
  auto* combo = static_cast<TWideComboBox*>(field);
  // Wide, so that text the system code page cannot hold is kept as typed.
  const std::wstring text = combo->Text();
  MoveToHistoryTop(*combo->Items(), text);
  if (!text.empty()) combo->SetItemIndex(0);
}

void TFindForm::KeepFieldTexts() {
  for (TControl* field : std::initializer_list<TControl*>{cbMask, cbString, cbNoString, cbFolder}) ComboBoxExit(field);
}

void TFindForm::bBrowseClick() {
  const std::string folder = BrowseForFolder(Handle());
  if (folder.empty()) return;
  cbFolder->SetText(folder);
  cbFolder->Items()->Insert(0, folder);
}

void TFindForm::CheckDateClick() {
  const bool on = CheckDate->Checked();
  for (TControl* control : std::initializer_list<TControl*>{RadioMody, RadioCreate, RadioAccess, eDateFrom, eDateTo, lFrom, lTo})
    control->SetEnabled(on);
}

void TFindForm::checkSizeClick() {
  const bool on = checkSize->Checked();
  for (TControl* control : std::initializer_list<TControl*>{cbEquals, eSize, cbSize}) control->SetEnabled(on);
}

void TFindForm::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_DEFERREDSTARTUP:
      WMDeferredStartup(message);
      return;
    case TResultList::WM_RESULTSGROWN:
      resultList_->SyncCount();
      return;
    default:
      TForm::Dispatch(message);
  }
}
