// fMatchReadsT_VarSzO: maps every read of the size scope exactly, over its
// whole length, onto both strands, and writes for every genome position the
// reads that start there, each weighted by one over its number of places.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/loaders.h"
#include "driver/memory.h"
#include "driver/outcome.h"
#include "driver/read_batches.h"
#include "driver/run_state.h"
#include "index/index16.h"
#include "index/index_threads.h"
#include "mapping/mapping.h"
#include "mapping/mapping_notes.h"
#include "mapping/read_in_seq.h"
#include "mapping/run_steps.h"

namespace {
const char kNoMemory[] = "\nno mem fMatchReadsT_VarSzO";
const char kEmptyScope[] =
    "\nfMatchReadsT_VarSzO: rMinSz is greater than rMaxSz, so the read size scope holds no read length";
const char kTooLarge[] =
    "\nfMatchReadsT_VarSzO: (genome length + 1) x (size scope width) reaches 2^31 table entries; "
    "narrow the read size scope";
const char kSavingTheResult[] = "\nsaving the result";
const char kLogFormat[] =
    "program= fMatchReadsT_VarSzO\ngenome= %s\nreads= %s\nuser size scope=[%d,%d]\ninput reads= %d\n"
    "out of user size scope= %d\nprocessed= %d \nout of genome= %d\ninto genome= %d\nupper strand has= %d\n"
    "lower strand has= %d";
const char kUpperPart[] = "Up";
const char kLowerPart[] = "Lw";
const char kTableExtension[] = ".txt";
const char kLogEnding[] = "Log.txt";
constexpr int32_t kLinesPerTable = 1000000;

// A run's tables and what else it holds until its end. Row p (genome position
// 0 .. L), column c (read length - MinReadSize), at p * width + c.
struct Held {
  Block<int32_t> UpTable;
  Block<int32_t> LwTable;
  Block<int32_t> HitCount;
  int32_t width = 0;
  std::ifstream reads;
  ResultFile log;
};

// The tables as the per-read step uses them.
struct Tables {
  int32_t* up;
  int32_t* lower;
  int32_t* hitCount;
  int32_t width;
};

bool fAllocateTables(Held& held, int32_t L) {
  // A read and its reverse complement can each fit at every position.
  const size_t entries = (static_cast<size_t>(L) + 1) * static_cast<size_t>(held.width);
  return held.UpTable.fAllocate(entries) && held.LwTable.fAllocate(entries) && held.HitCount.fAllocate(entries);
}

// Reads that met the genome, per strand; each thread of a read pass keeps its own.
struct alignas(64) StrandTally {
  int32_t upper = 0;
  int32_t lower = 0;
  int32_t into = 0;
};

// A table cell raised by one. Read passes on several threads share the
// tables: their cells are raised atomically, and the sums stay the same.
template <bool kShared>
inline void fRaise(int32_t& cell) {
  if (kShared)
    __atomic_fetch_add(&cell, 1, __ATOMIC_RELAXED);
  else
    ++cell;
}

// Counts read[0 .. length-1] at every place of one strand where all its bases
// agree, appending the places to `hitList`; true if there was one.
template <bool kShared>
bool fCountStrand(const unsigned char* read, int32_t length, int32_t c, int32_t* table, const Tables& tables,
                  int32_t* hitList, int32_t& hits) {
  uint32_t key;
  const bool by16 = length >= kKey16Bases;
  const int k = by16 ? kKey16Bases : kKey8Bases;
  if (!fReadKey(read, k, key)) return false;
  const size_t rest = static_cast<size_t>(length - k);
  bool found = false;
  for (int32_t p = by16 ? Root16[key] : Root8[key]; p > 0; p = by16 ? Chain16[p] : Chain8[p]) {
    if (std::memcmp(read + k, Genome + p + k, rest) != 0) continue;
    fRaise<kShared>(table[static_cast<size_t>(p) * tables.width + c]);
    hitList[hits++] = p;
    found = true;
  }
  return found;
}

// The coded read, its reverse complement formed in `lower`. A place's hit
// count is the number of places of the bases there on both strands, the same
// whichever read sets it.
template <bool kShared>
void fMatchRead(const unsigned char* read, unsigned char* lower, int32_t length, const Tables& tables,
                int32_t* hitList, StrandTally& tally) {
  // Reads below 8 bases have no seed: processed and found nowhere.
  if (length < kKey8Bases) return;
  const int32_t c = length - MinReadSize;
  int32_t hits = 0;
  bool upperFound = fCountStrand<kShared>(read, length, c, tables.up, tables, hitList, hits);
  fReverseComplementCodes(read, length, lower);
  bool lowerFound = fCountStrand<kShared>(lower, length, c, tables.lower, tables, hitList, hits);
  for (int32_t i = 0; i < hits; ++i) {
    int32_t& cell = tables.hitCount[static_cast<size_t>(hitList[i]) * tables.width + c];
    if (kShared)
      __atomic_store_n(&cell, hits, __ATOMIC_RELAXED);
    else
      cell = hits;
  }
  tally.upper += upperFound;
  tally.lower += lowerFound;
  tally.into += upperFound || lowerFound;
}

// The read pass on RunThreads threads, each with its own hit list (the
// places of its current read, upper strand first) and tally; the tables are
// raised atomically only when they are shared. False when the hit lists
// can't be had.
bool fMatchInBatches(std::istream& reads, const Tables& tables, int32_t L, int32_t& outOfScope) {
  const int threads = RunThreads < 1 ? 1 : RunThreads;
  std::vector<Block<int32_t>> hitLists(static_cast<size_t>(threads));
  for (Block<int32_t>& list : hitLists)
    if (!list.fAllocate(2 * static_cast<size_t>(L) + 2)) return false;
  std::vector<StrandTally> tallies(static_cast<size_t>(threads));
  auto match = [&](ReadBatch& batch, uint32_t first, uint32_t end, int, int worker) {
    unsigned char lower[kLineBufferSize];
    int32_t* hitList = hitLists[static_cast<size_t>(worker)].data();
    StrandTally& tally = tallies[static_cast<size_t>(worker)];
    fWalkShare(batch, first, end, Seeds16Ahead<fWholeReadKeys<false>>(), [&](const HeldRead<Keys16>& read, uint32_t) {
      if (read.length < MinReadSize || read.length > MaxReadSize) return;
      if (threads > 1)
        fMatchRead<true>(read.bases, lower, read.length, tables, hitList, tally);
      else
        fMatchRead<false>(read.bases, lower, read.length, tables, hitList, tally);
    });
  };
  auto emit = [&outOfScope](ReadBatch& batch) {
    for (uint32_t i = 0; i < batch.count; ++i)
      outOfScope += batch.lengths[i] < MinReadSize || batch.lengths[i] > MaxReadSize;
    return true;
  };
  fRunReadBatches(reads, false, threads, match, emit);
  for (const StrandTally& tally : tallies) {
    UpperStrandReads += tally.upper;
    LowerStrandReads += tally.lower;
    IntoGenome += tally.into;
  }
  return true;
}

// Appends "%d\t%4.2lf\n" for position p and weight W; counts and whole
// weights are formatted here, other weights by the C library.
char* fFormatLine(char* out, int32_t p, double weight) {
  char digits[16];
  int used = 0;
  do {
    digits[used++] = static_cast<char>('0' + p % 10);
    p /= 10;
  } while (p > 0);
  while (used > 0) *out++ = digits[--used];
  *out++ = '\t';
  if (weight >= 0 && weight < 1e9 && weight == static_cast<double>(static_cast<int32_t>(weight))) {
    int32_t whole = static_cast<int32_t>(weight);
    do {
      digits[used++] = static_cast<char>('0' + whole % 10);
      whole /= 10;
    } while (whole > 0);
    while (used > 0) *out++ = digits[--used];
    std::memcpy(out, ".00\n", 4);
    return out + 4;
  }
  return out + std::snprintf(out, 64, "%4.2lf\n", weight);
}

// One strand's tables, split into files of at most 1,000,000 positions. A
// file that can't be created has been reported; the others are still written.
void fWriteStrand(const std::string& baseName, const char* part, const int32_t* table, const Held& held,
                  int32_t L, Outcome& outcome) {
  constexpr size_t kFlushAt = 1 << 20;
  const int32_t width = held.width;
  const int32_t* hitCount = held.HitCount.data();
  std::string text(kFlushAt + 128, '\0');
  int32_t p = 1;
  for (int32_t file = 1; p <= L; ++file) {
    const std::string name = baseName + part + std::to_string(file) + kTableExtension;
    FILE* out = fOpenOutput(name, outcome);
    int32_t last = L - p < kLinesPerTable ? L : p + kLinesPerTable - 1;
    if (out == nullptr) {
      p = last + 1;
      continue;
    }
    char* end = &text[0];
    for (; p <= last; ++p) {
      const double weight = fStartWeight(table, hitCount, static_cast<size_t>(p) * width, width);
      end = fFormatLine(end, p, weight);
      if (static_cast<size_t>(end - &text[0]) >= kFlushAt) {
        std::fwrite(text.data(), 1, end - &text[0], out);
        end = &text[0];
      }
    }
    std::fwrite(text.data(), 1, end - &text[0], out);
    fCloseOutput(out, name, outcome);
  }
}

// Both strands' tables, side by side when there are threads for it; the lower
// strand's outcome is taken after the upper strand's, as one thread writes them.
void fWriteStrands(const std::string& baseName, const Held& held, int32_t L, Outcome& outcome) {
  Outcome lower;
  fRunBoth([&] { fWriteStrand(baseName, kUpperPart, held.UpTable.data(), held, L, outcome); },
           [&] { fWriteStrand(baseName, kLowerPart, held.LwTable.data(), held, L, lower); });
  outcome.written.insert(outcome.written.end(), lower.written.begin(), lower.written.end());
  if (!lower.fSucceeded()) outcome.fFail(lower.status, lower.file);
}

// A scope that holds no read length, or one too wide to table, is refused
// before anything is built or written.
bool fScopeAccepted(int32_t L, Outcome& outcome) {
  if (MinReadSize > MaxReadSize) {
    fSay(kEmptyScope);
    outcome.fFail(RunStatus::kRefusedParameter, "rMinSz");
    return false;
  }
  if ((int64_t{L} + 1) * fSizeScopeWidth(MinReadSize, MaxReadSize) >= (int64_t{1} << 31)) {
    fSay(kTooLarge);
    outcome.fFail(RunStatus::kRefusedParameter, "rMaxSz");
    return false;
  }
  return true;
}

void fRun(const std::string& ResultDirectory, const std::string& ReadsPath, const std::string& GenomePath,
          int32_t L, Held& held, Outcome& outcome) {
  if (!fScopeAccepted(L, outcome)) return;
  held.width = fSizeScopeWidth(MinReadSize, MaxReadSize);
  if (!fIndexGenome(L, true, outcome)) return;
  if (!fAllocateTables(held, L)) {
    fSay(kNoMemory);
    outcome.fFail(RunStatus::kNoMemory, "");
    return;
  }
  if (!fOpenReads(ReadsPath, held.reads, outcome)) return;

  fStage(Stage::kReads);
  const Tables tables{held.UpTable.data(), held.LwTable.data(), held.HitCount.data(), held.width};
  int32_t outOfScope = 0;
  bool passed = false;
  try {
    passed = fMatchInBatches(held.reads, tables, L, outOfScope);
  } catch (const std::bad_alloc&) {
  }
  if (!passed) {
    fSay(kNoMemory);
    outcome.fFail(RunStatus::kNoMemory, "");
    return;
  }
  held.reads.close();
  OutOfGenome = InputReads - IntoGenome - outOfScope;
  outcome.fCount("input_reads", InputReads);
  outcome.fCount("out_of_user_size_scope", outOfScope);
  outcome.fCount("processed", OutOfGenome + IntoGenome);
  outcome.fCount("out_of_genome", OutOfGenome);
  outcome.fCount("into_genome", IntoGenome);
  outcome.fCount("upper_strand_has", UpperStrandReads);
  outcome.fCount("lower_strand_has", LowerStrandReads);
  fSay(kSavingTheResult);

  fStage(Stage::kWriting);
  const std::string baseName = fScopedName(ResultDirectory + fFileStem(ReadsPath), MinReadSize, MaxReadSize,
                                           fFileStem(GenomePath) + "_");
  // A file that can't be opened has been reported; the others are still written.
  if (held.log.fOpen(baseName + kLogEnding, outcome)) {
    std::fprintf(held.log.file, kLogFormat, fShownPath(GenomePath).c_str(), fShownPath(ReadsPath).c_str(),
                 MinReadSize, MaxReadSize, InputReads, outOfScope, OutOfGenome + IntoGenome, OutOfGenome,
                 IntoGenome, UpperStrandReads, LowerStrandReads);
    held.log.fClose(outcome);
  }
  fWriteStrands(baseName, held, L, outcome);
  if (CoverageTaker != nullptr && outcome.fSucceeded())
    CoverageTaker->fTake(CoverageTables{held.UpTable.data(), held.LwTable.data(), held.HitCount.data(), held.width,
                                        MinReadSize, L});
}
}  // namespace

CoverageTablesTaker* CoverageTaker = nullptr;

Outcome fMatchReadsT_VarSzO(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                            int32_t GenomeLength) {
  Outcome outcome;
  Held held;
  InputReads = OutOfGenome = LowerStrandReads = UpperStrandReads = IntoGenome = 0;
  fRun(ResultDirectory, ReadsPath, GenomePath, GenomeLength, held, outcome);
  held.log.fClose(outcome);
  fRelease16Chain();
  outcome.readsRead = InputReads;
  return outcome;
}
