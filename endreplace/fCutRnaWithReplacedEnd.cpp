#include <string>

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/outcome.h"
#include "driver/run_state.h"
#include "endreplace/endreplace.h"
#include "endreplace/replaced_end.h"
#include "index/index12both.h"
#include "platform/platform.h"

namespace {
const char kProcedureName[] = "RandExt";
const char kLogHeader[] = "proc=Vantrels::fCutRnaWithReplacedEnd\ngenome=";
const char kNoIdentity[] = "blank";
const char kReadsStemPrefix[] = "RnaCut_";
const char kExecuting[] = "\nexecuting...";
const char kSavingResult[] = "\nsaving the result";

// What a run holds at any moment; released in one place however it ends.
struct Held {
  ExperimentFiles files;
  GenomeTexts texts;
};

void fEcho(const std::string& genomePath, const std::string& readsPath, const std::string& tipText,
           const std::string& misNuText, const std::string& experimentId) {
  fSayf("procedure  %s", kProcedureName);
  fSayf("\ngenome        %s", genomePath.c_str());
  fSayf("\nreads         %s", readsPath.c_str());
  fSay("\n");
  fSayf("\nimmutable Sz  =%d", ImmutSz);
  fSayf("\n  mutable Sz  =%s", tipText.c_str());
  fSayf("\nmismatches    =%s", misNuText.c_str());
  fSayf("\naimed reads Sz=%d", AimedSz);
  fSayf("\nexperimentId=%s", experimentId.c_str());
}

void fRunExperiment(const std::string& ParamFilePath, Held& held, Outcome& outcome) {
  // An unreadable parameter file leaves every value empty; the first
  // conversion then stops the run.
  ParamMap params;
  if (!fReadParamFile(params, ParamFilePath)) outcome.fFail(RunStatus::kInputMissing, ParamFilePath);
  const std::string D = params["diRes"] + PlatformSeparator;
  const std::string genomePath = params["pthGnm"];
  const std::string readsPath = params["pthReads"];
  std::string experimentId = params["experimentId"];
  const std::string tipText = params["mutTipSz"];
  const std::string immutText = params["immutSz"];
  const std::string misNuText = params["misNu"];
  if (!fTakeSize("mutTipSz", tipText, MutTipSz, outcome) || !fTakeSize("immutSz", immutText, ImmutSz, outcome) ||
      !fTakeSize("misNu", misNuText, MisNu, outcome))
    return;
  // Wraps like the 32-bit sum it is; the echo shows it before the sizes are checked.
  AimedSz = static_cast<int32_t>(static_cast<uint32_t>(ImmutSz) + static_cast<uint32_t>(MutTipSz));
  if (!experimentId.empty() && experimentId != kNoIdentity)
    for (char& c : experimentId)
      if (c == '.') c = '_';

  fEcho(genomePath, readsPath, tipText, misNuText, experimentId);
  fPause();
  if (!fSizesAccepted(ImmutSz, MutTipSz, outcome)) return;
  fSay(kExecuting);

  // The file names carry the sizes as written in the parameter file.
  const std::string identity = experimentId == kNoIdentity ? kReadsStemPrefix + fFileStem(readsPath) : experimentId;
  const std::string base = D + identity + "_" + immutText + "!" + tipText + "!" + misNuText + "!";
  if (!fOpenExperimentFiles(D, base, held.files, outcome)) return;

  fStage(Stage::kLoading);
  if (!fLoadGenomeTexts(genomePath, AimedSz - 1, held.texts, outcome)) return;
  fStage(Stage::kIndex);
  if (!fBuild12RootChainBoth(GenomeLength)) {
    outcome.fFail(RunStatus::kNoMemory, "");
    return;
  }
  if (!fMatchExperimentReads(readsPath, held.files, outcome)) return;
  // The index, the hit buffer and the read buffer make room for the hit records.
  fRelease12RootChainBoth();
  held.texts.hits.fRelease();
  fReleaseLineBuffer(InputLine);
  fSay(kSavingResult);
  if (fSaveExperiment(held.files, true, kLogHeader, genomePath, readsPath, outcome)) fReleaseLineBuffer(WorkLine);
}
}  // namespace

Outcome fCutRnaWithReplacedEnd(std::string ParamFilePath) {
  Outcome outcome;
  Held held;
  InputReads = 0;
  fRunExperiment(ParamFilePath, held, outcome);
  fRelease12RootChainBoth();
  fReleaseGenomeTexts(held.texts);
  fCloseExperimentFiles(held.files);
  outcome.readsRead = InputReads;
  return outcome;
}
