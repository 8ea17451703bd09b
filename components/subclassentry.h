// One entry in a window's chain of window procedures: it takes the
// window's procedure slot, hands each message to its control hook (or, once
// released, straight to the procedure it replaced), and frees itself only
// when nothing can call it any more: taken out of the chain, or the window
// destroyed.
#pragma once

#include <windows.h>

#include "classlib/messages.h"
#include "classlib/object.h"

class TControlHook;

class TSubclassEntry : public TObject {
public:
  // Installs the entry on window; its messages go to owner.
  TSubclassEntry(HWND window, TControlHook* owner);

  HWND Window() const { return window_; }
  // Passes a message on to the procedure this entry replaced.
  LRESULT CallPrevious(const TMessage& msg) const;
  // Leaves the owner: out of the chain when the entry is still on top of it,
  // else a pass-through until the window goes. The entry frees itself; the
  // caller forgets it.
  void Release();

private:
  ~TSubclassEntry() override;
  void WndProc(TMessage& msg);
  void FreeWhenUnused();

  HWND window_;
  TControlHook* owner_;
  bool unicode_;
  WNDPROC thunk_ = nullptr;
  WNDPROC previous_ = nullptr;
  int depth_ = 0;             // calls of this entry in progress
  bool outOfChain_ = false;   // no longer called by the system
};
