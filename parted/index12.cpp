#include "parted/index12.h"

#include "driver/run_state.h"

int32_t* Root12 = nullptr;
int32_t* Chain12 = nullptr;

namespace {
Block<int32_t> RootTable;
Block<int32_t> ChainTable;

// How far ahead of the position being linked its root entry is fetched: the
// root table is 64 MiB and every key lands on a cold line.
constexpr int32_t kPrefetchAhead = 16;
// The last base of the 12-mer at position p is p + kLastOfKey.
constexpr int32_t kLastOfKey = kKey12Bases - 1;
}  // namespace

bool fAllocate12RootChain(int32_t n) {
  fRelease12RootChain();
  if (n < 0 || !RootTable.fAllocate(kRoot12Count) || !ChainTable.fAllocate(static_cast<size_t>(n) + 1)) {
    fRelease12RootChain();
    return false;
  }
  Root12 = RootTable.data();
  Chain12 = ChainTable.data();
  return true;
}

void fRelease12RootChain() {
  RootTable.fRelease();
  ChainTable.fRelease();
  Root12 = nullptr;
  Chain12 = nullptr;
}

void fBuild12RootChain(int32_t n) {
  if (n < 1) return;
  uint32_t key = fKmerKey(Genome + 1, kKey12Bases);
  Chain12[1] = -1;
  Root12[key] = 1;
  // The key kPrefetchAhead positions on, rolled alongside the current one; it
  // stops at n, past which nothing is linked.
  uint32_t aheadKey = key;
  int32_t aheadEnd = n < 1 + kPrefetchAhead ? n : 1 + kPrefetchAhead;
  for (int32_t q = 2; q <= aheadEnd; ++q) aheadKey = ((aheadKey << 2) + Genome[q + kLastOfKey]) & kKey12Mask;
  for (int32_t p = 2; p <= n; ++p) {
    if (p + kPrefetchAhead <= n) {
      aheadKey = ((aheadKey << 2) + Genome[p + kPrefetchAhead + kLastOfKey]) & kKey12Mask;
      fPrefetch(Root12 + aheadKey);
    }
    key = ((key << 2) + Genome[p + kLastOfKey]) & kKey12Mask;
    int32_t highest = Root12[key];
    Chain12[p] = highest > 0 ? highest : -1;
    Root12[key] = p;
  }
}
