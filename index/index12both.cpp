#include "index/index12both.h"

#include <cstdio>

#include "driver/run_state.h"
#include "platform/platform.h"

int32_t* Root12Up = nullptr;
int32_t* Chain12Up = nullptr;
int32_t* Root12Lw = nullptr;
int32_t* Chain12Lw = nullptr;
int32_t Root12Count = 0;
int32_t Key12Mask = 0;

namespace {
const char kNoMemory[] = "\nno memory_12-RootChain";

// Sizes the arrays were allocated with, for their release.
size_t RootBytes = 0;
size_t ChainBytes = 0;

// Keys are computed this many positions ahead of their insertion so that the
// root entry they update is already on its way from memory.
constexpr int32_t kKeysAhead = 16;

inline void fPrefetchForWrite(const void* address) {
#if defined(__GNUC__)
  __builtin_prefetch(address, 1);
#else
  (void)address;
#endif
}

// One strand: positions inserted in ascending order, each pushed in front of
// the previous one of its key, so roots hold the highest position and chains
// run downwards. Codes of letters outside ACGT are masked into the key range,
// so even an unchecked text cannot index outside the root table.
void fBuildStrand(const unsigned char* text, int32_t L, int32_t* root, int32_t* chain) {
  const uint32_t mask = static_cast<uint32_t>(Key12Mask);
  uint32_t rollingKey = 0;
  for (int32_t i = 1; i <= 11; ++i) rollingKey = rollingKey * 4 + (NucleotideCode[text[i]] & 3u);
  uint32_t keys[kKeysAhead];
  int32_t nextKeyed = 1;  // the next position whose key is computed
  auto keyNext = [&]() {
    rollingKey = ((rollingKey << 2) + (NucleotideCode[text[nextKeyed + 11]] & 3u)) & mask;
    keys[nextKeyed % kKeysAhead] = rollingKey;
    fPrefetchForWrite(root + rollingKey);
    ++nextKeyed;
  };
  while (nextKeyed <= L && nextKeyed <= kKeysAhead) keyNext();
  for (int32_t p = 1; p <= L; ++p) {
    uint32_t key = keys[p % kKeysAhead];
    if (nextKeyed <= L) keyNext();
    int32_t higher = root[key];
    chain[p] = higher > 0 ? higher : -1;
    root[key] = p;
  }
}
}  // namespace

bool fBuild12RootChainBoth(int32_t L) {
  if (L < 1 || Root12Count < 1) return false;
  RootBytes = static_cast<size_t>(Root12Count) * sizeof(int32_t);
  ChainBytes = (static_cast<size_t>(L) + 1) * sizeof(int32_t);
  // Zero-filled root tables; the chains are written whole by the build.
  Root12Up = static_cast<int32_t*>(fAllocateLarge(RootBytes));
  Root12Lw = static_cast<int32_t*>(fAllocateLarge(RootBytes));
  Chain12Up = static_cast<int32_t*>(fAllocateLarge(ChainBytes));
  Chain12Lw = static_cast<int32_t*>(fAllocateLarge(ChainBytes));
  if (Root12Up == nullptr || Root12Lw == nullptr || Chain12Up == nullptr || Chain12Lw == nullptr) {
    fRelease12RootChainBoth();
    std::fputs(kNoMemory, stdout);
    return false;
  }
  Chain12Up[0] = -1;
  Chain12Lw[0] = -1;
  fBuildStrand(Genome, L, Root12Up, Chain12Up);
  fBuildStrand(GenomeLower, L, Root12Lw, Chain12Lw);
  return true;
}

void fRelease12RootChainBoth() {
  fReleaseLarge(Root12Up, RootBytes);
  fReleaseLarge(Root12Lw, RootBytes);
  fReleaseLarge(Chain12Up, ChainBytes);
  fReleaseLarge(Chain12Lw, ChainBytes);
  Root12Up = Root12Lw = Chain12Up = Chain12Lw = nullptr;
}
