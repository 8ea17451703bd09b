// UTF-7 and UTF-8 decoding, the byte-order-mark loader of wide string lists
// and the command-line splitter, on arbitrary bytes. The last byte picks
// whether the loader looks for a mark. Decoded text must survive a round
// trip through the matching encoder.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "classlib/streams.h"
#include "widecontrols/ansistringsadapter.h"
#include "widecontrols/paramstr.h"
#include "widecontrols/utf7.h"
#include "widecontrols/utf8.h"
#include "widecontrols/wideerrors.h"
#include "widecontrols/widestringlist.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void Utf7(std::string_view bytes) {
  std::wstring text;
  try {
    text = UTF7ToWideString(bytes);
  } catch (const EWideGeneralError&) {
    return;
  }
  Check(UTF7ToWideString(WideStringToUTF7(text)) == text);
}

void Utf8(std::string_view bytes) {
  std::wstring text = UTF8ToWideString(bytes);
  Check(UTF8ToWideString(WideStringToUTF8(text)) == text);
}

void BomLoader(std::string_view bytes, bool withBOM) {
  TStringStream stream{std::string(bytes)};
  TWideStringList list;
  list.LoadFromStream(stream, withBOM);
  TStringStream saved;
  list.SaveToStream(saved, true);
  saved.SetPosition(0);
  TWideStringList back;
  back.LoadFromStream(saved, true);
  Check(back.Equals(list));

  for (unsigned codePage : {65000u, 65001u}) {
    TStringStream again{std::string(bytes)};
    try {
      list.AnsiStrings()->LoadFromStreamEx(again, codePage);
    } catch (const EWideGeneralError&) {
    }
  }
}

void CommandLine(std::string_view bytes) {
  std::wstring line(bytes.size() / 2, L'\0');
  for (size_t i = 0; i < line.size(); ++i)
    line[i] = static_cast<wchar_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                   (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
  const wchar_t* end = line.c_str() + line.size();
  std::wstring param;
  for (const wchar_t* p = line.c_str();;) {
    const wchar_t* next = WideGetParamStr(p, param);
    Check(next >= p && next <= end && param.size() <= kMaxParamUnits);
    if (param.empty()) break;
    p = next;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  bool withBOM = size == 0 || (data[size - 1] & 1) != 0;
  Utf7(bytes);
  Utf8(bytes);
  BomLoader(bytes, withBOM);
  CommandLine(bytes);
  return 0;
}
