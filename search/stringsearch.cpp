#include "search/stringsearch.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>

#include "classlib/codepage.h"
#include "search/extract/utf8text.h"
#include "search/textcodepages.h"

namespace {

constexpr int32_t kMaxBlockSize = 64 * 1024 * 1024;

int32_t UnitSize(TEncodingSlot slot) { return slot == esUtf16 ? 2 : 1; }

// Letters, digits, punctuation and line breaks; a TAB, NUL or other control
// character ends the context.
bool IsTextUnit(uint32_t unit) { return unit > 31 || unit == 13 || unit == 10; }

constexpr unsigned kKoi8CodePage = 20866;

// Context bytes as the text they are in the encoding they were found in.
std::wstring ToWide(TEncodingSlot slot, const std::string& bytes) {
  switch (slot) {
    case esAnsi: return MultiByteToWide(bytes, kAnsiCodePage);
    case esOem: return MultiByteToWide(bytes, kOemCodePage);
    case esKoi8: return MultiByteToWide(bytes, kKoi8CodePage);
    case esUtf8: return MultiByteToWide(bytes, kUtf8CodePage);
    case esUtf16: {
      std::wstring wide(bytes.size() / 2, L'\0');
      for (size_t i = 0; i < wide.size(); ++i)
        wide[i] = static_cast<wchar_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                       (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
      return wide;
    }
    case esCount: break;
  }
  return {};
}

std::string ToAnsi(TEncodingSlot slot, const std::string& bytes) {
  switch (slot) {
    case esAnsi: return bytes;
    case esOem: return OemToAnsiStr(bytes);
    default: return WideToMultiByte(ToWide(slot, bytes), kAnsiCodePage);
  }
}

// Whether bytes are well-formed UTF-8; multiByte, when given, tells whether
// they hold a character of more than one byte.
bool IsWellFormedUtf8(std::string_view bytes, bool* multiByte = nullptr) {
  if (multiByte != nullptr) *multiByte = false;
  for (size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<uint8_t>(bytes[i]);
    const size_t n = Utf8SequenceLength(lead);
    if (n == 0 || n > bytes.size() - i) return false;
    for (size_t k = 1; k < n; ++k)
      if (!IsUtf8Continuation(static_cast<uint8_t>(bytes[i + k]))) return false;
    if (n > 1) {
      // No overlong forms, no surrogates, nothing past U+10FFFF.
      const auto second = static_cast<uint8_t>(bytes[i + 1]);
      if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) || (lead == 0xF0 && second < 0x90) ||
          (lead == 0xF4 && second >= 0x90))
        return false;
      if (multiByte != nullptr) *multiByte = true;
    }
    i += n;
  }
  return true;
}

// The byte-order mark of an encoding; "" for one without.
std::string_view ByteOrderMark(TEncodingSlot slot) {
  return slot == esUtf8 ? "\xEF\xBB\xBF" : slot == esUtf16 ? "\xFF\xFE" : "";
}

// The context without a character cut in two at either end: a UTF-8 one
// loses the continuation bytes it begins with and a last character whose
// bytes stop short; a UTF-16 one a low surrogate at its start and a high
// one at its end.
std::string WholeCharacters(TEncodingSlot slot, std::string bytes) {
  if (slot == esUtf8) {
    size_t from = 0;
    while (from < bytes.size() && IsUtf8Continuation(static_cast<uint8_t>(bytes[from]))) ++from;
    return bytes.substr(from, CompleteUtf8Length(std::string_view(bytes).substr(from)));
  }
  if (slot == esUtf16) {
    auto unitAt = [&bytes](size_t i) {
      return static_cast<uint32_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
    };
    size_t from = 0;
    size_t to = bytes.size() & ~size_t{1};
    if (to >= 2 && unitAt(0) >= 0xDC00 && unitAt(0) <= 0xDFFF) from = 2;
    if (to >= from + 2 && unitAt(to - 2) >= 0xD800 && unitAt(to - 2) <= 0xDBFF) to -= 2;
    return bytes.substr(from, to - from);
  }
  return bytes;
}

}  // namespace

// The best occurrence of each encoding within the current decision block.
// Occurrences arrive block by block in rising order of their last byte's
// block, and within one scan in rising order of start.
class TStringSearch::WindowBest final : public TScanSink {
public:
  explicit WindowBest(const std::vector<TPatternForm>& forms) : forms_(forms) {
    for (const TPatternForm& f : forms) top_ = std::min(top_, f.Slot);
  }

  void SetBufferPos(int64_t pos) { bufferPos_ = pos; }
  void Reset() {
    for (Entry& e : entries_) e.valid = false;
    best_ = esCount;
  }
  // The first encoding in search order has occurred: nothing can beat it.
  bool Decided() const { return entries_[top_].valid; }
  bool Any() const { return best_ != esCount; }
  TEncodingSlot BestSlot() const { return best_; }
  int64_t Start(TEncodingSlot slot) const { return entries_[slot].start; }
  int32_t Length(TEncodingSlot slot) const { return entries_[slot].length; }

  size_t Hit(size_t form, size_t start) override {
    const TPatternForm& f = forms_[form];
    if (f.Slot > best_) return std::numeric_limits<size_t>::max();
    const int32_t length = f.Length();
    const int64_t s = bufferPos_ + static_cast<int64_t>(start);
    const int64_t end = s + length - 1;
    Entry& e = entries_[f.Slot];
    // The first occurrence is the one whose last byte comes first; of two
    // ending together, the longer.
    if (!e.valid || end < e.end || (end == e.end && length > e.length)) e = {true, s, end, length};
    best_ = std::min(best_, f.Slot);
    // Once the first encoding has occurred, only a later start that ends
    // earlier could still change the outcome.
    if (f.Slot == top_) return start + static_cast<size_t>(length);
    return std::numeric_limits<size_t>::max();
  }

private:
  struct Entry {
    bool valid = false;
    int64_t start = 0;
    int64_t end = 0;
    int32_t length = 0;
  };
  const std::vector<TPatternForm>& forms_;
  TEncodingSlot top_ = esCount;
  TEncodingSlot best_ = esCount;
  Entry entries_[esCount];
  int64_t bufferPos_ = 0;
};

TStringSearch::TStringSearch(TStream* stream, int32_t blockSize)
    : stream_(stream), blockSize_(std::clamp(blockSize, 1, kMaxBlockSize)) {
  buffer_.resize(static_cast<size_t>(blockSize_));
}

void TStringSearch::SetCodePages(TCodePageSet value) {
  codePages_ = value;
  if (hasText_) Rebuild();
}

void TStringSearch::SetCaseSensitive(bool value) {
  if (value == caseSensitive_) return;
  caseSensitive_ = value;
  if (hasText_) Rebuild();
}

void TStringSearch::SetSearchText(const std::wstring& text) {
  text_ = text;
  hasText_ = true;
  Rebuild();
}

void TStringSearch::Rebuild() {
  TCodePageSet pages = codePages_;
  forms_ = BuildTextForms(text_, pages);
  codePages_ = pages;
  scanner_.Build(BuildPatternForms(forms_, codePages_, caseSensitive_));
  // Room for one block after the last bytes of the previous one, so that an
  // occurrence across a block edge is whole in the buffer.
  const size_t carry = scanner_.Empty() ? 0 : scanner_.MaxLength() - 1;
  buffer_.assign(static_cast<size_t>(blockSize_) + carry, 0);
}

bool TStringSearch::Find() {
  notFound_ = true;
  context_.clear();
  contextBytes_.clear();
  if (stream_ == nullptr) return false;
  stream_->Seek(0, soBeginning);
  return Search();
}

bool TStringSearch::Search() {
  context_.clear();
  contextBytes_.clear();
  notFound_ = true;
  match_ = {};
  if (stream_ == nullptr) return false;
  if (scanner_.Empty()) {
    // Nothing to look for: leave the stream as a search that read it all.
    stream_->Seek(0, soEnd);
    return false;
  }
  const int64_t origin = stream_->Position();
  const size_t carry = scanner_.MaxLength() - 1;
  WindowBest best(scanner_.Forms());
  uint8_t* buffer = buffer_.data();
  size_t kept = 0;         // bytes at the buffer's start kept from the previous read
  int64_t bufferPos = 0;   // distance of buffer[0] from origin
  for (;;) {
    const int32_t n = std::max(stream_->Read(buffer + kept, blockSize_), 0);
    const bool atEnd = n < blockSize_;
    const size_t have = kept + static_cast<size_t>(n);
    best.SetBufferPos(bufferPos);
    // Occurrences ending in the new bytes, one decision block at a time.
    for (size_t from = kept; from < have;) {
      const int64_t pos = bufferPos + static_cast<int64_t>(from);
      const int64_t blockEnd = (pos / kDecisionBlock + 1) * kDecisionBlock;
      const size_t to = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(have), blockEnd - bufferPos));
      scanner_.Scan(buffer, from, to, static_cast<size_t>(bufferPos & 1), best);
      const bool blockDone = bufferPos + static_cast<int64_t>(to) == blockEnd;
      if (best.Decided() || (blockDone && best.Any())) {
        TEncodingSlot slot = best.BestSlot();
        return Finish(origin, slot, best.Start(slot), best.Length(slot));
      }
      if (blockDone) best.Reset();
      from = to;
    }
    if (atEnd) break;
    const size_t keep = std::min(have, carry);
    std::memmove(buffer, buffer + have - keep, keep);
    bufferPos += static_cast<int64_t>(have - keep);
    kept = keep;
  }
  if (!best.Any()) return false;
  TEncodingSlot slot = best.BestSlot();
  return Finish(origin, slot, best.Start(slot), best.Length(slot));
}

bool TStringSearch::Finish(int64_t origin, TEncodingSlot slot, int64_t start, int32_t length) {
  match_ = {origin + start, length, CodePageOfSlot(slot)};
  int64_t at = -1;  // where the context begins in the stream
  const std::string around = ReadContext(origin, slot, start, length, at);
  contextSlot_ = slot;
  contextBytes_ = WholeCharacters(slot, around);
  if (ReadsAsUtf8(slot, origin + start, length)) {
    std::string asUtf8 = WholeCharacters(esUtf8, around);
    bool multiByte = false;
    if (StartsWithUtf8Mark() || (IsWellFormedUtf8(asUtf8, &multiByte) && multiByte)) {
      contextSlot_ = esUtf8;
      contextBytes_ = std::move(asUtf8);
    }
  }
  // The byte-order mark that begins the stream is none of its text, even
  // where the bytes after it are read in another encoding (a file saved
  // with a UTF-8 mark but in the Windows code page), unless the text
  // searched for is the mark.
  const std::string_view mark = ByteOrderMark(contextSlot_ == esUtf16 ? esUtf16 : esUtf8);
  if (at == 0 && origin + start >= static_cast<int64_t>(mark.size()) && around.starts_with(mark))
    contextBytes_.erase(0, mark.size());
  context_ = ToAnsi(contextSlot_, contextBytes_);
  // One pattern length after the occurrence's last unit.
  stream_->Seek(origin + start + 2 * static_cast<int64_t>(length) - UnitSize(slot), soBeginning);
  notFound_ = false;
  return true;
}

// An occurrence found in one 8-bit encoding may read the same in UTF-8 (a
// text of plain ASCII does in all of them): which one the file is in, the
// encoding that won the match cannot tell.
bool TStringSearch::ReadsAsUtf8(TEncodingSlot slot, int64_t offset, int32_t length) {
  if (slot == esUtf8 || slot == esUtf16) return false;
  std::string hit(static_cast<size_t>(length), '\0');
  stream_->Seek(offset, soBeginning);
  if (stream_->Read(hit.data(), length) != length) return false;
  return IsWellFormedUtf8(hit) && ToWide(slot, hit) == ToWide(esUtf8, hit);
}

bool TStringSearch::StartsWithUtf8Mark() {
  char mark[3] = {};
  stream_->Seek(0, soBeginning);
  return stream_->Read(mark, 3) == 3 && std::string_view(mark, 3) == "\xEF\xBB\xBF";
}

// Up to kContextUnits text units on either side of the occurrence's last unit,
// read again from the stream so that the read size does not matter. The
// stream's first unit belongs to the text like any other: a context that
// dropped it would show "ear all" for a file that says "Dear all".
std::string TStringSearch::ReadContext(int64_t origin, TEncodingSlot slot, int64_t start, int32_t length,
                                       int64_t& at) {
  const int64_t unit = UnitSize(slot);
  const int64_t reach = kContextUnits + 1;
  const int64_t last = (start + length - unit) / unit;
  const int64_t lo = std::max<int64_t>(0, last - reach);
  const int64_t wanted = (last + reach - lo) * unit;
  std::string bytes(static_cast<size_t>(wanted), '\0');
  stream_->Seek(origin + lo * unit, soBeginning);
  int64_t got = 0;
  while (got < wanted) {
    const int32_t n = stream_->Read(bytes.data() + got, static_cast<int32_t>(wanted - got));
    if (n <= 0) break;
    got += n;
  }
  const int64_t available = lo + got / unit;  // units lo .. available-1 were read
  auto unitAt = [&](int64_t k) -> uint32_t {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data()) + (k - lo) * unit;
    return unit == 1 ? p[0] : static_cast<uint32_t>(p[0] | (p[1] << 8));
  };
  int64_t q = last;
  while (last - q < reach && q >= 0 && q < available && IsTextUnit(unitAt(q))) --q;
  int64_t r = last;
  while (r - last < reach && r < available && IsTextUnit(unitAt(r))) ++r;
  if (r <= q + 1) return {};
  at = origin + (q + 1) * unit;
  return bytes.substr(static_cast<size_t>((q + 1 - lo) * unit), static_cast<size_t>((r - q - 1) * unit));
}

std::wstring TStringSearch::WideContext() const { return notFound_ ? std::wstring() : ToWide(contextSlot_, contextBytes_); }
