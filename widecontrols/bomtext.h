// The text-file format of wide string lists: the character set is told by a
// byte-order mark on reading; writing is always UTF-16 little-endian.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TStream;

enum TWideStreamCharSet : uint8_t {
  csAnsi = 0,            // 8-bit text in the system's ANSI code page, no mark
  csUnicode = 1,         // UTF-16 little-endian, FF FE
  csUnicodeSwapped = 2,  // UTF-16 big-endian, FE FF
  csUtf8 = 3,            // UTF-8, EF BB BF
};

// Text larger than this is refused (EOutOfMemory) before anything is read.
constexpr int64_t kMaxTextStreamBytes = int64_t{256} << 20;

// Reads a byte-order mark at the stream's position and stays after it;
// without one (fewer than 2 bytes left included) the position is unchanged
// and the result is csAnsi.
TWideStreamCharSet AutoDetectCharacterSet(TStream& stream);

// The bytes from the stream's position to its end.
std::string ReadRemainingBytes(TStream& stream);

// The rest of the stream as text in charSet. UTF-16 with fewer than 2 bytes
// is empty and an odd last byte is not part of it; malformed UTF-8 gives an
// empty text.
std::wstring ReadStreamText(TStream& stream, TWideStreamCharSet charSet);

// text as UTF-16 little-endian, after the mark FF FE when withBOM.
void WriteStreamText(TStream& stream, std::wstring_view text, bool withBOM);
