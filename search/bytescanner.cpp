#include "search/bytescanner.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "classlib/exceptions.h"

namespace {

// Two bytes as one table index, in whatever order the machine loads them.
inline unsigned PairIndex(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

void AddDistinct(uint8_t* set, size_t& count, uint8_t b) {
  for (size_t i = 0; i < count; ++i)
    if (set[i] == b) return;
  set[count++] = b;
}

}  // namespace

void TByteScanner::Build(std::vector<TPatternForm> forms) {
  if (forms.size() > kMaxForms) throw EInvalidOperation("Too many search patterns");
  forms_ = std::move(forms);
  std::fill(std::begin(byFirst_), std::end(byFirst_), 0u);
  std::fill(std::begin(pairs_), std::end(pairs_), uint8_t{0});
  firstCount_ = secondCount_ = 0;
  minLength_ = maxLength_ = 0;
  bool anySecond = false;
  for (size_t f = 0; f < forms_.size(); ++f) {
    const TPatternForm& form = forms_[f];
    const size_t length = form.First.size();
    if (length == 0 || form.Second.size() != length) throw EInvalidOperation("Malformed search pattern");
    minLength_ = f == 0 ? length : std::min(minLength_, length);
    maxLength_ = std::max(maxLength_, length);
    const auto a0 = static_cast<uint8_t>(form.First[0]);
    const auto b0 = static_cast<uint8_t>(form.Second[0]);
    for (uint8_t b : {a0, b0}) {
      byFirst_[b] |= 1u << f;
      AddDistinct(firstBytes_, firstCount_, b);
    }
    if (length == 1) {
      anySecond = true;
      for (int s = 0; s < 256; ++s) {
        SetPair(a0, static_cast<uint8_t>(s));
        SetPair(b0, static_cast<uint8_t>(s));
      }
      continue;
    }
    const auto a1 = static_cast<uint8_t>(form.First[1]);
    const auto b1 = static_cast<uint8_t>(form.Second[1]);
    AddDistinct(secondBytes_, secondCount_, a1);
    AddDistinct(secondBytes_, secondCount_, b1);
    SetPair(a0, a1);
    SetPair(b0, b1);
    // When the first group is a single byte, either case of it may be
    // followed by either case of the next.
    if (form.GroupEnds.front() == 1) {
      SetPair(a0, b1);
      SetPair(b0, a1);
    }
  }
  if (anySecond) secondCount_ = 0;
  window_ = std::min<size_t>(minLength_, 255);
  if (window_ >= kMinSkipWindow) {
    BuildShiftTable();
  } else {
    shift_.clear();
  }
}

// For each pair of bytes, how far a window of window_ bytes ending in it may
// move on without passing the start of an occurrence: the pair's distance
// from the end of the first window_ bytes of any form (0: a candidate ends
// there), window_ - 1 for a pair no form holds there.
void TByteScanner::BuildShiftTable() {
  shift_.assign(65536, static_cast<uint8_t>(window_ - 1));
  for (const TPatternForm& form : forms_) {
    for (size_t q = 0; q + 1 < window_; ++q) {
      const auto s = static_cast<uint8_t>(window_ - 2 - q);
      for (char x : {form.First[q], form.Second[q]}) {
        for (char y : {form.First[q + 1], form.Second[q + 1]}) {
          const uint8_t bytes[2] = {static_cast<uint8_t>(x), static_cast<uint8_t>(y)};
          uint8_t& entry = shift_[PairIndex(bytes)];
          entry = std::min(entry, s);
        }
      }
    }
  }
}

void TByteScanner::Candidate(Window& w, size_t p, TScanSink& sink) const {
  const uint8_t* data = w.data;
  uint32_t mask = byFirst_[data[p]];
  if (mask == 0) return;
  if (p + 1 < w.endTo && !HasPair(data[p], data[p + 1])) return;
  while (mask != 0) {
    const auto f = static_cast<size_t>(__builtin_ctz(mask));
    mask &= mask - 1;
    const TPatternForm& form = forms_[f];
    const size_t end = p + form.First.size() - 1;
    if (end < w.endFrom || end >= w.endTo) continue;
    if (form.Wide && ((p + w.wideParity) & 1) != 0) continue;
    if (!form.Matches(data + p)) continue;
    w.limit = std::min(w.limit, sink.Hit(f, p));
  }
}

#if defined(__SSE2__)
// Sixteen starts at a time: a start survives when its byte is one a pattern
// begins with and the next byte one that may come second.
size_t TByteScanner::ScanVector(Window& w, size_t from, TScanSink& sink) const {
  __m128i first[2 * kMaxForms];
  __m128i second[2 * kMaxForms];
  const size_t nf = firstCount_;
  const size_t ns = secondCount_;
  for (size_t k = 0; k < nf; ++k) first[k] = _mm_set1_epi8(static_cast<char>(firstBytes_[k]));
  for (size_t k = 0; k < ns; ++k) second[k] = _mm_set1_epi8(static_cast<char>(secondBytes_[k]));
  const uint8_t* data = w.data;
  size_t j = from;
  // The second-byte load reads data[j + 1 .. j + 16].
  while (j + 16 <= w.limit && j + 17 <= w.endTo) {
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + j));
    __m128i m = _mm_cmpeq_epi8(v0, first[0]);
    for (size_t k = 1; k < nf; ++k) m = _mm_or_si128(m, _mm_cmpeq_epi8(v0, first[k]));
    if (ns != 0) {
      const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + j + 1));
      __m128i m1 = _mm_cmpeq_epi8(v1, second[0]);
      for (size_t k = 1; k < ns; ++k) m1 = _mm_or_si128(m1, _mm_cmpeq_epi8(v1, second[k]));
      m = _mm_and_si128(m, m1);
    }
    auto bits = static_cast<unsigned>(_mm_movemask_epi8(m));
    while (bits != 0) {
      const size_t p = j + static_cast<size_t>(__builtin_ctz(bits));
      bits &= bits - 1;
      if (p >= w.limit) break;
      Candidate(w, p, sink);
    }
    j += 16;
  }
  return j;
}
#endif

// An occurrence's first window_ bytes hold the pair that begins at a
// multiple of window_ - 1 (a sample), so a stretch whose samples no form
// holds within its first window_ bytes has no occurrence. The samples of a
// run are looked up first, each by itself and without a branch (most hold
// nothing); around each sample that does, the table walks on as Horspool
// would, by the pair that ends each window.
void TByteScanner::ScanSkipping(Window& w, size_t from, TScanSink& sink) const {
  const uint8_t* shift = shift_.data();
  const uint8_t* data = w.data;
  const size_t stride = window_ - 1;
  constexpr size_t kRun = 256;
  size_t noted[kRun];
  // The sample that covers from; a sample's pair lies within the data while
  // some start it covers lies below the limit.
  size_t a = (from + stride - 1) / stride * stride;
  while (a < w.limit + stride - 1) {
    const size_t last = std::min(a + kRun * stride, w.limit + stride - 1);
    size_t n = 0;
    for (; a < last; a += stride) {
      noted[n] = a;
      n += shift[PairIndex(data + a)] < stride ? 1 : 0;
    }
    // Each walk settles the starts its sample covers, by itself: the walks
    // overlap in time, and a start is verified by one walk only.
    for (size_t k = 0; k < n; ++k) {
      const size_t at = noted[k];
      size_t c = at + 1 >= from + stride ? at + 1 - stride : from;
      while (c <= at && c < w.limit) {
        const size_t s = shift[PairIndex(data + c + stride - 1)];
        if (s != 0) {
          c += s;
          continue;
        }
        Candidate(w, c, sink);
        ++c;
      }
    }
  }
}

void TByteScanner::Scan(const uint8_t* data, size_t endFrom, size_t endTo, size_t wideParity,
                        TScanSink& sink) const {
  if (forms_.empty() || endFrom >= endTo || endTo < minLength_) return;
  Window w{data, endFrom, endTo, wideParity, endTo - minLength_ + 1};
  size_t j = endFrom + 1 >= maxLength_ ? endFrom + 1 - maxLength_ : 0;
  if (window_ >= kMinSkipWindow) {
    ScanSkipping(w, j, sink);
    return;
  }
#if defined(__SSE2__)
  j = ScanVector(w, j, sink);
#endif
  for (; j < w.limit; ++j) Candidate(w, j, sink);
}
