#include "classlib/notifytext.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "classlib/codepage.h"

void CopyToTextBuffer(std::string_view text, char* buffer, int room) {
  if (buffer == nullptr || room <= 0) return;
  const size_t limit = static_cast<size_t>(room) - 1;
  size_t length = text.size();
  if (length > limit) {
    length = 0;
    while (length < limit) {
      const size_t step = IsAnsiLeadByte(static_cast<unsigned char>(text[length])) ? 2 : 1;
      if (length + step > limit) break;
      length += step;
    }
  }
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

void CopyToTextBuffer(std::string_view text, wchar_t* buffer, int room) {
  if (buffer == nullptr || room <= 0) return;
  const std::wstring wide = MultiByteToWide(text);
  const size_t limit = static_cast<size_t>(room) - 1;
  size_t length = std::min(wide.size(), limit);
  if (length < wide.size() && length > 0 && wide[length - 1] >= 0xD800 && wide[length - 1] <= 0xDBFF) --length;
  std::copy_n(wide.data(), length, buffer);
  buffer[length] = L'\0';
}
