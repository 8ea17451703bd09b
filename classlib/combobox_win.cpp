#include "classlib/combobox.h"

#include <algorithm>

#include "classlib/application.h"
#include "classlib/canvas.h"
#include "classlib/graphics.h"
#include "classlib/list.h"

void RaiseInsertLineError() { throw EOutOfResources("Unable to insert a line"); }

namespace {
TCustomComboBoxStrings* MakeComboBoxStrings(TCustomComboBox* combo) { return new TCustomComboBoxStrings(combo); }
// The key pause after which the list styles start a new search.
constexpr DWORD kSearchPause = 1250;
}  // namespace

// --- items ---------------------------------------------------------------------------

LRESULT TCustomComboBoxStrings::Send(UINT msg, WPARAM wParam, LPARAM lParam) const {
  return SendMessageA(combo_->Handle(), msg, wParam, lParam);
}

int TCustomComboBoxStrings::Count() const { return static_cast<int>(Send(CB_GETCOUNT, 0, 0)); }

std::string TCustomComboBoxStrings::Get(int index) const {
  LRESULT length = Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR || length < 1) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  LRESULT got = Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  // The reported length may be more than the window copies.
  if (got == CB_ERR || got < 0) return std::string();
  text.resize(std::min(static_cast<size_t>(got), static_cast<size_t>(length)));
  return text;
}

TObject* TCustomComboBoxStrings::GetObject(int index) const {
  LRESULT data = Send(CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
  if (data == CB_ERR) RaiseListIndexError(index);
  return reinterpret_cast<TObject*>(data);
}

void TCustomComboBoxStrings::PutObject(int index, TObject* object) {
  Send(CB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(object));
}

int TCustomComboBoxStrings::Add(const std::string& s) {
  LRESULT result = Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  if (result < 0) RaiseInsertLineError();
  return static_cast<int>(result);
}

void TCustomComboBoxStrings::Insert(int index, const std::string& s) {
  if (Send(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.c_str())) < 0)
    RaiseInsertLineError();
}

void TCustomComboBoxStrings::Delete(int index) { Send(CB_DELETESTRING, static_cast<WPARAM>(index), 0); }

void TCustomComboBoxStrings::Clear() {
  std::string text = combo_->Text();
  Send(CB_RESETCONTENT, 0, 0);
  combo_->SetText(text);
  combo_->UpdateWindow();
}

int TCustomComboBoxStrings::IndexOf(std::string_view s) const {
  std::string text(s);
  return static_cast<int>(Send(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str())));
}

void TCustomComboBoxStrings::SetUpdateState(bool updating) {
  Send(WM_SETREDRAW, updating ? 0 : 1, 0);
  if (!updating) combo_->Invalidate();
}

// --- combo box -----------------------------------------------------------------------

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner),
      editInstance_(MakeObjectInstance(TWndMethod(this, &TCustomComboBox::EditWndProc))),
      listInstance_(MakeObjectInstance(TWndMethod(this, &TCustomComboBox::ListWndProc))),
      canvas_(new TControlCanvas(this)) {
  width_ = 145;
  height_ = 21;
  SetTabStop(true);
}

TCustomComboBox::~TCustomComboBox() {
  Destroying();
  // The children's procedures are this object's: the windows go first.
  if (HandleAllocated()) DestroyHandle();
  FreeObjectInstance(editInstance_);
  FreeObjectInstance(listInstance_);
  delete canvas_;
  delete saveItems_;
  delete items_;
}

TComboBoxStringsFactory TCustomComboBox::GetItemsClass() { return &MakeComboBoxStrings; }

TStrings* TCustomComboBox::Items() {
  if (items_ == nullptr) items_ = GetItemsClass()(this);
  return items_;
}

void TCustomComboBox::SetStyle(TComboBoxStyle style) {
  if (style == style_) return;
  style_ = style;
  RecreateWnd();
}

void TCustomComboBox::SetSorted(bool value) {
  if (value == sorted_) return;
  sorted_ = value;
  RecreateWnd();
}

void TCustomComboBox::SetMaxLength(int value) {
  maxLength_ = std::max(0, value);
  if (HandleAllocated()) SendMessageA(Handle(), CB_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

int TCustomComboBox::ItemIndex() {
  if (!HandleAllocated()) return saveItems_ != nullptr ? saveItemIndex_ : -1;
  return static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int index) {
  if (ItemIndex() != index) SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int TCustomComboBox::SelStart() {
  DWORD start = 0;
  SendMessageA(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), 0);
  return static_cast<int>(start);
}

void TCustomComboBox::SetSelStart(int start) {
  SendMessageA(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(start, start));
}

int TCustomComboBox::SelLength() {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TCustomComboBox::SetSelLength(int length) {
  int start = SelStart();
  SendMessageA(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(start, start + length));
}

bool TCustomComboBox::DroppedDown() {
  return HandleAllocated() && SendMessageA(Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool value) { SendMessageA(Handle(), CB_SHOWDROPDOWN, value ? 1 : 0, 0); }

void TCustomComboBox::AddItem(const std::string& item, TObject* object) { Items()->AddObject(item, object); }

void TCustomComboBox::CopySelection(TCustomComboBox* destination) {
  int index = ItemIndex();
  if (index < 0 || destination == nullptr) return;
  destination->AddItem(Items()->Get(index), Items()->GetObject(index));
}

void TCustomComboBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  CreateSubClass(params, "COMBOBOX");
  static const DWORD kStyles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST,
                                  CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED, CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE};
  params.Style |= WS_VSCROLL | CBS_AUTOHSCROLL | kStyles[style_];
  if (style_ >= csOwnerDrawFixed) params.Style |= CBS_HASSTRINGS;
  if (sorted_) params.Style |= CBS_SORT;
  // The window's height includes the dropped list.
  if (style_ != csSimple) params.Height = height_ + itemHeight_ * dropDownCount_ + 2;
}

void TCustomComboBox::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(Handle(), CB_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  editHandle_ = listHandle_ = nullptr;
  if (GetComboBoxInfo(Handle(), &info)) {
    if (info.hwndItem != nullptr && info.hwndItem != Handle()) editHandle_ = info.hwndItem;
    listHandle_ = info.hwndList;
  }
  if (editHandle_ != nullptr) {
    defEditProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(editHandle_, GWLP_WNDPROC));
    SetWindowLongPtrA(editHandle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editInstance_));
  }
  if (listHandle_ != nullptr) {
    defListProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(listHandle_, GWLP_WNDPROC));
    SetWindowLongPtrA(listHandle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listInstance_));
  }
  if (saveItems_ != nullptr) {
    Items()->Assign(saveItems_);
    delete saveItems_;
    saveItems_ = nullptr;
    if (saveItemIndex_ != -1 && Items()->Count() > 0)
      SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(std::min(saveItemIndex_, Items()->Count())), 0);
    std::string text = text_;
    SetText(text);
  }
}

void TCustomComboBox::DestroyWnd() {
  if (Items()->Count() > 0) {
    saveItems_ = new TStringList;
    saveItems_->Assign(Items());
    saveItemIndex_ = ItemIndex();
  }
  TWinControl::DestroyWnd();
  editHandle_ = listHandle_ = nullptr;
}

void TCustomComboBox::EditWndProc(TMessage& message) { ComboWndProc(message, editHandle_, defEditProc_); }
void TCustomComboBox::ListWndProc(TMessage& message) { ComboWndProc(message, listHandle_, defListProc_); }

void TCustomComboBox::ComboWndProc(TMessage& message, HWND child, WNDPROC childDefProc) {
  switch (message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (DoKeyDown(message)) return;
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (DoKeyUp(message)) return;
      break;
    case WM_CHAR:
      if (DoKeyPress(message)) return;
      if ((CharCodeOf(message) == VK_RETURN || CharCodeOf(message) == VK_ESCAPE) && DroppedDown()) {
        SetDroppedDown(false);
        return;
      }
      break;
    case WM_MOUSEMOVE:
      if (Application != nullptr) Application->HintMouseMessage(this, message);
      break;
    case WM_SETFOCUS:
      // The focus is in the edit or the list, never in the combo's own
      // window: the form must still see the combo as its focused control.
      NoteFocusInside();
      break;
    default:
      break;
  }
  message.Result = CallWindowProcA(childDefProc, child, message.Msg, message.WParam, message.LParam);
}

bool TCustomComboBox::SelectItem(const std::string& prefix) {
  int index = static_cast<int>(
      SendMessageA(Handle(), CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(prefix.c_str())));
  if (index < 0) return false;
  bool changed = index != ItemIndex();
  if (autoCloseUp_ && Items()->IndexOf(prefix) != -1) SetDroppedDown(false);
  SetItemIndex(index);
  if (style_ == csDropDown || style_ == csSimple) {
    std::string item = Items()->Get(index);
    SetText(prefix + (item.size() > prefix.size() ? item.substr(prefix.size()) : std::string()));
    SetSelStart(static_cast<int>(prefix.size()));
    SetSelLength(static_cast<int>(Text().size()) - static_cast<int>(prefix.size()));
  }
  if (changed) {
    Click();
    Select();
  }
  return true;
}

void TCustomComboBox::KeyPress(char& key) {
  TWinControl::KeyPress(key);
  if (!autoComplete_ || key == 0) return;
  switch (key) {
    case VK_ESCAPE:
      return;
    case VK_TAB:
      if (autoDropDown_ && DroppedDown()) SetDroppedDown(false);
      return;
    case VK_BACK:
      if (style_ >= csDropDownList && !searchText_.empty()) searchText_.pop_back();
      return;
    default:
      break;
  }
  if (autoDropDown_ && !DroppedDown()) SetDroppedDown(true);
  if (style_ == csDropDown || style_ == csSimple) {
    std::string text = Text();
    int start = SelStart();
    if (start + SelLength() != static_cast<int>(text.size())) return;
    if (SelectItem(text.substr(0, static_cast<size_t>(start)) + key)) key = 0;
    return;
  }
  DWORD now = GetTickCount();
  if (now - lastSearchTime_ >= kSearchPause) searchText_.clear();
  lastSearchTime_ = now;
  if (SelectItem(searchText_ + key)) {
    searchText_ += key;
    key = 0;
  }
}

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
  if (OnSelect) OnSelect(this);
  else Change();
}

void TCustomComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::CNCommand(TMessage& message) {
  switch (TWMCommand(message).NotifyCode) {
    case CBN_DBLCLK:
      if (OnDblClick) OnDblClick(this);
      break;
    case CBN_EDITCHANGE:
      Change();
      break;
    case CBN_DROPDOWN:
      DropDown();
      break;
    case CBN_CLOSEUP:
      CloseUp();
      break;
    case CBN_SELCHANGE: {
      // No selection (the list emptied, say): the typed text stays.
      int index = ItemIndex();
      if (index >= 0) SetText(Items()->Get(index));
      Click();
      Select();
      break;
    }
    default:
      break;
  }
}

void TCustomComboBox::DrawItem(int index, const TRect& rect, UINT state) {
  if (OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  canvas_->FillRect(rect);
  if (index >= 0) canvas_->TextOut(rect.Left + 2, rect.Top, Items()->Get(index));
}

void TCustomComboBox::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CN_COMMAND:
      CNCommand(message);
      return;
    case CN_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
      CanvasHandleScope scope(canvas_, item->hDC);
      canvas_->Font()->Assign(Font());
      bool selected = (item->itemState & ODS_SELECTED) != 0;
      canvas_->Brush()->SetColor(selected ? clHighlight : Color());
      canvas_->Font()->SetColor(selected ? clHighlightText : Font()->Color());
      TRect r = Rect(item->rcItem.left, item->rcItem.top, item->rcItem.right, item->rcItem.bottom);
      DrawItem(static_cast<int>(item->itemID), r, item->itemState);
      if (item->itemState & ODS_FOCUS) DrawFocusRect(item->hDC, &item->rcItem);
      message.Result = 1;
      return;
    }
    case CN_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
      int height = itemHeight_;
      if (style_ == csOwnerDrawVariable && OnMeasureItem) OnMeasureItem(this, static_cast<int>(item->itemID), height);
      item->itemHeight = static_cast<UINT>(height);
      message.Result = 1;
      return;
    }
    default:
      TWinControl::Dispatch(message);
  }
}
