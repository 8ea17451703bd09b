// The main window: what to find on the left (criteria pages above the
// folder tree or the special path), the results with their name filter and
// preview on the right, the menu and tool bar on top, the status bar below.
// The form holds the controls and routes their events; each concern lives in
// a class of its own that the form owns: the search control, the result
// list, the preview and the file commands.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/forms.h"

class TApplicationEvents;
class TButton;
class TCheckBox;
class TComboBox;
struct TCommandLine;
class TCoolBar;
class TDateTimePicker;
class TDropFileSource;
class TEdit;
class TFileCommands;
class TFormStorage;
class TImage;
class TImageList;
class TLabel;
class TListView;
class TMainMenu;
class TMenuItem;
class TPageControl;
class TPanel;
class TPopupMenu;
class TPreviewPane;
class TRadioButton;
class TResultList;
class TRichEdit;
class TSaveDialog;
class TSearchControl;
class TShellTree;
class TSplitter;
class TStatusBar;
class TTabSheet;
class TToolBar;
class TToolButton;
class TTrayIcon;
class TWebBrowser;
class TWideComboBox;

class TFindForm : public TForm {
public:
  // Posted to itself at the end of its creation; its handler restores the
  // ticked folders and starts the indexers once the window shows.
  static constexpr UINT WM_DEFERREDSTARTUP = WM_USER + 0x1001;

  explicit TFindForm(TComponent* owner);
  ~TFindForm() override;

  // --- tool bars -------------------------------------------------------------
  TCoolBar* CoolBar = nullptr;
  TToolBar* ToolBarMenu = nullptr;
  TToolBar* ToolBar = nullptr;
  TImageList* ToolImages = nullptr;
  TToolButton* tbBack = nullptr;
  TToolButton* tbStart = nullptr;
  TToolButton* tbStop = nullptr;
  TToolButton* tbAdd = nullptr;
  TToolButton* tbInResults = nullptr;
  TToolButton* tbSeparator = nullptr;
  TToolButton* tbConfig = nullptr;
  TToolButton* tbAbout = nullptr;
  TToolButton* tbHelp = nullptr;

  // --- what to find ------------------------------------------------------------
  TPanel* pLeft = nullptr;
  TSplitter* SplitterLeft = nullptr;
  TPageControl* PageCtrl = nullptr;
  TTabSheet* PageFind = nullptr;
  TLabel* lMask = nullptr;
  TWideComboBox* cbMask = nullptr;
  TLabel* lTypes = nullptr;
  TComboBox* cbTypes = nullptr;
  TLabel* lString = nullptr;
  TWideComboBox* cbString = nullptr;
  TLabel* lNoString = nullptr;
  TWideComboBox* cbNoString = nullptr;
  TTabSheet* PageMore = nullptr;
  TCheckBox* checkSize = nullptr;
  TComboBox* cbEquals = nullptr;
  TEdit* eSize = nullptr;
  TComboBox* cbSize = nullptr;
  TCheckBox* CheckDate = nullptr;
  TRadioButton* RadioMody = nullptr;
  TRadioButton* RadioCreate = nullptr;
  TRadioButton* RadioAccess = nullptr;
  TLabel* lFrom = nullptr;
  TDateTimePicker* eDateFrom = nullptr;
  TLabel* lTo = nullptr;
  TDateTimePicker* eDateTo = nullptr;

  // --- where to look -------------------------------------------------------------
  TPanel* pSelectLocation = nullptr;
  TLabel* lSelectLocation = nullptr;
  TButton* bStart = nullptr;
  TPageControl* pcFilePath = nullptr;
  TTabSheet* PageTree = nullptr;
  TShellTree* ShellTree = nullptr;
  TTabSheet* Page = nullptr;
  TLabel* lFolder = nullptr;
  TComboBox* cbFolder = nullptr;
  TCheckBox* CheckSubDirs = nullptr;
  TButton* bBrowse = nullptr;

  // --- results -------------------------------------------------------------------
  TPanel* pClient = nullptr;
  TPanel* pFilter = nullptr;
  TLabel* lFilter = nullptr;
  TEdit* eFileNameFilter = nullptr;
  TListView* ListView = nullptr;
  TSplitter* SplitterView = nullptr;
  TPanel* pView = nullptr;
  TImage* PreviewImage = nullptr;
  TPanel* pWeb = nullptr;
  TWebBrowser* WebBrowser = nullptr;
  TRichEdit* PreviewText = nullptr;  // the report where the browser cannot render
  TStatusBar* StatusBar = nullptr;

  // --- menus and dialogs -----------------------------------------------------------
  TMainMenu* MainMenu = nullptr;
  TPopupMenu* ListPopup = nullptr;
  TSaveDialog* SaveDlg = nullptr;
  TDropFileSource* DropFileSource = nullptr;
  TMenuItem* miViewFilter = nullptr;
  TMenuItem* miViewPreview = nullptr;
  TMenuItem* miViewToolbar = nullptr;
  TMenuItem* miOpen = nullptr;
  TMenuItem* miOpenFolder = nullptr;
  TMenuItem* miCopyTo = nullptr;
  TMenuItem* miMoveTo = nullptr;
  TMenuItem* miCopy = nullptr;
  TMenuItem* miDelete = nullptr;
  TMenuItem* miProperties = nullptr;

  // --- window state ------------------------------------------------------------------
  // Keeps the window's placement, the left panel's width and the preview's
  // height under the settings key's "Place".
  TFormStorage* ConfigStorage = nullptr;
  // Stands in for the window while the program is minimised to the tray.
  TTrayIcon* TrayIcon = nullptr;
  TApplicationEvents* AppEvents = nullptr;
  void AppEventsMinimize(TObject* Sender);
  void TrayIconClick(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

  // --- lifecycle ---------------------------------------------------------------------
  void FormCreate(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void WMDeferredStartup(TMessage& Message);
  void FormKeyUp(TObject* Sender, WORD& Key, TShiftState Shift);

  // How the options take effect in the window (after the options dialog,
  // a View toggle, and at the end of the window's creation).
  void ApplyOptions();
  // "-F folder" into "Look in:" with the special path shown; "-L file" into
  // the file-name field. No search starts.
  void ApplyCommandLine(const TCommandLine& commandLine);
  // Opens "Help.chm" beside the program when it is there.
  void ShowHelpFile();
  // Each text field's text to the top of its history, as leaving the field
  // does: a search started from the tool bar or the menu moves no focus.
  void KeepFieldTexts();

  TSearchControl& Search() { return *search_; }
  TResultList& ResultList() { return *resultList_; }
  TPreviewPane& Preview() { return *preview_; }
  TFileCommands& FileCommands() { return *fileCommands_; }

  void Dispatch(TMessage& message) override;

private:
  void BuildToolBars();
  void BuildCriteriaPages();
  void BuildLocations();
  void BuildResultArea();
  void BuildMenus();
  void WireEvents();
  // Last in construction: the storage takes over the form's events.
  void BuildWindowState();
  void KeepRoomForThePanels();

  // The text fields whose lists are kept, and the value names they are
  // kept under (followed by the entry's number).
  struct THistoryField {
    const char* value;
    TWideComboBox* field;
  };
  std::vector<THistoryField> HistoryFields() const;
  void LoadHistory();
  void SaveHistory();
  void ShowOptions(int page);
  void ShowAbout();
  void ToggleOption(TCheckBox* option);
  void ComboBoxExit(TControl* field);
  void cbFieldsKeyUp(TControl* field, WORD& key);
  void bBrowseClick();
  void CheckDateClick();
  void checkSizeClick();

  std::unique_ptr<TSearchControl> search_;
  std::unique_ptr<TResultList> resultList_;
  std::unique_ptr<TPreviewPane> preview_;
  std::unique_ptr<TFileCommands> fileCommands_;
  TImageList* SystemImages = nullptr;
  bool deferredStartupDone_ = false;
};

extern TFindForm* FindForm;
