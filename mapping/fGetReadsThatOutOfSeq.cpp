// fGetReadsThatOutOfSeq: fReadsOutOfSeq for letter files. Reads of the size
// scope with a letter other than A, C, G, T are counted as defective; the
// absent ones are written as CODES to "<reads stem>_Out<genome stem>.txt".
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
#include "platform/platform.h"

namespace {
const char kNoMemoryForGenome[] = "\nno memory for SqMem";
const char kOutPart[] = "_Out";
const char kOutExtension[] = ".txt";
const char kLogEnding[] = "_Log.txt";
const char kSavingTheResult[] = "\nsaving the result";
const char kLogFormat[] =
    "program= Vantrels::fGetReadsThatOutOfSeq\ngenome= %s\ninput reads= %d\ndfective= %d\n"
    "read size scope (parameters by user)=[%d,%d]\nresult:\nreads out of genome= %d";

// Letters to codes in place; false at the first letter that is not a base.
bool fCodeRead(int32_t length) {
  unsigned char* read = reinterpret_cast<unsigned char*>(InputLine);
  for (int32_t i = 0; i < length; ++i) {
    unsigned char code = NucleotideCode[read[i]];
    if (code > 3) return false;
    read[i] = code;
  }
  return true;
}

// Writes the codes of every absent read of the scope; returns the defective count.
int32_t fWriteAbsentReads(std::ifstream& reads, FILE* absent) {
  int32_t defective = 0;
  int32_t length = 0;
  ReadAhead ahead(reads, true, fWholeLetterReadKeys);
  // Per-read path: no allocation, one write per absent read.
  while (ahead.fNext(length)) {
    if (length < MinReadSize || length > MaxReadSize) continue;
    if (!fCodeRead(length)) {
      ++defective;
      continue;
    }
    if (fIsReadInSeq(length)) continue;
    ++OutOfGenome;
    InputLine[length] = '\n';
    std::fwrite(InputLine, 1, static_cast<size_t>(length) + 1, absent);
  }
  return defective;
}

void fRun(const std::string& ResultDirectory, const std::string& ReadsPath, const std::string& GenomePath) {
  int32_t n = 0;
  int32_t tail = MaxReadSize < MaxLineLength ? MaxReadSize : MaxLineLength;
  GenomeLoad load = fLoadCodedGenome(GenomePath, true, tail, 0, n);
  if (load == GenomeLoad::kNoMemory) {
    std::fputs(kNoMemoryForGenome, stdout);
    fWaitKey();
  }
  if (load != GenomeLoad::kLoaded) return;
  if (!fBuild16Chain(n)) return;

  std::ifstream reads;
  if (!fOpenReadStream(ReadsPath, reads)) return;
  std::string outPath = ResultDirectory + fFileStem(ReadsPath) + kOutPart + fFileStem(GenomePath) + kOutExtension;
  FILE* absent = fOpenFile(outPath, "wb");
  if (absent == nullptr) return;

  OutOfGenome = 0;
  InputReads = 0;
  int32_t defective = fWriteAbsentReads(reads, absent);
  reads.close();
  std::fclose(absent);
  std::fputs(kSavingTheResult, stdout);

  FILE* log = fOpenFile(fStripExtension(outPath) + kLogEnding, "wb");
  if (log == nullptr) return;
  std::fprintf(log, kLogFormat, GenomePath.c_str(), InputReads, defective, MinReadSize, MaxReadSize, OutOfGenome);
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

Outcome fGetReadsThatOutOfSeq(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath) {
  fRunLegacy(ResultDirectory, ReadsPath, GenomePath);
  Outcome outcome;
  outcome.readsRead = InputReads;
  return outcome;
}
