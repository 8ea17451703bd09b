// The one place where exceptions stop: every window procedure, COM method,
// thread entry, timer callback and synchronised call runs its body through
// one of these helpers. A C++ exception must never unwind into a Windows or
// COM frame (the i686 toolchain's DWARF unwinding cannot cross them).
#pragma once

#include <exception>
#include <utility>

// Hands an exception that reached a boundary to the application object's
// exception handler (a message box; nothing for EAbort). Never throws.
void HandleBoundaryException(std::exception_ptr error) noexcept;

// Runs body; an exception goes to HandleBoundaryException and the result is
// fallback.
template <class R, class F>
R GuardBoundary(R fallback, F&& body) noexcept {
  try {
    return std::forward<F>(body)();
  } catch (...) {
    HandleBoundaryException(std::current_exception());
    return fallback;
  }
}

template <class F>
void GuardBoundary(F&& body) noexcept {
  try {
    std::forward<F>(body)();
  } catch (...) {
    HandleBoundaryException(std::current_exception());
  }
}

// For COM methods: the body's HRESULT, or an error HRESULT for an exception
// (the EOleSysError's own code when it is one, E_OUTOFMEMORY for bad_alloc,
// E_UNEXPECTED otherwise). Nothing is shown to the user.
long GuardHResult(long (*body)(void*), void* context) noexcept;
template <class F>
long GuardHResult(F&& body) noexcept {
  return GuardHResult([](void* c) -> long { return (*static_cast<F*>(c))(); }, &body);
}
