// fGetReadsThatOutOfSeq: fReadsOutOfSeq for letter files. Reads of the size
// scope with a letter other than A, C, G, T are counted as defective; the
// absent ones are written as CODES to "<reads stem>_Out<genome stem>.txt".
#include <cstdio>
#include <string>

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/outcome.h"
#include "driver/run_state.h"
#include "mapping/absent_reads.h"
#include "mapping/mapping.h"

namespace {
const char kNoMemoryForGenome[] = "\nno memory for SqMem";
const char kOutPart[] = "_Out";
const char kOutExtension[] = ".txt";
const char kLogEnding[] = "_Log.txt";
const char kSavingTheResult[] = "\nsaving the result";
const char kLogFormat[] =
    "program= Vantrels::fGetReadsThatOutOfSeq\ngenome= %s\ninput reads= %d\ndfective= %d\n"
    "read size scope (parameters by user)=[%d,%d]\nresult:\nreads out of genome= %d";

void fRun(const std::string& ResultDirectory, const std::string& ReadsPath, const std::string& GenomePath,
          AbsentReads& run, Outcome& outcome) {
  const std::string outPath =
      ResultDirectory + fFileStem(ReadsPath) + kOutPart + fFileStem(GenomePath) + kOutExtension;
  if (!fWriteAbsentReads(ReadsPath, GenomePath, true, kNoMemoryForGenome, outPath, run, outcome)) return;
  outcome.fCount("input_reads", InputReads);
  outcome.fCount("dfective", run.defective);
  outcome.fCount("reads_out_of_genome", OutOfGenome);
  fSay(kSavingTheResult);

  fStage(Stage::kWriting);
  if (!run.log.fOpen(fStripExtension(outPath) + kLogEnding, outcome)) return;
  std::fprintf(run.log.file, kLogFormat, fShownPath(GenomePath).c_str(), InputReads, run.defective, MinReadSize,
               MaxReadSize, OutOfGenome);
}
}  // namespace

Outcome fGetReadsThatOutOfSeq(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath) {
  Outcome outcome;
  AbsentReads run;
  fRun(ResultDirectory, ReadsPath, GenomePath, run, outcome);
  fReleaseAbsentReads(run, outcome);
  return outcome;
}
