#include "classlib/boundary.h"

#include <windows.h>

#include <new>

#include "classlib/application.h"
#include "classlib/exceptions.h"

void HandleBoundaryException(std::exception_ptr error) noexcept {
  try {
    if (Application != nullptr) {
      Application->HandleException(Application, error);
      return;
    }
    std::rethrow_exception(error);
  } catch (const EAbort&) {
  } catch (const std::exception& e) {
    MessageBoxA(nullptr, e.what(), "Error", MB_OK | MB_ICONSTOP);
  } catch (...) {
  }
}

long GuardHResult(long (*body)(void*), void* context) noexcept {
  try {
    return body(context);
  } catch (const EOleSysError& e) {
    return e.ErrorCode();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}
