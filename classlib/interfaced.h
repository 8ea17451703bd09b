// The reference count behind the class library's COM objects: a derived
// class implements its interfaces and answers their AddRef and Release with
// ObjAddRef and ObjRelease; the last release frees the object.
#pragma once

#include <windows.h>

#include "classlib/object.h"

class TInterfacedObject : public TObject {
public:
  LONG RefCount() const { return refCount_; }

protected:
  ULONG ObjAddRef() { return static_cast<ULONG>(InterlockedIncrement(&refCount_)); }
  ULONG ObjRelease() {
    LONG count = InterlockedDecrement(&refCount_);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
  }

private:
  LONG refCount_ = 0;
};
