#include "driver/console.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "platform/platform.h"

bool ConsoleOn = true;

namespace {
std::atomic<int32_t> CurrentStage{static_cast<int32_t>(Stage::kLoading)};
}

void fSay(const char* text) {
  if (ConsoleOn) std::fputs(text, stdout);
}

void fSayf(const char* format, ...) {
  if (!ConsoleOn) return;
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
}

void fPause() {
  if (ConsoleOn) fWaitKey();
}

void fStage(Stage stage) { CurrentStage.store(static_cast<int32_t>(stage), std::memory_order_relaxed); }

Stage fCurrentStage() { return static_cast<Stage>(CurrentStage.load(std::memory_order_relaxed)); }
