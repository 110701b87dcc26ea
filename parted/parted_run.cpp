#include "parted/parted_run.h"

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/loaders.h"
#include "parted/index12.h"

const char kNoMemoryParted[] = "\nno memory_PARTED";

bool fLoadIndexedGenome(const std::string& path, bool letterFile, int32_t& n, Outcome& outcome) {
  const GenomeLoad load = fLoadOwnGenome(path, letterFile, true, n, outcome);
  if (load == GenomeLoad::kNoMemory) fSay(kNoMemoryParted);
  if (load != GenomeLoad::kLoaded) return false;
  fStage(Stage::kIndex);
  if (!fAllocate12RootChain(n)) {
    fRanOutOfMemory(outcome);
    return false;
  }
  fBuild12RootChain(n);
  return true;
}

void fReleaseIndexedGenome() {
  fRelease12RootChain();
  fReleaseGenome();
}

void fRanOutOfMemory(Outcome& outcome) {
  fSay(kNoMemoryParted);
  outcome.fFail(RunStatus::kNoMemory, "");
}

void fStopAtHitLimit(int32_t readNumber, Outcome& outcome) {
  InputReads = readNumber;
  if (outcome.fSucceeded()) outcome.status = RunStatus::kStoppedAtHitLimit;
}
