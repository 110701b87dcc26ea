#include "parted/index12.h"

#include "driver/run_state.h"
#include "platform/platform.h"

int32_t* Root12 = nullptr;
int32_t* Chain12 = nullptr;

namespace {
constexpr size_t kRootBytes = sizeof(int32_t) * static_cast<size_t>(kRoot12Count);

size_t fChainBytes(int32_t n) { return sizeof(int32_t) * (static_cast<size_t>(n) + 1); }

// How far ahead of the position being linked its root entry is fetched: the
// root table is 64 MiB and every key lands on a cold line.
constexpr int32_t kPrefetchAhead = 16;
}  // namespace

bool fAllocate12RootChain(int32_t n) {
  Root12 = static_cast<int32_t*>(fAllocateLarge(kRootBytes));
  Chain12 = static_cast<int32_t*>(fAllocateLarge(fChainBytes(n)));
  if (Root12 == nullptr || Chain12 == nullptr) {
    fRelease12RootChain(n);
    return false;
  }
  return true;
}

void fRelease12RootChain(int32_t n) {
  fReleaseLarge(Root12, kRootBytes);
  fReleaseLarge(Chain12, fChainBytes(n));
  Root12 = nullptr;
  Chain12 = nullptr;
}

void fBuild12RootChain(int32_t n) {
  if (n < 1) return;
  uint32_t key = fKmerKey(Genome + 1, 12);
  Chain12[1] = -1;
  Root12[key] = 1;
  // The key kPrefetchAhead positions on, rolled alongside the current one; it
  // stops at n, past which nothing is linked.
  uint32_t aheadKey = key;
  int32_t aheadEnd = n < 1 + kPrefetchAhead ? n : 1 + kPrefetchAhead;
  for (int32_t q = 2; q <= aheadEnd; ++q) aheadKey = ((aheadKey << 2) + Genome[q + 11]) & kKey12Mask;
  for (int32_t p = 2; p <= n; ++p) {
    if (p + kPrefetchAhead <= n) {
      aheadKey = ((aheadKey << 2) + Genome[p + kPrefetchAhead + 11]) & kKey12Mask;
      fPrefetch(Root12 + aheadKey);
    }
    key = ((key << 2) + Genome[p + 11]) & kKey12Mask;
    int32_t highest = Root12[key];
    Chain12[p] = highest > 0 ? highest : -1;
    Root12[key] = p;
  }
}
