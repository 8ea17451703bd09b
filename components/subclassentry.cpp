#include "components/subclassentry.h"

#include <commctrl.h>

#include "classlib/boundary.h"
#include "classlib/exceptions.h"
#include "components/windowhook.h"

namespace {

WNDPROC WindowProcOf(HWND window) {
  return reinterpret_cast<WNDPROC>(IsWindowUnicode(window) ? GetWindowLongPtrW(window, GWLP_WNDPROC)
                                                           : GetWindowLongPtrA(window, GWLP_WNDPROC));
}

// The procedure the common-controls chain puts into a window's slot, for 8-
// bit and for wide windows, learnt when an entry starts a chain.
WNDPROC chainProc[2] = {nullptr, nullptr};

WNDPROC& ChainProcFor(HWND window) { return chainProc[IsWindowUnicode(window) ? 1 : 0]; }

}  // namespace

TSubclassEntry::TSubclassEntry(HWND window, TControlHook* owner) : window_(window), owner_(owner) {
  const WNDPROC before = WindowProcOf(window);
  // The entry's own address is its id: unique among the window's entries.
  if (!SetWindowSubclass(window, &TSubclassEntry::SubclassProc, reinterpret_cast<UINT_PTR>(this),
                         reinterpret_cast<DWORD_PTR>(this)))
    throw Exception("Cannot hook the window's messages");
  const WNDPROC after = WindowProcOf(window);
  if (after != before) ChainProcFor(window) = after;
}

TSubclassEntry::~TSubclassEntry() = default;

LRESULT CALLBACK TSubclassEntry::SubclassProc(HWND, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR self) {
  auto* entry = reinterpret_cast<TSubclassEntry*>(self);
  TMessage msg;
  msg.Msg = message;
  msg.WParam = wParam;
  msg.LParam = lParam;
  ++entry->depth_;
  GuardBoundary([&] { entry->WndProc(msg); });
  --entry->depth_;
  if (message == WM_NCDESTROY) {
    // The window goes, and the chain with it.
    entry->Leave();
    if (entry->owner_ != nullptr) entry->owner_->entry_ = nullptr;
    entry->owner_ = nullptr;
  }
  entry->FreeWhenUnused();
  return msg.Result;
}

void TSubclassEntry::WndProc(TMessage& msg) {
  if (owner_ != nullptr) owner_->HookWndProc(*this, msg);
  else msg.Result = CallPrevious(msg);
}

LRESULT TSubclassEntry::CallPrevious(const TMessage& msg) const {
  return DefSubclassProc(window_, msg.Msg, msg.WParam, msg.LParam);
}

bool TSubclassEntry::MayLeave() const {
  // When the chain empties, the common controls put back the procedure the
  // window had before the chain began, cutting out whoever replaced the
  // chain's procedure in the slot since. Leave only while the slot still
  // holds the chain's own procedure.
  const WNDPROC chain = ChainProcFor(window_);
  return chain != nullptr && WindowProcOf(window_) == chain;
}

void TSubclassEntry::Leave() {
  if (outOfChain_) return;
  RemoveWindowSubclass(window_, &TSubclassEntry::SubclassProc, reinterpret_cast<UINT_PTR>(this));
  outOfChain_ = true;
}

void TSubclassEntry::Release() {
  owner_ = nullptr;
  if (!IsWindow(window_)) outOfChain_ = true;
  else if (MayLeave()) Leave();
  FreeWhenUnused();
}

void TSubclassEntry::FreeWhenUnused() {
  if (owner_ == nullptr && outOfChain_ && depth_ == 0) delete this;
}
