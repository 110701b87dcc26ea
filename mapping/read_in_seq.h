// Matching coded reads against the indexed genome: the seed key of a read,
// the circular comparison of what follows it, and the whole-read test of
// fReadsOutOfSeq and fGetReadsThatOutOfSeq.
#pragma once
#include <cstdint>
#include <cstring>

#include "driver/run_state.h"
#include "index/index16.h"

// Key of a read's first k codes (8 or 16); false when one of them is not a base
// code, so that such a read matches nowhere.
inline bool fReadKey(const unsigned char* read, int k, uint32_t& key) {
  unsigned bases = 0;
  for (int i = 0; i < k; ++i) bases |= read[i];
  key = fKmerKey(read, k);
  return bases <= 3;
}

// Whether the read's codes c[16 .. n-1] follow the genome of length L from
// position p + 16. Only 16 bases of tail copy are relied on: near the genome's
// end a longer read is followed round the circle.
inline bool fRestOfReadMatches(const unsigned char* c, int32_t n, int32_t p, int32_t L) {
  constexpr int32_t kKeyBases = 16;
  constexpr int32_t kGuaranteedTail = 16;
  if (static_cast<int64_t>(p) + n - 1 <= static_cast<int64_t>(L) + kGuaranteedTail)
    return std::memcmp(Genome + p + kKeyBases, c + kKeyBases, static_cast<size_t>(n - kKeyBases)) == 0;
  int64_t at = (static_cast<int64_t>(p) + kKeyBases - 1) % L + 1;
  for (int32_t e = kKeyBases; e < n; ++e) {
    if (Genome[at] != c[e]) return false;
    if (++at > L) at = 1;
  }
  return true;
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
  if (!fReadKey(read, 16, key)) return false;
  if (fIsReadOnStrand(read, n, key)) return true;
  unsigned char* lower = reinterpret_cast<unsigned char*>(WorkLine);
  fReverseComplementCodes(read, n, lower);
  if (!fReadKey(lower, 16, key)) return false;
  return fIsReadOnStrand(lower, n, key);
}
