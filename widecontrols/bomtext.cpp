#include "widecontrols/bomtext.h"

#include <algorithm>

#include "classlib/codepage.h"
#include "classlib/streams.h"
#include "widecontrols/utf8.h"

namespace {

int64_t BytesLeft(TStream& stream) { return std::max<int64_t>(stream.Size() - stream.Position(), 0); }

std::string ReadBytes(TStream& stream, int64_t count) {
  if (count > kMaxTextStreamBytes) throw EOutOfMemory("Text too large to load");
  std::string bytes(static_cast<size_t>(count), '\0');
  if (count > 0) stream.ReadBuffer(bytes.data(), static_cast<int32_t>(count));
  return bytes;
}

}  // namespace

TWideStreamCharSet AutoDetectCharacterSet(TStream& stream) {
  int64_t left = BytesLeft(stream);
  if (left < 2) return csAnsi;
  uint8_t mark[3];
  stream.ReadBuffer(mark, 2);
  if (mark[0] == 0xFF && mark[1] == 0xFE) return csUnicode;
  if (mark[0] == 0xFE && mark[1] == 0xFF) return csUnicodeSwapped;
  stream.Seek(-2, soCurrent);
  if (left < 3) return csAnsi;
  stream.ReadBuffer(mark, 3);
  if (mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF) return csUtf8;
  stream.Seek(-3, soCurrent);
  return csAnsi;
}

std::string ReadRemainingBytes(TStream& stream) { return ReadBytes(stream, BytesLeft(stream)); }

std::wstring ReadStreamText(TStream& stream, TWideStreamCharSet charSet) {
  switch (charSet) {
    case csUnicode:
    case csUnicodeSwapped: {
      std::string bytes = ReadBytes(stream, BytesLeft(stream) / 2 * 2);
      int high = charSet == csUnicode ? 1 : 0;
      std::wstring text(bytes.size() / 2, L'\0');
      for (size_t i = 0; i < text.size(); ++i) {
        auto hi = static_cast<uint8_t>(bytes[2 * i + high]);
        auto lo = static_cast<uint8_t>(bytes[2 * i + 1 - high]);
        text[i] = static_cast<wchar_t>((hi << 8) | lo);
      }
      return text;
    }
    case csUtf8: return UTF8ToWideString(ReadRemainingBytes(stream));
    case csAnsi: break;
  }
  return MultiByteToWide(ReadRemainingBytes(stream), kAnsiCodePage);
}

void WriteStreamText(TStream& stream, std::wstring_view text, bool withBOM) {
  // Written in slices so that no buffer grows with the text.
  constexpr size_t kSliceUnits = 32 * 1024;
  if (withBOM) stream.WriteBuffer("\xFF\xFE", 2);
  std::string bytes;
  for (size_t start = 0; start < text.size(); start += kSliceUnits) {
    std::wstring_view slice = text.substr(start, kSliceUnits);
    bytes.resize(slice.size() * 2);
    for (size_t i = 0; i < slice.size(); ++i) {
      auto unit = static_cast<uint16_t>(slice[i]);
      bytes[2 * i] = static_cast<char>(unit & 0xFF);
      bytes[2 * i + 1] = static_cast<char>(unit >> 8);
    }
    stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  }
}
