#include "standard/writing.h"

namespace {
const char kCantWrite[] = ": cannot be written (disk full, file-size limit or no permission)";
}  // namespace

const char kWritingOutOfMemory[] = "out of memory while writing the standard files";

int fCantWrite(const StandardRun& run, const std::string& name, std::string& problem) {
  problem = (run.shownOut.empty() ? name : run.shownOut + "/" + name) + kCantWrite;
  return kStandardOutputFailed;
}

int fWriteRunGenomeFile(const StandardRun& run, Outcome& outcome, std::string& problem) {
  if (!fWriteGenomeFile(run.directory, run.genomeStem, run.chromosome, outcome).empty()) return kStandardDone;
  return fCantWrite(run, run.genomeStem + ".genome", problem);
}
