// Window procedures bound to an object: a TWndMethod is an (object, member
// function) pair that can be compared, so code can tell who is hooked in
// front of a control; MakeObjectInstance turns one into a WNDPROC that the
// system can call, and AllocateHWnd gives a hidden window whose messages go
// to one.
#pragma once

#include <windows.h>

#include "classlib/messages.h"
#include "classlib/object.h"

struct TWndMethod {
  using Method = void (TObject::*)(TMessage&);

  TWndMethod() = default;
  template <class C>
  TWndMethod(C* object, void (C::*method)(TMessage&))
      : Object(object), Code(static_cast<Method>(method)) {}

  explicit operator bool() const { return Object != nullptr && Code != nullptr; }
  void operator()(TMessage& message) const { (Object->*Code)(message); }
  friend bool operator==(const TWndMethod&, const TWndMethod&) = default;

  TObject* Object = nullptr;
  Method Code = nullptr;
};

// A window procedure that builds a TMessage, calls method with it through
// the exception boundary and returns its Result. The entry lives until
// FreeObjectInstance.
WNDPROC MakeObjectInstance(const TWndMethod& method);
void FreeObjectInstance(WNDPROC instance);

// A hidden top-level window of the calling thread whose messages go to
// method; DeallocateHWnd destroys it and frees its entry.
HWND AllocateHWnd(const TWndMethod& method);
void DeallocateHWnd(HWND window);
