#include "classlib/listview.h"

#include <algorithm>

#include "classlib/actions.h"
#include "classlib/codepage.h"
#include "classlib/commoncontrols.h"
#include "classlib/imagelist.h"
#include "classlib/notifytext.h"

namespace {

DWORD ViewStyleBits(TViewStyle style) {
  switch (style) {
    case vsSmallIcon: return LVS_SMALLICON;
    case vsList: return LVS_LIST;
    case vsReport: return LVS_REPORT;
    default: return LVS_ICON;
  }
}

int ColumnFormat(TAlignment alignment) {
  switch (alignment) {
    case taRightJustify: return LVCFMT_RIGHT;
    case taCenter: return LVCFMT_CENTER;
    default: return LVCFMT_LEFT;
  }
}

constexpr DWORD kExStyles = LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP;

std::string ToAnsi(const char* text) { return text != nullptr ? std::string(text) : std::string(); }
std::string ToAnsi(const wchar_t* text) { return text != nullptr ? WideToMultiByte(text) : std::string(); }

bool SameCaption(const std::string& caption, const std::string& value, bool partial) {
  if (partial && caption.size() < value.size()) return false;
  const int length = static_cast<int>(partial ? value.size() : caption.size());
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, caption.data(), length, value.data(),
                        static_cast<int>(value.size())) == CSTR_EQUAL;
}

}  // namespace

// --- TListItem -------------------------------------------------------------------------

void TListItem::Reset(int index) {
  index_ = index;
  caption_.clear();
  subItems_.Clear();
  imageIndex_ = -1;
}

bool TListItem::Selected() const { return listView_->Selected(index_); }
void TListItem::SetSelected(bool value) { listView_->SetSelected(index_, value); }
bool TListItem::Focused() const { return listView_->Focused(index_); }
void TListItem::SetFocused(bool value) { listView_->SetFocused(index_, value); }

// --- TListColumn -----------------------------------------------------------------------

int TListColumn::Index() const { return columns_->columns_.IndexOf(this); }

void TListColumn::Update(bool insert) const {
  TCustomListView* view = columns_->Owner();
  if (!view->HandleAllocated()) return;
  LVCOLUMNA column{};
  column.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM | (insert ? LVCF_WIDTH : 0);
  column.fmt = ColumnFormat(alignment_);
  column.cx = width_;
  column.pszText = const_cast<char*>(caption_.c_str());
  column.iSubItem = Index();
  view->Send(insert ? LVM_INSERTCOLUMNA : LVM_SETCOLUMNA, static_cast<WPARAM>(Index()),
             reinterpret_cast<LPARAM>(&column));
}

void TListColumn::SetCaption(const std::string& value) {
  caption_ = value;
  Update(false);
}

int TListColumn::Width() const {
  TCustomListView* view = columns_->Owner();
  if (!view->HandleAllocated()) return width_;
  return static_cast<int>(view->Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(Index()), 0));
}

void TListColumn::SetWidth(int value) {
  width_ = value;
  TCustomListView* view = columns_->Owner();
  if (view->HandleAllocated()) view->Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(Index()), MAKELPARAM(value, 0));
}

void TListColumn::SetAlignment(TAlignment value) {
  alignment_ = value;
  Update(false);
}

// --- TListColumns ----------------------------------------------------------------------

TListColumn* TListColumns::Add() {
  TListColumn* column = columns_.Add(std::unique_ptr<TListColumn>(new TListColumn(this)));
  column->Update(true);
  return column;
}

// --- TListItems ------------------------------------------------------------------------

int TListItems::Count() const {
  if (!owner_->HandleAllocated()) return count_;
  return static_cast<int>(owner_->Send(LVM_GETITEMCOUNT, 0, 0));
}

void TListItems::SetCount(int value) {
  count_ = std::max(value, 0);
  if (owner_->HandleAllocated())
    owner_->Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(count_), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void TListItems::BeginUpdate() {
  if (updateCount_++ == 0 && owner_->HandleAllocated()) owner_->Send(WM_SETREDRAW, FALSE, 0);
}

void TListItems::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0 && owner_->HandleAllocated()) {
    owner_->Send(WM_SETREDRAW, TRUE, 0);
    owner_->Invalidate();
  }
}

// --- TCustomListView -------------------------------------------------------------------

TCustomListView::TCustomListView(TComponent* owner)
    : TWinControl(owner), columns_(new TListColumns(this)), items_(new TListItems(this)) {
  width_ = 250;
  height_ = 150;
  SetTabStop(true);
}

TCustomListView::~TCustomListView() {
  Destroying();
  if (HandleAllocated()) DestroyHandle();
}

LRESULT TCustomListView::Send(UINT msg, WPARAM wParam, LPARAM lParam) const {
  return SendMessageA(const_cast<TCustomListView*>(this)->Handle(), msg, wParam, lParam);
}

void TCustomListView::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  InitCommonControlClasses(ICC_LISTVIEW_CLASSES);
  CreateSubClass(params, WC_LISTVIEWA);
  // The image lists belong to their components, not to the window.
  params.Style |= ViewStyleBits(viewStyle_) | LVS_SHAREIMAGELISTS;
  if (ownerData_) params.Style |= LVS_OWNERDATA;
  if (!multiSelect_) params.Style |= LVS_SINGLESEL;
  if (!hideSelection_) params.Style |= LVS_SHOWSELALWAYS;
  if (!readOnly_) params.Style |= LVS_EDITLABELS;
  params.ExStyle |= WS_EX_CLIENTEDGE;
  params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomListView::CreateWnd() {
  TWinControl::CreateWnd();
  // Info tips are always asked for; OnInfoTip is consulted only while
  // ShowHint is on.
  Send(LVM_SETEXTENDEDLISTVIEWSTYLE, kExStyles, LVS_EX_INFOTIP | (rowSelect_ ? LVS_EX_FULLROWSELECT : 0));
  if (smallImages_ != nullptr)
    Send(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages_->Handle()));
  for (const auto& column : columns_->columns_) column->Update(true);
  if (items_->count_ > 0)
    Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(items_->count_), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void TCustomListView::DestroyWnd() {
  for (const auto& column : columns_->columns_) column->width_ = column->Width();
  TWinControl::DestroyWnd();
}

void TCustomListView::SetStyleFlag(bool& flag, bool value) {
  if (flag == value) return;
  flag = value;
  RecreateWnd();
}

void TCustomListView::SetViewStyle(TViewStyle value) {
  if (value == viewStyle_) return;
  viewStyle_ = value;
  RecreateWnd();
}

void TCustomListView::SetRowSelect(bool value) {
  rowSelect_ = value;
  if (HandleAllocated()) Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, value ? LVS_EX_FULLROWSELECT : 0);
}

void TCustomListView::SetSmallImages(TImageList* value) {
  smallImages_ = value;
  if (value != nullptr) value->FreeNotification(this);
  if (HandleAllocated())
    Send(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(value != nullptr ? value->Handle() : nullptr));
}

void TCustomListView::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == smallImages_) SetSmallImages(nullptr);
}

// --- rows ------------------------------------------------------------------------------

void TCustomListView::SetItemState(int index, UINT state, UINT mask) {
  if (!HandleAllocated()) return;
  LVITEMA item{};
  item.state = state;
  item.stateMask = mask;
  Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

bool TCustomListView::Selected(int index) const {
  if (!HandleAllocated() || index < 0) return false;
  return (Send(LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void TCustomListView::SetSelected(int index, bool value) {
  if (index >= 0) SetItemState(index, value ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

bool TCustomListView::Focused(int index) const {
  if (!HandleAllocated() || index < 0) return false;
  return (Send(LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_FOCUSED) & LVIS_FOCUSED) != 0;
}

void TCustomListView::SetFocused(int index, bool value) {
  if (index >= 0) SetItemState(index, value ? LVIS_FOCUSED : 0, LVIS_FOCUSED);
}

int TCustomListView::SelCount() const {
  if (!HandleAllocated()) return 0;
  return static_cast<int>(Send(LVM_GETSELECTEDCOUNT, 0, 0));
}

void TCustomListView::SetItemIndex(int index) {
  ClearSelection();
  if (index >= 0) SetItemState(index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

TListItem* TCustomListView::Selected() {
  const int index = ItemIndex();
  if (index < 0) return nullptr;
  FillItem(queryItem_, index);
  return &queryItem_;
}

int TCustomListView::GetNextItem(int start, unsigned states) const {
  if (!HandleAllocated()) return -1;
  UINT flags = LVNI_ALL;
  if (states & isSelected) flags |= LVNI_SELECTED;
  if (states & isFocused) flags |= LVNI_FOCUSED;
  return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
}

void TCustomListView::ClearSelection() { SetItemState(-1, 0, LVIS_SELECTED); }

void TCustomListView::MakeVisible(int index, bool partialOK) {
  if (HandleAllocated() && index >= 0) Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), partialOK ? TRUE : FALSE);
}

void TCustomListView::Repaint() {
  if (!HandleAllocated()) return;
  InvalidateRect(Handle(), nullptr, TRUE);
  ::UpdateWindow(Handle());
}

void TCustomListView::FillItem(TListItem& item, int index) {
  item.Reset(index);
  if (OnData) OnData(this, &item);
}

int TCustomListView::FindCaption(int startIndex, const std::string& value, bool partial, bool inclusive, bool wrap) {
  const int count = items_->Count();
  if (count <= 0) return -1;
  int start = std::max(startIndex, 0);
  if (!inclusive && startIndex >= 0) ++start;
  if (start >= count) {
    if (!wrap) return -1;
    start = 0;
  }
  TListItem item(this);
  for (int n = 0; n < count; ++n) {
    int index = start + n;
    if (index >= count) {
      if (!wrap) break;
      index -= count;
    }
    FillItem(item, index);
    if (SameCaption(item.Caption(), value, partial)) return index;
  }
  return -1;
}

// --- notifications ---------------------------------------------------------------------

// The 8-bit and wide records differ only in their text pointers; the window
// chooses by what its parent answered to WM_NOTIFYFORMAT.
template <class DispInfo>
void TCustomListView::AnswerDispInfo(DispInfo& info) {
  auto& item = info.item;
  if ((item.mask & (LVIF_TEXT | LVIF_IMAGE)) == 0 || item.iItem < 0) return;
  // An owner that fails leaves an empty cell, not whatever the buffer held.
  if (item.mask & LVIF_TEXT) CopyToTextBuffer("", item.pszText, item.cchTextMax);
  FillItem(callbackItem_, item.iItem);
  if (item.mask & LVIF_TEXT) {
    if (item.iSubItem == 0) {
      CopyToTextBuffer(callbackItem_.Caption(), item.pszText, item.cchTextMax);
    } else {
      TStrings* sub = callbackItem_.SubItems();
      const int at = item.iSubItem - 1;
      CopyToTextBuffer(at < sub->Count() ? sub->Get(at) : std::string(), item.pszText, item.cchTextMax);
    }
  }
  if ((item.mask & LVIF_IMAGE) && item.iSubItem == 0) item.iImage = callbackItem_.ImageIndex();
}

template <class InfoTip>
void TCustomListView::AnswerInfoTip(InfoTip& tip) {
  if (!ShowHint() || !OnInfoTip || tip.iItem < 0) return;
  std::string text = ToAnsi(tip.pszText);
  FillItem(callbackItem_, tip.iItem);
  OnInfoTip(this, &callbackItem_, text);
  CopyToTextBuffer(text, tip.pszText, tip.cchTextMax);
}

template <class FindItem>
LRESULT TCustomListView::AnswerFindItem(const FindItem& find) {
  const UINT flags = find.lvfi.flags;
  if ((flags & (LVFI_STRING | LVFI_PARTIAL)) == 0) return -1;
  return FindCaption(find.iStart, ToAnsi(find.lvfi.psz), (flags & LVFI_PARTIAL) != 0, true,
                     (flags & LVFI_WRAP) != 0);
}

void TCustomListView::SelectionChanged(int index, UINT oldState, UINT newState) {
  if (((oldState ^ newState) & LVIS_SELECTED) == 0 || !OnSelectItem) return;
  const bool selected = (newState & LVIS_SELECTED) != 0;
  if (index < 0) {
    OnSelectItem(this, nullptr, selected);
    return;
  }
  FillItem(callbackItem_, index);
  OnSelectItem(this, &callbackItem_, selected);
}

void TCustomListView::CNNotify(TMessage& message) {
  NMHDR* header = TWMNotify(message).NMHdr;
  message.Result = 0;
  if (header == nullptr || !Notifying()) return;
  switch (header->code) {
    case LVN_GETDISPINFOA:
      AnswerDispInfo(*reinterpret_cast<NMLVDISPINFOA*>(header));
      return;
    case LVN_GETDISPINFOW:
      AnswerDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(header));
      return;
    case LVN_GETINFOTIPA:
      AnswerInfoTip(*reinterpret_cast<NMLVGETINFOTIPA*>(header));
      return;
    case LVN_GETINFOTIPW:
      AnswerInfoTip(*reinterpret_cast<NMLVGETINFOTIPW*>(header));
      return;
    case LVN_ODFINDITEMA:
      message.Result = AnswerFindItem(*reinterpret_cast<NMLVFINDITEMA*>(header));
      return;
    case LVN_ODFINDITEMW:
      message.Result = AnswerFindItem(*reinterpret_cast<NMLVFINDITEMW*>(header));
      return;
    case LVN_ODCACHEHINT: {
      const auto* hint = reinterpret_cast<const NMLVCACHEHINT*>(header);
      if (OnDataHint) OnDataHint(this, hint->iFrom, hint->iTo);
      return;
    }
    case LVN_ITEMCHANGED: {
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
      if (change->uChanged & LVIF_STATE) SelectionChanged(change->iItem, change->uOldState, change->uNewState);
      return;
    }
    case LVN_ODSTATECHANGED: {
      const auto* change = reinterpret_cast<const NMLVODSTATECHANGE*>(header);
      SelectionChanged(change->iFrom, change->uOldState, change->uNewState);
      return;
    }
    case LVN_COLUMNCLICK: {
      const auto* click = reinterpret_cast<const NMLISTVIEW*>(header);
      if (OnColumnClick && click->iSubItem >= 0 && click->iSubItem < columns_->Count())
        OnColumnClick(this, columns_->Items(click->iSubItem));
      return;
    }
    case NM_CLICK:
      Click();
      return;
    case NM_DBLCLK:
      if (OnDblClick) OnDblClick(this);
      return;
    default:
      return;
  }
}

void TCustomListView::Dispatch(TMessage& message) {
  if (message.Msg == CN_NOTIFY) {
    CNNotify(message);
    return;
  }
  TWinControl::Dispatch(message);
}

TControlActionLinkClass TCustomListView::GetActionLinkClass() { return TListViewActionLink::StaticClass(); }
