#include "classlib/exceptions.h"

void Abort() { throw EAbort(); }

EOleSysError::EOleSysError(int32_t errorCode)
    : EOleError(SysErrorMessage(static_cast<uint32_t>(errorCode))), code_(errorCode) {}

void RaiseLastOSError(uint32_t code) {
  std::string text = SysErrorMessage(code);
  throw EOSError(code, "System Error.  Code: " + std::to_string(code) + ".\n" + text);
}

int32_t OleCheck(int32_t result) {
  if (result < 0) throw EOleSysError(result);
  return result;
}
