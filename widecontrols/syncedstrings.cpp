#include "widecontrols/syncedstrings.h"

#include "widecontrols/codepageconv.h"
#include "widecontrols/platform.h"

namespace {
std::string AnsiImage(const std::wstring& s) { return WideStringToStringEx(s, DefaultSystemCodePage); }
}  // namespace

std::wstring GetSyncedWideString(std::wstring& wideValue, const std::string& ansiValue) {
  if (AnsiImage(wideValue) != ansiValue) wideValue = StringToWideStringEx(ansiValue, DefaultSystemCodePage);
  return wideValue;
}

void SetSyncedWideString(const std::wstring& value, std::wstring& wideValue, const std::string& ansiValue,
                         const std::function<void(const std::string&)>& setAnsi) {
  if (GetSyncedWideString(wideValue, ansiValue) == value) return;
  std::string image = AnsiImage(value);
  bool survives = StringToWideStringEx(image, DefaultSystemCodePage) == value;
  if (!survives && ansiValue == image) setAnsi(std::string());
  wideValue = value;
  setAnsi(image);
}
