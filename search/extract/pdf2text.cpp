#include "search/extract/pdf2text.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "classlib/codepage.h"
#include "classlib/exceptions.h"
#include "classlib/streams.h"
#include "search/extract/zinflate.h"

// The text's bytes go to a block sized beforehand, or are only counted to
// size it: both passes run the same steps, so they agree to the byte.
class TPdfTextOut {
public:
  TPdfTextOut(char* block, size_t cap) : block_(block), cap_(cap) {}

  // Writes what fits; false once the cap is reached.
  bool Put(std::string_view bytes) {
    const size_t n = std::min(bytes.size(), cap_ - size_);
    if (block_ != nullptr && n > 0) std::memcpy(block_ + size_, bytes.data(), n);
    size_ += n;
    return size_ < cap_;
  }
  bool Full() const { return size_ == cap_; }
  size_t Size() const { return size_; }

private:
  char* block_;
  size_t cap_;
  size_t size_ = 0;
};

namespace {

constexpr std::string_view kFlate = "/FlateDecode";
constexpr std::string_view kRgb = "/DeviceRGB";
// Hexadecimal text is converted in pieces of about this many characters, so
// a long string costs no copy of its own.
constexpr size_t kHexPiece = 4096;

using TTextSink = std::function<bool(std::string_view)>;

bool IsLineEnd(char c) { return c == '\0' || c == '\n' || c == '\r'; }

// A line runs to the first NUL, LF or CR; the next one starts after one CR,
// then one LF, then one NUL, each where present.
size_t LineEnd(std::string_view data, size_t pos) {
  while (pos < data.size() && !IsLineEnd(data[pos])) ++pos;
  return pos;
}

size_t NextLineStart(std::string_view data, size_t end) {
  if (end < data.size() && data[end] == '\r') ++end;
  if (end < data.size() && data[end] == '\n') ++end;
  if (end < data.size() && data[end] == '\0') ++end;
  return end;
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
unsigned HexValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  return static_cast<unsigned>(c - 'A' + 10);
}

// The digits of one hexadecimal string, which may run over several lines:
// views of the text holding them, which outlive it. Within one piece of
// text only line breaks can lie between its digits, so a piece holds one
// view of them, the breaks skipped when the digits are read.
class THexDigits {
public:
  void Clear() {
    runs_.clear();
    count_ = 0;
  }
  void Add(std::string_view digits, size_t piece) {
    if (digits.empty()) return;
    if (!runs_.empty() && piece_ == piece)
      runs_.back() = std::string_view(runs_.back().data(), digits.data() + digits.size() - runs_.back().data());
    else
      runs_.push_back(digits);
    piece_ = piece;
    count_ += digits.size();
  }

  // A multiple of four digits is 16-bit units, 470 added to each, in the
  // Ansi code page; otherwise each pair is a byte and an odd last digit is
  // dropped. False when sink wants no more.
  bool Write(const TTextSink& sink) const {
    const bool wide = count_ % 4 == 0;
    const size_t group = wide ? 4 : 2;
    std::wstring units;
    std::string bytes;
    unsigned value = 0;
    size_t inGroup = 0;
    for (std::string_view run : runs_) {
      for (char c : run) {
        if (!IsHexDigit(c)) continue;  // a line break between the digits
        value = value << 4 | HexValue(c);
        if (++inGroup < group) continue;
        if (wide) units += static_cast<wchar_t>((value + 470) & 0xFFFF);
        else bytes += static_cast<char>(value);
        value = 0;
        inGroup = 0;
        // A surrogate pair is converted whole.
        if (units.size() >= kHexPiece && !IsHighSurrogate(units.back())) {
          if (!sink(WideToMultiByte(units, kAnsiCodePage))) return false;
          units.clear();
        }
        if (bytes.size() >= kHexPiece) {
          if (!sink(bytes)) return false;
          bytes.clear();
        }
      }
    }
    if (!units.empty() && !sink(WideToMultiByte(units, kAnsiCodePage))) return false;
    return bytes.empty() || sink(bytes);
  }

private:
  std::vector<std::string_view> runs_;
  size_t piece_ = 0;  // of the last view
  size_t count_ = 0;
};

std::string HexText(std::string_view hex) {
  THexDigits digits;
  digits.Add(hex, 0);
  std::string text;
  digits.Write([&text](std::string_view piece) {
    text += piece;
    return true;
  });
  return text;
}

}  // namespace

TPDF2Text::TPDF2Text(const std::string& fileName) : TTextExtractor(fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  Convert(ReadWholeStream(file));
}

TPDF2Text::TPDF2Text(TStream& source) { Convert(ReadWholeStream(source)); }

void TPDF2Text::Convert(std::string data) {
  data_ = std::move(data);
  inflateBudget_ = kMaxInflatedBytes;
  SplitStreams();
  // Counted first, so that the text is written into one block of its size.
  TPdfTextOut count(nullptr, kMaxDocumentTextBytes);
  ExtractStrings(count);
  Output().SetSize(static_cast<int64_t>(count.Size()));
  TPdfTextOut write(static_cast<char*>(Output().Memory()), count.Size());
  ExtractStrings(write);
  Output().SetPosition(0);
}

void TPDF2Text::NoteLine(std::string_view line) {
  if (line.find("<<") != std::string_view::npos) {
    hasDictionary_ = true;
    dictionaryHasFlate_ = dictionaryHasRgb_ = false;
    dictionaryTail_.clear();
  }
  if (hasDictionary_) {
    // Only a match that ends in the new line is new: one inside it, or one
    // that starts in the tail kept from the lines before.
    const size_t keep = kFlate.size() - 1;
    const std::string seam = dictionaryTail_ + std::string(line.substr(0, keep));
    auto holds = [&](std::string_view word) {
      return seam.find(word) != std::string::npos || line.find(word) != std::string_view::npos;
    };
    dictionaryHasFlate_ = dictionaryHasFlate_ || holds(kFlate);
    dictionaryHasRgb_ = dictionaryHasRgb_ || holds(kRgb);
    const std::string joinedEnd =
        line.size() >= keep ? std::string(line.substr(line.size() - keep)) : dictionaryTail_ + std::string(line);
    dictionaryTail_ = joinedEnd.size() > keep ? joinedEnd.substr(joinedEnd.size() - keep) : joinedEnd;
  }
}

// Inflates a stream's data within the budget, and takes from the budget
// what was inflated; its text up to the first NUL becomes a line. Damaged
// data, or data that would pass the budget, contributes nothing and costs
// the most it may have inflated, so that no run of bad streams inflates
// more than the budget in all. Data cut short gives what came before.
void TPDF2Text::AddInflated(std::string_view data) {
  void* out = nullptr;
  size_t outBytes = 0;
  try {
    ZDecompress(data.data(), data.size(), out, data.size(), outBytes, inflateBudget_);
  } catch (const Exception&) {
    const uint64_t most = static_cast<uint64_t>(data.size()) * kMaxDeflateRatio;
    inflateBudget_ -= most < inflateBudget_ ? static_cast<size_t>(most) : inflateBudget_;
    return;
  }
  std::unique_ptr<char, TFreeBlock> block(static_cast<char*>(out));
  inflateBudget_ -= outBytes;
  const size_t length = outBytes == 0 ? 0 : strnlen(block.get(), outBytes);
  if (length == 0) return;  // an empty line: no text, no dictionary
  // What follows a NUL is never read: give it back.
  if (length < outBytes) {
    if (void* shrunk = std::realloc(block.get(), length)) {
      (void)block.release();
      block.reset(static_cast<char*>(shrunk));
    }
  }
  inflated_.push_back(std::move(block));
  const std::string_view text(inflated_.back().get(), length);
  NoteLine(text);
  pieces_.push_back({text, true});
}

void TPDF2Text::SplitStreams() {
  const std::string_view data = data_;
  bool takeLines = true;
  bool inflateStream = false;
  size_t dataStart = 0;
  // The run of lines taken since the last stream, kept as one piece.
  size_t runStart = std::string_view::npos;
  size_t runEnd = 0;
  auto endRun = [&] {
    if (runStart != std::string_view::npos) pieces_.push_back({data.substr(runStart, runEnd - runStart), false});
    runStart = std::string_view::npos;
  };
  const size_t n = data.size();
  for (size_t pos = 0; pos < n;) {
    const size_t end = LineEnd(data, pos);
    std::string_view line = data.substr(pos, end - pos);
    if (takeLines) {
      if (runStart == std::string_view::npos) runStart = pos;
      runEnd = end;
      NoteLine(line);
      if (line == "stream") {
        endRun();
        takeLines = false;
        // The dictionary is looked for backwards from here; without one the
        // walk runs off the start of the lines.
        if (!hasDictionary_) throw EStringListError("List index out of bounds (-1)");
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
        if (dataEnd > dataStart && inflateBudget_ > 0) {
          // Between streams: a search told to stop does not wait for the rest.
          CheckConversionStop();
          AddInflated(data.substr(dataStart, dataEnd - dataStart));
        }
      }
    }
    pos = NextLineStart(data, end);
  }
  endRun();
}

namespace {

// Takes the strings out of the lines, one after another: what is open at
// the end of a line (a literal, a hexadecimal string) carries over.
class TStringExtractor {
public:
  explicit TStringExtractor(TPdfTextOut& out)
      : out_(out), sink_([&out](std::string_view bytes) { return out.Put(bytes); }) {}

  // The strings of one line, which lies in the piece of text numbered
  // piece; false once out is full.
  bool Line(std::string_view line, size_t piece);

private:
  TPdfTextOut& out_;
  const TTextSink sink_;
  bool inHex_ = false;
  bool inLiteral_ = false;
  THexDigits hex_;
};

bool TStringExtractor::Line(std::string_view line, size_t piece) {
  const size_t n = line.size();
  size_t i = 0;
  while (i < n) {
    if (out_.Full()) return false;
    char c = line[i];
    if (c == '<') {
      inHex_ = true;
      hex_.Clear();
      ++i;
      continue;
    }
    if (inHex_) {
      if (IsHexDigit(c)) {
        size_t last = i + 1;
        while (last < n && IsHexDigit(line[last])) ++last;
        hex_.Add(line.substr(i, last - i), piece);
        i = last;
        continue;
      }
      if (c == '>') {
        // Written once: a ">" that follows adds nothing.
        hex_.Write(sink_);
        hex_.Clear();
        ++i;
        continue;
      }
      inHex_ = false;
    }
    if (c == '(') {
      inLiteral_ = true;
      // The character after the parenthesis goes straight to the steps below.
      if (++i >= n) break;
      c = line[i];
    }
    if (c == ')') inLiteral_ = false;
    if (!inLiteral_) {
      ++i;
      continue;
    }
    if (c != '\\') {
      // The plain characters up to the next one with a meaning, at once.
      size_t last = i + 1;
      while (last < n && line[last] != '\\' && line[last] != ')' && line[last] != '(' && line[last] != '<') ++last;
      out_.Put(line.substr(i, last - i));
      i = last;
      continue;
    }
    // A backslash that ends the line escapes nothing.
    if (i + 1 >= n) break;
    char e = line[i + 1];
    if (IsDigit(e)) {
      size_t first = i + 1;
      size_t last = first;
      while (last < n && last - first < 3 && IsDigit(line[last])) ++last;
      const char byte = static_cast<char>(PdfOctalToByte(line.substr(first, last - first)));
      out_.Put(std::string_view(&byte, 1));
      i = last;
    } else if (e == 'f' || e == 'n' || e == 'r') {
      out_.Put("\r\n");
      i += 2;
    } else {
      out_.Put(std::string_view(&e, 1));
      i += 2;
    }
  }
  return true;
}

}  // namespace

void TPDF2Text::ExtractStrings(TPdfTextOut& out) const {
  TStringExtractor strings(out);
  for (size_t p = 0; p < pieces_.size(); ++p) {
    const std::string_view bytes = pieces_[p].Bytes;
    if (pieces_[p].Inflated) {
      if (!strings.Line(bytes, p)) return;
      continue;
    }
    for (size_t pos = 0; pos < bytes.size();) {
      const size_t end = LineEnd(bytes, pos);
      if (!strings.Line(bytes.substr(pos, end - pos), p)) return;
      pos = NextLineStart(bytes, end);
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

std::string PdfHexToText(std::string_view hex) { return HexText(hex); }
