#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/file_helpers.h"
#include "driver/outcome.h"
#include "driver/run_state.h"
#include "endreplace/endreplace.h"
#include "endreplace/replaced_end.h"
#include "endreplace/site_table.h"
#include "index/index12both.h"
#include "platform/platform.h"

namespace {
const char kProcedureName[] = "RandExt";
const char kLogHeader[] = "proc=Vantrels::fCutRnaWithReplacedEnd\ngenome=";
const char kNoIdentity[] = "blank";
const char kReadsStemPrefix[] = "RnaCut_";
const char kExecuting[] = "\nexecuting...";
const char kSavingResult[] = "\nsaving the result";

void fEcho(const std::string& genomePath, const std::string& readsPath, const std::string& tipText,
           const std::string& misNuText, const std::string& experimentId) {
  std::printf("procedure  %s", kProcedureName);
  std::printf("\ngenome        %s", genomePath.c_str());
  std::printf("\nreads         %s", readsPath.c_str());
  std::printf("\n");
  std::printf("\nimmutable Sz  =%d", ImmutSz);
  std::printf("\n  mutable Sz  =%s", tipText.c_str());
  std::printf("\nmismatches    =%s", misNuText.c_str());
  std::printf("\naimed reads Sz=%d", AimedSz);
  std::printf("\nexperimentId=%s", experimentId.c_str());
}
}  // namespace

namespace {
void fRunLegacy(std::string ParamFilePath) {
  // An unreadable parameter file leaves every value empty; the first
  // conversion then stops the run.
  ParamMap params;
  fReadParamFile(params, ParamFilePath);
  const std::string D = params["diRes"] + PlatformSeparator;
  const std::string genomePath = params["pthGnm"];
  const std::string readsPath = params["pthReads"];
  std::string experimentId = params["experimentId"];
  const std::string tipText = params["mutTipSz"];
  const std::string immutText = params["immutSz"];
  const std::string misNuText = params["misNu"];
  MutTipSz = fParamNumber("mutTipSz", tipText);
  ImmutSz = fParamNumber("immutSz", immutText);
  MisNu = fParamNumber("misNu", misNuText);
  AimedSz = static_cast<int32_t>(static_cast<uint32_t>(ImmutSz) + static_cast<uint32_t>(MutTipSz));
  if (!experimentId.empty() && experimentId != kNoIdentity)
    for (char& c : experimentId)
      if (c == '.') c = '_';

  fEcho(genomePath, readsPath, tipText, misNuText, experimentId);
  fWaitKey();
  if (!fSizesAccepted(ImmutSz, MutTipSz)) return;
  std::fputs(kExecuting, stdout);

  // The file names carry the sizes as written in the parameter file.
  const std::string identity = experimentId == kNoIdentity ? kReadsStemPrefix + fFileStem(readsPath) : experimentId;
  const std::string base = D + identity + "_" + immutText + "!" + tipText + "!" + misNuText + "!";
  ExperimentFiles files;
  if (!fOpenExperimentFiles(D, base, files)) return;

  Root12Count = 1 << 24;
  Key12Mask = (1 << 24) - 1;
  HitBuffer hits;
  if (!fLoadGenomeTexts(genomePath, AimedSz - 1, hits)) {
    fCloseExperimentFiles(files);
    return;
  }
  const int32_t L = GenomeLength;
  if (!fBuild12RootChainBoth(L)) {
    fReleaseGenomeTexts(hits);
    fCloseExperimentFiles(files);
    return;
  }
  bool detected = fMatchExperimentReads(readsPath, hits, files);
  fRelease12RootChainBoth();
  if (!detected) {
    fReleaseGenomeTexts(hits);
    fCloseExperimentFiles(files);
    return;
  }
  // The index and the read buffers make room for the hit records.
  fReleaseLineBuffer(InputLine);
  std::free(hits.records);
  hits.records = nullptr;
  std::fputs(kSavingResult, stdout);

  SiteSummary summary;
  bool reported = fReportSites(files.table, files.upperHitPath, UpperStrandReads, files.lowerHitPath,
                               LowerStrandReads, L, ImmutSz, MutTipSz, Genome, GenomeLower, true, summary);
  if (reported) {
    fReleaseLineBuffer(WorkLine);
    fWriteRunLog(files.log, kLogHeader, genomePath, readsPath, summary);
  } else {
    std::fclose(files.log);
  }
  fReleaseGenomeTexts(hits);
}
}  // namespace

Outcome fCutRnaWithReplacedEnd(std::string ParamFilePath) {
  fRunLegacy(ParamFilePath);
  Outcome outcome;
  outcome.readsRead = InputReads;
  return outcome;
}
