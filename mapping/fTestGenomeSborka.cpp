// fTestGenomeSborka: tests an assembled genome against its own repeats and
// against reads known to occur at more than one place in it.
#include <cstdint>
#include <cstdio>
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
#include "mapping/mapping.h"
#include "mapping/mapping_notes.h"
#include "mapping/read_in_seq.h"
#include "mapping/repeat_pass.h"
#include "mapping/run_steps.h"

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
// The repeat pass starts from four lists, one per base, on its work stack;
// a genome needs as many positions.
constexpr int32_t kFirstLevelLists = 4;

// What a run holds until its end. Slot p of the repeat table stands for
// genome position p (slot 0 unused).
struct Held {
  ResultFile log;
  ResultFile table;
  Block<int32_t> repeatTable;
  Block<int32_t> link;
  Block<PendingList> stack;
  std::ifstream reads;
};

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

// The full-length positions of the coded read c[0 .. length-1], in chain
// order (descending): onPlace(p) for each until it gives false.
template <class OnPlace>
void fEachPlace(const unsigned char* c, int32_t length, int32_t L, OnPlace onPlace) {
  if (length < kKey16Bases) return;
  uint32_t key;
  if (!fReadKey(c, kKey16Bases, key)) return;  // a byte that is no base code matches nowhere
  for (int32_t p = Root16[key]; p > 0; p = Chain16[p]) {
    if (length > kKey16Bases && !fRestOfReadMatches(c, length, p, L)) continue;
    if (!onPlace(p)) return;
  }
}

// The claim of one position by the read numbered `readNumber`: false when the
// read is non-correct there (and counted so), which ends its walk.
bool fClaim(int32_t p, int32_t length, uint32_t readNumber, int32_t* repeatTable) {
  const int32_t value = repeatTable[p];
  if (value == 0) {
    repeatTable[p] = -length;
  } else if (length > value) {
    ++IntoGenome;
    fNoteRead(NonCorrectNote{readNumber, p});
    return false;
  }
  return true;
}

// A full-length position a worker found: its read (index in the batch).
struct FoundPlace {
  uint32_t read;
  int32_t p;
};

// The read pass (on RunThreads threads): the places of the reads of a batch
// are found, then claimed in file order, so that a read is judged against the
// claims of the reads before it only; each read claims its places in chain
// order up to the first where it is non-correct.
void fCheckInBatches(std::istream& reads, int32_t* repeatTable, int32_t L) {
  ShareRecords<FoundPlace> found(RunThreads);
  auto match = [&found, L](ReadBatch& batch, uint32_t first, uint32_t end, int share, int) {
    std::vector<FoundPlace>& places = found.fOf(batch, share);
    places.clear();
    fWalkShare(batch, first, end, Seeds16Ahead<fWholeReadKeys<false>>(), [&](const HeldRead<Keys16>& read, uint32_t i) {
      fEachPlace(read.bases, read.length, L, [&](int32_t p) {
        places.push_back({i, p});
        return true;
      });
    });
  };
  auto emit = [&](ReadBatch& batch) {
    ShareRecords<FoundPlace>::Cursor cursor(found, batch);
    for (uint32_t i = 0; i < batch.count; ++i) {
      bool walking = true;
      const uint32_t number = static_cast<uint32_t>(batch.numbers[i]);
      cursor.fTake(i, [&](const FoundPlace& place) {
        if (walking) walking = fClaim(place.p, batch.lengths[i], number, repeatTable);
      });
    }
    return true;
  };
  fRunReadBatches(reads, false, RunThreads, match, emit);
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

}  // namespace

void fFindMaximalRepeats(const unsigned char* g, int32_t L, int32_t* repeatTable, int32_t* link,
                         PendingList* stack, int32_t smallListLimit) {
  RepeatPass pass{g, L, repeatTable, stack, nullptr, nullptr, 0};
  if (smallListLimit > L) smallListLimit = L;
  Block<int32_t> smallOffset;
  Block<int32_t> smallLink;
  // Without the copy every list is refined through the genome-wide link array.
  if (smallListLimit >= 3 && smallOffset.fAllocate(static_cast<size_t>(smallListLimit)) &&
      smallLink.fAllocate(static_cast<size_t>(smallListLimit))) {
    pass.smallOffset = smallOffset.data();
    pass.smallLink = smallLink.data();
    pass.smallLimit = smallListLimit;
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
// The repeat and counting passes, with their row in the log.
void fFindRepeats(const std::string& GenomePath, int32_t L, Held& held, Outcome& outcome) {
  fSay(kComputingRepeats);
  std::fflush(stdout);
  fStage(Stage::kIndex);
  fFindMaximalRepeats(Genome + 1, L, held.repeatTable.data(), held.link.data(), held.stack.data());
  int32_t longest = 0;
  const int32_t counted = fCountRepeatIntervals(held.repeatTable.data(), L, longest);
  const double perBase = static_cast<double>(counted) / L;
  std::fputs(kRepeatHeader, held.log.file);
  std::fprintf(held.log.file, kRepeatRow, fFileStem(GenomePath).c_str(), L, longest, perBase);
  char perBaseText[32];
  std::snprintf(perBaseText, sizeof perBaseText, "%.3f", perBase);
  outcome.fCount("sqsize", L);
  outcome.fCount("remax", longest);
  outcome.fCount("repnu/sqsize", perBaseText);
  held.link.fRelease();
  held.stack.fRelease();
}

void fRun(const std::string& ResultDirectory, const std::string& ReadsPath, const std::string& GenomePath,
          int32_t L, Held& held, Outcome& outcome) {
  const std::string resultStem = ResultDirectory + kResultPrefix + fFileStem(GenomePath);
  if (!held.log.fOpen(resultStem + kLogEnding, outcome)) return;
  // Created and left empty.
  if (!held.table.fOpen(resultStem + kTableEnding, outcome)) return;
  if (Genome != nullptr && L < kFirstLevelLists) {
    fSay(kGenomeTooShort);
    outcome.fFail(RunStatus::kBadInput, GenomePath);
    return;
  }
  const size_t positions = static_cast<size_t>(L);
  if (Genome == nullptr || !held.repeatTable.fAllocate(positions + 1) || !held.link.fAllocate(positions) ||
      !held.stack.fAllocate(positions + kFirstLevelLists)) {
    fSay(kNoMemory);
    outcome.fFail(RunStatus::kNoMemory, "");
    return;
  }
  fFindRepeats(GenomePath, L, held, outcome);

  fSay(kTestingReads);
  std::fflush(stdout);
  if (!fIndexGenome(L, false, outcome)) return;
  if (!fOpenReads(ReadsPath, held.reads, outcome)) return;
  fStage(Stage::kReads);
  try {
    fCheckInBatches(held.reads, held.repeatTable.data(), L);
  } catch (const std::bad_alloc&) {
    fSay(kNoMemory);
    outcome.fFail(RunStatus::kNoMemory, "");
    return;
  }
  held.reads.close();
  fStage(Stage::kWriting);
  std::fprintf(held.log.file, kReadCounts, InputReads, IntoGenome);
  outcome.fCount("rinput_multylocation_reads", InputReads);
  outcome.fCount("noncorrect_assembly_reads", IntoGenome);
}
}  // namespace

Outcome fTestGenomeSborka(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                          int32_t GenomeLength) {
  Outcome outcome;
  Held held;
  InputReads = IntoGenome = 0;
  fRun(ResultDirectory, ReadsPath, GenomePath, GenomeLength, held, outcome);
  fRelease16Chain();
  held.table.fClose(outcome);
  held.log.fClose(outcome);
  outcome.readsRead = InputReads;
  return outcome;
}
