// Fuzzes the content matcher. The input's last bytes choose the search:
//   [stream ...][text bytes][text kind][code pages][start][flags]
// text kind: low 4 bits = length in characters, high bits = how each
// character is made from the text bytes; flags: bit 0 case-sensitive,
// bit 1 Cyrillic system code pages, bit 2 put the stream just before the
// 64 KiB block edge, bits 3-7 the read size. Every search (again and again
// from each resume point, as the occurrence report counts) must agree with
// a slow model of the rules and with itself at the default read size.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "classlib/codepage.h"
#include "classlib/streams.h"
#include "search/patternforms.h"
#include "search/stringsearch.h"
#include "search/textcodepages.h"

namespace {

constexpr int kMaxHits = 8;

struct Hit {
  int64_t offset;
  int32_t length;
  TCodePageSet codePage;
  std::string context;
  std::wstring wideContext;
  int64_t resume;
  bool operator==(const Hit&) const = default;
};

bool GroupsMatch(const TPatternForm& f, const std::string& s, size_t at) {
  if (s[at] != f.First[0] && s[at] != f.Second[0]) return false;
  size_t begin = 0;
  for (uint32_t end : f.GroupEnds) {
    const std::string_view part(s.data() + at + begin, end - begin);
    if (part != std::string_view(f.First).substr(begin, end - begin) &&
        part != std::string_view(f.Second).substr(begin, end - begin))
      return false;
    begin = end;
  }
  return true;
}

// The context's bytes as they lie in s, from at on.
std::string ModelContext(const std::string& s, int64_t from, TEncodingSlot slot, int64_t start, int32_t length,
                         int64_t& begin) {
  const int64_t unit = slot == esUtf16 ? 2 : 1;
  const int64_t count = (static_cast<int64_t>(s.size()) - from) / unit;
  auto at = [&](int64_t k) {
    const auto* p = reinterpret_cast<const uint8_t*>(s.data()) + from + k * unit;
    return unit == 1 ? uint32_t{p[0]} : static_cast<uint32_t>(p[0] | (p[1] << 8));
  };
  auto text = [](uint32_t u) { return u > 31 || u == 13 || u == 10; };
  const int64_t p = (start - from + length - unit) / unit;
  int64_t q = p;
  // The unit where the search began belongs to the context like any other.
  while (p - q < 56 && q >= 0 && text(at(q))) --q;
  int64_t r = p;
  while (r - p < 56 && r < count && text(at(r))) ++r;
  if (r <= q + 1) return {};
  begin = from + (q + 1) * unit;
  return s.substr(static_cast<size_t>(begin), static_cast<size_t>((r - q - 1) * unit));
}

bool Continues(uint8_t b) { return (b & 0xC0) == 0x80; }

// The bytes of the UTF-8 character a byte starts (0: it starts none).
size_t Utf8Length(uint8_t b) {
  return b < 0x80 ? 1 : b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
}

// Well-formed UTF-8, by the value of each character: in range for its
// length, no surrogate, nothing past U+10FFFF.
bool ModelUtf8(const std::string& s, bool& multiByte) {
  multiByte = false;
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<uint8_t>(s[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    size_t n = 0;
    uint32_t value = 0, least = 0;
    if ((b & 0xE0) == 0xC0) n = 2, value = b & 0x1F, least = 0x80;
    else if ((b & 0xF0) == 0xE0) n = 3, value = b & 0x0F, least = 0x800;
    else if ((b & 0xF8) == 0xF0) n = 4, value = b & 0x07, least = 0x10000;
    else return false;
    if (i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k) {
      if (!Continues(static_cast<uint8_t>(s[i + k]))) return false;
      value = value << 6 | (static_cast<uint8_t>(s[i + k]) & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    multiByte = true;
    i += n;
  }
  return true;
}

// The context without a character cut in two at either end.
std::string ModelWhole(TEncodingSlot slot, const std::string& b) {
  size_t from = 0, to = b.size();
  if (slot == esUtf8) {
    while (from < to && Continues(static_cast<uint8_t>(b[from]))) ++from;
    size_t last = to;
    while (last > from && Continues(static_cast<uint8_t>(b[last - 1]))) --last;
    if (last > from && Utf8Length(static_cast<uint8_t>(b[last - 1])) > to - (last - 1)) to = last - 1;
  } else if (slot == esUtf16) {
    auto unit = [&b](size_t i) { return static_cast<uint8_t>(b[i]) | (static_cast<uint8_t>(b[i + 1]) << 8); };
    if (to >= 2 && unit(0) >= 0xDC00 && unit(0) < 0xE000) from = 2;
    if (to >= from + 2 && unit(to - 2) >= 0xD800 && unit(to - 2) < 0xDC00) to -= 2;
  }
  return b.substr(from, to - from);
}

// The context's text, decoded from the encoding it was found in.
std::wstring ModelWide(TEncodingSlot slot, const std::string& bytes) {
  switch (slot) {
    case esAnsi: return MultiByteToWide(bytes, kAnsiCodePage);
    case esOem: return MultiByteToWide(bytes, kOemCodePage);
    case esKoi8: return MultiByteToWide(bytes, 20866);
    case esUtf8: return MultiByteToWide(bytes, kUtf8CodePage);
    default: {
      std::wstring w;
      for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        w.push_back(static_cast<wchar_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8)));
      return w;
    }
  }
}

// The context in the Ansi code page: Ansi bytes as they are, DOS text
// through the system's own conversion, the rest through its text.
std::string ModelAnsi(TEncodingSlot slot, const std::string& bytes) {
  if (slot == esAnsi) return bytes;
  if (slot == esOem) return OemToAnsiStr(bytes);
  return WideToMultiByte(ModelWide(slot, bytes), kAnsiCodePage);
}

// The context as shown: in the encoding that won, unless the occurrence
// reads the same in UTF-8 and the stream starts with its mark or the
// context is well-formed UTF-8 with a character of several bytes; whole
// characters; without the mark that starts the stream.
void ModelShown(const std::string& s, int64_t from, TEncodingSlot slot, int64_t start, int32_t length, Hit& hit) {
  int64_t at = -1;
  const std::string around = ModelContext(s, from, slot, start, length, at);
  TEncodingSlot shown = slot;
  std::string bytes = ModelWhole(slot, around);
  const std::string found = s.substr(static_cast<size_t>(start), static_cast<size_t>(length));
  bool multiByte = false;
  if (slot != esUtf8 && slot != esUtf16 && ModelUtf8(found, multiByte) &&
      ModelWide(slot, found) == ModelWide(esUtf8, found)) {
    const std::string asUtf8 = ModelWhole(esUtf8, around);
    if (s.compare(0, 3, "\xEF\xBB\xBF") == 0 || (ModelUtf8(asUtf8, multiByte) && multiByte)) {
      shown = esUtf8;
      bytes = asUtf8;
    }
  }
  const std::string mark = shown == esUtf8 ? "\xEF\xBB\xBF" : shown == esUtf16 ? "\xFF\xFE" : "";
  if (at == 0 && !mark.empty() && around.compare(0, mark.size(), mark) == 0) bytes.erase(0, mark.size());
  hit.context = ModelAnsi(shown, bytes);
  hit.wideContext = ModelWide(shown, bytes);
}

// Where each form matches, found by trying every position.
std::vector<std::vector<int64_t>> AllMatches(const std::string& s, const std::vector<TPatternForm>& forms) {
  std::vector<std::vector<int64_t>> starts(forms.size());
  for (size_t f = 0; f < forms.size(); ++f)
    for (size_t st = 0; st + forms[f].First.size() <= s.size(); ++st)
      if (GroupsMatch(forms[f], s, st)) starts[f].push_back(static_cast<int64_t>(st));
  return starts;
}

// The rules, slowly: blocks of 64 KiB from `from`; an occurrence belongs to
// the block of its last byte; the first encoding in order with one wins, its
// occurrence ending first (the longer of two ending together).
bool ModelSearch(const std::string& s, int64_t from, const std::vector<TPatternForm>& forms,
                 const std::vector<std::vector<int64_t>>& matches, Hit& hit) {
  const auto size = static_cast<int64_t>(s.size());
  for (int64_t bs = from; bs < size; bs += TStringSearch::kDecisionBlock) {
    const int64_t be = std::min(size, bs + TStringSearch::kDecisionBlock);
    for (int slot = 0; slot < esCount; ++slot) {
      const TPatternForm* best = nullptr;
      int64_t bestStart = 0;
      for (size_t f = 0; f < forms.size(); ++f) {
        if (forms[f].Slot != slot) continue;
        const int64_t len = forms[f].Length();
        for (int64_t st : matches[f]) {
          if (st < from || st + len - 1 < bs) continue;
          if (st + len - 1 >= be) break;
          if (forms[f].Wide && (st - from) % 2 != 0) continue;
          const int64_t end = st + len - 1;
          const int64_t bestEnd = best ? bestStart + best->Length() - 1 : 0;
          if (!best || end < bestEnd || (end == bestEnd && len > best->Length())) {
            best = &forms[f];
            bestStart = st;
          }
          break;
        }
      }
      if (best == nullptr) continue;
      const int32_t len = best->Length();
      const int64_t unit = best->Wide ? 2 : 1;
      hit = {bestStart, len, CodePageOfSlot(best->Slot), {}, {}, bestStart + 2 * len - unit};
      ModelShown(s, from, best->Slot, bestStart, len, hit);
      return true;
    }
  }
  return false;
}

std::vector<Hit> Run(const std::string& s, int64_t from, const std::wstring& text, TCodePageSet pages,
                     bool caseSensitive, int32_t blockSize, std::vector<TPatternForm>* forms) {
  TStringStream stream(s);
  TStringSearch search(&stream, blockSize);
  search.SetCaseSensitive(caseSensitive);
  search.SetCodePages(pages);
  search.SetSearchText(text);
  if (forms != nullptr) *forms = BuildPatternForms(search.Forms(), search.CodePages(), caseSensitive);
  std::vector<Hit> hits;
  stream.SetPosition(from);
  while (hits.size() < kMaxHits && stream.Position() < stream.Size()) {
    if (!search.Search()) {
      if (stream.Position() != stream.Size() || !search.Context().empty() || !search.WideContext().empty())
        __builtin_trap();
      break;
    }
    const TStringMatch& m = search.Match();
    hits.push_back({m.Offset, m.Length, m.CodePage, search.Context(), search.WideContext(), stream.Position()});
  }
  return hits;
}

void Fail(const char* what) {
  std::fprintf(stderr, "matcher fuzzer: %s\n", what);
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const uint8_t flags = data[size - 1];
  const uint8_t start = data[size - 2];
  const TCodePageSet pages = data[size - 3];
  const uint8_t kind = data[size - 4];
  size -= 4;
  const size_t chars = kind & 15;
  const int mode = (kind >> 4) % 4;
  const size_t textBytes = mode == 0 ? chars * 2 : chars;
  if (size < textBytes) return 0;
  std::wstring text;
  const uint8_t* t = data + size - textBytes;
  for (size_t i = 0; i < chars; ++i) {
    switch (mode) {
      case 0: text.push_back(static_cast<wchar_t>(t[2 * i] | (t[2 * i + 1] << 8))); break;
      case 1: text.push_back(static_cast<wchar_t>(t[i])); break;                 // Latin-1
      case 2: text.push_back(static_cast<wchar_t>(0x0400 + t[i] % 0x60)); break;  // Cyrillic
      default: text.push_back(static_cast<wchar_t>(t[i] < 0x80 ? t[i] : 0x0370 + t[i] % 0x90)); break;
    }
  }
  size -= textBytes;

  std::string stream(reinterpret_cast<const char*>(data), size);
  if ((flags & 4) != 0) stream.insert(0, std::string(TStringSearch::kDecisionBlock - size / 2, '\0'));
  const int64_t from = std::min<int64_t>(start, static_cast<int64_t>(stream.size()));
  const bool caseSensitive = (flags & 1) != 0;
  setenv("OVALIS_ACP", (flags & 2) != 0 ? "1251" : "1252", 1);
  setenv("OVALIS_OEMCP", (flags & 2) != 0 ? "866" : "437", 1);
  const int32_t blockSize = 1 + (flags >> 3) * 3;

  std::vector<TPatternForm> forms;
  const std::vector<Hit> hits = Run(stream, from, text, pages, caseSensitive, TStringSearch::kDefaultBlockSize, &forms);
  if (Run(stream, from, text, pages, caseSensitive, blockSize, nullptr) != hits) Fail("read size changes the hits");

  const auto matches = AllMatches(stream, forms);
  std::vector<Hit> model;
  int64_t pos = from;
  Hit h;
  while (model.size() < kMaxHits && pos < static_cast<int64_t>(stream.size()) &&
         ModelSearch(stream, pos, forms, matches, h)) {
    model.push_back(h);
    pos = h.resume;
  }
  if (model != hits) Fail("hits differ from the model");
  if (text.empty() && !hits.empty()) Fail("an empty text was found");
  return 0;
}
