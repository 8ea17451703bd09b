#include "widecontrols/widehotkeys.h"

#include <windows.h>

#include <algorithm>

#include "classlib/strutils.h"
#include "widecontrols/codepageconv.h"
#include "widecontrols/platform.h"
#include "widecontrols/wideerrors.h"

namespace {

std::string AnsiImage(const std::wstring& s) { return WideStringToStringEx(s, DefaultSystemCodePage); }

bool FarEast() { return GetSystemMetrics(SM_DBCSENABLED) != 0; }

// A Far-East hot-key group "(&X)" starting at i.
bool IsHotKeyGroupAt(const std::wstring& text, size_t i) {
  return i + 3 < text.size() && text[i] == L'(' && text[i + 1] == L'&' && text[i + 3] == L')';
}

}  // namespace

std::wstring WideStripHotkey(const std::wstring& text) {
  const bool farEast = FarEast();
  std::wstring result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (farEast && IsHotKeyGroupAt(text, i)) {
      i += 3;
    } else if (text[i] == L'&') {
      if (i + 1 < text.size() && text[i + 1] == L'&') result += text[++i];
    } else {
      result += text[i];
    }
  }
  return result;
}

bool WideSameCaption(const std::wstring& text1, const std::wstring& text2) {
  return WideCompareText(WideStripHotkey(text1), WideStripHotkey(text2)) == 0;
}

bool WideSameCaptionStr(const std::wstring& text1, const std::wstring& text2) {
  return WideStripHotkey(text1) == WideStripHotkey(text2);
}

void SyncHotKeyPosition(const std::wstring& source, std::wstring& dest) {
  if (AnsiImage(source) == AnsiImage(dest)) return;
  if (AnsiImage(WideStripHotkey(source)) != AnsiImage(WideStripHotkey(dest))) return;
  // Walk source; every character that is not a marker takes the next
  // character of the stripped dest, so dest keeps its own letters.
  const bool farEast = FarEast();
  const std::wstring plain = WideStripHotkey(dest);
  std::wstring result;
  size_t j = 0;
  for (size_t i = 0; i < source.size(); ++i) {
    if (farEast && IsHotKeyGroupAt(source, i)) {
      result += source.substr(i, 4);
      i += 3;
    } else if (source[i] == L'&') {
      result += L'&';
      if (i + 1 < source.size() && source[i + 1] == L'&') {
        result += L'&';
        ++i;
        ++j;  // the "&" the stripped text kept
      }
    } else if (j < plain.size()) {
      result += plain[j++];
    }
  }
  result += plain.substr(std::min(j, plain.size()));
  if (AnsiImage(result) != AnsiImage(source))
    throw EWideInternalError("Internal Error: SyncHotKeyPosition Failed (\"" + AnsiImage(source) + "\" <> \"" +
                             AnsiImage(result) + "\").");
  dest = result;
}
