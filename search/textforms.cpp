#include "search/textforms.h"

#include "classlib/codepage.h"
#include "classlib/strutils.h"
#include "search/textcodepages.h"

namespace {

constexpr char kWp5DosHyphen = static_cast<char>(0xA9);

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// UTF-8 cannot hold a surrogate that is not part of a pair.
bool HasLoneSurrogate(const std::wstring& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (IsHighSurrogate(s[i]) && i + 1 < s.size() && IsLowSurrogate(s[i + 1])) {
      ++i;
      continue;
    }
    if (IsHighSurrogate(s[i]) || IsLowSurrogate(s[i])) return true;
  }
  return false;
}

// Whether the system's Ansi-to-OEM conversion of ansi can do without the OEM
// code page's default character.
bool OemCanHold(const std::string& ansi) {
  bool usedDefault = false;
  WideToMultiByte(MultiByteToWide(ansi, kAnsiCodePage), kOemCodePage, &usedDefault);
  return !usedDefault;
}

}  // namespace

TTextForms BuildTextForms(const std::wstring& text, TCodePageSet& codePages) {
  TTextForms f;
  f.Wide[cfNormal] = text;
  f.Wide[cfUpper] = WideUpperCase(text);
  f.Wide[cfLower] = WideLowerCase(text);
  for (int c = 0; c < cfCount; ++c) f.Utf8[c] = WideToMultiByte(f.Wide[c], kUtf8CodePage);
  f.Utf8Usable = !text.empty() && !HasLoneSurrogate(text);

  bool usedDefault = false;
  f.Ansi[cfNormal] = WideToMultiByte(text, kAnsiCodePage, &usedDefault);
  f.AnsiUsable = !f.Ansi[cfNormal].empty() && !usedDefault;
  f.Ansi[cfUpper] = AnsiUpperCase(f.Ansi[cfNormal]);
  f.Ansi[cfLower] = AnsiLowerCase(f.Ansi[cfNormal]);

  for (int c = 0; c < cfCount; ++c) f.Oem[c] = AnsiToOemStr(f.Ansi[c]);
  f.OemUsable = f.AnsiUsable && OemCanHold(f.Ansi[cfNormal]);
  // A case form the OEM code page cannot hold is searched as the text itself.
  for (int c : {cfUpper, cfLower})
    if (!OemCanHold(f.Ansi[c])) f.Oem[c] = f.Oem[cfNormal];

  if ((codePages & cpWp5Dos) != 0 && f.Oem[cfUpper].size() == f.Oem[cfNormal].size() &&
      f.Oem[cfLower].size() == f.Oem[cfNormal].size()) {
    codePages |= cpOem;
    for (size_t i = 0; i < f.Oem[cfNormal].size(); ++i) {
      if (f.Oem[cfNormal][i] != '-') continue;
      for (auto& form : f.Oem) form[i] = kWp5DosHyphen;
    }
  }

  for (int c = 0; c < cfCount; ++c) f.Koi8[c] = AnsiToKoi8(f.Ansi[c]);
  return f;
}
