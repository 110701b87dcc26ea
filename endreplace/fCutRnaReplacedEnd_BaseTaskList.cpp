#include <cstdio>
#include <cstring>
#include <fstream>
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
const char kProcedureName[] = "RandExtTaskList";
const char kLogHeader[] = "proc=Vantrels::fCutRnaReplacedEnd_BaseTaskList\ngenome=";
const char kExecuting[] = "\nexecuting...";
const char kTasksHeader[] = "\nimmutSz\tmutTipSz\tmisNu";
const char kListTooShort[] = "\ntask list has fewer than 8 lines (6 free lines, the identity, 1 free line): ";
const char kBrokenTaskLine[] =
    "\ntask line refused: it must hold immutSz, mutTipSz and misNu separated by single TABs, in fewer than "
    "100 characters: ";

// Lines before the identity, and the identity's line number.
constexpr int kIdentityLine = 7;
// Fields and the line end must lie before this position of a task line.
constexpr int32_t kTaskLineLimit = 100;

// Reads the next list line into InputLine without its line end and a
// carriage return before it; false at the end of the list.
bool fNextListLine(std::istream& list, int32_t& length) {
  int32_t taken = 0;
  if (!fGetLine(list, InputLine, MaxLineLength, taken)) return false;
  length = static_cast<int32_t>(std::strlen(InputLine));
  if (length > 0 && InputLine[length - 1] == '\r') InputLine[--length] = '\0';
  return true;
}

int32_t fFindTab(int32_t from, int32_t end) {
  for (int32_t i = from; i < end; ++i)
    if (InputLine[i] == '\t') return i;
  return -1;
}

// One experiment of the list, for the task line in InputLine of `length`
// characters, over the genome texts and index already in place. True when
// the task's log was written.
bool fCutRnaReplacedEnd_BaseTaskList(const std::string& genomePath, const std::string& readsPath, const std::string& D,
                                     const std::string& identity, HitBuffer& hits, int32_t length) {
  // Fields: immutSz TAB mutTipSz TAB misNu, everything before position 100.
  int32_t scanEnd = length < kTaskLineLimit ? length : kTaskLineLimit;
  int32_t firstTab = fFindTab(0, scanEnd);
  int32_t secondTab = firstTab < 0 ? -1 : fFindTab(firstTab + 1, scanEnd);
  if (secondTab < 0 || length >= kTaskLineLimit) {
    std::fputs(kBrokenTaskLine, stdout);
    std::fwrite(InputLine, 1, static_cast<size_t>(length), stdout);
    fWaitKey();
    return false;
  }
  const std::string immutText(InputLine, static_cast<size_t>(firstTab));
  const std::string tipText(InputLine + firstTab + 1, static_cast<size_t>(secondTab - firstTab - 1));
  const std::string misNuText(InputLine + secondTab + 1, static_cast<size_t>(length - secondTab - 1));
  ImmutSz = fParamNumber("immutSz", immutText);
  MutTipSz = fParamNumber("mutTipSz", tipText);
  MisNu = fParamNumber("misNu", misNuText);
  if (!fSizesAccepted(ImmutSz, MutTipSz)) return false;
  AimedSz = ImmutSz + MutTipSz;
  const std::string base = D + identity + "_" + immutText + "!" + tipText + "!" + misNuText + "!";

  // Hit files are created anew for every task and deleted once, after the list.
  ExperimentFiles files;
  if (!fOpenExperimentFiles(D, base, files)) return false;
  if (!fMatchExperimentReads(readsPath, hits, files)) {
    fCloseExperimentFiles(files);
    return false;
  }
  SiteSummary summary;
  bool reported = fReportSites(files.table, files.upperHitPath, UpperStrandReads, files.lowerHitPath,
                               LowerStrandReads, GenomeLength, ImmutSz, MutTipSz, Genome, GenomeLower, false, summary);
  if (!reported) {
    std::fclose(files.log);
    return false;
  }
  return fWriteRunLog(files.log, kLogHeader, genomePath, readsPath, summary);
}

// Runs every task of the list over one genome and one index.
void RandExtTaskList(const std::string& ParamFilePath) {
  ParamMap params;
  fReadParamFile(params, ParamFilePath);
  const std::string D = params["diRes"] + PlatformSeparator;
  const std::string genomePath = params["pthGnm"];
  const std::string readsPath = params["pthReads"];
  const std::string taskListPath = params["pthTaskList"];

  std::ifstream list;
  if (!fOpenReadStream(taskListPath, list)) return;
  int32_t length = 0;
  std::string identity;
  for (int line = 1; line <= kIdentityLine + 1; ++line) {
    if (!fNextListLine(list, length)) {
      std::fputs(kListTooShort, stdout);
      std::fputs(taskListPath.c_str(), stdout);
      fWaitKey();
      return;
    }
    if (line != kIdentityLine) continue;
    // No "blank" form here: the identity is the line as it stands, "." made "_".
    for (int32_t i = 0; i < length; ++i)
      if (InputLine[i] == '.') InputLine[i] = '_';
    identity.assign(InputLine, static_cast<size_t>(length));
  }

  std::printf("procedure  %s", kProcedureName);
  std::printf("\ngenome        %s", genomePath.c_str());
  std::printf("\nreads         %s", readsPath.c_str());
  std::printf("\ntaskList  =%s", taskListPath.c_str());
  std::printf("\nexperimentId=%s", identity.c_str());
  fWaitKey();
  std::fputs(kExecuting, stdout);

  Root12Count = 1 << 24;
  Key12Mask = (1 << 24) - 1;
  HitBuffer hits;
  // The texts are prepared before any task is read: their continuation
  // covers the longest read a line can hold, so every task's aimed size fits.
  if (!fLoadGenomeTexts(genomePath, kLongestRead - 1, hits)) return;
  if (!fBuild12RootChainBoth(GenomeLength)) {
    fReleaseGenomeTexts(hits);
    return;
  }

  std::fputs(kTasksHeader, stdout);
  while (fNextListLine(list, length)) {
    if (length == 0) continue;
    std::fputs("\n", stdout);
    std::fwrite(InputLine, 1, static_cast<size_t>(length), stdout);
    if (!fCutRnaReplacedEnd_BaseTaskList(genomePath, readsPath, D, identity, hits, length)) break;
  }

  fRelease12RootChainBoth();
  fReleaseGenomeTexts(hits);
  fReleaseLineBuffer(WorkLine);
  fReleaseLineBuffer(InputLine);
  fRemoveHitFiles(D);
  list.close();
}
}  // namespace

Outcome fCutRnaReplacedEnd_BaseTaskList(std::string ParamFilePath) {
  RandExtTaskList(ParamFilePath);
  Outcome outcome;
  outcome.readsRead = InputReads;
  return outcome;
}
