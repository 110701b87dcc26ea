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

void fSortHitsByPos(PartedHitList& hits) {
  std::stable_sort(hits.begin(), hits.end(),
                   [](const PartedHit& a, const PartedHit& b) { return a.pos < b.pos; });
}
