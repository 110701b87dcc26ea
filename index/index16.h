// The genome's 16-mer index with its 8-mer roots: for every 16-mer key the
// highest genome position where it starts, and a chain from each position to
// the next lower position with the same 16-mer (the same for 8-mers).
//
// Walk the positions of a key, highest first:
//   for (int32_t p = Root16[key]; p > 0; p = Chain16[p]) ...
#pragma once
#include <cstddef>
#include <cstdint>

#include "driver/memory.h"
#include "index/kmer.h"

// Answers Root16[key] without a 4^16-entry table: a direct table over the key's
// first 12 bases points into a packed run of (last 4 bases, highest position)
// entries, one per 16-mer that occurs. A run holds the 16-mers that share their
// first 12 bases; in a genome of a few million bases it holds one or none.
class Root16Table {
 public:
  // Highest position whose 16-mer has this key, or 0 if the key occurs nowhere.
  int32_t operator[](uint32_t key) const {
    const uint32_t* run = Offsets + (key >> 8);
    const uint64_t* entry = Entries + run[0];
    const uint64_t* end = Entries + run[1];
    const uint64_t wanted = static_cast<uint64_t>(key & 255u) << 32;
    for (; entry < end; ++entry)
      if ((*entry & kTailMask) == wanted) return static_cast<int32_t>(*entry);
    return 0;
  }

  // Asks for the run start of a key ahead of its lookup.
  void fPrefetchRun(uint32_t key) const { fPrefetch(Offsets + (key >> 8)); }
  // Asks for the entries of a key whose run start was prefetched earlier.
  void fPrefetchEntries(uint32_t key) const { fPrefetch(Entries + Offsets[key >> 8]); }

  // 4^12 run starts and one past the last run.
  static constexpr size_t kRunCount = size_t{1} << 24;
  static constexpr uint64_t kTailMask = uint64_t{0xFF} << 32;

  uint32_t* Offsets = nullptr;  // kRunCount + 1 run starts into Entries
  uint64_t* Entries = nullptr;  // last 4 bases << 32 | highest position
  size_t EntryCapacity = 0;
};

extern Root16Table Root16;
extern int32_t* Chain16;  // n + 1 entries; Chain16[p] = next lower position with the same 16-mer, -1 at the end
extern int32_t* Root8;    // 65536 entries; built only when MinReadSize < 16
extern int32_t* Chain8;   // n + 1 entries, as Chain16 for 8-mers

// Both read Genome[1 .. n + 15] as base codes: the tail copy lets the last
// 16-mers run over the genome's end into its start.
// The 16-mer arrays only; "\nno memory_16-Chain" and false if they can't be had.
bool fBuild16Chain(int32_t n);
// The 16-mer arrays and, when MinReadSize < 16, the 8-mer arrays;
// "\nno memory_Chain" or "\nno memory_Root8" and false on a failed allocation.
bool fBuildRoot8Chain(int32_t n);
// Releases the 16-mer and 8-mer arrays.
void fRelease16Chain();
