#include "index/index12both.h"

#include "driver/console.h"
#include "driver/memory.h"
#include "driver/run_state.h"
#include "index/index_threads.h"

int32_t* Root12Up = nullptr;
int32_t* Chain12Up = nullptr;
int32_t* Root12Lw = nullptr;
int32_t* Chain12Lw = nullptr;

namespace {
const char kNoMemory[] = "\nno memory_12-RootChain";

// What the four references point into.
Block<int32_t> Root12UpBlock;
Block<int32_t> Chain12UpBlock;
Block<int32_t> Root12LwBlock;
Block<int32_t> Chain12LwBlock;

// Keys are computed this many positions ahead of their insertion so that the
// root entry they update is already on its way from memory.
constexpr int32_t kKeysAhead = 16;

// One strand: positions inserted in ascending order, each pushed in front of
// the previous one of its key, so roots hold the highest position and chains
// run downwards. Codes of letters outside ACGT are masked into the key range,
// so even an unchecked text cannot index outside the root table.
void fBuildStrand(const unsigned char* text, int32_t L, int32_t* root, int32_t* chain) {
  constexpr int32_t kLast = kKey12Bases - 1;
  uint32_t rollingKey = 0;
  for (int32_t i = 1; i <= kLast; ++i) rollingKey = rollingKey * 4 + (NucleotideCode[text[i]] & 3u);
  uint32_t keys[kKeysAhead];
  int32_t nextKeyed = 1;  // the next position whose key is computed
  auto keyNext = [&]() {
    rollingKey = ((rollingKey << 2) + (NucleotideCode[text[nextKeyed + kLast]] & 3u)) & kKey12Mask;
    keys[nextKeyed % kKeysAhead] = rollingKey;
    fPrefetch(root + rollingKey);
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
  if (L < 1) return false;
  // Zero-filled root tables; the chains are written whole by the build.
  const size_t chainEntries = static_cast<size_t>(L) + 1;
  bool held = Root12UpBlock.fAllocate(static_cast<size_t>(kRoot12Count)) &&
              Root12LwBlock.fAllocate(static_cast<size_t>(kRoot12Count)) &&
              Chain12UpBlock.fAllocate(chainEntries) && Chain12LwBlock.fAllocate(chainEntries);
  if (!held) {
    fRelease12RootChainBoth();
    fSay(kNoMemory);
    return false;
  }
  Root12Up = Root12UpBlock.data();
  Root12Lw = Root12LwBlock.data();
  Chain12Up = Chain12UpBlock.data();
  Chain12Lw = Chain12LwBlock.data();
  Chain12Up[0] = -1;
  Chain12Lw[0] = -1;
  fRunBoth([L] { fBuildStrand(Genome, L, Root12Up, Chain12Up); },
           [L] { fBuildStrand(GenomeLower, L, Root12Lw, Chain12Lw); });
  return true;
}

void fRelease12RootChainBoth() {
  Root12UpBlock.fRelease();
  Root12LwBlock.fRelease();
  Chain12UpBlock.fRelease();
  Chain12LwBlock.fRelease();
  Root12Up = Root12Lw = Chain12Up = Chain12Lw = nullptr;
}
