#include <windows.h>

#include "imaging/jpegdecoder.h"

void InstallJPEGWarningBox() {
  SetJPEGWarningHook([](const std::string& Message) {
    MessageBoxA(nullptr, Message.c_str(), "Warning", MB_OK | MB_ICONEXCLAMATION);
  });
}
