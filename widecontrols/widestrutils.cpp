#include "widecontrols/widestrutils.h"

size_t WideLastDelimiter(std::wstring_view delimiters, std::wstring_view s) {
  for (size_t i = s.size(); i > 0; --i) {
    wchar_t c = s[i - 1];
    if (c != 0 && delimiters.find(c) != std::wstring_view::npos) return i;
  }
  return 0;
}
