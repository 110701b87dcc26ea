// Percent of an input read, on standard error, for inputs large enough that a
// user would otherwise wonder whether anything is happening.
#pragma once
#include <cstdint>
#include <cstdio>

class Progress {
 public:
  // Shows nothing for inputs under kShownFrom bytes.
  static constexpr uint64_t kShownFrom = 8u << 20;

  Progress(FILE* err, const char* command, uint64_t totalBytes);
  // Bytes of the input consumed so far; prints when the percent changes.
  void update(uint64_t doneBytes);
  // Ends the progress line, if one was started.
  void finish();

 private:
  FILE* err_;
  const char* command_;
  uint64_t total_;
  int shown_ = -1;
};
