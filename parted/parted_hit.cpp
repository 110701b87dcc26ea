#include "parted/parted_hit.h"

#include <algorithm>

namespace {
const char kUpperLetters[] = "ACGT";
}  // namespace

void fWriteSegmentText(FILE* file, const PartedHit& hit) {
  const int32_t seedStart = hit.leftSz;
  const int32_t seedEnd = hit.leftSz + kSeedBases;
  const int32_t length = seedEnd + hit.rightSz;
  const unsigned char* segment = Genome + hit.pos;
  for (int32_t i = 0; i < length; ++i) {
    bool inSeed = i >= seedStart && i < seedEnd;
    std::fputc(inSeed ? kUpperLetters[segment[i]] : CodeLetters[segment[i]], file);
  }
}

void fPrefetchHeadSeeds(const ReadBatch& batch) {
  int32_t keys[ReadBatch::kDepth][2];
  for (int32_t i = 0; i < batch.count; ++i) {
    const int32_t length = batch.length[i];
    if (length < kShortestPartedRead || length < MinReadSize || length > MaxReadSize) {
      keys[i][0] = keys[i][1] = -1;
      continue;
    }
    const unsigned char* read = batch.fSlot(i);
    keys[i][0] = fSeedKey12(read);
    keys[i][1] = fSeedKey12Reverse(read + length - kSeedBases);
    fPrefetchRoot(keys[i][0]);
    fPrefetchRoot(keys[i][1]);
  }
  for (int32_t i = 0; i < batch.count; ++i) {
    fPrefetchPlace(fFirstPlace(keys[i][0]));
    fPrefetchPlace(fFirstPlace(keys[i][1]));
  }
}

void fSortHitsByPos(PartedHitList& hits) {
  std::stable_sort(hits.begin(), hits.end(),
                   [](const PartedHit& a, const PartedHit& b) { return a.pos < b.pos; });
}
