// Wall-clock timing for the benchmarks: the performance counter, in seconds.
#pragma once

#include <windows.h>

inline LARGE_INTEGER TickNow() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t;
}

inline double SecondsBetween(LARGE_INTEGER a, LARGE_INTEGER b) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

// How long one call of run takes.
template <class Run>
double SecondsOf(Run&& run) {
  const LARGE_INTEGER start = TickNow();
  run();
  return SecondsBetween(start, TickNow());
}
