#include "index/index16.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "driver/console.h"
#include "driver/run_state.h"
#include "index/index_threads.h"

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

// The positions of the genome are shared out among threads in stretches.
int32_t fStretchStart(int32_t L, int shares, int share) {
  return static_cast<int32_t>(1 + static_cast<int64_t>(L) * share / shares);
}

// The k-mer keys of positions first .. last, one rolling key, first base most
// significant (a 16-mer fills the 32 bits, so the shift drops the oldest base).
template <int K, typename Visit>
void fForEachKmer(int32_t first, int32_t last, Visit visit) {
  constexpr uint32_t kMask = K == 16 ? ~0u : (1u << (2 * K)) - 1;
  uint32_t key = fKmerKey(Genome + first, K - 1);
  for (int32_t p = first; p <= last; ++p) {
    key = ((key << 2) + Genome[p + K - 1]) & kMask;
    visit(p, key);
  }
}

// The 16-mer build deals the positions into buckets by the first 6 bases of
// their key, then builds each bucket's 4096 runs on its own: their 16 KiB of
// run starts and the bucket's positions fit in a cache, where one pass over
// the genome would scatter its writes over the 64 MiB of run starts.
constexpr int kTailBits = Root16Table::kTailBits;
constexpr int kBucketBits = 12;
constexpr uint32_t kBucketCount = 1u << kBucketBits;
constexpr int kBucketShift = 32 - kBucketBits;
constexpr uint32_t kRunsPerBucket = static_cast<uint32_t>(Root16Table::kRunCount / kBucketCount);

// A position waiting in its bucket, with its key above it: items order by
// 16-mer, then by position.
uint64_t fItem(uint32_t key, int32_t p) { return uint64_t{key} << 32 | static_cast<uint32_t>(p); }
int32_t fItemPosition(uint64_t item) { return static_cast<int32_t>(static_cast<uint32_t>(item)); }
uint32_t fItemTail(uint64_t item) { return static_cast<uint32_t>(item >> 32) & Root16Table::kTailKeyMask; }
uint32_t fItemRunInBucket(uint64_t item) {
  return static_cast<uint32_t>(item >> (32 + kTailBits)) & (kRunsPerBucket - 1);
}

struct Build16 {
  int32_t L = 0;
  int shares = 1;
  // Root16.Entries: the positions wait here by bucket until their bucket
  // turns them into entries, which never reach a bucket still waiting.
  uint64_t* items = nullptr;
  Block<uint32_t> cursors;      // per share and bucket: its count, then where its next position goes
  Block<uint32_t> bucketStart;  // kBucketCount + 1 starts into items
  Block<uint64_t> scratch[kMaxIndexThreads];
  size_t scratchItems = 0;      // a larger bucket is sorted where it lies
  std::atomic<uint32_t> nextBucket{0};
  // Each bucket leaves its entries at the front of its own stretch of items
  // and their number here; one ordered pass then closes the gaps.
  Block<uint32_t> entryCount;
};

void fCountBuckets(Build16& build, int share) {
  uint32_t* count = build.cursors.data() + static_cast<size_t>(share) * kBucketCount;
  fForEachKmer<16>(fStretchStart(build.L, build.shares, share), fStretchStart(build.L, build.shares, share + 1) - 1,
                   [count](int32_t, uint32_t key) { ++count[key >> kBucketShift]; });
}

// Stretches go to their buckets in genome order, so each bucket holds its
// positions ascending.
void fDealBuckets(Build16& build, int share) {
  uint32_t* cursor = build.cursors.data() + static_cast<size_t>(share) * kBucketCount;
  uint64_t* items = build.items;
  fForEachKmer<16>(fStretchStart(build.L, build.shares, share), fStretchStart(build.L, build.shares, share + 1) - 1,
                   [cursor, items](int32_t p, uint32_t key) { items[cursor[key >> kBucketShift]++] = fItem(key, p); });
}

// One bucket's runs: its chains, its entries and its run starts. Within a run
// the highest position of a 16-mer is the last one seen and each position
// chains back to the one before it, provided each 16-mer's positions come
// ascending; the entries of a run follow the lowest positions of their 16-mers.
void fBuildBucket(Build16& build, uint32_t bucket, uint64_t* scratch) {
  const uint32_t begin = build.bucketStart[bucket];
  const uint32_t count = build.bucketStart[bucket + 1] - begin;
  uint64_t* bucketItems = build.items + begin;

  uint32_t runStart[kRunsPerBucket + 1] = {};
  for (uint32_t i = 0; i < count; ++i) ++runStart[fItemRunInBucket(bucketItems[i]) + 1];
  for (uint32_t r = 1; r <= kRunsPerBucket; ++r) runStart[r] += runStart[r - 1];
  // A counting sort keeps every run's positions ascending, so its 16-mers come
  // in the order of their lowest positions; a bucket too large for the scratch
  // (a repeat-rich genome) is sorted by 16-mer and position where it lies, and
  // its runs' entries are put in that order afterwards.
  uint64_t* sorted = bucketItems;
  const bool byLowestPosition = count <= build.scratchItems;
  if (byLowestPosition) {
    uint32_t place[kRunsPerBucket];
    for (uint32_t r = 0; r < kRunsPerBucket; ++r) place[r] = runStart[r];
    for (uint32_t i = 0; i < count; ++i) scratch[place[fItemRunInBucket(bucketItems[i])]++] = bucketItems[i];
    sorted = scratch;
  } else {
    std::sort(bucketItems, bucketItems + count);
  }

  // Entries replace the sorted positions from the front: a run's entries are
  // written only once its positions have been read.
  int32_t* chain = Chain16;
  uint32_t* offsets = Root16.Offsets.data() + static_cast<size_t>(bucket) * kRunsPerBucket;
  int32_t lastSeen[256] = {};
  int32_t lowestSeen[256];
  uint8_t tailsSeen[256];
  uint32_t entryCount = 0;
  constexpr uint32_t kAhead = 16;  // chain entries are asked for this many positions ahead
  for (uint32_t r = 0; r < kRunsPerBucket; ++r) {
    offsets[r] = entryCount;
    const uint32_t runBegin = runStart[r];
    const uint32_t runEnd = runStart[r + 1];
    if (runEnd - runBegin == 1) {
      if (runBegin + kAhead < count) fPrefetch(chain + fItemPosition(sorted[runBegin + kAhead]));
      const uint64_t item = sorted[runBegin];
      chain[fItemPosition(item)] = -1;
      sorted[entryCount++] = uint64_t{fItemTail(item)} << 32 | static_cast<uint32_t>(item);
    } else if (runEnd != runBegin) {
      int distinct = 0;
      for (uint32_t i = runBegin; i < runEnd; ++i) {
        if (i + kAhead < count) fPrefetch(chain + fItemPosition(sorted[i + kAhead]));
        const int32_t p = fItemPosition(sorted[i]);
        const uint32_t tail = fItemTail(sorted[i]);
        if (lastSeen[tail] == 0) {
          tailsSeen[distinct++] = static_cast<uint8_t>(tail);
          lowestSeen[tail] = p;
          chain[p] = -1;
        } else {
          chain[p] = lastSeen[tail];
        }
        lastSeen[tail] = p;
      }
      if (!byLowestPosition)
        std::sort(tailsSeen, tailsSeen + distinct, [&lowestSeen](uint8_t a, uint8_t b) { return lowestSeen[a] < lowestSeen[b]; });
      for (int k = 0; k < distinct; ++k) {
        const uint8_t tail = tailsSeen[k];
        sorted[entryCount++] = uint64_t{tail} << 32 | static_cast<uint32_t>(lastSeen[tail]);
        lastSeen[tail] = 0;
      }
    }
  }

  // The entries wait at the front of the bucket's own stretch, no more of
  // them than it had positions, until every bucket is built.
  if (sorted != bucketItems && entryCount > 0)
    std::memcpy(bucketItems, sorted, size_t{entryCount} * sizeof(uint64_t));
  build.entryCount[bucket] = entryCount;
}

// Closes the gaps between the buckets' entries, in bucket order: an entry
// only moves down, onto entries already moved or positions already used.
// Returns the number of entries; `placedAt` gets each bucket's first.
uint32_t fCloseGaps(Build16& build, uint32_t* placedAt) {
  uint64_t* items = build.items;
  uint32_t placed = 0;
  for (uint32_t bucket = 0; bucket < kBucketCount; ++bucket) {
    const uint32_t count = build.entryCount[bucket];
    const uint32_t from = build.bucketStart[bucket];
    if (count > 0 && from != placed) std::memmove(items + placed, items + from, size_t{count} * sizeof(uint64_t));
    placedAt[bucket] = placed;
    placed += count;
  }
  return placed;
}

// The run starts of a bucket's share, made absolute once the entries are in place.
void fShiftRunStarts(Build16& build, const uint32_t* placedAt, int share) {
  const uint32_t first = static_cast<uint32_t>(uint64_t{kBucketCount} * share / build.shares);
  const uint32_t last = static_cast<uint32_t>(uint64_t{kBucketCount} * (share + 1) / build.shares);
  for (uint32_t bucket = first; bucket < last; ++bucket) {
    uint32_t* offsets = Root16.Offsets.data() + static_cast<size_t>(bucket) * kRunsPerBucket;
    for (uint32_t r = 0; r < kRunsPerBucket; ++r) offsets[r] += placedAt[bucket];
  }
}

void fBuildBuckets(Build16& build, int share) {
  uint64_t* scratch = build.scratch[share].data();
  for (;;) {
    const uint32_t bucket = build.nextBucket.fetch_add(1, std::memory_order_relaxed);
    if (bucket >= kBucketCount) return;
    fBuildBucket(build, bucket, scratch);
  }
}

// Fills Root16 and Chain16: the same roots and chains as one ascending pass
// over a 4^16 table, without its 16 GiB. False when the scratch can't be had.
bool fFill16(int32_t L) {
  if (L < 1) return true;
  Build16 build;
  build.L = L;
  build.shares = fIndexThreadCount(L);
  build.items = Root16.Entries.data();
  Block<uint32_t> placedAt;
  if (!build.cursors.fAllocate(static_cast<size_t>(build.shares) * kBucketCount) ||
      !build.bucketStart.fAllocate(kBucketCount + 1) || !build.entryCount.fAllocate(kBucketCount) ||
      !placedAt.fAllocate(kBucketCount))
    return false;
  fRunShares(build.shares, [&build](int share) { fCountBuckets(build, share); });

  uint32_t placed = 0;
  uint32_t largest = 0;
  for (uint32_t bucket = 0; bucket < kBucketCount; ++bucket) {
    build.bucketStart[bucket] = placed;
    for (int share = 0; share < build.shares; ++share) {
      uint32_t& cursor = build.cursors[static_cast<size_t>(share) * kBucketCount + bucket];
      const uint32_t count = cursor;
      cursor = placed;
      placed += count;
    }
    if (placed - build.bucketStart[bucket] > largest) largest = placed - build.bucketStart[bucket];
  }
  build.bucketStart[kBucketCount] = placed;
  // Room for a bucket eight times the mean: all of a random genome's buckets.
  const size_t roomy = std::max<size_t>(8 * (static_cast<size_t>(L) / kBucketCount + 1), 4096);
  build.scratchItems = std::min<size_t>(largest, roomy);
  for (int share = 0; share < build.shares; ++share)
    if (!build.scratch[share].fAllocate(std::max<size_t>(build.scratchItems, 1))) return false;

  fRunShares(build.shares, [&build](int share) { fDealBuckets(build, share); });
  fRunShares(build.shares, [&build](int share) { fBuildBuckets(build, share); });
  Root16.Offsets[Root16Table::kRunCount] = fCloseGaps(build, placedAt.data());
  fRunShares(build.shares, [&](int share) { fShiftRunStarts(build, placedAt.data(), share); });
  return true;
}

// The 8-mer arrays: each stretch of positions chains its own 8-mers against a
// table of 4^8 roots of its own, and the stretches are then joined in genome
// order: a stretch's lowest position of a key chains to the highest of the
// stretches before it. False when the stretches' tables can't be had.
bool fFill8(int32_t L) {
  if (L < 1) return true;
  const int shares = fIndexThreadCount(L);
  Block<int32_t> highest;  // per stretch and key, 0 where the key is absent
  Block<int32_t> lowest;
  const size_t tableEntries = static_cast<size_t>(kRoot8Count);
  if (shares > 1 && (!highest.fAllocate(tableEntries * shares) || !lowest.fAllocate(tableEntries * shares)))
    return false;
  auto chainStretch = [&](int share) {
    int32_t* last = shares > 1 ? highest.data() + tableEntries * share : Root8;
    int32_t* first = shares > 1 ? lowest.data() + tableEntries * share : nullptr;
    int32_t* chain = Chain8;
    fForEachKmer<8>(fStretchStart(L, shares, share), fStretchStart(L, shares, share + 1) - 1,
                    [last, first, chain](int32_t p, uint32_t key) {
                      if (last[key] > 0) {
                        chain[p] = last[key];
                      } else {
                        chain[p] = -1;
                        if (first != nullptr) first[key] = p;
                      }
                      last[key] = p;
                    });
  };
  fRunShares(shares, chainStretch);
  if (shares == 1) return true;
  for (int share = 0; share < shares; ++share) {
    const int32_t* last = highest.data() + tableEntries * share;
    const int32_t* first = lowest.data() + tableEntries * share;
    for (size_t key = 0; key < tableEntries; ++key) {
      if (first[key] == 0) continue;
      Chain8[first[key]] = Root8[key] > 0 ? Root8[key] : -1;
      Root8[key] = last[key];
    }
  }
  return true;
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
  if (!fAllocate16(L) || !fFill16(L)) {
    fRelease16Chain();
    fSay(kNoMemory16Chain);
    return false;
  }
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
  // The builds' scratch is had after the arrays; its lack is told as theirs.
  if (!fFill16(L)) {
    fRelease16Chain();
    fSay(kNoMemoryChain);
    return false;
  }
  if (want8 && !fFill8(L)) {
    fRelease16Chain();
    fSay(kNoMemoryRoot8);
    return false;
  }
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
