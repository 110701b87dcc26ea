// Numbered pieces of work done on several threads and handed on in order:
// work(i, slot) may run on any thread, emit(i, slot) runs on the calling
// thread for i = 0, 1, 2, ... as each piece is done. A piece works in the
// slot i % slots (a buffer of the caller's, say), and is only started once
// the piece that used that slot before it has been emitted, so at most
// `slots` pieces are held at a time and what is emitted never depends on the
// number of threads.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

// Slots to give fRunInOrder for `threads` threads: each thread busy with a
// piece, and as many done and waiting to be emitted.
inline int fOrderedSlots(int threads) { return threads < 1 ? 1 : 2 * threads; }

// Runs `count` pieces on `threads` threads (the calling thread only emits;
// with one thread, or none to be had, it works each piece itself just before
// emitting it). emit returns false to stop: no piece is emitted after that,
// and the threads finish only the pieces they had started.
template <class Work, class Emit>
void fRunInOrder(int threads, size_t count, int slots, Work work, Emit emit) {
  if (slots < 1) slots = 1;
  std::mutex lock;
  std::condition_variable changed;
  std::vector<unsigned char> done(count, 0);
  size_t next = 0, emitted = 0;
  bool stopping = false;

  auto serve = [&] {
    for (;;) {
      size_t i = 0;
      {
        std::unique_lock<std::mutex> hold(lock);
        changed.wait(hold, [&] { return stopping || next == count || next < emitted + static_cast<size_t>(slots); });
        if (stopping || next == count) return;
        i = next++;
      }
      work(i, static_cast<int>(i % static_cast<size_t>(slots)));
      {
        std::lock_guard<std::mutex> hold(lock);
        done[i] = 1;
      }
      changed.notify_all();
    }
  };
  std::vector<std::thread> workers;
  if (threads > 1 && count > 1) {
    try {
      for (int t = 0; t < threads; ++t) workers.emplace_back(serve);
    } catch (const std::system_error&) {  // fewer threads than asked: those started do the work
    }
  }

  for (size_t i = 0; i < count; ++i) {
    const int slot = static_cast<int>(i % static_cast<size_t>(slots));
    if (workers.empty()) {
      work(i, slot);
    } else {
      std::unique_lock<std::mutex> hold(lock);
      changed.wait(hold, [&] { return done[i] != 0; });
    }
    const bool goOn = emit(i, slot);
    {
      std::lock_guard<std::mutex> hold(lock);
      emitted = i + 1;
      if (!goOn) stopping = true;
    }
    changed.notify_all();
    if (!goOn) break;
  }
  for (std::thread& worker : workers) worker.join();
}
