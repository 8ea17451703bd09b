#include "search/patternforms.h"

#include "classlib/codepage.h"

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

std::string WideBytes(const std::wstring& s) {
  std::string bytes;
  bytes.reserve(s.size() * 2);
  for (wchar_t c : s) {
    auto unit = static_cast<uint16_t>(c);
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

std::vector<uint32_t> EvenGroups(size_t length, uint32_t groupSize) {
  std::vector<uint32_t> ends;
  for (size_t end = groupSize; end <= length; end += groupSize) ends.push_back(static_cast<uint32_t>(end));
  return ends;
}

// UTF-8 groups: one per character, when the upper- and lower-case forms of
// every character take the same number of bytes; empty otherwise.
std::vector<uint32_t> Utf8CharacterGroups(const TTextForms& f) {
  const std::wstring& upper = f.Wide[cfUpper];
  const std::wstring& lower = f.Wide[cfLower];
  if (upper.size() != lower.size()) return {};
  std::vector<uint32_t> ends;
  uint32_t end = 0;
  for (size_t i = 0; i < upper.size();) {
    size_t n = IsHighSurrogate(upper[i]) && i + 1 < upper.size() ? 2 : 1;
    if ((n == 2) != (IsHighSurrogate(lower[i]) && i + 1 < lower.size())) return {};
    std::string u = WideToMultiByte(upper.substr(i, n), kUtf8CodePage);
    std::string l = WideToMultiByte(lower.substr(i, n), kUtf8CodePage);
    if (u.size() != l.size()) return {};
    end += static_cast<uint32_t>(u.size());
    ends.push_back(end);
    i += n;
  }
  return ends;
}

class FormList {
public:
  // A form with the same bytes as one already listed, for this encoding or
  // an earlier one, finds nothing new: the earlier one wins every block.
  void Add(TPatternForm form) {
    if (form.First.empty()) return;
    for (const TPatternForm& f : forms_)
      if (f.Wide == form.Wide && f.First == form.First && f.Second == form.Second && f.GroupEnds == form.GroupEnds)
        return;
    forms_.push_back(std::move(form));
  }

  // Case-sensitive: the normal form. Otherwise one pattern of upper/lower
  // groups when both forms have the same length, else each form by itself.
  void AddCaseForms(TEncodingSlot slot, bool wide, const std::string (&forms)[cfCount],
                    bool caseSensitive, std::vector<uint32_t> groups) {
    const std::string& normal = forms[cfNormal];
    if (caseSensitive) {
      Add({slot, wide, normal, normal, {static_cast<uint32_t>(normal.size())}});
      return;
    }
    const std::string& upper = forms[cfUpper];
    const std::string& lower = forms[cfLower];
    auto whole = [&](const std::string& s) {
      return TPatternForm{slot, wide, s, s, {static_cast<uint32_t>(s.size())}};
    };
    if (upper.size() == lower.size() && !groups.empty() && groups.back() == upper.size()) {
      TPatternForm mixed{slot, wide, upper, lower, std::move(groups)};
      // The text as typed is always found, even where it is neither case
      // (a title-case letter, say).
      bool coversNormal = normal.size() == upper.size() &&
                          mixed.Matches(reinterpret_cast<const uint8_t*>(normal.data()));
      Add(std::move(mixed));
      if (!coversNormal) Add(whole(normal));
      return;
    }
    Add(whole(upper));
    Add(whole(lower));
    Add(whole(normal));
  }

  std::vector<TPatternForm> Take() { return std::move(forms_); }

private:
  std::vector<TPatternForm> forms_;
};

}  // namespace

TCodePageSet CodePageOfSlot(TEncodingSlot slot) {
  switch (slot) {
    case esAnsi: return cpAnsi;
    case esOem: return cpOem;
    case esKoi8: return cpKoi8;
    case esUtf8: return cpUtf8;
    case esUtf16: return cpUnicode;
    case esCount: break;
  }
  return 0;
}

bool TPatternForm::Matches(const uint8_t* p) const {
  const auto* first = reinterpret_cast<const uint8_t*>(First.data());
  const auto* second = reinterpret_cast<const uint8_t*>(Second.data());
  uint32_t begin = 0;
  for (uint32_t end : GroupEnds) {
    bool asFirst = true;
    bool asSecond = true;
    for (uint32_t i = begin; i < end; ++i) {
      asFirst = asFirst && p[i] == first[i];
      asSecond = asSecond && p[i] == second[i];
    }
    if (!asFirst && !asSecond) return false;
    begin = end;
  }
  return true;
}

std::vector<TPatternForm> BuildPatternForms(const TTextForms& f, TCodePageSet codePages,
                                            bool caseSensitive) {
  FormList list;
  if (f.Wide[cfNormal].empty()) return {};
  auto byteGroups = [](const std::string (&forms)[cfCount]) {
    return EvenGroups(forms[cfUpper].size(), 1);
  };
  if ((codePages & cpAnsi) != 0 && f.AnsiUsable)
    list.AddCaseForms(esAnsi, false, f.Ansi, caseSensitive, byteGroups(f.Ansi));
  if ((codePages & cpOem) != 0 && f.OemUsable)
    list.AddCaseForms(esOem, false, f.Oem, caseSensitive, byteGroups(f.Oem));
  if ((codePages & cpOem) != 0 && f.Wp5Usable)
    list.AddCaseForms(esOem, false, f.Wp5, caseSensitive, byteGroups(f.Wp5));
  if ((codePages & cpKoi8) != 0 && f.Koi8Usable)
    list.AddCaseForms(esKoi8, false, f.Koi8, caseSensitive, byteGroups(f.Koi8));
  if ((codePages & cpUtf8) != 0 && f.Utf8Usable)
    list.AddCaseForms(esUtf8, false, f.Utf8, caseSensitive, Utf8CharacterGroups(f));
  if ((codePages & cpUnicode) != 0) {
    const std::string wide[cfCount] = {WideBytes(f.Wide[cfNormal]), WideBytes(f.Wide[cfUpper]),
                                       WideBytes(f.Wide[cfLower])};
    list.AddCaseForms(esUtf16, true, wide, caseSensitive, EvenGroups(wide[cfUpper].size(), 2));
  }
  return list.Take();
}
