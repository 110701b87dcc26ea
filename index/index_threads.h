// How many threads the genome index builds, and other work cut into a few
// shares, use, and how they start them. Every build gives the same tables for
// any thread count.
#pragma once
#include <cstdint>
#include <exception>
#include <thread>

#include "driver/run_state.h"

// The index builds use RunThreads (driver/run_state.h) threads; 1, the
// selection-file run's, builds on the calling thread.

// More threads than this are not started, whatever RunThreads asks.
constexpr int kMaxIndexThreads = 64;

// RunThreads within 1 .. kMaxIndexThreads, and no more than `shares`.
inline int fIndexThreadCount(int64_t shares) {
  int64_t count = RunThreads < 1 ? 1 : RunThreads;
  if (count > kMaxIndexThreads) count = kMaxIndexThreads;
  if (count > shares) count = shares < 1 ? 1 : shares;
  return static_cast<int>(count);
}

// Runs share(0) .. share(count - 1): share 0 on the calling thread, the others
// on threads of their own. A share whose thread can't be started runs on the
// calling thread afterwards, so a build never depends on getting its threads:
// shares that hand out work among themselves find none left by then.
template <typename Share>
void fRunShares(int count, Share share) {
  std::thread threads[kMaxIndexThreads];
  bool started[kMaxIndexThreads] = {};
  for (int t = 1; t < count && t < kMaxIndexThreads; ++t) {
    try {
      threads[t] = std::thread(share, t);
      started[t] = true;
    } catch (const std::exception&) {  // no thread or no memory for one
    }
  }
  share(0);
  for (int t = 1; t < count && t < kMaxIndexThreads; ++t) {
    if (started[t]) {
      threads[t].join();
    } else {
      share(t);
    }
  }
}

// Two pieces of work that share nothing: first() and second(), on two threads
// when RunThreads allows, else one after the other.
template <typename First, typename Second>
void fRunBoth(First first, Second second) {
  const int shares = fIndexThreadCount(2);
  fRunShares(shares, [&](int share) {
    if (share == 0) first();
    if (share == 1 || shares == 1) second();
  });
}
