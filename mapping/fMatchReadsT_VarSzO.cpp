// fMatchReadsT_VarSzO: maps every read of the size scope exactly, over its
// whole length, onto both strands, and writes for every genome position the
// reads that start there, each weighted by one over its number of places.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "driver/file_helpers.h"
#include "driver/outcome.h"
#include "driver/run_state.h"
#include "index/index16.h"
#include "mapping/mapping.h"
#include "mapping/read_ahead.h"
#include "mapping/read_in_seq.h"
#include "platform/platform.h"

namespace {
const char kNoMemory[] = "\nno mem fMatchReadsT_VarSzO";
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

// Row p (genome position 0 .. n), column c (read length - MinReadSize), at p * w + c.
int32_t* UpTable = nullptr;
int32_t* LwTable = nullptr;
int32_t* HitCount = nullptr;
int32_t* HitList = nullptr;
size_t TableBytes = 0;
int32_t ScopeWidth = 0;

void fReleaseTables() {
  fReleaseLarge(UpTable, TableBytes);
  fReleaseLarge(LwTable, TableBytes);
  fReleaseLarge(HitCount, TableBytes);
  std::free(HitList);
  UpTable = LwTable = HitCount = HitList = nullptr;
}

bool fAllocateTables(int32_t n) {
  // A read and its reverse complement can each fit at every position.
  size_t entries = static_cast<size_t>(n + 1) * static_cast<size_t>(ScopeWidth > 0 ? ScopeWidth : 1);
  TableBytes = entries * sizeof(int32_t);
  UpTable = static_cast<int32_t*>(fAllocateLarge(TableBytes));
  LwTable = static_cast<int32_t*>(fAllocateLarge(TableBytes));
  HitCount = static_cast<int32_t*>(fAllocateLarge(TableBytes));
  HitList = static_cast<int32_t*>(std::malloc((2 * static_cast<size_t>(n) + 2) * sizeof(int32_t)));
  if (UpTable && LwTable && HitCount && HitList) return true;
  fReleaseTables();
  return false;
}

// Counts read[0 .. L-1] at every place of one strand where all L bases agree,
// appending the places to HitList; true if there was one.
bool fCountStrand(const unsigned char* read, int32_t L, int32_t c, int32_t* table, int32_t& hits) {
  uint32_t key;
  const int k = L <= 15 ? 8 : 16;
  if (!fReadKey(read, k, key)) return false;
  const size_t rest = static_cast<size_t>(L - k);
  bool found = false;
  for (int32_t p = k == 16 ? Root16[key] : Root8[key]; p > 0; p = k == 16 ? Chain16[p] : Chain8[p]) {
    if (std::memcmp(read + k, Genome + p + k, rest) != 0) continue;
    table[static_cast<size_t>(p) * ScopeWidth + c] += 1;
    HitList[hits++] = p;
    found = true;
  }
  return found;
}

void fMatchRead(int32_t L) {
  // Reads below 8 bases have no seed: processed and found nowhere.
  if (L < 8) return;
  const int32_t c = L - MinReadSize;
  const unsigned char* read = reinterpret_cast<const unsigned char*>(InputLine);
  unsigned char* lower = reinterpret_cast<unsigned char*>(WorkLine);
  int32_t hits = 0;
  bool upperFound = fCountStrand(read, L, c, UpTable, hits);
  fReverseComplementCodes(read, L, lower);
  bool lowerFound = fCountStrand(lower, L, c, LwTable, hits);
  for (int32_t i = 0; i < hits; ++i) HitCount[static_cast<size_t>(HitList[i]) * ScopeWidth + c] = hits;
  if (upperFound) ++UpperStrandReads;
  if (lowerFound) ++LowerStrandReads;
  if (upperFound || lowerFound) ++IntoGenome;
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

// One strand's tables, split into files of at most 1,000,000 positions.
void fWriteStrand(const std::string& baseName, const char* part, const int32_t* table, int32_t n) {
  constexpr size_t kFlushAt = 1 << 20;
  std::string text(kFlushAt + 128, '\0');
  int32_t p = 1;
  for (int32_t file = 1; p <= n; ++file) {
    std::string name = baseName + part + std::to_string(file) + kTableExtension;
    FILE* out = fOpenFile(name, "wb");
    int32_t last = n - p < kLinesPerTable ? n : p + kLinesPerTable - 1;
    if (out == nullptr) {
      p = last + 1;
      continue;
    }
    char* end = &text[0];
    for (; p <= last; ++p) {
      double weight = 0;
      const size_t row = static_cast<size_t>(p) * ScopeWidth;
      for (int32_t c = 0; c < ScopeWidth; ++c)
        if (table[row + c] > 0) weight += static_cast<double>(table[row + c]) / HitCount[row + c];
      end = fFormatLine(end, p, weight);
      if (static_cast<size_t>(end - &text[0]) >= kFlushAt) {
        std::fwrite(text.data(), 1, end - &text[0], out);
        end = &text[0];
      }
    }
    std::fwrite(text.data(), 1, end - &text[0], out);
    std::fclose(out);
  }
}

void fRun(const std::string& ResultDirectory, const std::string& ReadsPath, const std::string& GenomePath,
          int32_t n) {
  ScopeWidth = SizeScopeWidth;
  if (static_cast<int64_t>(n + int64_t{1}) * (ScopeWidth > 0 ? ScopeWidth : 1) >= (int64_t{1} << 31)) {
    std::fputs(kTooLarge, stdout);
    return;
  }
  if (!fBuildRoot8Chain(n)) return;
  if (!fAllocateTables(n)) {
    std::fputs(kNoMemory, stdout);
    return;
  }
  std::ifstream reads;
  if (!fOpenReadStream(ReadsPath, reads)) return;

  OutOfGenome = LowerStrandReads = UpperStrandReads = IntoGenome = InputReads = 0;
  int32_t outOfScope = 0;
  int32_t length = 0;
  ReadAhead ahead(reads, false, fWholeReadKeys);
  // Per-read path: no allocation; the reverse complement goes to WorkLine.
  while (ahead.fNext(length)) {
    if (length < MinReadSize || length > MaxReadSize)
      ++outOfScope;
    else
      fMatchRead(length);
  }
  reads.close();
  OutOfGenome = InputReads - IntoGenome - outOfScope;
  std::fputs(kSavingTheResult, stdout);

  std::string baseName = ResultDirectory + fFileStem(ReadsPath) + "[" + std::to_string(MinReadSize) + "-" +
                         std::to_string(MaxReadSize) + "]" + fFileStem(GenomePath) + "_";
  // A file that can't be opened has been reported; the others are still written.
  if (FILE* log = fOpenFile(baseName + kLogEnding, "wb")) {
    std::fprintf(log, kLogFormat, GenomePath.c_str(), ReadsPath.c_str(), MinReadSize, MaxReadSize, InputReads,
                 outOfScope, OutOfGenome + IntoGenome, OutOfGenome, IntoGenome, UpperStrandReads,
                 LowerStrandReads);
    std::fclose(log);
  }
  if (n < 1) return;
  fWriteStrand(baseName, kUpperPart, UpTable, n);
  fWriteStrand(baseName, kLowerPart, LwTable, n);
}
}  // namespace

namespace {
void fRunLegacy(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                         int32_t GenomeLength) {
  fRun(ResultDirectory, ReadsPath, GenomePath, GenomeLength);
  fReleaseTables();
  fRelease16Chain();
}
}  // namespace

Outcome fMatchReadsT_VarSzO(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                         int32_t GenomeLength) {
  fRunLegacy(ResultDirectory, ReadsPath, GenomePath, GenomeLength);
  Outcome outcome;
  outcome.readsRead = InputReads;
  return outcome;
}
