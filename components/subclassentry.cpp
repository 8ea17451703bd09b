#include "components/subclassentry.h"

#include "classlib/objectinstance.h"
#include "components/windowhook.h"

namespace {

WNDPROC WindowProcOf(HWND window, bool unicode) {
  return reinterpret_cast<WNDPROC>(unicode ? GetWindowLongPtrW(window, GWLP_WNDPROC)
                                           : GetWindowLongPtrA(window, GWLP_WNDPROC));
}

void SetWindowProc(HWND window, bool unicode, WNDPROC proc) {
  const auto value = reinterpret_cast<LONG_PTR>(proc);
  if (unicode) SetWindowLongPtrW(window, GWLP_WNDPROC, value);
  else SetWindowLongPtrA(window, GWLP_WNDPROC, value);
}

}  // namespace

TSubclassEntry::TSubclassEntry(HWND window, TControlHook* owner)
    : window_(window), owner_(owner), unicode_(IsWindowUnicode(window) != FALSE) {
  // A wide window stays wide: its procedures are read, set and called with
  // the wide functions, so no text passes through a code page.
  thunk_ = MakeObjectInstance(TWndMethod(this, &TSubclassEntry::WndProc));
  previous_ = WindowProcOf(window, unicode_);
  SetWindowProc(window, unicode_, thunk_);
}

TSubclassEntry::~TSubclassEntry() { FreeObjectInstance(thunk_); }

LRESULT TSubclassEntry::CallPrevious(const TMessage& msg) const {
  return unicode_ ? CallWindowProcW(previous_, window_, msg.Msg, msg.WParam, msg.LParam)
                  : CallWindowProcA(previous_, window_, msg.Msg, msg.WParam, msg.LParam);
}

void TSubclassEntry::Release() {
  owner_ = nullptr;
  if (!IsWindow(window_)) {
    outOfChain_ = true;
  } else if (WindowProcOf(window_, unicode_) == thunk_) {
    SetWindowProc(window_, unicode_, previous_);
    outOfChain_ = true;
  }
  FreeWhenUnused();
}

void TSubclassEntry::WndProc(TMessage& msg) {
  ++depth_;
  if (owner_ != nullptr) owner_->HookWndProc(*this, msg);
  else msg.Result = CallPrevious(msg);
  --depth_;
  if (msg.Msg == WM_NCDESTROY) {
    // The window is gone and with it the chain: nothing calls this again.
    outOfChain_ = true;
    if (owner_ != nullptr) owner_->entry_ = nullptr;
    owner_ = nullptr;
  }
  FreeWhenUnused();
}

void TSubclassEntry::FreeWhenUnused() {
  if (owner_ == nullptr && outOfChain_ && depth_ == 0) delete this;
}
