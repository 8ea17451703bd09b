// One entry in a window's chain of window procedures. It joins the
// common-controls subclass chain of the window, so another party that
// joins or leaves that chain, above or below it, never cuts it out; it hands
// each message to its control hook (or, once released, straight on down the
// chain), and frees itself only when nothing can call it any more.
#pragma once

#include <windows.h>

#include "classlib/messages.h"
#include "classlib/object.h"

class TControlHook;

class TSubclassEntry : public TObject {
public:
  // Joins window's chain; its messages go to owner. Raises when the window
  // refuses (it is gone, or belongs to another thread).
  TSubclassEntry(HWND window, TControlHook* owner);

  HWND Window() const { return window_; }
  // Passes the message being handled on down the chain.
  LRESULT CallPrevious(const TMessage& msg) const;
  // Leaves the owner and, when that cannot cut out anyone, the chain; else
  // the entry passes messages on until the window goes. The entry frees
  // itself; the caller forgets it.
  void Release();

private:
  ~TSubclassEntry() override;
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
  void WndProc(TMessage& msg);
  // Whether leaving the chain keeps every other party in it.
  bool MayLeave() const;
  void Leave();
  void FreeWhenUnused();

  HWND window_;
  TControlHook* owner_;
  int depth_ = 0;          // calls of this entry in progress
  bool outOfChain_ = false;  // no longer called by the system
};
