// Move-only owners for the shell's resources: kernel and find handles,
// item-identifier lists and COM interface pointers. Each releases what it
// holds exactly once, on every path out of a scope.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <utility>

// Frees a list made by the shell's task allocator (defined in pidls.cpp;
// nil is ignored).
void PidlFree(LPITEMIDLIST pidl);

template <class Traits>
class TScopedHandle {
public:
  using Handle = typename Traits::Handle;

  TScopedHandle() = default;
  explicit TScopedHandle(Handle h) : h_(h) {}
  TScopedHandle(const TScopedHandle&) = delete;
  TScopedHandle& operator=(const TScopedHandle&) = delete;
  TScopedHandle(TScopedHandle&& other) noexcept : h_(other.Take()) {}
  TScopedHandle& operator=(TScopedHandle&& other) noexcept {
    if (this != &other) Set(other.Take());
    return *this;
  }
  ~TScopedHandle() { Close(); }

  bool IsValid() const { return Traits::IsValid(h_); }
  explicit operator bool() const { return IsValid(); }
  Handle Get() const { return h_; }

  // Closes what is held and holds h. The caller's last error survives the
  // close, so a failing call's reason can still be read after Set.
  void Set(Handle h) {
    if (h == h_) return;
    DWORD lastError = GetLastError();
    Close();
    h_ = h;
    SetLastError(lastError);
  }
  [[nodiscard]] Handle Take() { return std::exchange(h_, Traits::Null()); }
  void Close() {
    if (Traits::IsValid(h_)) Traits::Close(h_);
    h_ = Traits::Null();
  }
  // For an API that writes a new handle through a pointer.
  Handle* Receive() {
    Close();
    return &h_;
  }

private:
  Handle h_ = Traits::Null();
};

struct TKernelHandleTraits {
  using Handle = HANDLE;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};

struct TFindHandleTraits {
  using Handle = HANDLE;
  static Handle Null() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { FindClose(h); }
};

struct TPidlTraits {
  using Handle = LPITEMIDLIST;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { PidlFree(h); }
};

using TOwnedHandle = TScopedHandle<TKernelHandleTraits>;
using TOwnedFind = TScopedHandle<TFindHandleTraits>;
using TOwnedPidl = TScopedHandle<TPidlTraits>;

// One reference to a COM interface.
template <class T>
class TComPtr {
public:
  TComPtr() = default;
  // Takes over a reference the caller already holds.
  explicit TComPtr(T* p) : p_(p) {}
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;
  TComPtr(TComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  TComPtr& operator=(TComPtr&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.p_, nullptr));
    return *this;
  }
  ~TComPtr() { Reset(); }

  // A new reference to p (AddRef), for an interface someone else owns.
  static TComPtr Share(T* p) {
    if (p != nullptr) p->AddRef();
    return TComPtr(p);
  }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  void Reset(T* p = nullptr) {
    T* old = std::exchange(p_, p);
    if (old != nullptr) old->Release();
  }
  [[nodiscard]] T* Detach() { return std::exchange(p_, nullptr); }
  // For an API that hands out a new reference through a pointer.
  T** Receive() {
    Reset();
    return &p_;
  }
  void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

  // QueryInterface for another interface; empty when the object lacks it.
  template <class U>
  TComPtr<U> As(REFIID iid) const {
    TComPtr<U> result;
    if (p_ != nullptr) p_->QueryInterface(iid, result.ReceiveVoid());
    return result;
  }

private:
  T* p_ = nullptr;
};
