#include "widecontrols/codepageconv.h"

#include "classlib/codepage.h"
#include "widecontrols/platform.h"
#include "widecontrols/utf7.h"
#include "widecontrols/utf8.h"

std::wstring StringToWideStringEx(std::string_view s, unsigned codePage) {
  switch (codePage) {
    case kUtf7CodePage: return UTF7ToWideString(s);
    case kUtf8CodePage: return UTF8ToWideString(s);
    default: return MultiByteToWide(s, codePage);
  }
}

std::string WideStringToStringEx(std::wstring_view ws, unsigned codePage) {
  switch (codePage) {
    case kUtf7CodePage: return WideStringToUTF7(ws);
    case kUtf8CodePage: return WideStringToUTF8(ws);
    default: return WideToMultiByte(ws, codePage);
  }
}

bool IsWideCharMappableToAnsi(wchar_t wc) {
  bool usedDefault = false;
  WideToMultiByte(std::wstring_view(&wc, 1), DefaultSystemCodePage, &usedDefault);
  return !usedDefault;
}
