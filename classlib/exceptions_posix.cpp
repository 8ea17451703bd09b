#include "classlib/exceptions.h"

#include <cerrno>
#include <cstring>

std::string SysErrorMessage(uint32_t code) { return std::strerror(static_cast<int>(code)); }

void RaiseLastOSError() { RaiseLastOSError(static_cast<uint32_t>(errno)); }
