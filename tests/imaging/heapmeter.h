// Bytes the test program takes through operator new, so that hostile-file
// tests bound the memory a load uses, not the time it takes.
#pragma once

#include <cstdint>

// Bytes held through operator new, and the most held at once since the last
// ResetHeapPeak.
uint64_t HeapBytesHeld();
uint64_t HeapPeak();
void ResetHeapPeak();

// The most bytes held at once above what was held when it was made.
class THeapMeter {
public:
  THeapMeter() : start_(HeapBytesHeld()) { ResetHeapPeak(); }
  uint64_t PeakAbove() const { return HeapPeak() - start_; }
  int64_t HeldAbove() const { return static_cast<int64_t>(HeapBytesHeld() - start_); }

private:
  uint64_t start_;
};
