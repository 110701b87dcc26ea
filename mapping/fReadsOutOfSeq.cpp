// fReadsOutOfSeq: copies the coded reads of the size scope that occur nowhere
// in the coded genome, on either strand, to "<reads stem>_Out.bin".
#include <cstdio>
#include <string>

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/outcome.h"
#include "driver/run_state.h"
#include "mapping/absent_reads.h"
#include "mapping/mapping.h"

namespace {
const char kOutEnding[] = "_Out.bin";
const char kLogEnding[] = "_Log.txt";
const char kSavingTheResult[] = "\nsaving the result";
const char kLogFormat[] =
    "program= Vantrels::fReadsOutOfSeq\ngenome= %s\ninput reads= %d\nread size scope=[%d,%d]\nresult:\n"
    "reads nout of genome= %d\nOutOfSeq reads size by user =[%d,%d]";

void fRun(const std::string& ResultDirectory, const std::string& ReadsPath, const std::string& GenomePath,
          AbsentReads& run, Outcome& outcome) {
  const std::string outPath = ResultDirectory + fFileStem(ReadsPath) + kOutEnding;
  // A genome that can't be held is passed over in silence.
  if (!fWriteAbsentReads(ReadsPath, GenomePath, false, nullptr, outPath, run, outcome)) return;
  outcome.fCount("input_reads", InputReads);
  outcome.fCount("reads_nout_of_genome", OutOfGenome);
  fSay(kSavingTheResult);

  fStage(Stage::kWriting);
  if (!run.log.fOpen(ResultDirectory + fFileStem(outPath) + fFileStem(GenomePath) + kLogEnding, outcome)) return;
  std::fprintf(run.log.file, kLogFormat, fShownPath(GenomePath).c_str(), InputReads, MinReadSize, MaxReadSize,
               OutOfGenome, MinReadSize, MaxReadSize);
}
}  // namespace

Outcome fReadsOutOfSeq(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath) {
  Outcome outcome;
  AbsentReads run;
  fRun(ResultDirectory, ReadsPath, GenomePath, run, outcome);
  fReleaseAbsentReads(run, outcome);
  return outcome;
}
