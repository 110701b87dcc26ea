// Rating of genome positions across a list of read files: for every position
// where a parted segment starts, the number of files with at least one such read.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "driver/file_helpers.h"
#include "driver/outcome.h"
#include "driver/loaders.h"
#include "driver/run_state.h"
#include "parted/index12.h"
#include "parted/parted.h"
#include "parted/parted_hit.h"
#include "parted/read_batch.h"
#include "platform/platform.h"

namespace {
const char kNoMemory[] = "\nno memory_PARTED";
const char kSearching[] = "\nseaching parted reads";
const char kFileIndex[] = "\n%u";
const char kLogEnding[] = "_RatingLog.txt";
const char kLogProgram[] = "program= fMatchReadsT_VarSzParted1Rate\ndir of reads= ";
const char kLogGenome[] = "\ngenome= ";
const char kLogColumns[] = "\n\npos\trating";
const char kLogRow[] = "\n%d\t%u";

size_t fRatingBytes(int32_t n) { return sizeof(PositionRating) * (static_cast<size_t>(n) + 1); }

// Rates every read of one file. False if the file can't be opened.
bool fRateReadsFile(const std::string& path, PositionRating* ratings, uint32_t fileIndex, int32_t n,
                    ReadBatch& batch) {
  std::ifstream reads;
  batch.ended = false;
  if (!fOpenReadStream(path, reads)) return false;
  InputReads = 0;
  std::fputs(kSearching, stdout);
  while (fFillBatch(batch, reads, false) > 0) {
    fPrefetchHeadSeeds(batch);
    // Hot loop: one read per pass; no allocation, no formatting.
    for (int32_t i = 0; i < batch.count; ++i) {
      const int32_t length = batch.length[i];
      if (length < MinReadSize || length > MaxReadSize) continue;
      fTakeFromBatch(batch, i);
      fRatePartedRead(length, ratings, fileIndex, n);
    }
  }
  return true;
}
}  // namespace

void fRatePartedRead(int32_t readLength, PositionRating* ratings, uint32_t fileIndex, int32_t genomeLength) {
  if (readLength < 16) return;
  auto rate = [&](int32_t p, int32_t t, int32_t) {
    // A segment that starts before position 1 wraps over the genome's end.
    int32_t q = p - t;
    while (q < 1) q += genomeLength;
    PositionRating& at = ratings[q];
    if (at.lastFile < fileIndex) {
      ++at.rating;
      at.lastFile = fileIndex;
    }
  };
  fSearchHeadSeedBothStrands(readLength, rate, rate);
}

namespace {
void fRunLegacy(std::string ResultDirectory, std::string RateReadsArg, std::string GenomePath,
                                  int32_t /*GenomeLength: the genome is loaded here*/, std::string RateExtraArg) {
  // The genome is held as a circle on both sides, so a tail that starts before
  // position 1 is compared with the genome's end.
  const int32_t copies = MaxReadSize < MaxLineLength ? MaxReadSize : MaxLineLength;
  int32_t n = 0;
  GenomeLoad load = fLoadCodedGenome(GenomePath, false, copies, copies, n);
  if (load == GenomeLoad::kNoMemory) std::fputs(kNoMemory, stdout);
  if (load != GenomeLoad::kLoaded) return;

  PositionRating* ratings = static_cast<PositionRating*>(fAllocateLarge(fRatingBytes(n)));
  if (ratings == nullptr || !fAllocate12RootChain(n)) {
    std::fputs(kNoMemory, stdout);
    fReleaseLarge(ratings, fRatingBytes(n));
    fReleaseGenome();
    return;
  }
  fBuild12RootChain(n);

  auto release = [&]() {
    fRelease12RootChain(n);
    fReleaseLarge(ratings, fRatingBytes(n));
    fReleaseGenome();
  };

  std::ifstream list;
  if (!fOpenReadStream(RateExtraArg, list)) {
    release();
    return;
  }
  std::vector<char> name(static_cast<size_t>(MaxLineLength));
  ReadBatch batch;
  uint32_t fileIndex = 0;
  int32_t taken = 0;
  while (fGetLine(list, name.data(), MaxLineLength, taken)) {
    ++fileIndex;
    std::printf(kFileIndex, fileIndex);
    std::string line(name.data());
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!fRateReadsFile(RateReadsArg + line, ratings, fileIndex, n, batch)) {
      release();
      return;
    }
  }
  list.close();

  if (FILE* log = fOpenFile(ResultDirectory + kLogEnding, "wb")) {
    std::fputs(kLogProgram, log);
    std::fputs(RateReadsArg.c_str(), log);
    std::fputs(kLogGenome, log);
    std::fputs(GenomePath.c_str(), log);
    std::fputs(kLogColumns, log);
    for (int32_t q = 1; q <= n; ++q)
      if (ratings[q].rating > 0) std::fprintf(log, kLogRow, q, ratings[q].rating);
    std::fclose(log);
  }
  release();
}
}  // namespace

Outcome fMatchReadsT_VarSzPartedRate(std::string ResultDirectory, std::string RateReadsArg, std::string GenomePath,
                                  int32_t /*GenomeLength: the genome is loaded here*/, std::string RateExtraArg) {
  fRunLegacy(ResultDirectory, RateReadsArg, GenomePath, 0, RateExtraArg);
  Outcome outcome;
  outcome.readsRead = InputReads;
  return outcome;
}
