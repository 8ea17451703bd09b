#include "widecontrols/resstrings.h"

#include <string_view>

#include "classlib/codepage.h"
#include "widecontrols/utf8.h"

namespace {
// Identifiers below this are table entries; anything above is an address.
constexpr uintptr_t kFirstTextAddress = 65536;
}  // namespace

TResStringRec ResStringText(const char* text) {
  return TResStringRec{nullptr, reinterpret_cast<uintptr_t>(text)};
}

std::wstring WideLoadResString(const TResStringRec* rec) {
  if (rec == nullptr) return {};
  if (rec->Identifier < kFirstTextAddress)
    return LoadResStringEntry(rec->Module, static_cast<uint32_t>(rec->Identifier));
  std::string_view text(reinterpret_cast<const char*>(rec->Identifier));
  if (text.size() > 3 && text.substr(0, 3) == "\xEF\xBB\xBF") return UTF8ToWideString(text.substr(3));
  return MultiByteToWide(text, kAnsiCodePage);
}
