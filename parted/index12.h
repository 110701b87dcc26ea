// Single-strand 12-mer index over the coded genome in Genome: a direct-address
// root table with one entry per 12-mer key and a chain linking the positions of
// equal 12-mers in descending order.
#pragma once
#include <cstddef>
#include <cstdint>

#include "driver/memory.h"
#include "driver/run_state.h"
#include "index/kmer.h"

// Root12[key] = highest position of the key's 12-mer (0 if none);
// Chain12[p] = next lower position with the same 12-mer (-1 at the end).
// Both point into tables owned by the index; null while none is held.
extern int32_t* Root12;
extern int32_t* Chain12;

// Allocates Root12 (zeroed) and Chain12 for positions 1..n; false if either
// can't be had (then neither is held).
bool fAllocate12RootChain(int32_t n);
// Releases both tables, if held, and clears their references.
void fRelease12RootChain();

// Fills Root12 and Chain12 for positions 1..n. Genome must carry a tail copy of
// at least 11 bases: the last 11 12-mers wrap over the genome's end.
void fBuild12RootChain(int32_t n);

// Key of the 12 bases at `codes`, or -1 if one of them is not a base code 0..3.
inline int32_t fSeedKey12(const unsigned char* codes) {
  uint32_t key = 0;
  unsigned char outside = 0;
  for (int i = 0; i < kKey12Bases; ++i) {
    key = key * 4 + codes[i];
    outside |= static_cast<unsigned char>(codes[i] & 0xFC);
  }
  return outside ? -1 : static_cast<int32_t>(key);
}

// Key of the reverse complement of the 12 bases at `codes`, or -1 if one of
// them is not a base code: the seed of the other strand's text, known before
// that text is written.
inline int32_t fSeedKey12Reverse(const unsigned char* codes) {
  uint32_t key = 0;
  unsigned char outside = 0;
  for (int i = kKey12Bases - 1; i >= 0; --i) {
    key = key * 4 + (3u - codes[i]);
    outside |= static_cast<unsigned char>(codes[i] & 0xFC);
  }
  return outside ? -1 : static_cast<int32_t>(key & kKey12Mask);
}

// Asks early for a seed's root entry, so the lookups of several seeds overlap.
inline void fPrefetchRoot(int32_t key) {
  if (key >= 0) fPrefetch(Root12 + key);
}

// The highest position of a seed's 12-mer, 0 for none or for a seed with a non-code byte.
inline int32_t fFirstPlace(int32_t key) { return key < 0 ? 0 : Root12[key]; }

// Asks early for what the walk from `place` reads first: its chain link and
// the genome bases around it.
inline void fPrefetchPlace(int32_t place) {
  if (place <= 0) return;
  fPrefetch(Chain12 + place);
  fPrefetch(Genome + place);
}
