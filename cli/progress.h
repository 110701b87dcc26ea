// The progress line on a terminal: the run's stage, the reads done and the
// reads per second, refreshed a few times a second by a thread of its own
// that only looks at the stage and the read counter; the reads loop pays nothing.
#pragma once
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class ProgressLine {
 public:
  ProgressLine() = default;
  ~ProgressLine() { fStop(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Starts the line for `command` on standard error; false when no thread can be had.
  bool fStart(const char* command);
  // Ends the thread and clears the line; nothing when not started.
  void fStop();

  // Clears the line from any thread (a signal's), so a last message starts clean.
  static void fClear();

 private:
  void fRefresh();

  const char* Command = "";
  std::thread Painter;
  std::mutex Guard;
  std::condition_variable Wake;
  bool Stopping = false;
};
