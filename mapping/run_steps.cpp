#include "mapping/run_steps.h"

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/loaders.h"
#include "driver/run_state.h"
#include "index/index16.h"
#include "platform/platform.h"

bool ResultFile::fOpen(const std::string& name, Outcome& outcome) {
  path = name;
  file = fOpenOutput(path, outcome);
  return file != nullptr;
}

void ResultFile::fClose(Outcome& outcome) {
  fCloseOutput(file, path, outcome);
  file = nullptr;
}

bool fOpenReads(const std::string& path, std::ifstream& reads, Outcome& outcome) {
  if (fOpenReadStream(path, reads)) return true;
  outcome.fFail(RunStatus::kInputMissing, path);
  return false;
}

bool fLoadOwnGenome(const std::string& path, bool letterFile, const char* noMemory, int32_t& L,
                    Outcome& outcome) {
  fStage(Stage::kLoading);
  // No read is longer than a line buffer holds, so the tail needs no more.
  const int32_t tail = MaxReadSize < kLongestRead ? MaxReadSize : kLongestRead;
  switch (fLoadCodedGenome(path, letterFile, tail, 0, L)) {
    case GenomeLoad::kLoaded:
      return true;
    case GenomeLoad::kNoMemory:
      if (noMemory != nullptr) {
        fSay(noMemory);
        fPause();
      }
      outcome.fFail(RunStatus::kNoMemory, path);
      return false;
    case GenomeLoad::kFailed:
      break;
  }
  // The loader has said why. A file whose size could be taken and that is no
  // directory was refused for its bytes: one that is not a base (or, should
  // the file change under the run, a read that came up short).
  const bool readable = fFileSize(path) > 0 && !fPlatformIsDirectory(path.c_str());
  outcome.fFail(readable ? RunStatus::kBadInput : RunStatus::kInputMissing, path);
  return false;
}

bool fIndexGenome(int32_t L, bool with8, Outcome& outcome) {
  fStage(Stage::kIndex);
  if (with8 ? fBuildRoot8Chain(L) : fBuild16Chain(L)) return true;
  outcome.fFail(RunStatus::kNoMemory, "");
  return false;
}
