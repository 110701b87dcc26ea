// Parted reads: reads whose first part matches the genome at some position and
// whose last part lies immediately before it, on either strand. Writes a log
// and the table of the genome segments found, grouped by position.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>
#include <string>

#include "driver/file_helpers.h"
#include "driver/outcome.h"
#include "driver/loaders.h"
#include "driver/run_state.h"
#include "parted/index12.h"
#include "parted/parted.h"
#include "parted/parted_hit.h"
#include "parted/read_batch.h"

namespace {
const char kNoMemory[] = "\nno memory_PARTED";
const char kSearching[] = "\nseaching parted reads";
const char kSavingLog[] = "\nsavig log-file";
const char kSorting[] = "\nsorting...";
const char kSaving[] = "\nsaving...";
const char kLogEnding[] = "_PartedLog.txt";
const char kTableEnding[] = "_Parted.txt";
const char kLogFormat[] =
    "program= Vantrels::fMatchReadsT_VarSzParted1\ngenome= %s\nreads= %s\nuser reads size scope=[%d,%d]"
    "\ninput reads= %d\nprocessed= %d\nreads on upper strand= %d\nreads on lower strand= %d";
const char kUpperHeader[] = "upper strand\t%d";
const char kLowerHeader[] = "\n\nlower strand\t%d";
const char kFirstAtPos[] = "\n%d\n";
const char kNextAtPos[] = "\n";

// Reading stops after the read that takes the upper-strand count above this.
constexpr int32_t kUpperHitStop = 9995;
constexpr size_t kInitialHitRoom = 10000;

// The console counter of lines read, kept as decimal text and advanced in
// place: one buffered write per read, no formatting.
struct LineCounter {
  char text[16] = {'0', '\n'};
  int32_t digits = 1;

  void fAdvance() {
    int32_t i = digits - 1;
    while (i >= 0 && text[i] == '9') text[i--] = '0';
    if (i >= 0) {
      ++text[i];
      return;
    }
    std::memmove(text + 1, text, static_cast<size_t>(digits) + 1);
    text[0] = '1';
    ++digits;
  }
  void fPrint() const { std::fwrite(text, 1, static_cast<size_t>(digits) + 1, stdout); }
};

void fWriteStrand(FILE* table, const char* header, const PartedHitList& hits) {
  std::fprintf(table, header, static_cast<int32_t>(hits.size()));
  for (size_t i = 0; i < hits.size(); ++i) {
    if (i == 0 || hits[i].pos != hits[i - 1].pos)
      std::fprintf(table, kFirstAtPos, hits[i].pos);
    else
      std::fputs(kNextAtPos, table);
    fWriteSegmentText(table, hits[i]);
  }
}
}  // namespace

// Searches the read in InputLine (codes, length L) and its reverse complement,
// written into WorkLine, appending their parted hits to the strand lists.
void fFindPartedRead(int32_t readLength, PartedHitList& upperHits, PartedHitList& lowerHits) {
  // A hit needs 12 seed bases and a tail of at least 4.
  if (readLength < 16) return;
  const int16_t size = static_cast<int16_t>(readLength);
  fSearchHeadSeedBothStrands(
      readLength,
      [&](int32_t p, int32_t t, int32_t k) {
        upperHits.push_back({p - t, size, static_cast<int16_t>(t), static_cast<int16_t>(k)});
      },
      [&](int32_t p, int32_t t, int32_t k) {
        lowerHits.push_back({p - t, size, static_cast<int16_t>(t), static_cast<int16_t>(k)});
      });
}

namespace {
void fRunLegacy(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                              int32_t /*GenomeLength: the genome is loaded here*/) {
  // No read is longer than a line, so no copy needs to be longer either.
  const int32_t copies = MaxReadSize < MaxLineLength ? MaxReadSize : MaxLineLength;
  int32_t n = 0;
  GenomeLoad load = fLoadCodedGenome(GenomePath, false, copies, copies, n);
  if (load == GenomeLoad::kNoMemory) std::fputs(kNoMemory, stdout);
  if (load != GenomeLoad::kLoaded) return;

  PartedHitList upperHits, lowerHits;
  try {
    upperHits.reserve(kInitialHitRoom);
    lowerHits.reserve(kInitialHitRoom);
  } catch (const std::bad_alloc&) {
    std::fputs(kNoMemory, stdout);
    fReleaseGenome();
    return;
  }
  if (!fAllocate12RootChain(n)) {
    std::fputs(kNoMemory, stdout);
    fReleaseGenome();
    return;
  }
  fBuild12RootChain(n);

  std::ifstream reads;
  if (!fOpenReadStream(ReadsPath, reads)) {
    fRelease12RootChain(n);
    fReleaseGenome();
    return;
  }
  InputReads = 0;
  int32_t processed = 0;
  std::fputs(kSearching, stdout);
  LineCounter counter;
  try {
    ReadBatch batch;
    bool stopped = false;
    while (!stopped && fFillBatch(batch, reads, false) > 0) {
      fPrefetchHeadSeeds(batch);
      // Hot loop: one read per pass; no allocation (the hit lists grow only
      // when full), no formatting, the console counter advanced as text.
      for (int32_t i = 0; i < batch.count; ++i) {
        counter.fAdvance();
        counter.fPrint();
        const int32_t length = batch.length[i];
        if (length < MinReadSize || length > MaxReadSize) continue;
        ++processed;
        fTakeFromBatch(batch, i);
        fFindPartedRead(length, upperHits, lowerHits);
        if (static_cast<int32_t>(upperHits.size()) > kUpperHitStop) {
          // The reads taken ahead of this one were never looked at.
          InputReads -= batch.count - 1 - i;
          stopped = true;
          break;
        }
      }
    }
  } catch (const std::bad_alloc&) {
    std::fputs(kNoMemory, stdout);
    fRelease12RootChain(n);
    fReleaseGenome();
    return;
  }
  reads.close();
  std::fputs(kSavingLog, stdout);

  std::string base = ResultDirectory + fFileStem(ReadsPath) + "[" + std::to_string(MinReadSize) + "-" +
                     std::to_string(MaxReadSize) + "]" + fFileStem(GenomePath);
  if (FILE* log = fOpenFile(base + kLogEnding, "wb")) {
    std::fprintf(log, kLogFormat, GenomePath.c_str(), ReadsPath.c_str(), MinReadSize, MaxReadSize, InputReads,
                 processed, static_cast<int32_t>(upperHits.size()), static_cast<int32_t>(lowerHits.size()));
    std::fclose(log);
  }

  std::fputs(kSorting, stdout);
  fRelease12RootChain(n);
  fSortHitsByPos(upperHits);
  fSortHitsByPos(lowerHits);

  std::fputs(kSaving, stdout);
  if (FILE* table = fOpenFile(base + kTableEnding, "wb")) {
    fWriteStrand(table, kUpperHeader, upperHits);
    fWriteStrand(table, kLowerHeader, lowerHits);
    std::fclose(table);
  }
  fReleaseGenome();
}
}  // namespace

Outcome fMatchReadsT_VarSzParted(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                              int32_t /*GenomeLength: the genome is loaded here*/) {
  fRunLegacy(ResultDirectory, ReadsPath, GenomePath, 0);
  Outcome outcome;
  outcome.readsRead = InputReads;
  return outcome;
}
