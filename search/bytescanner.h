// One pass over a buffer for every pattern of a search at once. Texts of four
// bytes or more use a table of byte pairs (how far the last pair of a window
// lets it move, as in Wu and Manber's multi-pattern search): first only the
// pairs a window's length apart are looked up, and only around those the
// patterns hold does the table skip window by window. Shorter texts take a
// vector filter on the first two bytes. Either way a table of the pairs the
// patterns begin with comes next, and only the patterns that begin with that
// byte are verified.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "search/patternforms.h"

// Receives the occurrences a scan finds.
class TScanSink {
public:
  // Called in rising order of start; returns the start limit from then on
  // (no occurrence starting at or past it is reported any more).
  virtual size_t Hit(size_t form, size_t start) = 0;

protected:
  ~TScanSink() = default;
};

class TByteScanner {
public:
  // At most kMaxForms patterns (six forms of the text, three case forms
  // each); a pattern is a bit of a 32-bit mask.
  static constexpr size_t kMaxForms = 18;

  void Build(std::vector<TPatternForm> forms);
  const std::vector<TPatternForm>& Forms() const { return forms_; }
  bool Empty() const { return forms_.empty(); }
  size_t MinLength() const { return minLength_; }
  size_t MaxLength() const { return maxLength_; }

  // Reports the occurrences that end at an index in [endFrom, endTo) of
  // data, which holds at least endTo bytes. A wide pattern is reported only
  // where start + wideParity is even.
  void Scan(const uint8_t* data, size_t endFrom, size_t endTo, size_t wideParity,
            TScanSink& sink) const;

private:
  struct Window {
    const uint8_t* data;
    size_t endFrom;
    size_t endTo;
    size_t wideParity;
    size_t limit;
  };
  // Skipping by the table of window-end pairs pays from windows of this many
  // bytes on; shorter texts take the vector filter.
  static constexpr size_t kMinSkipWindow = 4;

  void Candidate(Window& w, size_t p, TScanSink& sink) const;
  void ScanSkipping(Window& w, size_t from, TScanSink& sink) const;
  void BuildShiftTable();
  size_t ScanVector(Window& w, size_t from, TScanSink& sink) const;
  void SetPair(uint8_t first, uint8_t second) {
    unsigned pair = first | (static_cast<unsigned>(second) << 8);
    pairs_[pair >> 3] = static_cast<uint8_t>(pairs_[pair >> 3] | (1u << (pair & 7)));
  }
  bool HasPair(uint8_t first, uint8_t second) const {
    unsigned pair = first | (static_cast<unsigned>(second) << 8);
    return (pairs_[pair >> 3] & (1u << (pair & 7))) != 0;
  }

  std::vector<TPatternForm> forms_;
  size_t window_ = 0;            // bytes of each form the shift table looks at
  std::vector<uint8_t> shift_;   // indexed by two bytes as the machine loads them
  size_t minLength_ = 0;
  size_t maxLength_ = 0;
  uint32_t byFirst_[256] = {};  // bit f: pattern f may begin with this byte
  uint8_t pairs_[65536 / 8] = {};
  // The distinct bytes the patterns may begin with, and those that may come
  // second (none when a one-byte pattern lets any byte follow).
  uint8_t firstBytes_[2 * kMaxForms] = {};
  size_t firstCount_ = 0;
  uint8_t secondBytes_[2 * kMaxForms] = {};
  size_t secondCount_ = 0;
};
