// Circular RNA: reads that are circular permutations of a genome segment of
// their own length, found from the read's first and last 12 bases on both
// strands. One result file holds the run's counts and the hits by position.
#include <algorithm>
#include <cstdint>
#include <cstdio>
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
#include "platform/platform.h"

namespace {
const char kEcho[] = "procedure  fIdentifyCircularRna\ngenome        %s\nreads         %s";
const char kExecuting[] = "\nexecuting...";
const char kNoMemory[] = "\nno memory_PARTED";
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

// Reading stops after the read that takes the upper-strand count above this.
constexpr int32_t kUpperHitStop = 9995;

// Scratch records, little-endian, in the order found: pos (4 bytes), rSz,
// leftSz, rightSz (one byte each), one reserved byte. When the scope admits
// reads longer than 139 bases a part may exceed 8 bits; the records are then
// 12 bytes: pos (4), rSz, leftSz, rightSz (2 bytes each), two reserved.
constexpr int32_t kLongestNarrowRead = 139;
constexpr size_t kNarrowRecord = 8;
constexpr size_t kWideRecord = 12;

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
void fSayScratchShort(const std::string& path) {
  std::fputs(kScratchShort, stdout);
  std::fputs(path.c_str(), stdout);
  fWaitKey();
}

// Closes a scratch file after the reads; false, said, if a write failed.
bool fCloseScratch(FILE* file, const std::string& path) {
  bool written = !std::ferror(file);
  if (std::fclose(file) != 0) written = false;
  if (!written) fSayScratchShort(path);
  return written;
}

// Reads back `count` records into `hits`. False if the file can't be opened
// or holds fewer records.
bool fLoadScratch(const std::string& path, int32_t count, PartedHitList& hits) {
  FILE* file = fOpenFile(path, "rb");
  if (file == nullptr) return false;
  const size_t recordSize = fRecordSize();
  unsigned char record[kWideRecord];
  for (int32_t i = 0; i < count && std::fread(record, 1, recordSize, file) == recordSize; ++i)
    hits.push_back(fReadRecord(record, recordSize));
  std::fclose(file);
  if (hits.size() == static_cast<size_t>(count)) return true;
  fSayScratchShort(path);
  return false;
}

// End-seed search of one strand's text: for every position p of the text's
// last 12-mer, the extension k runs leftwards over the text's bases before the
// seed while they match the genome before the seed; the t = L - 12 - k first
// bases of the text must lie right after the seed. True at a whole match.
// The keys of the four seeds of a coded read: upper head and end, then lower
// head and end (the reverse complements of the read's end and head).
void fSeedKeys(const unsigned char* read, int32_t length, int32_t* keys) {
  keys[0] = fSeedKey12(read);
  keys[1] = fSeedKey12(read + length - 12);
  keys[2] = fSeedKey12Reverse(read + length - 12);
  keys[3] = fSeedKey12Reverse(read);
}

bool fSearchEndSeed(const unsigned char* text, int32_t length, int32_t firstPlace, PartedHitList& hits) {
  const int32_t beforeSeed = length - 12;
  const unsigned char* lastBefore = text + beforeSeed - 1;
  const int16_t size = static_cast<int16_t>(length);
  for (int32_t p = firstPlace; p > 0; p = Chain12[p]) {
    fPrefetch(Chain12 + p);
    const unsigned char* genomeBefore = Genome + p - 1;
    int32_t k = 0;
    while (k < beforeSeed && lastBefore[-k] == genomeBefore[-k]) ++k;
    int32_t t = beforeSeed - k;
    if (t == 0) return true;
    if (t < 4) continue;
    const unsigned char* genomeAfter = Genome + p + 12;
    int32_t i = 0;
    while (i < t && text[i] == genomeAfter[i]) ++i;
    if (i == t) hits.push_back({p - k, size, static_cast<int16_t>(k), static_cast<int16_t>(t)});
  }
  return false;
}

// Head- and end-seed searches of one strand's text, from the first places of
// its two seeds; true at a whole match.
bool fSearchStrand(const unsigned char* text, int32_t length, int32_t headFirst, int32_t endFirst,
                   PartedHitList& hits) {
  const int16_t size = static_cast<int16_t>(length);
  bool whole = fSearchHeadSeed<true>(text, length, headFirst, [&](int32_t p, int32_t t, int32_t k) {
    hits.push_back({p - t, size, static_cast<int16_t>(t), static_cast<int16_t>(k)});
  });
  return whole || fSearchEndSeed(text, length, endFirst, hits);
}

// Codes every read of the batch within the size scope in place and marks
// those with a letter that is no base; then looks up ahead the first places
// of the four seeds of each read that can be searched.
void fCodeAndPrefetch(ReadBatch& batch, bool* defective) {
  int32_t keys[ReadBatch::kDepth][4];
  for (int32_t i = 0; i < batch.count; ++i) {
    const int32_t length = batch.length[i];
    keys[i][0] = keys[i][1] = keys[i][2] = keys[i][3] = -1;
    defective[i] = false;
    if (length < MinReadSize || length > MaxReadSize) continue;
    unsigned char* read = batch.fSlot(i);
    unsigned char outside = 0;
    for (int32_t j = 0; j < length; ++j) {
      unsigned char code = NucleotideCode[read[j]];
      outside |= code;
      read[j] = code;
    }
    // Only 0xFF, the mark of a non-letter, has bits above the two of a code.
    defective[i] = outside > 3;
    if (defective[i] || length < 12) continue;
    fSeedKeys(read, length, keys[i]);
    for (int32_t key : keys[i]) fPrefetchRoot(key);
  }
  for (int32_t i = 0; i < batch.count; ++i)
    for (int32_t key : keys[i]) fPrefetchPlace(fFirstPlace(key));
}

void fFlushPending(CycledStrand& strand, size_t recordSize) {
  for (const PartedHit& hit : strand.pending) fWriteRecord(strand.file, hit, recordSize);
  strand.count += static_cast<int32_t>(strand.pending.size());
}

void fWriteStrand(FILE* result, const char* first, const char* next, const PartedHitList& hits) {
  for (size_t i = 0; i < hits.size(); ++i) {
    bool opensGroup = i == 0 || hits[i].pos != hits[i - 1].pos;
    std::fprintf(result, opensGroup ? first : next, hits[i].pos);
    fWriteSegmentText(result, hits[i]);
  }
}

void fCloseAll(FILE* a, FILE* b, FILE* c) {
  if (a) std::fclose(a);
  if (b) std::fclose(b);
  if (c) std::fclose(c);
}
}  // namespace

void fFindCycledRead(int32_t readLength, CycledStrand& upper, CycledStrand& lower) {
  upper.pending.clear();
  lower.pending.clear();
  const unsigned char* read = reinterpret_cast<const unsigned char*>(InputLine);
  unsigned char* complement = reinterpret_cast<unsigned char*>(WorkLine);
  // The four seeds are looked up together so that their cache misses overlap;
  // the lower strand's head seed is the reverse complement of the read's end.
  int32_t keys[4];
  fSeedKeys(read, readLength, keys);
  int32_t first[4];
  for (int32_t key : keys) fPrefetchRoot(key);
  for (int i = 0; i < 4; ++i) first[i] = fFirstPlace(keys[i]);
  for (int32_t place : first) fPrefetchPlace(place);
  bool whole = fSearchStrand(read, readLength, first[0], first[1], upper.pending);
  if (!whole) {
    fReverseComplementCodes(read, readLength, complement);
    whole = fSearchStrand(complement, readLength, first[2], first[3], lower.pending);
  }
  if (whole) {
    // A read found whole is no circular permutation: the hits found for it so far are dropped.
    ++IntoGenome;
    return;
  }
  const size_t recordSize = fRecordSize();
  fFlushPending(upper, recordSize);
  fFlushPending(lower, recordSize);
}

namespace {
void fRunLegacy(std::string ParamFilePath) {
  // A parameter file that can't be read leaves every value empty; the sizes then stop the run.
  ParamMap params;
  fReadParamFile(params, ParamFilePath);
  const std::string resultDirectory = params["diRes"] + PlatformSeparator;
  const std::string genomePath = params["pthGnm"];
  const std::string readsPath = params["pthReads"];
  MinReadSize = fParamNumber("rMinSz", params["rMinSz"]);
  MaxReadSize = fParamNumber("rMaxSz", params["rMaxSz"]);
  // The width of an extreme scope (say -5 to 2^31 - 1) is held at the 32-bit limits.
  const int64_t width = static_cast<int64_t>(MaxReadSize) - MinReadSize + 1;
  SizeScopeWidth = static_cast<int32_t>(std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, width)));

  std::printf(kEcho, genomePath.c_str(), readsPath.c_str());
  fWaitKey();
  std::fputs(kExecuting, stdout);

  FILE* result = fOpenFile(resultDirectory + fFileStem(readsPath) + kResultEnding, "wb");
  if (result == nullptr) return;
  // The genome is looked at before the scratch files are made, so that a
  // missing genome leaves none behind.
  FILE* genomeProbe = fOpenFile(genomePath, "rb");
  if (genomeProbe == nullptr) {
    std::fclose(result);
    return;
  }
  std::fclose(genomeProbe);
  const std::string upperPath = resultDirectory + kUpperScratch;
  const std::string lowerPath = resultDirectory + kLowerScratch;
  CycledStrand upper, lower;
  upper.file = fOpenFile(upperPath, "wb");
  if (upper.file != nullptr) lower.file = fOpenFile(lowerPath, "wb");
  if (lower.file == nullptr) {
    fCloseAll(result, upper.file, nullptr);
    return;
  }

  const int32_t copies = MaxReadSize < MaxLineLength ? MaxReadSize : MaxLineLength;
  int32_t n = 0;
  GenomeLoad load = fLoadCodedGenome(genomePath, true, copies, copies, n);
  bool indexed = load == GenomeLoad::kLoaded && fAllocate12RootChain(n);
  if (!indexed) {
    if (load != GenomeLoad::kFailed) std::fputs(kNoMemory, stdout);
    if (load == GenomeLoad::kLoaded) fReleaseGenome();
    fCloseAll(result, upper.file, lower.file);
    return;
  }
  fBuild12RootChain(n);

  std::ifstream reads;
  if (!fOpenReadStream(readsPath, reads)) {
    fRelease12RootChain(n);
    fReleaseGenome();
    fCloseAll(result, upper.file, lower.file);
    return;
  }
  IntoGenome = 0;
  InputReads = 0;
  int32_t withinScope = 0;
  int32_t defectiveReads = 0;
  std::fputs(kSearching, stdout);
  try {
    ReadBatch batch;
    bool defective[ReadBatch::kDepth];
    bool stopped = false;
    while (!stopped && fFillBatch(batch, reads, true) > 0) {
      fCodeAndPrefetch(batch, defective);
      // Hot loop: one read per pass; no allocation (the per-read hit lists keep
      // their room from read to read), no formatting, no console output.
      for (int32_t i = 0; i < batch.count; ++i) {
        const int32_t length = batch.length[i];
        if (length < MinReadSize || length > MaxReadSize) continue;
        ++withinScope;
        if (defective[i]) {
          ++defectiveReads;
          continue;
        }
        // A read of fewer than 12 bases has no seed: neither a hit nor a whole match.
        if (length < 12) continue;
        fTakeFromBatch(batch, i);
        fFindCycledRead(length, upper, lower);
        if (upper.count > kUpperHitStop) {
          // The reads taken ahead of this one were never looked at.
          InputReads -= batch.count - 1 - i;
          stopped = true;
          break;
        }
      }
    }
  } catch (const std::bad_alloc&) {
    std::fputs(kNoMemory, stdout);
    reads.close();
    fRelease12RootChain(n);
    fReleaseGenome();
    fCloseAll(result, upper.file, lower.file);
    return;
  }
  reads.close();
  const bool upperWritten = fCloseScratch(upper.file, upperPath);
  const bool lowerWritten = upperWritten && fCloseScratch(lower.file, lowerPath);
  if (!upperWritten) std::fclose(lower.file);
  upper.pending = PartedHitList();
  lower.pending = PartedHitList();
  fRelease12RootChain(n);
  if (!lowerWritten) {
    fReleaseGenome();
    std::fclose(result);
    return;
  }

  PartedHitList upperHits, lowerHits;
  try {
    upperHits.reserve(static_cast<size_t>(upper.count));
    lowerHits.reserve(static_cast<size_t>(lower.count));
  } catch (const std::bad_alloc&) {
    std::fputs(kNoMemoryForHits, stdout);
    fReleaseGenome();
    std::fclose(result);
    return;
  }
  if (!fLoadScratch(upperPath, upper.count, upperHits) || !fLoadScratch(lowerPath, lower.count, lowerHits)) {
    fReleaseGenome();
    std::fclose(result);
    return;
  }
  fPlatformRemove(upperPath.c_str());
  fPlatformRemove(lowerPath.c_str());

  std::fprintf(result, kHeader, genomePath.c_str(), readsPath.c_str(), MinReadSize, MaxReadSize, InputReads,
               withinScope, defectiveReads, IntoGenome, withinScope - IntoGenome - defectiveReads, upper.count, lower.count,
               upper.count + lower.count);
  std::fputs(kSorting, stdout);
  fSortHitsByPos(upperHits);
  fSortHitsByPos(lowerHits);
  std::fputs(kSaving, stdout);
  fWriteStrand(result, kUpperFirst, kUpperNext, upperHits);
  fWriteStrand(result, kLowerFirst, kLowerNext, lowerHits);
  std::fclose(result);
  fReleaseGenome();
}
}  // namespace

Outcome fIdentifyCircularRna(std::string ParamFilePath) {
  fRunLegacy(ParamFilePath);
  Outcome outcome;
  outcome.readsRead = InputReads;
  return outcome;
}
