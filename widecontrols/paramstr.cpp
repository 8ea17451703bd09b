#include "widecontrols/paramstr.h"

#include <cstdint>

namespace {
uint16_t Unit(const wchar_t* p) { return static_cast<uint16_t>(*p); }
bool IsBlank(const wchar_t* p) { return Unit(p) != 0 && Unit(p) <= 32; }
}  // namespace

const wchar_t* WideGetParamStr(const wchar_t* p, std::wstring& param) {
  for (;;) {
    while (IsBlank(p)) ++p;
    // p[1] exists here: p[0] is a quotation mark, not the terminator.
    if (Unit(p) != '"' || Unit(p + 1) != '"') break;
    p += 2;
  }
  param.clear();
  while (Unit(p) > 32 && param.size() < kMaxParamUnits) {
    if (Unit(p) != '"') {
      param += *p++;
      continue;
    }
    ++p;
    while (Unit(p) != 0 && Unit(p) != '"' && param.size() < kMaxParamUnits) param += *p++;
    if (Unit(p) == '"') ++p;
  }
  return p;
}
