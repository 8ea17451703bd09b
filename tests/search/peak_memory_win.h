// How far the process's own peak working set (GetProcessMemoryInfo) rises
// above its working set at the moment the object is made: the memory a
// piece of work needed at its worst. The peak never comes down, so in a
// process that had peaked higher before (not one that runs a single test, as
// ctest has each test do) the rise cannot be told, and Known() says so.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstdint>

namespace search_test {

class TPeakWorkingSet {
public:
  TPeakWorkingSet() { Read(start_, startPeak_); }

  bool Known() const { return startPeak_ - start_ < kMaxEarlierPeak; }
  uint64_t RiseMiB() const {
    uint64_t now = 0, peak = 0;
    Read(now, peak);
    return (peak - start_) >> 20;
  }

private:
  static constexpr uint64_t kMaxEarlierPeak = 16u << 20;

  static void Read(uint64_t& workingSet, uint64_t& peak) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    workingSet = counters.WorkingSetSize;
    peak = counters.PeakWorkingSetSize;
  }

  uint64_t start_ = 0;
  uint64_t startPeak_ = 0;
};

}  // namespace search_test
