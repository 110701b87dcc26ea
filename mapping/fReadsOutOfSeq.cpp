// fReadsOutOfSeq: copies the coded reads of the size scope that occur nowhere
// in the coded genome, on either strand, to "<reads stem>_Out.bin".
#include <cstdio>
#include <fstream>
#include <string>

#include "driver/file_helpers.h"
#include "driver/outcome.h"
#include "driver/loaders.h"
#include "driver/run_state.h"
#include "index/index16.h"
#include "mapping/mapping.h"
#include "mapping/read_ahead.h"
#include "mapping/read_in_seq.h"

namespace {
const char kOutEnding[] = "_Out.bin";
const char kLogEnding[] = "_Log.txt";
const char kSavingTheResult[] = "\nsaving the result";
const char kLogFormat[] =
    "program= Vantrels::fReadsOutOfSeq\ngenome= %s\ninput reads= %d\nread size scope=[%d,%d]\nresult:\n"
    "reads nout of genome= %d\nOutOfSeq reads size by user =[%d,%d]";

// Copies every read of the scope that fIsReadInSeq rejects, unchanged, in input order.
void fWriteAbsentReads(std::ifstream& reads, FILE* absent) {
  int32_t length = 0;
  ReadAhead ahead(reads, false, fWholeReadKeys);
  // Per-read path: no allocation, one write per absent read.
  while (ahead.fNext(length)) {
    if (length < MinReadSize || length > MaxReadSize || fIsReadInSeq(length)) continue;
    ++OutOfGenome;
    InputLine[length] = '\n';
    std::fwrite(InputLine, 1, static_cast<size_t>(length) + 1, absent);
  }
}

void fRun(const std::string& ResultDirectory, const std::string& ReadsPath, const std::string& GenomePath) {
  int32_t n = 0;
  // Reads longer than a line buffer can't exist, so the tail needs no more.
  int32_t tail = MaxReadSize < MaxLineLength ? MaxReadSize : MaxLineLength;
  if (fLoadCodedGenome(GenomePath, false, tail, 0, n) != GenomeLoad::kLoaded) return;
  if (!fBuild16Chain(n)) return;

  std::ifstream reads;
  if (!fOpenReadStream(ReadsPath, reads)) return;
  std::string outPath = ResultDirectory + fFileStem(ReadsPath) + kOutEnding;
  FILE* absent = fOpenFile(outPath, "wb");
  if (absent == nullptr) return;

  OutOfGenome = 0;
  InputReads = 0;
  fWriteAbsentReads(reads, absent);
  reads.close();
  std::fclose(absent);
  std::fputs(kSavingTheResult, stdout);

  FILE* log = fOpenFile(ResultDirectory + fFileStem(outPath) + fFileStem(GenomePath) + kLogEnding, "wb");
  if (log == nullptr) return;
  std::fprintf(log, kLogFormat, GenomePath.c_str(), InputReads, MinReadSize, MaxReadSize, OutOfGenome,
               MinReadSize, MaxReadSize);
  std::fclose(log);
}
}  // namespace

namespace {
void fRunLegacy(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath) {
  fRun(ResultDirectory, ReadsPath, GenomePath);
  fRelease16Chain();
  fReleaseGenome();
}
}  // namespace

Outcome fReadsOutOfSeq(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath) {
  fRunLegacy(ResultDirectory, ReadsPath, GenomePath);
  Outcome outcome;
  outcome.readsRead = InputReads;
  return outcome;
}
