#include "search/searchcriteria.h"

#include <limits>

#include "classlib/codepage.h"
#include "classlib/strutils.h"

std::string ExtractTypeMasks(std::string_view entry) {
  const size_t open = entry.find('(');
  const size_t start = open == std::string_view::npos ? 0 : open + 1;
  const size_t close = entry.find(')');
  if (close == std::string_view::npos || close < start) return {};
  return std::string(entry.substr(start, close - start));
}

std::string BuildNameMask(std::string_view name, std::string_view typeMasks) {
  if (name.empty()) return typeMasks.empty() ? "*.*" : std::string(typeMasks);
  if (name.find('.') != std::string_view::npos) return std::string(name);
  if (typeMasks.empty()) return "*" + std::string(name) + "*";
  const std::string inserted = std::string(name) + "*";
  std::string result;
  result.reserve(typeMasks.size() + inserted.size() * 4);
  for (char c : typeMasks) {
    if (c == '.') result += inserted;
    result += c;
  }
  return result;
}

std::wstring MaskFromFileArgument(std::wstring_view path) {
  const size_t cut = path.find_last_of(L"\\:");
  std::wstring name(cut == std::wstring_view::npos ? path : path.substr(cut + 1));
  for (wchar_t& c : name) {
    switch (c) {
      case L' ': case L',': case L'/': case L';': case L'[': case L']':
        c = L'?';
        break;
      default:
        break;
    }
  }
  return name;
}

TCodePageSet CodePageSetOf(const TCodePageChoice& choice) {
  if (choice.All) return cpAllCodePages;
  TCodePageSet set = 0;
  if (choice.Ansi) set |= cpAnsi;
  if (choice.Oem) set |= cpOem;
  if (choice.Koi8) set |= cpKoi8;
  if (choice.Wp5Dos) set |= cpWp5Dos;
  if (choice.Unicode) set |= cpUnicode;
  if (choice.Utf8) set |= cpUtf8;
  return set == 0 ? cpAnsi : set;
}

TSizeLimit::TSizeLimit(std::string_view text, int unitIndex, int compareIndex)
    : active_(true), compare_(compareIndex) {
  int64_t value = 0;
  if (!TryStrToInt64(text, value)) value = 0;
  int64_t unit = 1;
  if (unitIndex == 1) unit = 1024;
  else if (unitIndex == 2) unit = 1024 * 1024;
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  if (value > kMax / unit) bytes_ = kMax;
  else if (value < kMin / unit) bytes_ = kMin;
  else bytes_ = value * unit;
}

bool TSizeLimit::Accepts(int64_t size) const {
  if (!active_) return true;
  switch (compare_) {
    case 0: return size == bytes_;
    case 1: return size <= bytes_;
    case 2: return size >= bytes_;
    default: return true;
  }
}

size_t FindCharOutsideAnsi(std::wstring_view text) {
  if (MultiByteToWide(WideToMultiByte(text)) == text) return std::wstring_view::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    // A surrogate pair stands or falls as one character.
    const size_t length = (i + 1 < text.size() && text[i] >= 0xD800 && text[i] < 0xDC00) ? 2 : 1;
    const std::wstring_view one = text.substr(i, length);
    if (MultiByteToWide(WideToMultiByte(one)) != one) return i;
    i += length - 1;
  }
  return std::wstring_view::npos;
}

TDateTime EndOfDay(TDateTime value) {
  int64_t days = 0;
  int32_t ms = 0;
  SplitDateTime(value, days, ms);
  return ComposeDateTime(days, static_cast<int32_t>(MSecsPerDay) - 1);
}
