// Numbered pieces of work done on several threads and handed on in order:
// work(i, slot, worker) may run on any of the threads, emit(i, slot) runs on
// the calling thread for i = 0, 1, 2, ... as each piece is done. A piece
// works in the slot i % slots (a buffer of the caller's, say), and is only
// started once the piece that used that slot before it has been emitted, so
// at most `slots` pieces are held at a time and what is emitted never depends
// on the number of threads. worker (0 .. threads - 1) names the thread, for
// scratch space of its own.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

// Slots to give fRunInOrder for `threads` threads: each thread busy with a
// piece, and as many done and waiting to be emitted.
inline int fOrderedSlots(int threads) { return threads < 1 ? 1 : 2 * threads; }

// Runs `count` pieces on `threads` threads, the calling thread among them: it
// emits the pieces in order and, while the next one is not done, works on a
// piece itself. emit returns false to stop: no piece is emitted after that,
// and the threads finish only the pieces they had started. What work or emit
// throws is thrown here, once the other threads have stopped.
template <class Work, class Emit>
void fRunInOrder(int threads, size_t count, int slots, Work work, Emit emit) {
  if (slots < 1) slots = 1;
  const size_t held = static_cast<size_t>(slots);
  std::mutex lock;
  std::condition_variable changed;
  std::vector<unsigned char> done(count, 0);
  size_t next = 0, emitted = 0;
  bool stopping = false;
  std::exception_ptr thrown;

  // Takes the next piece that may start, if any, and works it; false when
  // none may start now.
  auto workOne = [&](std::unique_lock<std::mutex>& hold, int worker) {
    if (stopping || next == count || next >= emitted + held) return false;
    const size_t i = next++;
    hold.unlock();
    try {
      work(i, static_cast<int>(i % held), worker);
    } catch (...) {
      hold.lock();
      stopping = true;
      if (!thrown) thrown = std::current_exception();
      changed.notify_all();
      return true;
    }
    hold.lock();
    done[i] = 1;
    changed.notify_all();
    return true;
  };
  auto serve = [&](int worker) {
    std::unique_lock<std::mutex> hold(lock);
    for (;;) {
      changed.wait(hold, [&] { return stopping || next == count || next < emitted + held; });
      if (stopping || next == count) return;
      workOne(hold, worker);
    }
  };

  {
    // Stops and joins the threads however the loop is left.
    struct Helpers {
      std::vector<std::thread> threads;
      std::mutex& lock;
      std::condition_variable& changed;
      bool& stopping;
      ~Helpers() {
        {
          std::lock_guard<std::mutex> hold(lock);
          stopping = true;
        }
        changed.notify_all();
        for (std::thread& thread : threads) thread.join();
      }
    } helpers{{}, lock, changed, stopping};
    if (threads > 1 && count > 1) {
      try {
        helpers.threads.reserve(static_cast<size_t>(threads - 1));
        for (int t = 1; t < threads; ++t) helpers.threads.emplace_back(serve, t);
      } catch (...) {  // no thread, or no memory for one: those started and the caller do the work
      }
    }

    std::unique_lock<std::mutex> hold(lock);
    for (size_t i = 0; i < count; ++i) {
      while (done[i] == 0 && !stopping)
        if (!workOne(hold, 0)) changed.wait(hold);
      if (stopping) break;
      hold.unlock();
      const bool goOn = emit(i, static_cast<int>(i % held));
      hold.lock();
      emitted = i + 1;
      changed.notify_all();
      if (!goOn) break;
    }
  }
  if (thrown) std::rethrow_exception(thrown);
}
