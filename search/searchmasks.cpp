#include "search/searchmasks.h"

#include "classlib/codepage.h"

namespace {

bool IsSeparator(char c) {
  return c == ' ' || c == ',' || c == '/' || c == ':' || c == ';' || c == '\\';
}

bool IsWildcard(char c) { return c == '*' || c == '?'; }

}  // namespace

std::string NormalizeMask(std::string_view mask) {
  std::string result;
  result.reserve(mask.size());
  size_t i = 0;
  while (i < mask.size()) {
    if (!IsWildcard(mask[i])) {
      result += mask[i++];
      continue;
    }
    const size_t start = i;
    bool star = false;
    while (i < mask.size() && IsWildcard(mask[i])) star |= mask[i++] == '*';
    if (star) result += '*';
    else result.append(mask.substr(start, i - start));
  }
  return result;
}

std::vector<std::string> SplitMaskText(std::string_view text) {
  // "*" typed with the type "*.*" gives "***.*": the same request as an
  // empty name, which must look into archives the same way.
  if (text.empty() || NormalizeMask(text) == "*.*") return {"*"};
  std::vector<std::string> masks;
  std::string piece;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    // The second byte of a double-byte character may be "\" and is no separator.
    if (IsAnsiLeadByte(static_cast<unsigned char>(c)) && i + 1 < text.size()) {
      piece += c;
      piece += text[++i];
      continue;
    }
    if (!IsSeparator(c)) {
      piece += c;
      continue;
    }
    if (!piece.empty()) masks.push_back(NormalizeMask(piece));
    piece.clear();
  }
  if (!piece.empty()) masks.push_back(NormalizeMask(piece));
  return masks;
}
