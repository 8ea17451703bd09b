#include <windows.h>

#include "imaging/imagingtexts.h"
#include "imaging/jpegdecoder.h"

void InstallJPEGWarningBox() {
  SetJPEGWarningHook([](const std::string& Message) {
    MessageBoxA(nullptr, Message.c_str(), kJPEGWarningCaption, MB_OK | MB_ICONEXCLAMATION);
  });
}
