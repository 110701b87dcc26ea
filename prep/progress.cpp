#include "prep/progress.h"

static const char* const kProgressLine = "\rvantrels-prep %s: %3d%%";

Progress::Progress(FILE* err, const char* command, uint64_t totalBytes)
    : err_(err), command_(command), total_(totalBytes >= kShownFrom ? totalBytes : 0) {}

void Progress::update(uint64_t doneBytes) {
  if (total_ == 0) return;
  if (doneBytes > total_) doneBytes = total_;
  int percent = static_cast<int>(doneBytes * 100 / total_);
  if (percent == shown_) return;
  shown_ = percent;
  std::fprintf(err_, kProgressLine, command_, percent);
  std::fflush(err_);
}

void Progress::finish() {
  if (shown_ < 0) return;
  std::fputc('\n', err_);
  shown_ = -1;
}
