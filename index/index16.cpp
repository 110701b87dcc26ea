#include "index/index16.h"

#include <cstring>

#include "driver/console.h"
#include "driver/run_state.h"

Root16Table Root16;
int32_t* Chain16 = nullptr;
int32_t* Root8 = nullptr;
int32_t* Chain8 = nullptr;

namespace {
const char kNoMemory16Chain[] = "\nno memory_16-Chain";
const char kNoMemoryChain[] = "\nno memory_Chain";
const char kNoMemoryRoot8[] = "\nno memory_Root8";

// What Chain16, Root8 and Chain8 point into.
Block<int32_t> Chain16Block;
Block<int32_t> Root8Block;
Block<int32_t> Chain8Block;

// A chain has an entry per position and the unused entry 0.
size_t fChainEntries(int32_t L) { return static_cast<size_t>(L > 0 ? L : 0) + 1; }

// The 16-mer keys of positions 1 .. L, one rolling key, first base most
// significant (a 16-mer fills the 32 bits, so the shift drops the oldest base).
// The run start of the key 16 positions on is asked for ahead: the keys jump
// all over the 64 MiB of run starts.
template <typename Visit>
void fForEach16mer(int32_t L, Visit visit) {
  constexpr int32_t kAhead = 16;
  constexpr int32_t kLast = kKey16Bases - 1;
  uint32_t key = fKmerKey(Genome + 1, kLast);
  uint32_t keyAhead = L > kAhead ? fKmerKey(Genome + 1 + kAhead, kLast) : 0;
  for (int32_t p = 1; p <= L; ++p) {
    key = (key << 2) + Genome[p + kLast];
    if (p <= L - kAhead) {
      keyAhead = (keyAhead << 2) + Genome[p + kAhead + kLast];
      Root16.fPrefetchRun(keyAhead);
    }
    visit(p, key);
  }
}

// Fills Root16 and Chain16 by a counting sort of the positions on their first
// 12 bases. Positions enter each run in ascending order, so within a run the
// last position seen for a 16-mer is its highest, and each position chains
// back to the one seen before it: the same roots and chains as one ascending
// pass over a 4^16 table, without its 16 GiB.
//
// No scratch memory: the sorted positions wait in the upper half of the entry
// array (entry i, written once runs up to slot i have been read, never reaches
// an unread slot), and each position's last 4 bases wait in its chain entry.
void fFill16(int32_t L) {
  uint32_t* offsets = Root16.Offsets.data();
  if (L < 1) return;
  unsigned char* byRun = reinterpret_cast<unsigned char*>(Root16.Entries.data()) + static_cast<size_t>(L) * 4;
  auto slotAt = [byRun](uint32_t slot) {
    int32_t p;
    std::memcpy(&p, byRun + static_cast<size_t>(slot) * 4, 4);
    return p;
  };

  // Run sizes, then run starts: offsets[run] is where the run's positions begin.
  constexpr int kTailBits = Root16Table::kTailBits;
  fForEach16mer(L, [&](int32_t, uint32_t key) { ++offsets[(key >> kTailBits) + 1]; });
  for (size_t run = 1; run <= Root16Table::kRunCount; ++run) offsets[run] += offsets[run - 1];
  // Placing advances each start to the next run's start.
  fForEach16mer(L, [&](int32_t p, uint32_t key) {
    uint32_t slot = offsets[key >> kTailBits]++;
    std::memcpy(byRun + static_cast<size_t>(slot) * 4, &p, 4);
    Chain16[p] = static_cast<int32_t>(key & Root16Table::kTailKeyMask);
  });

  // Each run in turn: chains, one entry per distinct last-4-bases, and the run
  // start rewritten to index the entries. lastSeen is cleared only where used.
  int32_t lastSeen[256] = {};
  uint8_t tailsSeen[256];
  uint64_t* entries = Root16.Entries.data();
  uint32_t entryCount = 0;
  uint32_t runBegin = 0;
  const uint32_t positions = static_cast<uint32_t>(L);
  for (size_t run = 0; run < Root16Table::kRunCount; ++run) {
    uint32_t runEnd = offsets[run];
    offsets[run] = entryCount;
    // The chain entries of the positions a few runs on.
    constexpr uint32_t kSlotsAhead = 16;
    if (runEnd + kSlotsAhead < positions) fPrefetch(Chain16 + slotAt(runEnd + kSlotsAhead));
    if (runEnd - runBegin == 1) {
      int32_t p = slotAt(runBegin);
      uint64_t tail = static_cast<uint32_t>(Chain16[p]);
      Chain16[p] = -1;
      entries[entryCount++] = tail << 32 | static_cast<uint32_t>(p);
    } else if (runEnd != runBegin) {
      int distinct = 0;
      for (uint32_t slot = runBegin; slot < runEnd; ++slot) {
        int32_t p = slotAt(slot);
        uint8_t tail = static_cast<uint8_t>(Chain16[p]);
        if (lastSeen[tail] == 0) {
          tailsSeen[distinct++] = tail;
          Chain16[p] = -1;
        } else {
          Chain16[p] = lastSeen[tail];
        }
        lastSeen[tail] = p;
      }
      for (int i = 0; i < distinct; ++i) {
        uint8_t tail = tailsSeen[i];
        entries[entryCount++] = static_cast<uint64_t>(tail) << 32 | static_cast<uint32_t>(lastSeen[tail]);
        lastSeen[tail] = 0;
      }
    }
    runBegin = runEnd;
  }
  offsets[Root16Table::kRunCount] = entryCount;
}

// The 8-mer arrays: one ascending pass over a direct table of 4^8 roots.
void fFill8(int32_t L) {
  if (L < 1) return;
  constexpr int32_t kLast = kKey8Bases - 1;
  constexpr uint32_t kKey8Mask = static_cast<uint32_t>(kRoot8Count) - 1;
  uint32_t key = fKmerKey(Genome + 1, kLast);
  for (int32_t p = 1; p <= L; ++p) {
    key = ((key << 2) + Genome[p + kLast]) & kKey8Mask;
    Chain8[p] = Root8[key] > 0 ? Root8[key] : -1;
    Root8[key] = p;
  }
}

// Allocates the 16-mer arrays; false, with whatever was obtained released, on failure.
bool fAllocate16(int32_t L) {
  fRelease16Chain();
  // At most one entry per position; the build also keeps its sorted positions here.
  bool held = Root16.Offsets.fAllocate(Root16Table::kRunCount + 1) &&
              Root16.Entries.fAllocate(static_cast<size_t>(L > 0 ? L : 1)) &&
              Chain16Block.fAllocate(fChainEntries(L));
  if (!held) {
    fRelease16Chain();
    return false;
  }
  Chain16 = Chain16Block.data();
  Chain16[0] = -1;
  return true;
}

bool fAllocate8(int32_t L) {
  if (!Root8Block.fAllocate(static_cast<size_t>(kRoot8Count)) || !Chain8Block.fAllocate(fChainEntries(L))) {
    fRelease16Chain();
    return false;
  }
  Root8 = Root8Block.data();
  Chain8 = Chain8Block.data();
  Chain8[0] = -1;
  return true;
}
}  // namespace

bool fBuild16Chain(int32_t L) {
  if (!fAllocate16(L)) {
    fSay(kNoMemory16Chain);
    return false;
  }
  fFill16(L);
  return true;
}

bool fBuildRoot8Chain(int32_t L) {
  // Reads below 16 bases are seeded by their first 8.
  const bool want8 = MinReadSize < kKey16Bases;
  if (!fAllocate16(L)) {
    fSay(kNoMemoryChain);
    return false;
  }
  if (want8 && !fAllocate8(L)) {
    fSay(kNoMemoryRoot8);
    return false;
  }
  fFill16(L);
  if (want8) fFill8(L);
  return true;
}

void fRelease16Chain() {
  Root16.Offsets.fRelease();
  Root16.Entries.fRelease();
  Chain16Block.fRelease();
  Root8Block.fRelease();
  Chain8Block.fRelease();
  Chain16 = nullptr;
  Root8 = nullptr;
  Chain8 = nullptr;
}
