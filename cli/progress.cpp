#include "cli/progress.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "driver/console.h"
#include "driver/run_state.h"

namespace {
constexpr auto kRefreshEvery = std::chrono::milliseconds(250);
constexpr int kLineWidth = 79;
const char* const kStageNames[] = {"loading", "index", "reads", "sorting", "writing"};

// Characters of the line on the terminal now; 0 when nothing is shown.
std::atomic<int> ShownWidth{0};

const char* fStageName(Stage stage) {
  int index = static_cast<int>(stage);
  return index >= 0 && index < 5 ? kStageNames[index] : "";
}
}  // namespace

bool ProgressLine::fStart(const char* command) {
  Command = command;
  Stopping = false;
  try {
    Painter = std::thread([this] { fRefresh(); });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void ProgressLine::fStop() {
  if (!Painter.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(Guard);
    Stopping = true;
  }
  Wake.notify_all();
  Painter.join();
  fClear();
}

void ProgressLine::fClear() {
  int width = ShownWidth.exchange(0);
  if (width == 0) return;
  std::fprintf(stderr, "\r%*s\r", width, "");
  std::fflush(stderr);
}

void ProgressLine::fRefresh() {
  const auto started = std::chrono::steady_clock::now();
  // Reads per second since the first read was counted: the loading and the
  // index before it don't belong to the rate.
  auto readsSince = started;
  int64_t readsBefore = -1;
  std::unique_lock<std::mutex> lock(Guard);
  while (!Wake.wait_for(lock, kRefreshEvery, [this] { return Stopping; })) {
    int64_t reads = ReadsTaken.load(std::memory_order_relaxed);
    auto now = std::chrono::steady_clock::now();
    if (readsBefore < 0 || reads < readsBefore) {  // a new reads file starts the count again
      readsBefore = reads;
      readsSince = now;
    }
    double span = std::chrono::duration<double>(now - readsSince).count();
    double rate = span > 0 ? static_cast<double>(reads - readsBefore) / span : 0;
    double seconds = std::chrono::duration<double>(now - started).count();
    char text[160];
    int width = std::snprintf(text, sizeof text, "vantrels %s: %-7s %12lld reads %10.0f reads/s %7.1f s", Command,
                              fStageName(fCurrentStage()), static_cast<long long>(reads), rate, seconds);
    if (width < 0) continue;
    if (width > kLineWidth) width = kLineWidth;
    int shown = ShownWidth.exchange(width);
    std::fprintf(stderr, "\r%.*s%*s", width, text, shown > width ? shown - width : 0, "");
    std::fflush(stderr);
  }
}
