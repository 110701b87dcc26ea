// fMapReadsOnToSeq: for every coded read, the longest stretch from its fourth
// base on that occurs exactly on either strand; stretches of 26 bases or more
// go to "<reads path without extension>_In.bin" with a histogram in the log.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "driver/file_helpers.h"
#include "driver/outcome.h"
#include "driver/run_state.h"
#include "index/index16.h"
#include "mapping/mapping.h"
#include "mapping/read_ahead.h"
#include "mapping/read_in_seq.h"

namespace {
const char kNoMemory[] = "\nno mem fMapReadsOnToSeq";
const char kSavingTheResult[] = "\nsaving the result";
const char kKeptEnding[] = "_In.bin";
const char kLogEnding[] = "_Log.txt";
const char kLogFormat[] =
    "program= fMapReadsOnToSeq\ngenome= %s\nreads= %s\nread size scope=[%d,%d]\ninput reads= %d\n"
    "out of genome= %d\ninto genome= %d\nsum length=%d";
const char kHistogramHeader[] = "\nreadSz\tcases";
const char kHistogramRow[] = "\n%d\t%d";
// The read's first three bases are never part of a stretch; the 16-mer key
// is taken from the bases after them.
constexpr int32_t kSkipped = 3;
constexpr int32_t kKeyEnd = kSkipped + 16;
constexpr int32_t kShortestKept = 26;

int32_t* StretchCounts = nullptr;  // indexed by stretch length, every length a record can give
// Bases of circular copy after Genome[GenomeLength] that every genome load gives.
constexpr int32_t kGuaranteedTail = 16;

// Genome base i of the circle: past the tail copy, positions wrap round.
inline unsigned char fCircularBase(int64_t i, int32_t n) {
  if (i > static_cast<int64_t>(n) + kGuaranteedTail) i = (i - 1) % n + 1;
  return Genome[i];
}

// The longest e such that read[kSkipped .. e-1] occurs at a position of the key
// read[3 .. 18]; 0 if the key has no position.
int32_t fBestStretchEnd(const unsigned char* read, int32_t length, int32_t n) {
  uint32_t key;
  if (!fReadKey(read + kSkipped, 16, key)) return 0;
  int32_t best = 0;
  for (int32_t p = Root16[key]; p > 0; p = Chain16[p]) {
    // read[e] stands against Genome[p + e - 3]; the direct part stays inside the tail copy.
    const unsigned char* after = Genome + p + 16;  // the genome base against read[19]
    int64_t directEnd = static_cast<int64_t>(n) + kGuaranteedTail - p + kSkipped + 1;
    int32_t end = directEnd < length ? static_cast<int32_t>(directEnd) : length;
    int32_t e = kKeyEnd;
    while (e < end && after[e - kKeyEnd] == read[e]) ++e;
    if (e == end) {
      while (e < length && fCircularBase(static_cast<int64_t>(p) + e - kSkipped, n) == read[e]) ++e;
    }
    if (e > best) best = e;
    if (best == length) break;
  }
  return best;
}

// Keys of the 16 codes after the first three, on both strands, for reading ahead.
int fStretchKeys(const unsigned char* read, int32_t length, uint32_t* keys) {
  if (length < kSkipped + kShortestKept) return 0;
  uint32_t upper = 0;
  uint32_t lower = 0;
  for (int32_t i = kSkipped; i < kKeyEnd; ++i) {
    upper = (upper << 2) + (read[i] & 3u);
    lower = (lower << 2) + (3u - (read[length - 1 - i] & 3u));
  }
  keys[0] = upper;
  keys[1] = lower;
  return 2;
}

void fMapOneReadStretch(int32_t length, FILE* kept, int32_t n) {
  // A record of 28 codes or fewer can't give a stretch of 26.
  if (length < kSkipped + kShortestKept) return;
  unsigned char* upper = reinterpret_cast<unsigned char*>(InputLine);
  unsigned char* lower = reinterpret_cast<unsigned char*>(WorkLine);
  int32_t bestUpper = fBestStretchEnd(upper, length, n);
  fReverseComplementCodes(upper, length, lower);
  int32_t bestLower = fBestStretchEnd(lower, length, n);
  // Ties go to the upper strand.
  unsigned char* oriented = bestUpper >= bestLower ? upper : lower;
  int32_t stretch = (bestUpper >= bestLower ? bestUpper : bestLower) - kSkipped;
  if (stretch < kShortestKept) return;
  ++StretchCounts[stretch];
  oriented[kSkipped + stretch] = '\n';
  std::fwrite(oriented + kSkipped, 1, static_cast<size_t>(stretch) + 1, kept);
  // A 32-bit total wraps on a large reads file rather than overflowing.
  SumLength = static_cast<int32_t>(static_cast<uint32_t>(SumLength) + static_cast<uint32_t>(stretch));
  ++IntoGenome;
}

void fRun(const std::string& ResultDirectory, const std::string& ReadsPath, const std::string& GenomePath,
          int32_t n) {
  if (!fBuild16Chain(n)) return;
  const int32_t slots = MaxLineLength + 1;
  StretchCounts = static_cast<int32_t*>(std::calloc(static_cast<size_t>(slots), sizeof(int32_t)));
  if (StretchCounts == nullptr) {
    std::fputs(kNoMemory, stdout);
    return;
  }
  std::ifstream reads;
  if (!fOpenReadStream(ReadsPath, reads)) return;
  std::string keptPath = fStripExtension(ReadsPath) + kKeptEnding;
  FILE* kept = fOpenFile(keptPath, "wb");
  if (kept == nullptr) return;

  InputReads = IntoGenome = OutOfGenome = SumLength = 0;
  int32_t length = 0;
  ReadAhead ahead(reads, false, fStretchKeys);
  // Per-read path: no allocation; the reverse complement goes to WorkLine and a
  // kept stretch is one write.
  while (ahead.fNext(length)) fMapOneReadStretch(length, kept, n);
  reads.close();
  std::fclose(kept);
  OutOfGenome = InputReads - IntoGenome;
  std::fputs(kSavingTheResult, stdout);

  std::string logPath = ResultDirectory + fFileStem(keptPath) + "[" + std::to_string(MinReadSize) + "-" +
                        std::to_string(MaxReadSize) + "]" + fFileStem(GenomePath) + kLogEnding;
  FILE* log = fOpenFile(logPath, "wb");
  if (log == nullptr) return;
  std::fprintf(log, kLogFormat, GenomePath.c_str(), keptPath.c_str(), MinReadSize, MaxReadSize, InputReads,
               OutOfGenome, IntoGenome, SumLength);
  std::fputs(kHistogramHeader, log);
  for (int32_t stretch = 1; stretch < slots; ++stretch)
    if (StretchCounts[stretch] > 0) std::fprintf(log, kHistogramRow, stretch, StretchCounts[stretch]);
  std::fclose(log);
}
}  // namespace

namespace {
void fRunLegacy(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                      int32_t GenomeLength) {
  fRun(ResultDirectory, ReadsPath, GenomePath, GenomeLength);
  std::free(StretchCounts);
  StretchCounts = nullptr;
  fRelease16Chain();
}
}  // namespace

Outcome fMapReadsOnToSeq(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                      int32_t GenomeLength) {
  fRunLegacy(ResultDirectory, ReadsPath, GenomePath, GenomeLength);
  Outcome outcome;
  outcome.readsRead = InputReads;
  return outcome;
}
