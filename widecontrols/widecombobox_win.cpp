#include "widecontrols/widecombobox.h"

#include <algorithm>

#include "classlib/canvas.h"
#include "classlib/graphics.h"
#include "classlib/list.h"
#include "classlib/typinfo.h"
#include "widecontrols/codepageconv.h"
#include "widecontrols/platform.h"
#include "widecontrols/unicodewindows.h"
#include "widecontrols/wideactions.h"
#include "widecontrols/wideerrors.h"
#include "widecontrols/widefilers.h"
#include "widecontrols/widehints.h"

namespace {

std::string AnsiImage(const std::wstring& s) { return WideStringToStringEx(s, DefaultSystemCodePage); }
std::wstring FromAnsi(const std::string& s) { return StringToWideStringEx(s, DefaultSystemCodePage); }

// The key pause after which the list styles start a new search.
constexpr DWORD kSearchPause = 1250;

TCustomComboBoxStrings* MakePatchedStrings(TCustomComboBox* combo) { return new TD7PatchedComboBoxStrings(combo); }

bool IsUnicodeWindowOf(TWideCustomComboBox* combo) {
  return combo->HandleAllocated() && IsWindowUnicode(combo->Handle());
}

LRESULT CallDefaultProc(TMessage& message, HWND child, WNDPROC proc) {
  if (IsWindowUnicode(child)) return CallWindowProcW(proc, child, message.Msg, message.WParam, message.LParam);
  return CallWindowProcA(proc, child, message.Msg, message.WParam, message.LParam);
}

}  // namespace

// --- wide items ------------------------------------------------------------------------

int TWideComboBoxStrings::Count() const {
  if (TWideStringList* list = combo_->WindowlessItems(false)) return list->Count();
  if (Win32PlatformIsUnicode && !combo_->HandleAllocated()) return 0;
  return combo_->AnsiItems()->Count();
}

std::wstring TWideComboBoxStrings::Get(int index) const {
  if (TWideStringList* list = combo_->WindowlessItems(false)) return list->Get(index);
  if (!IsUnicodeWindowOf(combo_)) return FromAnsi(combo_->AnsiItems()->Get(index));
  HWND window = combo_->Handle();
  LRESULT length = SendMessageW(window, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR || length < 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  if (SendMessageW(window, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data())) == CB_ERR)
    return std::wstring();
  text.resize(text.find(L'\0'));
  return text;
}

TObject* TWideComboBoxStrings::GetObject(int index) const {
  if (TWideStringList* list = combo_->WindowlessItems(false)) return list->GetObject(index);
  return combo_->AnsiItems()->GetObject(index);
}

void TWideComboBoxStrings::PutObject(int index, TObject* object) {
  if (TWideStringList* list = combo_->WindowlessItems(false)) return list->PutObject(index, object);
  combo_->AnsiItems()->PutObject(index, object);
}

int TWideComboBoxStrings::Add(const std::wstring& s) {
  if (TWideStringList* list = combo_->WindowlessItems(true)) return list->Add(s);
  if (!IsUnicodeWindowOf(combo_)) return combo_->AnsiItems()->Add(AnsiImage(s));
  LRESULT result = SendMessageW(combo_->Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  if (result < 0) RaiseInsertLineError();
  return static_cast<int>(result);
}

void TWideComboBoxStrings::Insert(int index, const std::wstring& s) {
  if (TWideStringList* list = combo_->WindowlessItems(true)) return list->Insert(index, s);
  if (!IsUnicodeWindowOf(combo_)) return combo_->AnsiItems()->Insert(index, AnsiImage(s));
  if (SendMessageW(combo_->Handle(), CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.c_str())) < 0)
    RaiseInsertLineError();
}

void TWideComboBoxStrings::Delete(int index) {
  if (TWideStringList* list = combo_->WindowlessItems(false)) return list->Delete(index);
  if (Win32PlatformIsUnicode && !combo_->HandleAllocated()) RaiseListIndexError(index);
  combo_->AnsiItems()->Delete(index);
}

void TWideComboBoxStrings::Clear() {
  if (TWideStringList* list = combo_->WindowlessItems(false)) return list->Clear();
  if (Win32PlatformIsUnicode && !combo_->HandleAllocated()) return;
  std::wstring text = WideControl_GetText(combo_);
  SendMessageA(combo_->Handle(), CB_RESETCONTENT, 0, 0);
  WideControl_SetText(combo_, text);
  combo_->UpdateWindow();
}

int TWideComboBoxStrings::IndexOf(std::wstring_view s) const {
  if (TWideStringList* list = combo_->WindowlessItems(false)) return list->IndexOf(s);
  if (Win32PlatformIsUnicode && !combo_->HandleAllocated()) return -1;
  if (!IsUnicodeWindowOf(combo_)) return combo_->AnsiItems()->IndexOf(AnsiImage(std::wstring(s)));
  std::wstring text(s);
  return static_cast<int>(SendMessageW(combo_->Handle(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(text.c_str())));
}

void TWideComboBoxStrings::SetUpdateState(bool updating) {
  if (Win32PlatformIsUnicode && !combo_->HandleAllocated()) return;
  if (updating) combo_->AnsiItems()->BeginUpdate();
  else combo_->AnsiItems()->EndUpdate();
}

std::string TD7PatchedComboBoxStrings::Get(int index) const {
  LRESULT length = Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR || length < 1) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  LRESULT got = Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  // The reported length is an upper bound for a Unicode window's 8-bit text.
  if (got == CB_ERR || got < 0) return std::string();
  text.resize(std::min(static_cast<size_t>(got), static_cast<size_t>(length)));
  return text;
}

// --- the combo box -----------------------------------------------------------------------

TWideCustomComboBox::TWideCustomComboBox(TComponent* owner)
    : TCustomComboBox(owner), items_(new TWideComboBoxStrings(this)) {}

TWideCustomComboBox::~TWideCustomComboBox() {
  Destroying();
  delete savedItems_;
  delete items_;
}

TComboBoxStringsFactory TWideCustomComboBox::GetItemsClass() { return &MakePatchedStrings; }

namespace {
const char* const kComboBoxStyles[] = {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed",
                                       "csOwnerDrawVariable"};
}  // namespace

const TPublishedClass* TWideCustomComboBox::StaticPublishedClass() {
  static const TPropInfo properties[] = {
      StoredWhen<&TWideCustomComboBox::IsHintStored>(
          WideStringProperty<&TWideCustomComboBox::Hint, &TWideCustomComboBox::SetHint>("Hint")),
  };
  static const TPublishedClass table{"TWideCustomComboBox", TComponent::StaticPublishedClass(), properties};
  return &table;
}

const TPublishedClass* TWideComboBox::StaticPublishedClass() {
  // The items come last: the style before them may make the window again.
  static const TPropInfo properties[] = {
      BooleanProperty<&TCustomComboBox::AutoComplete, &TCustomComboBox::SetAutoComplete>("AutoComplete", 1),
      BooleanProperty<&TCustomComboBox::AutoDropDown, &TCustomComboBox::SetAutoDropDown>("AutoDropDown", 0),
      BooleanProperty<&TCustomComboBox::AutoCloseUp, &TCustomComboBox::SetAutoCloseUp>("AutoCloseUp", 0),
      EnumProperty<&TCustomComboBox::Style, &TCustomComboBox::SetStyle>("Style", kComboBoxStyles, csDropDown),
      IntegerProperty<&TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount>("DropDownCount", 8),
      IntegerProperty<&TCustomComboBox::MaxLength, &TCustomComboBox::SetMaxLength>("MaxLength", 0),
      BooleanProperty<&TCustomComboBox::Sorted, &TCustomComboBox::SetSorted>("Sorted", 0),
      WideStringProperty<&TWideCustomComboBox::Text, &TWideCustomComboBox::SetText>("Text"),
      ObjectProperty<&TWideCustomComboBox::Items, &TWideCustomComboBox::SetItems>("Items"),
  };
  static const TPublishedClass table{"TWideComboBox", TWideCustomComboBox::StaticPublishedClass(), properties};
  return &table;
}

void TWideCustomComboBox::DefineProperties(TFiler* filer) {
  TCustomComboBox::DefineProperties(filer);
  WidePersistent_AfterInherited_DefineProperties(filer, this);
}

TWideStringList* TWideCustomComboBox::WindowlessItems(bool create) {
  if (!Win32PlatformIsUnicode || HandleAllocated()) return nullptr;
  if (savedItems_ == nullptr && create) savedItems_ = new TWideStringList;
  return savedItems_;
}

std::wstring TWideCustomComboBox::Text() { return WideControl_GetText(this); }
void TWideCustomComboBox::SetText(const std::wstring& value) { WideControl_SetText(this, value); }
std::wstring TWideCustomComboBox::WideHint() { return WideControl_GetHint(this); }
void TWideCustomComboBox::SetHint(const std::wstring& value) { WideControl_SetHint(this, value); }

std::wstring TWideCustomComboBox::SelText() {
  if (Style() >= csDropDownList) return std::wstring();
  std::wstring text = Text();
  size_t start = std::min(static_cast<size_t>(std::max(0, SelStart())), text.size());
  return text.substr(start, static_cast<size_t>(std::max(0, SelLength())));
}

void TWideCustomComboBox::AddItem(const std::wstring& item, TObject* object) { items_->AddObject(item, object); }

void TWideCustomComboBox::CopySelection(TCustomComboBox* destination) {
  int index = ItemIndex();
  if (index == -1 || destination == nullptr) return;
  std::wstring item = items_->Get(index);
  TObject* object = items_->GetObject(index);
  if (auto* wide = dynamic_cast<TWideCustomComboBox*>(destination)) wide->AddItem(item, object);
  else destination->AddItem(AnsiImage(item), object);
}

void TWideCustomComboBox::CreateWindowHandle(const TCreateParams& params) {
  CreateUnicodeHandle(this, params, L"COMBOBOX", false);
}

void TWideCustomComboBox::CreateWnd() {
  std::string ansiText = TControl::Text();
  TCustomComboBox::CreateWnd();
  if (!Win32PlatformIsUnicode) {
    TControl::SetText(ansiText);
    return;
  }
  if (HWND list = ListHandle()) {
    SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefListProc()));
    SetDefListProc(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(list, GWLP_WNDPROC)));
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListInstance()));
  }
  if (HWND edit = EditHandle()) SetWindowLongPtrW(edit, GWLP_WNDPROC, GetWindowLongPtrA(edit, GWLP_WNDPROC));
  if (savedItems_ != nullptr) {
    items_->Assign(savedItems_);
    delete savedItems_;
    savedItems_ = nullptr;
    if (savedItemIndex_ != -1) {
      int index = std::min(savedItemIndex_, items_->Count());
      SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    WideControl_SetText(this, GetWideCaptionHolderText(this, FromAnsi(ansiText)));
  }
}

void TWideCustomComboBox::DestroyWnd() {
  if (Win32PlatformIsUnicode && items_->Count() > 0) {
    savedItems_ = new TWideStringList;
    savedItems_->Assign(items_);
    savedItemIndex_ = ItemIndex();
    items_->Clear();
  }
  TCustomComboBox::DestroyWnd();
}

void TWideCustomComboBox::KeyPress(char& key) {
  bool autoComplete = AutoComplete();
  SetAutoComplete(false);
  // Back on however the key handlers end, an exception included.
  struct Restore {
    TWideCustomComboBox* combo;
    bool value;
    ~Restore() { combo->SetAutoComplete(value); }
  } restore{this, autoComplete};
  TCustomComboBox::KeyPress(key);
}

void TWideCustomComboBox::ComboWndProc(TMessage& message, HWND child, WNDPROC childDefProc) {
  bool unicodeChild = IsWindowUnicode(child) != 0;
  if (message.Msg == WM_CHAR) {
    if (unicodeChild) MakeWMCharMsgSafeForAnsi(message);
    bool consumed = DoKeyPress(message);
    if (!consumed && Style() <= csSimple) {
      TMessage copy = message;
      DoEditCharMsg(copy);
      consumed = GetWideCharFromWMCharMsg(copy) == 0;
    }
    if (unicodeChild) RestoreWMCharMsg(message);
    if (consumed) return;
    WORD ch = CharCodeOf(message);
    if ((ch == VK_RETURN || ch == VK_ESCAPE) && DroppedDown()) {
      SetDroppedDown(false);
      return;
    }
    message.Result = CallDefaultProc(message, child, childDefProc);
    return;
  }
  if (unicodeChild) {
    switch (message.Msg) {
      case WM_SETTEXT:
      case WM_GETTEXT:
      case WM_GETTEXTLENGTH:
      case EM_REPLACESEL:
      case WM_IME_COMPOSITION:
        message.Result = CallWindowProcW(childDefProc, child, message.Msg, message.WParam, message.LParam);
        return;
      case WM_IME_CHAR:
        message.Result = SendMessageW(child, WM_CHAR, message.WParam, message.LParam);
        return;
      default:
        break;
    }
  }
  TCustomComboBox::ComboWndProc(message, child, childDefProc);
}

void TWideCustomComboBox::DoEditCharMsg(TMessage& message) { AutoCompleteKeyPress(message); }

void TWideCustomComboBox::DropDownKeepText() {
  std::wstring text = Text();
  int start = SelStart();
  int length = SelLength();
  SetDroppedDown(true);
  SetText(text);
  SetSelStart(start);
  SetSelLength(length);
}

int TWideCustomComboBox::FindString(const std::wstring& prefix) {
  if (IsUnicodeWindowOf(this))
    return static_cast<int>(
        SendMessageW(Handle(), CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(prefix.c_str())));
  std::string image = AnsiImage(prefix);
  return static_cast<int>(
      SendMessageA(Handle(), CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(image.c_str())));
}

bool TWideCustomComboBox::SelectItem(const std::wstring& prefix) {
  int index = FindString(prefix);
  if (index < 0) return false;
  bool itemChanged = index != ItemIndex();
  if (AutoCloseUp() && items_->IndexOf(prefix) != -1) SetDroppedDown(false);
  SetItemIndex(index);
  if (Style() <= csSimple) {
    std::wstring item = items_->Get(index);
    SetText(prefix + (item.size() > prefix.size() ? item.substr(prefix.size()) : std::wstring()));
    SetSelStart(static_cast<int>(prefix.size()));
    SetSelLength(static_cast<int>(Text().size()) - static_cast<int>(prefix.size()));
  }
  if (itemChanged) {
    Click();
    Select();
  }
  return true;
}

void TWideCustomComboBox::AutoCompleteKeyPress(TMessage& message) {
  if (Style() > csSimple)
    throw EWideInternalError(
        "Internal Error: WideCombo_AutoCompleteKeyPress is only for csSimple and csDropDown style combo boxes.");
  if (!AutoComplete()) return;
  wchar_t key = GetWideCharFromWMCharMsg(message);
  switch (key) {
    case VK_BACK:
    case VK_ESCAPE:
      break;
    case VK_TAB:
      if (AutoDropDown() && DroppedDown()) SetDroppedDown(false);
      break;
    default: {
      if (AutoDropDown() && !DroppedDown()) DropDownKeepText();
      std::wstring text = Text();
      int start = SelStart();
      if (start + SelLength() == static_cast<int>(text.size()) &&
          SelectItem(text.substr(0, static_cast<size_t>(start)) + key))
        key = 0;
    }
  }
  SetWideCharForWMCharMsg(message, key);
}

void TWideCustomComboBox::AutoSearchKeyPress(TMessage& message) {
  if (Style() < csDropDownList || !AutoComplete()) return;
  wchar_t key = GetWideCharFromWMCharMsg(message);
  switch (key) {
    case VK_BACK:
      if (!searchText_.empty()) searchText_.pop_back();
      break;
    case VK_TAB:
      if (AutoDropDown() && DroppedDown()) SetDroppedDown(false);
      break;
    case VK_ESCAPE:
      break;
    default: {
      if (AutoDropDown() && !DroppedDown()) SetDroppedDown(true);
      DWORD now = GetTickCount();
      if (now - lastKeyTime_ >= kSearchPause) searchText_.clear();
      lastKeyTime_ = now;
      if (SelectItem(searchText_ + key)) {
        searchText_ += key;
        key = 0;
      }
    }
  }
  SetWideCharForWMCharMsg(message, key);
}

void TWideCustomComboBox::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_CHAR:
      AutoSearchKeyPress(message);
      if (GetWideCharFromWMCharMsg(message) != 0) TCustomComboBox::Dispatch(message);
      return;
    case CN_COMMAND:
      if (TWMCommand(message).NotifyCode == CBN_SELCHANGE) {
        // With nothing selected the typed text stays.
        int index = ItemIndex();
        if (index >= 0) SetText(items_->Get(index));
        Click();
        Select();
        return;
      }
      break;
    default:
      break;
  }
  TCustomComboBox::Dispatch(message);
}

void TWideCustomComboBox::DrawItem(int index, const TRect& rect, UINT state) {
  Canvas()->SetTextFlags(IsRightToLeft() ? ETO_RTLREADING : 0);
  if (OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  Canvas()->FillRect(rect);
  if (index >= 0) WideCanvasTextOut(Canvas(), rect.Left + 2, rect.Top, items_->Get(index));
}

void TWideCustomComboBox::ActionChange(TObject* sender, bool checkDefaults) {
  WideControl_BeforeInherited_ActionChange(this, sender, checkDefaults);
  TCustomComboBox::ActionChange(sender, checkDefaults);
}

TControlActionLinkClass TWideCustomComboBox::GetActionLinkClass() {
  return WideControl_GetActionLinkClass(this, TCustomComboBox::GetActionLinkClass());
}
