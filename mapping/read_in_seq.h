// Whether a coded read occurs whole on either strand of the indexed genome:
// the per-read test of fReadsOutOfSeq and fGetReadsThatOutOfSeq.
#pragma once
#include <cstdint>

#include "driver/run_state.h"
#include "index/index16.h"

// Key of a read's first 16 codes; false when one of them is not a base code,
// so that such a read matches nowhere.
inline bool fReadKey16(const unsigned char* read, uint32_t& key) {
  uint32_t built = 0;
  unsigned bases = 0;
  for (int i = 0; i < 16; ++i) {
    built = (built << 2) + read[i];
    bases |= read[i];
  }
  key = built;
  return bases <= 3;
}

// Whether read[0 .. n-1] (n >= 16) starts at some genome position of its
// 16-mer. The 16 key bases stand for themselves; the rest is compared.
inline bool fIsReadOnStrand(const unsigned char* read, int32_t n, uint32_t key) {
  for (int32_t p = Root16[key]; p > 0; p = Chain16[p]) {
    const unsigned char* site = Genome + p;
    int32_t e = 16;
    while (e < n && site[e] == read[e]) ++e;
    if (e == n) return true;
  }
  return false;
}

// The coded read of length n in InputLine occurs exactly on the upper strand or,
// as its reverse complement (formed in WorkLine only when needed), on the lower
// strand. Reads below 16 bases are never found. The genome's tail copy must
// reach n bases past its end.
inline bool fIsReadInSeq(int32_t n) {
  if (n < 16) return false;
  const unsigned char* read = reinterpret_cast<const unsigned char*>(InputLine);
  uint32_t key;
  if (!fReadKey16(read, key)) return false;
  if (fIsReadOnStrand(read, n, key)) return true;
  unsigned char* lower = reinterpret_cast<unsigned char*>(WorkLine);
  fReverseComplementCodes(read, n, lower);
  if (!fReadKey16(lower, key)) return false;
  return fIsReadOnStrand(lower, n, key);
}
