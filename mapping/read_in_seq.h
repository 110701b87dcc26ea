// Matching coded reads against the indexed genome: the seed key of a read,
// the circular comparison of what follows it, the whole-read test of
// fReadsOutOfSeq and fGetReadsThatOutOfSeq, and the 16-mer seeds of the reads
// held ahead. L is the genome's length, `length` a read's.
#pragma once
#include <cstdint>
#include <cstring>

#include "driver/loaders.h"
#include "driver/memory.h"
#include "driver/read_ahead.h"
#include "driver/run_state.h"
#include "index/index16.h"

// Genome base i of the circle: past the tail copy, positions wrap round.
inline unsigned char fCircularBase(int64_t i, int32_t L) {
  if (i > static_cast<int64_t>(L) + kMinimumTail) i = (i - 1) % L + 1;
  return Genome[i];
}

// Key of a read's first k codes (8 or 16); false when one of them is not a base
// code, so that such a read matches nowhere.
inline bool fReadKey(const unsigned char* read, int k, uint32_t& key) {
  unsigned bases = 0;
  for (int i = 0; i < k; ++i) bases |= read[i];
  key = fKmerKey(read, k);
  return bases <= 3;
}

// Whether the read's codes c[16 .. length-1] follow the genome from position
// p + 16. Only the guaranteed tail copy is relied on: near the genome's end a
// longer read is followed round the circle.
inline bool fRestOfReadMatches(const unsigned char* c, int32_t length, int32_t p, int32_t L) {
  if (static_cast<int64_t>(p) + length - 1 <= static_cast<int64_t>(L) + kMinimumTail)
    return std::memcmp(Genome + p + kKey16Bases, c + kKey16Bases, static_cast<size_t>(length - kKey16Bases)) == 0;
  for (int32_t e = kKey16Bases; e < length; ++e)
    if (fCircularBase(static_cast<int64_t>(p) + e, L) != c[e]) return false;
  return true;
}

// Whether read[0 .. length-1] (length >= 16) starts at some genome position of
// its 16-mer. The 16 key bases stand for themselves; the rest is compared.
inline bool fIsReadOnStrand(const unsigned char* read, int32_t length, uint32_t key) {
  for (int32_t p = Root16[key]; p > 0; p = Chain16[p]) {
    const unsigned char* site = Genome + p;
    int32_t e = kKey16Bases;
    while (e < length && site[e] == read[e]) ++e;
    if (e == length) return true;
  }
  return false;
}

// The coded read occurs exactly on the upper strand or, as its reverse
// complement (formed in `lower`, `length` bytes, only when needed), on the
// lower strand. Reads below 16 bases are never found. The genome's tail copy
// must reach `length` bases past its end.
inline bool fIsCodedReadInSeq(const unsigned char* read, int32_t length, unsigned char* lower) {
  if (length < kKey16Bases) return false;
  uint32_t key;
  if (!fReadKey(read, kKey16Bases, key)) return false;
  if (fIsReadOnStrand(read, length, key)) return true;
  fReverseComplementCodes(read, length, lower);
  if (!fReadKey(lower, kKey16Bases, key)) return false;
  return fIsReadOnStrand(lower, length, key);
}

// The 16-mer keys a read held ahead will be looked up by: at most two.
struct Keys16 {
  int count;
  uint32_t keys[2];
};

// Keys of the whole-read tests: the first 16 bases and, for the lower strand,
// the reverse complement of the last 16; letter reads are coded on the way.
template <bool kLetters>
inline int fWholeReadKeys(const unsigned char* read, int32_t length, uint32_t* keys) {
  if (length < kKey16Bases) return 0;
  uint32_t upper = 0;
  uint32_t lower = 0;
  for (int i = 0; i < kKey16Bases; ++i) {
    unsigned first = kLetters ? NucleotideCode[read[i]] : read[i];
    unsigned last = kLetters ? NucleotideCode[read[length - 1 - i]] : read[length - 1 - i];
    upper = (upper << 2) + (first & 3);
    lower = (lower << 2) + (3 - (last & 3));
  }
  keys[0] = upper;
  keys[1] = lower;
  return 2;
}

// The hook of the 16-mer procedures' reads held ahead (driver/read_ahead.h):
// `keysOf` gives a read's keys. A key's run start is asked for when the read
// is taken, its run's entries later, and last the genome bases and chain
// link of its highest site.
template <int (*keysOf)(const unsigned char* read, int32_t length, uint32_t* keys)>
struct Seeds16Ahead {
  using Seeds = Keys16;

  bool fTake(HeldRead<Keys16>& read) const {
    Keys16& seeds = read.seeds;
    seeds.count = keysOf(read.bases, read.length, seeds.keys);
    for (int k = 0; k < seeds.count; ++k) Root16.fPrefetchRun(seeds.keys[k]);
    return true;
  }
  void fFollow(const HeldRead<Keys16>& read) const {
    for (int k = 0; k < read.seeds.count; ++k) Root16.fPrefetchEntries(read.seeds.keys[k]);
  }
  void fFollowOn(const HeldRead<Keys16>& read) const {
    for (int k = 0; k < read.seeds.count; ++k) {
      const int32_t p = Root16[read.seeds.keys[k]];
      if (p > 0) {
        fPrefetch(Genome + p + kKey16Bases);
        fPrefetch(Chain16 + p);
      }
    }
  }
};
