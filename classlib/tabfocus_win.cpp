// Keyboard navigation of the windowed controls: Tab order among siblings,
// the depth-first list a form walks, and the keys a control is offered
// before its window sees them (menu shortcuts, Tab, Enter, Esc).
#include <algorithm>

#include "classlib/controls.h"
#include "classlib/forms.h"
#include "classlib/menus.h"

int TWinControl::TabOrder() const {
  if (parent_ == nullptr) return -1;
  const auto& list = parent_->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int value) {
  if (parent_ == nullptr) return;
  auto& list = parent_->tabList_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  value = std::clamp(value, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + value, this);
}

void TWinControl::SetTabStop(bool value) {
  tabStop_ = value;
  if (handle_ == nullptr) return;
  LONG style = GetWindowLongA(handle_, GWL_STYLE);
  SetWindowLongA(handle_, GWL_STYLE, value ? style | WS_TABSTOP : style & ~WS_TABSTOP);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* child : tabList_) {
    list.push_back(child);
    child->GetTabOrderList(list);
  }
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c != nullptr; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward, bool checkTabStop) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  const int count = static_cast<int>(list.size());
  if (count == 0) return nullptr;
  auto found = std::find(list.begin(), list.end(), current);
  // Without a current control the walk starts just before the first (or
  // after the last) one.
  int start = found == list.end() ? (forward ? count - 1 : 0) : static_cast<int>(found - list.begin());
  for (int step = 1; step <= count; ++step) {
    int i = forward ? (start + step) % count : ((start - step) % count + count) % count;
    TWinControl* candidate = list[static_cast<size_t>(i)];
    if (candidate->CanFocus() && (!checkTabStop || candidate->TabStop())) return candidate;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool forward, bool checkTabStop) {
  if (TWinControl* next = FindNextControl(current, forward, checkTabStop)) next->SetFocus();
}

bool TWinControl::HandleKeyBeforeDispatch(TMessage& message) {
  const WORD key = CharCodeOf(message);
  const TShiftState shift = KeyDataToShiftState(message.LParam);
  for (TControl* c = this; c != nullptr; c = c->Parent())
    if (c->PopupMenu() != nullptr && c->PopupMenu()->IsShortCut(key, shift)) return true;
  TCustomForm* form = GetParentForm(this);
  if (form != nullptr && form->IsShortCut(key, shift)) return true;
  if (message.Msg != CN_KEYDOWN || form == nullptr) return false;
  UINT wanted = 0;
  switch (key) {
    case VK_TAB:
      wanted = DLGC_WANTTAB;
      break;
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_EXECUTE:
    case VK_CANCEL:
      wanted = DLGC_WANTALLKEYS;
      break;
    default:
      return false;
  }
  // The window decides from the message itself (a dropped-down list wants
  // Enter and Esc, a single-line edit does not).
  MSG msg{handle_, WM_KEYDOWN, message.WParam, message.LParam, 0, {0, 0}};
  if (Perform(WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&msg)) & wanted) return false;
  // The key came to this control, so this is the one the form moves on
  // from, and the button it means if it is one.
  if (form != this) form->SetFocusedControl(this);
  return form->Perform(CM_DIALOGKEY, key, message.LParam) != 0;
}

LRESULT TWinControl::Broadcast(TMessage& message) {
  const std::vector<TControl*> children = controls_;
  for (TControl* child : children) {
    LRESULT result = child->Perform(message.Msg, message.WParam, message.LParam);
    if (result != 0) return result;
  }
  return 0;
}
