#include "search/extract/rtf2text.h"

#include "classlib/strutils.h"

TRtf2Text::TRtf2Text(const std::string& fileName) : TTextExtractor(fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  Convert(ReadWholeStream(file));
}

TRtf2Text::TRtf2Text(TStream& source) { Convert(ReadWholeStream(source)); }

// Text is written from the first space after a control word or brace until
// the next control word or brace; so the space that ends a control word is
// kept, and text that follows a brace directly, before any space, is not.
void TRtf2Text::Convert(std::string_view data) {
  std::string out;
  bool emit = false;
  size_t i = 0;
  const size_t n = data.size();
  while (i < n) {
    char c = data[i];
    if (c == '{' || c == '}') {
      emit = false;
      ++i;
      continue;
    }
    if (c == '\\') {
      // An escape cut off by the end of the data stands for nothing.
      if (i + 1 >= n) break;
      char next = data[i + 1];
      if (next == '\'') {
        if (i + 3 >= n) break;
        emit = true;
        int32_t value = StrToIntDef("$" + std::string(data.substr(i + 2, 2)), 0);
        out += static_cast<char>(value < 32 || value > 255 ? ' ' : value);
        i += 4;
      } else if (next == '\\' || next == '{' || next == '}') {
        emit = true;
        out += next;
        i += 2;
      } else {
        emit = false;
        i += 2;
      }
      continue;
    }
    ++i;
    if (c == '\0' || c == '\n' || c == '\r') continue;
    if (c == ' ') emit = true;
    if (emit) out += c;
  }
  WriteBytes(Output(), out);
  Output().SetPosition(0);
}
