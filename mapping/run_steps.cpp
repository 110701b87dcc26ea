#include "mapping/run_steps.h"

#include "driver/console.h"
#include "index/index16.h"

bool ResultFile::fOpen(const std::string& name, Outcome& outcome) {
  path = name;
  file = fOpenOutput(path, outcome);
  return file != nullptr;
}

void ResultFile::fClose(Outcome& outcome) {
  fCloseOutput(file, path, outcome);
  file = nullptr;
}

bool fIndexGenome(int32_t L, bool with8, Outcome& outcome) {
  fStage(Stage::kIndex);
  if (with8 ? fBuildRoot8Chain(L) : fBuild16Chain(L)) return true;
  outcome.fFail(RunStatus::kNoMemory, "");
  return false;
}
