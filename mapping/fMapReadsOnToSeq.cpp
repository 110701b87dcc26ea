// fMapReadsOnToSeq: for every coded read, the longest stretch from its fourth
// base on that occurs exactly on either strand; stretches of 26 bases or more
// go to "<reads path without extension>_In.bin" with a histogram in the log.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>
#include <string>

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/loaders.h"
#include "driver/memory.h"
#include "driver/outcome.h"
#include "driver/read_batches.h"
#include "driver/run_state.h"
#include "index/index16.h"
#include "mapping/mapping.h"
#include "mapping/mapping_notes.h"
#include "mapping/read_in_seq.h"
#include "mapping/run_steps.h"

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
constexpr int32_t kKeyEnd = kSkipped + kKey16Bases;
constexpr int32_t kShortestKept = 26;

// What a run holds until its end.
struct Held {
  Block<int32_t> stretchCounts;  // indexed by stretch length, every length a read can give
  std::ifstream reads;
  ResultFile kept;
  ResultFile log;
};

// The longest e such that read[kSkipped .. e-1] occurs at a position of the key
// read[3 .. 18]; 0 if the key has no position.
int32_t fBestStretchEnd(const unsigned char* read, int32_t length, int32_t L) {
  uint32_t key;
  if (!fReadKey(read + kSkipped, kKey16Bases, key)) return 0;
  int32_t best = 0;
  for (int32_t p = Root16[key]; p > 0; p = Chain16[p]) {
    // read[e] stands against Genome[p + e - 3]; the direct part stays inside the tail copy.
    const unsigned char* after = Genome + p + kKey16Bases;  // the genome base against read[19]
    int64_t directEnd = static_cast<int64_t>(L) + kMinimumTail - p + kSkipped + 1;
    int32_t end = directEnd < length ? static_cast<int32_t>(directEnd) : length;
    int32_t e = kKeyEnd;
    while (e < end && after[e - kKeyEnd] == read[e]) ++e;
    if (e == end) {
      while (e < length && fCircularBase(static_cast<int64_t>(p) + e - kSkipped, L) == read[e]) ++e;
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

// The longest stretch of the coded read `upper` on either strand, its reverse
// complement formed in `lower`, and the text it is on; 0 when it is shorter
// than the shortest kept. Ties go to the upper strand.
int32_t fLongestStretch(unsigned char* upper, unsigned char* lower, int32_t length, int32_t L,
                        unsigned char*& oriented) {
  // A read of 28 codes or fewer can't give a stretch of 26.
  if (length < kSkipped + kShortestKept) return 0;
  int32_t bestUpper = fBestStretchEnd(upper, length, L);
  fReverseComplementCodes(upper, length, lower);
  int32_t bestLower = fBestStretchEnd(lower, length, L);
  oriented = bestUpper >= bestLower ? upper : lower;
  int32_t stretch = (bestUpper >= bestLower ? bestUpper : bestLower) - kSkipped;
  return stretch < kShortestKept ? 0 : stretch;
}

// Writes a kept stretch, `bases` followed by room for its line feed.
void fKeepStretch(unsigned char* bases, int32_t stretch, uint32_t readNumber, int32_t length, FILE* kept,
                  int32_t* stretchCounts) {
  ++stretchCounts[stretch];
  bases[stretch] = '\n';
  std::fwrite(bases, 1, static_cast<size_t>(stretch) + 1, kept);
  // A 32-bit total wraps on a large reads file rather than overflowing.
  SumLength = static_cast<int32_t>(static_cast<uint32_t>(SumLength) + static_cast<uint32_t>(stretch));
  ++IntoGenome;
  fNoteRead(StretchNote{readNumber, length, stretch});
}

// The read pass (on RunThreads threads): each read's stretch is found and
// moved to the read's own place in the batch, then the kept ones are written
// in file order.
void fMapInBatches(std::istream& reads, FILE* kept, int32_t* stretchCounts, int32_t L) {
  auto match = [L](ReadBatch& batch, uint32_t first, uint32_t end, int, int) {
    unsigned char lower[kLineBufferSize];
    fWalkShare(batch, first, end, Seeds16Ahead<fStretchKeys>(), [&](const HeldRead<Keys16>& read, uint32_t i) {
      unsigned char* oriented = nullptr;
      const int32_t stretch = fLongestStretch(read.bases, lower, read.length, L, oriented);
      if (oriented == lower) std::memcpy(read.bases + kSkipped, lower + kSkipped, static_cast<size_t>(stretch));
      batch.values[i] = stretch;
    });
  };
  auto emit = [&](ReadBatch& batch) {
    for (uint32_t i = 0; i < batch.count; ++i)
      if (batch.values[i] > 0)
        fKeepStretch(batch.fRead(i) + kSkipped, batch.values[i], static_cast<uint32_t>(batch.numbers[i]),
                     batch.lengths[i], kept, stretchCounts);
    return true;
  };
  fRunReadBatches(reads, false, RunThreads, match, emit);
}

void fRun(const std::string& ResultDirectory, const std::string& ReadsPath, const std::string& GenomePath,
          int32_t L, Held& held, Outcome& outcome) {
  if (!fIndexGenome(L, false, outcome)) return;
  if (!held.stretchCounts.fAllocate(static_cast<size_t>(kLongestRead) + 1)) {
    fSay(kNoMemory);
    outcome.fFail(RunStatus::kNoMemory, "");
    return;
  }
  if (!fOpenReads(ReadsPath, held.reads, outcome)) return;
  if (!held.kept.fOpen(fStripExtension(ReadsPath) + kKeptEnding, outcome)) return;

  fStage(Stage::kReads);
  try {
    fMapInBatches(held.reads, held.kept.file, held.stretchCounts.data(), L);
  } catch (const std::bad_alloc&) {
    fSay(kNoMemory);
    outcome.fFail(RunStatus::kNoMemory, "");
    return;
  }
  held.reads.close();
  held.kept.fClose(outcome);
  OutOfGenome = InputReads - IntoGenome;
  outcome.fCount("input_reads", InputReads);
  outcome.fCount("out_of_genome", OutOfGenome);
  outcome.fCount("into_genome", IntoGenome);
  outcome.fCount("sum_length", SumLength);
  fSay(kSavingTheResult);

  fStage(Stage::kWriting);
  const std::string& keptPath = held.kept.path;
  const std::string logPath = fScopedName(ResultDirectory + fFileStem(keptPath), MinReadSize, MaxReadSize,
                                          fFileStem(GenomePath) + kLogEnding);
  if (!held.log.fOpen(logPath, outcome)) return;
  std::fprintf(held.log.file, kLogFormat, fShownPath(GenomePath).c_str(), fShownPath(keptPath).c_str(),
               MinReadSize, MaxReadSize, InputReads, OutOfGenome, IntoGenome, SumLength);
  std::fputs(kHistogramHeader, held.log.file);
  for (size_t stretch = 1; stretch < held.stretchCounts.size(); ++stretch)
    if (held.stretchCounts[stretch] > 0)
      std::fprintf(held.log.file, kHistogramRow, static_cast<int>(stretch), held.stretchCounts[stretch]);
}
}  // namespace

Outcome fMapReadsOnToSeq(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                         int32_t GenomeLength) {
  Outcome outcome;
  Held held;
  InputReads = IntoGenome = OutOfGenome = SumLength = 0;
  fRun(ResultDirectory, ReadsPath, GenomePath, GenomeLength, held, outcome);
  held.kept.fClose(outcome);
  held.log.fClose(outcome);
  held.stretchCounts.fRelease();
  fRelease16Chain();
  outcome.readsRead = InputReads;
  return outcome;
}
