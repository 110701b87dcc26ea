#include "index/index16.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "driver/run_state.h"
#include "platform/platform.h"

Root16Table Root16;
int32_t* Chain16 = nullptr;
int32_t* Root8 = nullptr;
int32_t* Chain8 = nullptr;

namespace {
const char kNoMemory16Chain[] = "\nno memory_16-Chain";
const char kNoMemoryChain[] = "\nno memory_Chain";
const char kNoMemoryRoot8[] = "\nno memory_Root8";

constexpr size_t kRoot8Entries = 65536;
constexpr size_t kOffsetBytes = (Root16Table::kRunCount + 1) * sizeof(uint32_t);

// Genome length of the chains allocated last, for their release.
int32_t ChainLength = 0;

size_t fChainBytes(int32_t n) { return (static_cast<size_t>(n > 0 ? n : 0) + 1) * sizeof(int32_t); }

// The 16-mer keys of positions 1 .. n, one rolling key, first base most
// significant. The run start of the key 16 positions on is asked for ahead:
// the keys jump all over the 64 MiB of run starts.
template <typename Visit>
void fForEach16mer(int32_t n, Visit visit) {
  constexpr int32_t kAhead = 16;
  uint32_t key = fKmerKey(Genome + 1, 15);
  uint32_t keyAhead = n > kAhead ? fKmerKey(Genome + 1 + kAhead, 15) : 0;
  for (int32_t p = 1; p <= n; ++p) {
    key = (key << 2) + Genome[p + 15];
    if (p <= n - kAhead) {
      keyAhead = (keyAhead << 2) + Genome[p + kAhead + 15];
      fPrefetch(Root16.Offsets + (keyAhead >> 8));
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
void fFill16(int32_t n) {
  uint32_t* offsets = Root16.Offsets;
  if (n < 1) return;
  unsigned char* byRun = reinterpret_cast<unsigned char*>(Root16.Entries) + static_cast<size_t>(n) * 4;
  auto slotAt = [byRun](uint32_t slot) {
    int32_t p;
    std::memcpy(&p, byRun + static_cast<size_t>(slot) * 4, 4);
    return p;
  };

  // Run sizes, then run starts: offsets[run] is where the run's positions begin.
  fForEach16mer(n, [&](int32_t, uint32_t key) { ++offsets[(key >> 8) + 1]; });
  for (size_t run = 1; run <= Root16Table::kRunCount; ++run) offsets[run] += offsets[run - 1];
  // Placing advances each start to the next run's start.
  fForEach16mer(n, [&](int32_t p, uint32_t key) {
    uint32_t slot = offsets[key >> 8]++;
    std::memcpy(byRun + static_cast<size_t>(slot) * 4, &p, 4);
    Chain16[p] = static_cast<int32_t>(key & 255u);
  });

  // Each run in turn: chains, one entry per distinct last-4-bases, and the run
  // start rewritten to index the entries. lastSeen is cleared only where used.
  int32_t lastSeen[256] = {};
  uint8_t tailsSeen[256];
  uint64_t* entries = Root16.Entries;
  uint32_t entryCount = 0;
  uint32_t runBegin = 0;
  const uint32_t positions = static_cast<uint32_t>(n);
  for (size_t run = 0; run < Root16Table::kRunCount; ++run) {
    uint32_t runEnd = offsets[run];
    offsets[run] = entryCount;
    // The chain entries of the positions a few runs on.
    if (runEnd + 16 < positions) fPrefetch(Chain16 + slotAt(runEnd + 16));
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
void fFill8(int32_t n) {
  if (n < 1) return;
  uint32_t key = fKmerKey(Genome + 1, 7);
  for (int32_t p = 1; p <= n; ++p) {
    key = ((key << 2) + Genome[p + 7]) & 0xFFFFu;
    Chain8[p] = Root8[key] > 0 ? Root8[key] : -1;
    Root8[key] = p;
  }
}

// Allocates the 16-mer arrays; false, with whatever was obtained released, on failure.
bool fAllocate16(int32_t n) {
  fRelease16Chain();
  Root16.Offsets = static_cast<uint32_t*>(fAllocateLarge(kOffsetBytes));
  // At most one entry per position; the build also keeps its sorted positions here.
  Root16.EntryCapacity = static_cast<size_t>(n > 0 ? n : 1);
  Root16.Entries = static_cast<uint64_t*>(fAllocateLarge(Root16.EntryCapacity * sizeof(uint64_t)));
  Chain16 = static_cast<int32_t*>(fAllocateLarge(fChainBytes(n)));
  ChainLength = n;
  if (Root16.Offsets == nullptr || Root16.Entries == nullptr || Chain16 == nullptr) {
    fRelease16Chain();
    return false;
  }
  Chain16[0] = -1;
  return true;
}
}  // namespace

bool fBuild16Chain(int32_t n) {
  if (!fAllocate16(n)) {
    std::fputs(kNoMemory16Chain, stdout);
    return false;
  }
  fFill16(n);
  return true;
}

bool fBuildRoot8Chain(int32_t n) {
  bool want8 = MinReadSize < 16;
  if (!fAllocate16(n)) {
    std::fputs(kNoMemoryChain, stdout);
    return false;
  }
  if (want8) {
    Root8 = static_cast<int32_t*>(std::calloc(kRoot8Entries, sizeof(int32_t)));
    Chain8 = static_cast<int32_t*>(fAllocateLarge(fChainBytes(n)));
    if (Root8 == nullptr || Chain8 == nullptr) {
      fRelease16Chain();
      std::fputs(kNoMemoryRoot8, stdout);
      return false;
    }
    Chain8[0] = -1;
  }
  fFill16(n);
  if (want8) fFill8(n);
  return true;
}

void fRelease16Chain() {
  fReleaseLarge(Root16.Offsets, kOffsetBytes);
  fReleaseLarge(Root16.Entries, Root16.EntryCapacity * sizeof(uint64_t));
  Root16.Offsets = nullptr;
  Root16.Entries = nullptr;
  Root16.EntryCapacity = 0;
  fReleaseLarge(Chain16, fChainBytes(ChainLength));
  fReleaseLarge(Chain8, fChainBytes(ChainLength));
  std::free(Root8);
  Chain16 = nullptr;
  Root8 = nullptr;
  Chain8 = nullptr;
}
