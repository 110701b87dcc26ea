// fTestGenomeSborka: tests an assembled genome against its own repeats and
// against reads known to occur at more than one place in it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "driver/file_helpers.h"
#include "driver/outcome.h"
#include "driver/run_state.h"
#include "index/index16.h"
#include "mapping/assembly_test.h"
#include "mapping/mapping.h"
#include "mapping/read_in_seq.h"
#include "platform/platform.h"

namespace {
const char kResultPrefix[] = "RepTest_";
const char kLogEnding[] = "_Log.txt";
const char kTableEnding[] = ".txt";
const char kNoMemory[] = "no memory";
const char kGenomeTooShort[] = "\ngenome shorter than 4 bases: no repeat test";
const char kComputingRepeats[] = "\ncomputing maximal repetes";
const char kTestingReads[] = "\ntesting the reads for correct assembly";
const char kRepeatHeader[] = "code\tsqSize\treMax\trepNu/sqSize";
const char kRepeatRow[] = "\n%s\t%d\t%d\t%6.3lf";
const char kReadCounts[] = "\nrinput multyLocation reads=%d\nnonCorrect assembly reads %d";

constexpr int32_t kKeyBases = 16;

// Length of the common beginning of the circular texts at offsets x1 and x2,
// known to agree on their first `known` bases; L when they agree all round.
int32_t fCommonLength(const unsigned char* g, int32_t L, int32_t x1, int32_t x2, int32_t known) {
  // Offsets as unsigned: x + known stays below 2L, which may not fit 31 bits.
  const uint32_t size = static_cast<uint32_t>(L);
  int32_t length = known;
  uint32_t a = static_cast<uint32_t>(x1) + static_cast<uint32_t>(known);
  if (a >= size) a -= size;
  uint32_t b = static_cast<uint32_t>(x2) + static_cast<uint32_t>(known);
  if (b >= size) b -= size;
  while (length < L && g[a] == g[b]) {
    ++length;
    if (++a == size) a = 0;
    if (++b == size) b = 0;
  }
  return length;
}

// The per-read step: walks the read's full-length positions in chain order
// (descending), claiming those whose repeat value is 0; counts the read as
// non-correct at the first position whose counted repeat is shorter than the
// read or that an earlier read has claimed.
void fCheckReadAssembly(int32_t n, int32_t* repeatTable, int32_t L) {
  if (n < kKeyBases) return;
  const unsigned char* c = reinterpret_cast<const unsigned char*>(InputLine);
  uint32_t key;
  if (!fReadKey(c, kKeyBases, key)) return;  // a byte that is no base code matches nowhere
  for (int32_t p = Root16[key]; p > 0; p = Chain16[p]) {
    if (n > kKeyBases && !fRestOfReadMatches(c, n, p, L)) continue;
    int32_t value = repeatTable[p];
    if (value == 0) {
      repeatTable[p] = -n;
    } else if (n > value) {
      ++IntoGenome;
      return;
    }
  }
}

// The repeat pass's shared state. Lists chain their members through a link
// array; a small list is first renumbered 0..count-1 (member i standing for
// genome offset smallOffset[i], chained through smallLink), so that its
// refinement chases links through at most 1 MiB that stays in cache instead
// of the genome-wide link array.
struct RepeatPass {
  const unsigned char* g;
  int32_t L;
  int32_t* repeatTable;
  PendingList* stack;
  int32_t* smallOffset;
  int32_t* smallLink;
  int32_t smallLimit;  // 0: no renumbering
};

template <bool kRenumbered>
void fRefineLists(RepeatPass& pass, int32_t* link, int32_t bottom, int32_t top);

// Settles the list `head` (members sharing their first `depth` bases) through
// a renumbered copy, using the work stack above `top`.
void fRefineSmallList(RepeatPass& pass, const int32_t* link, int32_t head, int32_t depth, int32_t top) {
  int32_t count = 0;
  for (int32_t x = head; x >= 0; x = link[x]) {
    pass.smallOffset[count] = x;
    pass.smallLink[count] = count + 1;
    ++count;
  }
  pass.smallLink[count - 1] = -1;
  pass.stack[top] = PendingList{0, depth};
  fRefineLists<true>(pass, pass.smallLink, top, top + 1);
}

// Pops and refines the lists on the work stack above `bottom` until none is
// left: each list is split into four buckets by the base at its depth, read
// circularly; buckets of three or more wait on the stack, a pair is settled by
// comparing its texts, a lone member gets the depth at which it separated.
template <bool kRenumbered>
void fRefineLists(RepeatPass& pass, int32_t* link, int32_t bottom, int32_t top) {
  const unsigned char* g = pass.g;
  const int32_t L = pass.L;
  int32_t* repeatTable = pass.repeatTable;
  PendingList* stack = pass.stack;
  const int32_t* smallOffset = pass.smallOffset;
  auto offsetOf = [smallOffset](int32_t member) { return kRenumbered ? smallOffset[member] : member; };
  int32_t bucketHead[4] = {-1, -1, -1, -1};
  int32_t bucketCount[4] = {0, 0, 0, 0};
  while (top > bottom) {
    PendingList list = stack[--top];
    const int32_t d = list.depth;
    if (d >= L) {
      // Texts equal all round the circle (the genome is a repeated word).
      for (int32_t m = list.head; m >= 0; m = link[m]) repeatTable[offsetOf(m) + 1] = L;
      continue;
    }
    for (int32_t m = list.head; m >= 0;) {
      int32_t next = link[m];
      uint32_t at = static_cast<uint32_t>(offsetOf(m)) + static_cast<uint32_t>(d);
      if (at >= static_cast<uint32_t>(L)) at -= static_cast<uint32_t>(L);
      unsigned char base = g[at];
      link[m] = bucketHead[base];
      bucketHead[base] = m;
      ++bucketCount[base];
      m = next;
    }
    for (int base = 0; base < 4; ++base) {
      int32_t count = bucketCount[base];
      int32_t m1 = bucketHead[base];
      if (count >= 3) {
        if (!kRenumbered && count <= pass.smallLimit)
          fRefineSmallList(pass, link, m1, d + 1, top);
        else
          stack[top++] = PendingList{m1, d + 1};
      } else if (count == 2) {
        int32_t x1 = offsetOf(m1);
        int32_t x2 = offsetOf(link[m1]);
        int32_t length = fCommonLength(g, L, x1, x2, d + 1);
        repeatTable[x1 + 1] = length;
        repeatTable[x2 + 1] = length;
      } else if (count == 1) {
        // Separated from its list-mates at depth d; a base that occurs once
        // in the genome still gets 1 this way.
        repeatTable[offsetOf(m1) + 1] = d;
      }
      bucketHead[base] = -1;
      bucketCount[base] = 0;
    }
  }
}

void fCloseResults(FILE* log, FILE* table) {
  if (table != nullptr) std::fclose(table);
  if (log != nullptr) std::fclose(log);
}
}  // namespace

void fFindMaximalRepeats(const unsigned char* g, int32_t L, int32_t* repeatTable, int32_t* link,
                         PendingList* stack, int32_t smallListLimit) {
  RepeatPass pass{g, L, repeatTable, stack, nullptr, nullptr, 0};
  if (smallListLimit > L) smallListLimit = L;
  if (smallListLimit >= 3) {
    pass.smallOffset = static_cast<int32_t*>(std::malloc(static_cast<size_t>(smallListLimit) * sizeof(int32_t)));
    pass.smallLink = static_cast<int32_t*>(std::malloc(static_cast<size_t>(smallListLimit) * sizeof(int32_t)));
    // Without the copy every list is refined through the genome-wide link array.
    if (pass.smallOffset != nullptr && pass.smallLink != nullptr) pass.smallLimit = smallListLimit;
  }
  int32_t bucketHead[4] = {-1, -1, -1, -1};
  // Prepending from the end leaves each first-level list in ascending order.
  for (int32_t x = L - 1; x >= 0; --x) {
    unsigned char base = g[x];
    link[x] = bucketHead[base];
    bucketHead[base] = x;
  }
  // All four, even empty or single ones, so a base found once gets 1.
  for (int base = 0; base < 4; ++base) stack[base] = PendingList{bucketHead[base], 1};
  fRefineLists<false>(pass, link, 0, 4);
  std::free(pass.smallOffset);
  std::free(pass.smallLink);
}

int32_t fCountRepeatIntervals(int32_t* repeatTable, int32_t L, int32_t& longest) {
  longest = 0;
  int32_t first = 1;
  while (first <= L && repeatTable[first] <= 0) ++first;
  if (first > L) return 0;
  const int32_t firstLength = repeatTable[first];
  repeatTable[first] = 0;
  int64_t previousEnd = static_cast<int64_t>(first) + firstLength;
  int32_t counted = 0;
  for (int32_t j = first + 1; j <= L; ++j) {
    int32_t length = repeatTable[j];
    if (length == 0) continue;
    int64_t end = static_cast<int64_t>(j) + length;
    if (end > previousEnd) {
      ++counted;
      previousEnd = end;
      if (length > longest) longest = length;
    } else {
      repeatTable[j] = 0;  // lies within the previous interval
    }
  }
  // The circle closes: the first interval counts unless the last counted one,
  // continued past the genome's end, covers it.
  if (static_cast<int64_t>(first) + firstLength > previousEnd - L) {
    ++counted;
    if (firstLength > longest) longest = firstLength;
  }
  return counted;
}

namespace {
void fRunLegacy(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                       int32_t GenomeLength) {
  const int32_t L = GenomeLength;
  const std::string resultStem = ResultDirectory + kResultPrefix + fFileStem(GenomePath);
  FILE* log = fOpenFile(resultStem + kLogEnding, "wb");
  if (log == nullptr) return;
  // Created and left empty.
  FILE* table = fOpenFile(resultStem + kTableEnding, "wb");
  if (table == nullptr) {
    std::fclose(log);
    return;
  }
  if (Genome != nullptr && L < 4) {
    std::fputs(kGenomeTooShort, stdout);
    fCloseResults(log, table);
    return;
  }

  // Slot p of the repeat table stands for genome position p (slot 0 unused).
  const size_t tableBytes = (static_cast<size_t>(L) + 1) * sizeof(int32_t);
  const size_t linkBytes = static_cast<size_t>(L) * sizeof(int32_t);
  const size_t stackBytes = (static_cast<size_t>(L) + 4) * sizeof(PendingList);
  int32_t* repeatTable = nullptr;
  int32_t* link = nullptr;
  PendingList* stack = nullptr;
  if (Genome != nullptr) {
    repeatTable = static_cast<int32_t*>(fAllocateLarge(tableBytes));
    link = static_cast<int32_t*>(fAllocateLarge(linkBytes));
    stack = static_cast<PendingList*>(fAllocateLarge(stackBytes));
  }
  if (repeatTable == nullptr || link == nullptr || stack == nullptr) {
    std::fputs(kNoMemory, stdout);
    fCloseResults(log, table);
    fReleaseLarge(repeatTable, tableBytes);
    fReleaseLarge(link, linkBytes);
    fReleaseLarge(stack, stackBytes);
    return;
  }

  std::fputs(kComputingRepeats, stdout);
  std::fflush(stdout);
  fFindMaximalRepeats(Genome + 1, L, repeatTable, link, stack);
  int32_t longest = 0;
  int32_t counted = fCountRepeatIntervals(repeatTable, L, longest);
  std::fputs(kRepeatHeader, log);
  std::fprintf(log, kRepeatRow, fFileStem(GenomePath).c_str(), L, longest,
               static_cast<double>(counted) / L);
  fReleaseLarge(link, linkBytes);
  fReleaseLarge(stack, stackBytes);

  std::fputs(kTestingReads, stdout);
  std::fflush(stdout);
  std::ifstream reads;
  if (!fBuild16Chain(L) || !fOpenReadStream(ReadsPath, reads)) {
    fRelease16Chain();
    fCloseResults(log, table);
    fReleaseLarge(repeatTable, tableBytes);
    return;
  }
  InputReads = 0;
  IntoGenome = 0;
  int32_t n = 0;
  // Per-read loop, the hot path: no allocation, no formatting, no virtual calls.
  while (fNextRead(reads, false, n)) fCheckReadAssembly(n, repeatTable, L);
  reads.close();
  std::fprintf(log, kReadCounts, InputReads, IntoGenome);
  fRelease16Chain();
  fCloseResults(log, table);
  fReleaseLarge(repeatTable, tableBytes);
}
}  // namespace

Outcome fTestGenomeSborka(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                       int32_t GenomeLength) {
  fRunLegacy(ResultDirectory, ReadsPath, GenomePath, GenomeLength);
  Outcome outcome;
  outcome.readsRead = InputReads;
  return outcome;
}
