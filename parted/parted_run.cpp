#include "parted/parted_run.h"

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/loaders.h"
#include "parted/index12.h"

const char kNoMemoryParted[] = "\nno memory_PARTED";

bool fLoadIndexedGenome(const std::string& path, bool letterFile, int32_t& n, Outcome& outcome) {
  fStage(Stage::kLoading);
  // Sized first, so that a genome that can't be had is told apart from one with a byte that is no base.
  if (fGenomeFileSize(path) < 0) {
    outcome.fFail(RunStatus::kInputMissing, path);
    return false;
  }
  // No read is longer than a line, so no copy needs to be longer either.
  const int32_t copies = MaxReadSize < kLongestRead ? MaxReadSize : kLongestRead;
  switch (fLoadCodedGenome(path, letterFile, copies, copies, n)) {
    case GenomeLoad::kLoaded: break;
    case GenomeLoad::kNoMemory: fRanOutOfMemory(outcome); return false;
    case GenomeLoad::kFailed: outcome.fFail(RunStatus::kBadInput, path); return false;
  }
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

bool fOpenReadsFile(const std::string& path, std::ifstream& reads, Outcome& outcome) {
  if (fOpenReadStream(path, reads)) return true;
  outcome.fFail(RunStatus::kInputMissing, path);
  return false;
}

void fRanOutOfMemory(Outcome& outcome) {
  fSay(kNoMemoryParted);
  outcome.fFail(RunStatus::kNoMemory, "");
}

void fStopAtHitLimit(const ReadBatch& batch, int32_t i, Outcome& outcome) {
  InputReads -= batch.count - 1 - i;
  if (outcome.fSucceeded()) outcome.status = RunStatus::kStoppedAtHitLimit;
}
