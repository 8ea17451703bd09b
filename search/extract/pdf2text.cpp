#include "search/extract/pdf2text.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "classlib/codepage.h"
#include "classlib/streams.h"
#include "search/extract/zinflate.h"

namespace {

constexpr std::string_view kFlate = "/FlateDecode";
constexpr std::string_view kRgb = "/DeviceRGB";

bool IsLineEnd(char c) { return c == '\0' || c == '\n' || c == '\r'; }
bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
unsigned HexValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  return static_cast<unsigned>(c - 'A' + 10);
}

// Inflates a stream's data within budget, and takes from the budget what
// was inflated; its text up to the first NUL becomes a line. Damaged data,
// or data that would pass the budget, contributes nothing and costs the most
// it may have inflated, so that no run of bad streams inflates more than the
// budget in all. Data cut short gives what came before.
bool InflateStream(std::string_view data, std::string& text, size_t& budget) {
  void* out = nullptr;
  size_t outBytes = 0;
  try {
    ZDecompress(data.data(), data.size(), out, data.size(), outBytes, budget);
  } catch (const Exception&) {
    const uint64_t most = static_cast<uint64_t>(data.size()) * kMaxDeflateRatio;
    budget -= most < budget ? static_cast<size_t>(most) : budget;
    return false;
  }
  std::unique_ptr<void, decltype(&std::free)> owned(out, &std::free);
  budget -= outBytes;
  const char* bytes = static_cast<const char*>(out);
  text.assign(bytes, outBytes == 0 ? 0 : strnlen(bytes, outBytes));
  return true;
}

}  // namespace

TPDF2Text::TPDF2Text(const std::string& fileName) : TTextExtractor(fileName), inflateBudget_(kMaxInflatedBytes) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  Convert(ReadWholeStream(file));
}

TPDF2Text::TPDF2Text(TStream& source) : inflateBudget_(kMaxInflatedBytes) { Convert(ReadWholeStream(source)); }

void TPDF2Text::Convert(std::string_view data) {
  SplitStreams(data);
  ExtractStrings();
  Output().SetPosition(0);
}

void TPDF2Text::AddLine(std::string line) {
  if (line.find("<<") != std::string::npos) {
    dictionaryLine_ = lines_.Count();
    dictionaryHasFlate_ = dictionaryHasRgb_ = false;
    dictionaryTail_.clear();
  }
  if (dictionaryLine_ >= 0) {
    // Only a match that ends in the new line is new: one inside it, or one
    // that starts in the tail kept from the lines before.
    const size_t keep = kFlate.size() - 1;
    std::string seam = dictionaryTail_ + line.substr(0, keep);
    auto holds = [&](std::string_view word) {
      return seam.find(word) != std::string::npos || line.find(word) != std::string::npos;
    };
    dictionaryHasFlate_ = dictionaryHasFlate_ || holds(kFlate);
    dictionaryHasRgb_ = dictionaryHasRgb_ || holds(kRgb);
    std::string joinedEnd = line.size() >= keep ? line.substr(line.size() - keep) : dictionaryTail_ + line;
    dictionaryTail_ = joinedEnd.size() > keep ? joinedEnd.substr(joinedEnd.size() - keep) : joinedEnd;
  }
  lines_.Add(line);
}

void TPDF2Text::SplitStreams(std::string_view data) {
  bool takeLines = true;
  bool inflateStream = false;
  size_t dataStart = 0;
  size_t pos = 0;
  const size_t n = data.size();
  while (pos < n) {
    size_t end = pos;
    while (end < n && !IsLineEnd(data[end])) ++end;
    std::string_view line = data.substr(pos, end - pos);
    if (takeLines) {
      AddLine(std::string(line));
      if (line == "stream") {
        takeLines = false;
        // Without a dictionary the walk back runs off the list's start.
        if (dictionaryLine_ < 0) lines_.Get(-1);
        inflateStream = dictionaryHasFlate_ && !dictionaryHasRgb_;
        if (inflateStream) {
          dataStart = end;
          while (dataStart < n && (data[dataStart] == '\r' || data[dataStart] == '\n')) ++dataStart;
        }
      }
    } else if (line.find("endstream") != std::string_view::npos) {
      takeLines = true;
      if (inflateStream) {
        // The data ends before the keyword and the line break in front of it;
        // the last "n" of the line is at or after the one of "endstream".
        size_t keywordN = pos + line.rfind('n');
        size_t dataEnd = keywordN >= 1 ? keywordN - 1 : 0;  // just after the byte before the keyword
        while (dataEnd > dataStart && (data[dataEnd - 1] == '\r' || data[dataEnd - 1] == '\n')) --dataEnd;
        // A keyword that lies before the data's start leaves nothing to inflate.
        std::string text;
        if (dataEnd > dataStart && inflateBudget_ > 0) {
          // Between streams: a search told to stop does not wait for the rest.
          CheckConversionStop();
          if (InflateStream(data.substr(dataStart, dataEnd - dataStart), text, inflateBudget_))
            AddLine(std::move(text));
        }
      }
    }
    pos = end;
    if (pos < n && data[pos] == '\r') ++pos;
    if (pos < n && data[pos] == '\n') ++pos;
    if (pos < n && data[pos] == '\0') ++pos;
  }
}

void TPDF2Text::ExtractStrings() {
  bool inHex = false;
  bool inLiteral = false;
  std::string hex;
  std::string out;
  for (int index = 0; index < lines_.Count(); ++index) {
    const std::string line = lines_.Get(index);
    const size_t n = line.size();
    size_t i = 0;
    while (i < n) {
      char c = line[i];
      if (c == '<') {
        inHex = true;
        hex.clear();
        ++i;
        continue;
      }
      if (inHex) {
        if (IsHexDigit(c)) {
          hex += c;
          ++i;
          continue;
        }
        if (c == '>') {
          out += PdfHexToText(hex);
          ++i;
          continue;
        }
        inHex = false;
      }
      if (c == '(') {
        inLiteral = true;
        // The character after the parenthesis goes straight to the steps below.
        if (++i >= n) break;
        c = line[i];
      }
      if (c == ')') inLiteral = false;
      if (!inLiteral) {
        ++i;
        continue;
      }
      if (c != '\\') {
        out += c;
        ++i;
        continue;
      }
      // A backslash that ends the line escapes nothing.
      if (i + 1 >= n) break;
      char e = line[i + 1];
      if (IsDigit(e)) {
        size_t first = i + 1;
        size_t last = first;
        while (last < n && last - first < 3 && IsDigit(line[last])) ++last;
        out += static_cast<char>(PdfOctalToByte(std::string_view(line).substr(first, last - first)));
        i = last;
      } else if (e == 'f' || e == 'n' || e == 'r') {
        out += "\r\n";
        i += 2;
      } else {
        out += e;
        i += 2;
      }
    }
    if (!out.empty()) {
      WriteBytes(Output(), out);
      out.clear();
    }
  }
}

uint8_t PdfOctalToByte(std::string_view digits) {
  unsigned value = 0;
  for (size_t i = 0; i < digits.size() && i < 3; ++i) value = value * 8 + static_cast<unsigned>(digits[i] - '0');
  return static_cast<uint8_t>(value & 0xFF);
}

std::string PdfHexToAnsi(std::string_view hex) {
  std::string bytes;
  bytes.reserve(hex.size() / 2);
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes += static_cast<char>(HexValue(hex[i]) * 16 + HexValue(hex[i + 1]));
  return bytes;
}

std::string PdfHexToText(std::string_view hex) {
  if (hex.size() % 4 != 0) return PdfHexToAnsi(hex);
  std::wstring units;
  units.reserve(hex.size() / 4);
  for (size_t i = 0; i < hex.size(); i += 4) {
    unsigned value = HexValue(hex[i]) << 12 | HexValue(hex[i + 1]) << 8 | HexValue(hex[i + 2]) << 4 | HexValue(hex[i + 3]);
    units += static_cast<wchar_t>((value + 470) & 0xFFFF);
  }
  return WideToMultiByte(units, kAnsiCodePage);
}
