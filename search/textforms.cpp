#include "search/textforms.h"

#include "classlib/codepage.h"
#include "classlib/strutils.h"

namespace {

constexpr unsigned kKoi8CodePage = 20866;
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

// Each case form straight from the wide text in the code page; false when
// the code page cannot hold the text itself. A case form it cannot hold is
// searched as the text itself.
bool EncodeForms(const std::wstring (&wide)[cfCount], unsigned codePage, std::string (&forms)[cfCount]) {
  if (!WideToMultiByteExact(wide[cfNormal], codePage, forms[cfNormal])) {
    for (std::string& form : forms) form.clear();
    return false;
  }
  for (int c : {cfUpper, cfLower})
    if (!WideToMultiByteExact(wide[c], codePage, forms[c])) forms[c] = forms[cfNormal];
  return true;
}

}  // namespace

TTextForms BuildTextForms(const std::wstring& text, TCodePageSet& codePages) {
  TTextForms f;
  f.Wide[cfNormal] = text;
  f.Wide[cfUpper] = WideUpperCase(text);
  f.Wide[cfLower] = WideLowerCase(text);
  for (int c = 0; c < cfCount; ++c) f.Utf8[c] = WideToMultiByte(f.Wide[c], kUtf8CodePage);
  f.Utf8Usable = !text.empty() && !HasLoneSurrogate(text);

  f.AnsiUsable = EncodeForms(f.Wide, kAnsiCodePage, f.Ansi);
  f.OemUsable = EncodeForms(f.Wide, kOemCodePage, f.Oem);
  f.Koi8Usable = EncodeForms(f.Wide, kKoi8CodePage, f.Koi8);

  if ((codePages & cpWp5Dos) != 0) {
    codePages |= cpOem;
    for (int c = 0; c < cfCount; ++c) {
      f.Wp5[c] = f.Oem[c];
      for (char& b : f.Wp5[c]) {
        if (b != '-') continue;
        b = kWp5DosHyphen;
        f.Wp5Usable = f.OemUsable;
      }
    }
  }
  return f;
}
