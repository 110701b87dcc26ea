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
    const uint32_t* run = Offsets.data() + (key >> kTailBits);
    const uint64_t* entry = Entries.data() + run[0];
    const uint64_t* end = Entries.data() + run[1];
    const uint64_t wanted = static_cast<uint64_t>(key & kTailKeyMask) << 32;
    for (; entry < end; ++entry)
      if ((*entry & kTailMask) == wanted) return static_cast<int32_t>(*entry);
    return 0;
  }

  // Asks for the run start of a key ahead of its lookup.
  void fPrefetchRun(uint32_t key) const { fPrefetch(Offsets.data() + (key >> kTailBits)); }
  // Asks for the entries of a key whose run start was prefetched earlier.
  void fPrefetchEntries(uint32_t key) const { fPrefetch(Entries.data() + Offsets[key >> kTailBits]); }

  // A key's first 12 bases choose its run; its last 4 are kept in its entry.
  static constexpr int kTailBits = 2 * (kKey16Bases - kKey12Bases);
  static constexpr uint32_t kTailKeyMask = (1u << kTailBits) - 1;
  static constexpr size_t kRunCount = static_cast<size_t>(kRoot12Count);
  static constexpr uint64_t kTailMask = uint64_t{kTailKeyMask} << 32;

  Block<uint32_t> Offsets;  // kRunCount + 1 run starts into Entries
  Block<uint64_t> Entries;  // last 4 bases << 32 | highest position
};

extern Root16Table Root16;
// Chain16 and the 8-mer arrays point into blocks the index owns.
extern int32_t* Chain16;  // L + 1 entries; Chain16[p] = next lower position with the same 16-mer, -1 at the end
extern int32_t* Root8;    // kRoot8Count entries; built only when MinReadSize < 16
extern int32_t* Chain8;   // L + 1 entries, as Chain16 for 8-mers

// Both read Genome[1 .. L + 15] as base codes: the tail copy lets the last
// 16-mers run over the genome's end into its start. Both build on
// RunThreads threads (index/index_threads.h), the same tables for any count.
// The 16-mer arrays only; "\nno memory_16-Chain" and false if they can't be had.
bool fBuild16Chain(int32_t L);
// The 16-mer arrays and, when MinReadSize < 16, the 8-mer arrays;
// "\nno memory_Chain" or "\nno memory_Root8" and false on a failed allocation.
bool fBuildRoot8Chain(int32_t L);
// Releases the 16-mer and 8-mer arrays; safe to call twice.
void fRelease16Chain();
