// Matching coded reads against the indexed genome: the seed key of a read,
// the circular comparison of what follows it, and the whole-read test of
// fReadsOutOfSeq and fGetReadsThatOutOfSeq. L is the genome's length, `length`
// a read's.
#pragma once
#include <cstdint>
#include <cstring>

#include "driver/run_state.h"
#include "index/index16.h"

// Bases of circular copy after Genome[L] that every genome load gives.
constexpr int32_t kGuaranteedTail = 16;

// Genome base i of the circle: past the tail copy, positions wrap round.
inline unsigned char fCircularBase(int64_t i, int32_t L) {
  if (i > static_cast<int64_t>(L) + kGuaranteedTail) i = (i - 1) % L + 1;
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
  if (static_cast<int64_t>(p) + length - 1 <= static_cast<int64_t>(L) + kGuaranteedTail)
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

// The coded read in InputLine occurs exactly on the upper strand or, as its
// reverse complement (formed in WorkLine only when needed), on the lower
// strand. Reads below 16 bases are never found. The genome's tail copy must
// reach `length` bases past its end.
inline bool fIsReadInSeq(int32_t length) {
  if (length < kKey16Bases) return false;
  const unsigned char* read = reinterpret_cast<const unsigned char*>(InputLine);
  uint32_t key;
  if (!fReadKey(read, kKey16Bases, key)) return false;
  if (fIsReadOnStrand(read, length, key)) return true;
  unsigned char* lower = reinterpret_cast<unsigned char*>(WorkLine);
  fReverseComplementCodes(read, length, lower);
  if (!fReadKey(lower, kKey16Bases, key)) return false;
  return fIsReadOnStrand(lower, length, key);
}
