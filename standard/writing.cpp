#include "standard/writing.h"

namespace {
const char kCantWrite[] = ": cannot be written (disk full, file-size limit or no permission)";
}  // namespace

const char kWritingOutOfMemory[] = "out of memory while writing the standard files";

int fCantWrite(const StandardRun& run, const std::string& name, std::string& problem) {
  problem = (run.shownOut.empty() ? name : run.shownOut + "/" + name) + kCantWrite;
  return kStandardOutputFailed;
}
