// Circular RNA: reads that are circular permutations of a genome segment of
// their own length, found from the read's first and last 12 bases on both
// strands. One result file holds the run's counts and the hits by position.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <new>
#include <string>

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/loaders.h"
#include "driver/outcome.h"
#include "driver/read_ahead.h"
#include "driver/read_batches.h"
#include "driver/run_state.h"
#include "parted/index12.h"
#include "parted/parted.h"
#include "parted/parted_hit.h"
#include "parted/parted_notes.h"
#include "parted/parted_run.h"
#include "platform/platform.h"

namespace {
const char kEcho[] = "procedure  fIdentifyCircularRna\ngenome        %s\nreads         %s";
const char kExecuting[] = "\nexecuting...";
const char kNoMemoryForHits[] = "\nno memory rCycled";
const char kSearching[] = "\nseaching permuted reads";
const char kSorting[] = "\nsorting...";
const char kSaving[] = "\nsaving...";
const char kResultEnding[] = "_RCircular.txt";
const char kScratchShort[] = "\nnot every hit reached the scratch file ";
const char kUpperScratch[] = "CycledUp.tmp";
const char kLowerScratch[] = "CycledLw.tmp";
const char kHeader[] =
    "program= Vantrels::fIdentifyCircularRna\ngenome= %s\nreads= %s\nreads size scope by user=[%d,%d]"
    "\nReads::input=%d\twirhin scope size=%d\ndefective=%d\tin genome=%d\tanalized=%d"
    "\ncircular on (+) strand=%d; ncircular on (-) strand=%d; circulars in total=%d;\npossible cycled Rna";
const char kUpperFirst[] = "\n+%d\t";
const char kUpperNext[] = "\n+\t%d\t";
const char kLowerFirst[] = "\n-%d\t";
const char kLowerNext[] = "\n-\t%d\t";

// Scratch records, little-endian, in the order found: pos (4 bytes), rSz,
// leftSz, rightSz (one byte each), one reserved byte. When the scope admits
// reads longer than 139 bases a part may exceed 8 bits; the records are then
// 12 bytes: pos (4), rSz, leftSz, rightSz (2 bytes each), two reserved.
constexpr int32_t kLongestNarrowRead = 139;
constexpr size_t kNarrowRecord = 8;
constexpr size_t kWideRecord = 12;

// One strand of the search: its scratch file, its hit count and the hits of
// the read being searched, held back until the read is known not to be a
// whole match. The count is 64-bit: when every read is read it is not bounded.
struct CycledStrand {
  FILE* file = nullptr;
  std::string path;
  int64_t count = 0;
  PartedHitList pending;
  size_t headHits = 0;  // of the pending hits, the first ones: found from the head seed
};

// What a run holds between its steps; fReleaseRun gives back whatever of it is
// held, whichever step the run ended at.
struct CircularRun {
  std::string genomePath;
  std::string readsPath;
  std::string resultPath;
  FILE* result = nullptr;
  CycledStrand upper, lower;
  int32_t n = 0;
  int32_t withinScope = 0;
  int32_t defective = 0;
};

size_t fRecordSize() { return MaxReadSize > kLongestNarrowRead ? kWideRecord : kNarrowRecord; }

void fPutLittle(unsigned char* at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

uint32_t fGetLittle(const unsigned char* at, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | at[i];
  return value;
}

void fWriteRecord(FILE* file, const PartedHit& hit, size_t recordSize) {
  unsigned char record[kWideRecord] = {};
  fPutLittle(record, static_cast<uint32_t>(hit.pos), 4);
  const int field = recordSize == kWideRecord ? 2 : 1;
  fPutLittle(record + 4, static_cast<uint16_t>(hit.rSz), field);
  fPutLittle(record + 4 + field, static_cast<uint16_t>(hit.leftSz), field);
  fPutLittle(record + 4 + 2 * field, static_cast<uint16_t>(hit.rightSz), field);
  std::fwrite(record, 1, recordSize, file);
}

PartedHit fReadRecord(const unsigned char* record, size_t recordSize) {
  PartedHit hit;
  hit.pos = static_cast<int32_t>(fGetLittle(record, 4));
  if (recordSize == kWideRecord) {
    hit.rSz = static_cast<int16_t>(fGetLittle(record + 4, 2));
    hit.leftSz = static_cast<int16_t>(fGetLittle(record + 6, 2));
    hit.rightSz = static_cast<int16_t>(fGetLittle(record + 8, 2));
  } else {
    hit.rSz = record[4];
    hit.leftSz = static_cast<int8_t>(record[5]);
    hit.rightSz = static_cast<int8_t>(record[6]);
  }
  return hit;
}

// A scratch file short of the hits counted (a full disk) would leave the
// table short of the header's counts: the run stops with the result empty.
void fScratchShort(const std::string& path, Outcome& outcome) {
  fSay(kScratchShort);
  fSay(path.c_str());
  fPause();
  outcome.fFail(RunStatus::kOutputFailed, path);
}

// Closes a strand's scratch file after the reads; false, said, if a write failed.
bool fCloseScratch(CycledStrand& strand, Outcome& outcome) {
  bool written = !std::ferror(strand.file);
  if (std::fclose(strand.file) != 0) written = false;
  strand.file = nullptr;
  if (!written) fScratchShort(strand.path, outcome);
  return written;
}

// Reads back the strand's records into `hits`. False if the file can't be
// opened or holds fewer records than counted.
bool fLoadScratch(const CycledStrand& strand, PartedHitList& hits, Outcome& outcome) {
  FILE* file = fOpenFile(strand.path, "rb");
  if (file == nullptr) {
    outcome.fFail(RunStatus::kOutputFailed, strand.path);
    return false;
  }
  const size_t recordSize = fRecordSize();
  unsigned char record[kWideRecord];
  for (int64_t i = 0; i < strand.count && std::fread(record, 1, recordSize, file) == recordSize; ++i)
    hits.push_back(fReadRecord(record, recordSize));
  std::fclose(file);
  if (hits.size() == static_cast<size_t>(strand.count)) return true;
  fScratchShort(strand.path, outcome);
  return false;
}

// The keys of the four seeds of a coded read: upper head and end, then lower
// head and end (the reverse complements of the read's end and head).
void fSeedKeys(const unsigned char* read, int32_t length, int32_t* keys) {
  keys[0] = fSeedKey12(read);
  keys[1] = fSeedKey12(read + length - kSeedBases);
  keys[2] = fSeedKey12Reverse(read + length - kSeedBases);
  keys[3] = fSeedKey12Reverse(read);
}

// End-seed search of one strand's text: for every position p of the text's
// last 12-mer, the extension k runs leftwards over the text's bases before the
// seed while they match the genome before the seed; the t = L - 12 - k first
// bases of the text must lie right after the seed. True at a whole match.
bool fSearchEndSeed(const unsigned char* text, int32_t length, int32_t firstPlace, PartedHitList& hits) {
  const int32_t beforeSeed = length - kSeedBases;
  const unsigned char* lastBefore = text + beforeSeed - 1;
  const int16_t size = static_cast<int16_t>(length);
  for (int32_t p = firstPlace; p > 0; p = Chain12[p]) {
    fPrefetch(Chain12 + p);
    const unsigned char* genomeBefore = Genome + p - 1;
    int32_t k = 0;
    while (k < beforeSeed && lastBefore[-k] == genomeBefore[-k]) ++k;
    int32_t t = beforeSeed - k;
    if (t == 0) return true;
    if (t < kShortestTail) continue;
    const unsigned char* genomeAfter = Genome + p + kSeedBases;
    int32_t i = 0;
    while (i < t && text[i] == genomeAfter[i]) ++i;
    if (i == t) hits.push_back({p - k, size, static_cast<int16_t>(k), static_cast<int16_t>(t)});
  }
  return false;
}

// Head- and end-seed searches of one strand's text, from the first places of
// its two seeds; true at a whole match.
bool fSearchStrand(const unsigned char* text, int32_t length, int32_t headFirst, int32_t endFirst,
                   PartedHitList& hits, size_t& headHits) {
  const int16_t size = static_cast<int16_t>(length);
  bool whole = fSearchHeadSeed<true>(text, length, headFirst, [&](int32_t p, int32_t t, int32_t k) {
    hits.push_back({p - t, size, static_cast<int16_t>(t), static_cast<int16_t>(k)});
  });
  headHits = hits.size();
  return whole || fSearchEndSeed(text, length, endFirst, hits);
}

// The hook of the reads held ahead (driver/read_ahead.h): codes every read
// within the size scope in place and marks those with a letter that is no
// base; asks for the root entries of the four seeds of each read that can be
// searched, then for their first places.
struct CycledSeedsAhead {
  struct Seeds {
    int32_t keys[4];  // -1: none
    bool defective;
  };

  bool fTake(HeldRead<Seeds>& read) const {
    Seeds& seeds = read.seeds;
    const int32_t length = read.length;
    seeds.keys[0] = seeds.keys[1] = seeds.keys[2] = seeds.keys[3] = -1;
    seeds.defective = false;
    if (length < MinReadSize || length > MaxReadSize) return true;
    seeds.defective = fLettersToCodes(reinterpret_cast<const char*>(read.bases), length, read.bases) < length;
    if (seeds.defective || length < kSeedBases) return true;
    fSeedKeys(read.bases, length, seeds.keys);
    for (int32_t key : seeds.keys) fPrefetchRoot(key);
    return true;
  }
  void fFollow(const HeldRead<Seeds>& read) const {
    for (int32_t key : read.seeds.keys) fPrefetchPlace(fFirstPlace(key));
  }
  void fFollowOn(const HeldRead<Seeds>&) const {}
};

// The hits of the coded read (length >= 12) on both strands, its reverse
// complement formed in `complement`: true when it is found whole instead.
bool fSearchCycled(const unsigned char* read, unsigned char* complement, int32_t readLength, CycledStrand& upper,
                   CycledStrand& lower) {
  upper.pending.clear();
  lower.pending.clear();
  // The four seeds are looked up together so that their cache misses overlap;
  // the lower strand's head seed is the reverse complement of the read's end.
  int32_t keys[4];
  fSeedKeys(read, readLength, keys);
  int32_t first[4];
  for (int32_t key : keys) fPrefetchRoot(key);
  for (int i = 0; i < 4; ++i) first[i] = fFirstPlace(keys[i]);
  for (int32_t place : first) fPrefetchPlace(place);
  bool whole = fSearchStrand(read, readLength, first[0], first[1], upper.pending, upper.headHits);
  if (!whole) {
    fReverseComplementCodes(read, readLength, complement);
    whole = fSearchStrand(complement, readLength, first[2], first[3], lower.pending, lower.headHits);
  }
  return whole;
}

// A size that holds no number ends the selection-file run with the message of
// the conversion (exit code 1); a caller without a console gets it back as a
// refused parameter.
bool fReadSize(ParamMap& params, const char* key, int32_t& size, Outcome& outcome) {
  const std::string& text = params[key];
  if (ConsoleOn) {
    size = fParamNumber(key, text);
    return true;
  }
  if (fParseNumber(text, size)) return true;
  outcome.fFail(RunStatus::kRefusedParameter, key);
  return false;
}

// Reads the parameter file and sets the size scope; echoes the run to the operator.
bool fReadSettings(const std::string& paramFilePath, CircularRun& run, std::string& resultDirectory,
                   Outcome& outcome) {
  ParamMap params;
  if (!fReadParamFile(params, paramFilePath)) outcome.fFail(RunStatus::kInputMissing, paramFilePath);
  resultDirectory = params["diRes"] + PlatformSeparator;
  run.genomePath = params["pthGnm"];
  run.readsPath = params["pthReads"];
  // A parameter file that can't be read leaves the sizes empty, which stops the run here.
  if (!fReadSize(params, "rMinSz", MinReadSize, outcome) || !fReadSize(params, "rMaxSz", MaxReadSize, outcome))
    return false;
  SizeScopeWidth = fSizeScopeWidth(MinReadSize, MaxReadSize);
  fSayf(kEcho, run.genomePath.c_str(), run.readsPath.c_str());
  fPause();
  fSay(kExecuting);
  return true;
}

// Creates the result file and the two scratch files.
bool fCreateFiles(const std::string& resultDirectory, CircularRun& run, Outcome& outcome) {
  run.resultPath = resultDirectory + fFileStem(run.readsPath) + kResultEnding;
  run.result = fOpenOutput(run.resultPath, outcome);
  if (run.result == nullptr) return false;
  // The genome is looked at before the scratch files are made, so that a
  // missing genome leaves none behind.
  if (fGenomeFileSize(run.genomePath) < 0) {
    outcome.fFail(RunStatus::kInputMissing, run.genomePath);
    return false;
  }
  run.upper.path = resultDirectory + kUpperScratch;
  run.lower.path = resultDirectory + kLowerScratch;
  run.upper.file = fOpenOutput(run.upper.path, outcome);
  if (run.upper.file == nullptr) return false;
  run.lower.file = fOpenOutput(run.lower.path, outcome);
  return run.lower.file != nullptr;
}

// A hit a worker found for a read of its batch: its strand, and whether it
// came from the head seed.
struct CycledHit {
  uint32_t read;
  bool lower;
  bool head;
  PartedHit hit;
};

// What a read of a batch turned out to be.
enum : unsigned char { kSkipped = 0, kDefective = 1, kWhole = 2, kSearched = 3 };

// Every read of the file through the search, until its end or the stop rule,
// on RunThreads threads: the reads of a batch are coded and searched, then
// their hits are written, noted and counted against the stop rule in file
// order; what was taken past the stopping read is dropped.
void fSearchReads(std::ifstream& reads, CircularRun& run, Outcome& outcome) {
  fStage(Stage::kReads);
  IntoGenome = 0;
  InputReads = 0;
  fSay(kSearching);
  ShareRecords<CycledHit> found(RunThreads);
  // Each thread's two strands keep the room of their pending hits from share to share.
  std::vector<CycledStrand> searched(2 * static_cast<size_t>(RunThreads < 1 ? 1 : RunThreads));
  auto match = [&found, &searched](ReadBatch& batch, uint32_t first, uint32_t end, int share, int worker) {
    std::vector<CycledHit>& hits = found.fOf(batch, share);
    hits.clear();
    unsigned char complement[kLineBufferSize];
    CycledStrand& upper = searched[2 * static_cast<size_t>(worker)];
    CycledStrand& lower = searched[2 * static_cast<size_t>(worker) + 1];
    auto keep = [&](uint32_t i, const CycledStrand& strand, bool isLower) {
      for (size_t k = 0; k < strand.pending.size(); ++k)
        hits.push_back({i, isLower, k < strand.headHits, strand.pending[k]});
    };
    fWalkShare(batch, first, end, CycledSeedsAhead(), [&](const HeldRead<CycledSeedsAhead::Seeds>& read, uint32_t i) {
      const int32_t length = read.length;
      if (length < MinReadSize || length > MaxReadSize) return;
      if (read.seeds.defective) {
        batch.results[i] = kDefective;
        return;
      }
      if (length < kSeedBases) return;
      if (fSearchCycled(read.bases, complement, length, upper, lower)) {
        batch.results[i] = kWhole;
        return;
      }
      batch.results[i] = kSearched;
      keep(i, upper, false);
      keep(i, lower, true);
    });
  };
  const size_t recordSize = fRecordSize();
  auto emit = [&](ReadBatch& batch) {
    ShareRecords<CycledHit>::Cursor cursor(found, batch);
    for (uint32_t i = 0; i < batch.count; ++i) {
      const int32_t length = batch.lengths[i];
      if (length < MinReadSize || length > MaxReadSize) continue;
      ++run.withinScope;
      const unsigned char result = batch.results[i];
      if (result == kDefective) ++run.defective;
      if (result == kDefective || length < kSeedBases) continue;
      if (result == kWhole) ++IntoGenome;
      const uint32_t number = static_cast<uint32_t>(batch.numbers[i]);
      cursor.fTake(i, [&](const CycledHit& one) {
        CycledStrand& strand = one.lower ? run.lower : run.upper;
        fWriteRecord(strand.file, one.hit, recordSize);
        fNotePartedHit(one.hit, number, one.lower ? kLowerPartedNote : kUpperPartedNote,
                       one.head ? kHeadSeedNote : kEndSeedNote);
        ++strand.count;
      });
      if (fAboveHitLimit(run.upper.count)) {
        fStopAtHitLimit(batch.numbers[i], outcome);
        return false;
      }
    }
    return true;
  };
  fRunReadBatches(reads, true, RunThreads, match, emit);
}

// Reads both strands' hits back from their scratch files, at the sizes counted.
bool fReadBackHits(const CircularRun& run, PartedHitList& upperHits, PartedHitList& lowerHits, Outcome& outcome) {
  try {
    // Counts past 32 bits can't be held, nor told in the header.
    if (run.upper.count > INT32_MAX || run.lower.count > INT32_MAX) throw std::bad_alloc();
    upperHits.reserve(static_cast<size_t>(run.upper.count));
    lowerHits.reserve(static_cast<size_t>(run.lower.count));
  } catch (const std::bad_alloc&) {
    fSay(kNoMemoryForHits);
    outcome.fFail(RunStatus::kNoMemory, "");
    return false;
  }
  return fLoadScratch(run.upper, upperHits, outcome) && fLoadScratch(run.lower, lowerHits, outcome);
}

void fWriteStrand(FILE* result, const char* first, const char* next, const PartedHitList& hits) {
  for (size_t i = 0; i < hits.size(); ++i) {
    bool opensGroup = i == 0 || hits[i].pos != hits[i - 1].pos;
    std::fprintf(result, opensGroup ? first : next, hits[i].pos);
    fWriteSegmentText(result, hits[i]);
  }
}

void fWriteResult(CircularRun& run, PartedHitList& upperHits, PartedHitList& lowerHits, Outcome& outcome) {
  const int32_t upperCount = static_cast<int32_t>(run.upper.count);
  const int32_t lowerCount = static_cast<int32_t>(run.lower.count);
  const int32_t analysed = run.withinScope - IntoGenome - run.defective;
  std::fprintf(run.result, kHeader, fShownPath(run.genomePath).c_str(), fShownPath(run.readsPath).c_str(),
               MinReadSize, MaxReadSize, InputReads, run.withinScope, run.defective, IntoGenome, analysed,
               upperCount, lowerCount, upperCount + lowerCount);
  outcome.fCount("reads_input", InputReads);
  outcome.fCount("wirhin_scope_size", run.withinScope);
  outcome.fCount("defective", run.defective);
  outcome.fCount("in_genome", IntoGenome);
  outcome.fCount("analized", analysed);
  outcome.fCount("circular_on_plus_strand", upperCount);
  outcome.fCount("ncircular_on_minus_strand", lowerCount);
  outcome.fCount("circulars_in_total", upperCount + lowerCount);
  fStage(Stage::kSorting);
  fSay(kSorting);
  fSortHitsByPos(upperHits);
  fSortHitsByPos(lowerHits);
  fStage(Stage::kWriting);
  fSay(kSaving);
  fWriteStrand(run.result, kUpperFirst, kUpperNext, upperHits);
  fWriteStrand(run.result, kLowerFirst, kLowerNext, lowerHits);
  fCloseOutput(run.result, run.resultPath, outcome);
  run.result = nullptr;
}

void fRun(const std::string& paramFilePath, CircularRun& run, Outcome& outcome) {
  std::string resultDirectory;
  if (!fReadSettings(paramFilePath, run, resultDirectory, outcome)) return;
  if (!fCreateFiles(resultDirectory, run, outcome)) return;
  if (!fLoadIndexedGenome(run.genomePath, true, run.n, outcome)) return;
  std::ifstream reads;
  if (!fOpenReads(run.readsPath, reads, outcome)) return;
  fSearchReads(reads, run, outcome);
  reads.close();
  if (!fCloseScratch(run.upper, outcome) || !fCloseScratch(run.lower, outcome)) return;
  // The index makes room for the hit arrays.
  fRelease12RootChain();

  PartedHitList upperHits, lowerHits;
  if (!fReadBackHits(run, upperHits, lowerHits, outcome)) return;
  fPlatformRemove(run.upper.path.c_str());
  fPlatformRemove(run.lower.path.c_str());
  fWriteResult(run, upperHits, lowerHits, outcome);
}

// An early end leaves the result file empty and the scratch files behind.
void fReleaseRun(CircularRun& run) {
  for (FILE* file : {run.result, run.upper.file, run.lower.file})
    if (file != nullptr) std::fclose(file);
  run.result = run.upper.file = run.lower.file = nullptr;
  fReleaseIndexedGenome();
}
}  // namespace

Outcome fIdentifyCircularRna(std::string ParamFilePath) {
  Outcome outcome;
  fStage(Stage::kLoading);
  InputReads = 0;
  CircularRun run;
  try {
    fRun(ParamFilePath, run, outcome);
  } catch (const std::bad_alloc&) {
    fRanOutOfMemory(outcome);
  }
  fReleaseRun(run);
  outcome.readsRead = InputReads;
  return outcome;
}
