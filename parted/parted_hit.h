// Parted hits: placements of a read that is a rotation of a genome segment of
// its own length, found by seeding on a 12-base end of the read. What the
// parted-read, rating and circular-RNA procedures share.
#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

#include "driver/run_state.h"
#include "parted/index12.h"
#include "driver/read_ahead.h"

// A hit is a 12-base seed, the extension that follows it in the read and a tail
// of at least 4 bases lying right before the seed in the genome.
constexpr int32_t kSeedBases = kKey12Bases;
constexpr int32_t kShortestTail = 4;
constexpr int32_t kShortestPartedRead = kSeedBases + kShortestTail;

// One placement. The segment is the leftSz + 12 + rightSz genome bases from
// pos (1-based; 0 or below when it wraps over the genome's start); its seed is
// the 12 bases from pos + leftSz. The size fields are 16 bits wide, so reads
// of any length a line can hold keep their parts whole.
struct PartedHit {
  int32_t pos;
  int16_t rSz;
  int16_t leftSz;
  int16_t rightSz;
};

using PartedHitList = std::vector<PartedHit>;

// Head-seed search of one strand's text (codes, length >= 16) against the
// upper strand: for every position p of the text's first 12-mer, the extension
// k runs over the text's bases after the seed while they match the genome after
// the seed; the t = L - 12 - k remaining bases must lie right before the seed.
// `firstPlace` is fFirstPlace of the text's first 12 bases. Calls onHit(p, t, k)
// for each placement with t >= 4. With stopAtWholeMatch, a placement with
// t = 0 ends the search and true is returned.
// Needs the copies of the genome: up to L bases on either side.
template <bool stopAtWholeMatch, typename OnHit>
inline bool fSearchHeadSeed(const unsigned char* text, int32_t length, int32_t firstPlace, OnHit onHit) {
  const int32_t afterSeed = length - kSeedBases;
  const unsigned char* rest = text + kSeedBases;
  for (int32_t p = firstPlace; p > 0; p = Chain12[p]) {
    fPrefetch(Chain12 + p);
    const unsigned char* genomeAfter = Genome + p + kSeedBases;
    int32_t k = 0;
    while (k < afterSeed && rest[k] == genomeAfter[k]) ++k;
    int32_t t = afterSeed - k;
    if (t == 0) {
      if (stopAtWholeMatch) return true;
      continue;
    }
    if (t < kShortestTail) continue;
    const unsigned char* tail = rest + k;
    const unsigned char* genomeBefore = Genome + p - t;
    int32_t i = 0;
    while (i < t && tail[i] == genomeBefore[i]) ++i;
    if (i == t) onHit(p, t, k);
  }
  return false;
}

// The hook of the parted reads held ahead (driver/read_ahead.h): for every
// read that can give a parted hit (16 bases or more, within the size scope),
// the root entries of its head seed on both strands, then their first places.
struct HeadSeedsAhead {
  struct Seeds {
    // The upper strand's head seed, then the lower's: the reverse complement
    // of the read's last 12 bases. -1: none.
    int32_t keys[2];
  };

  bool fTake(HeldRead<Seeds>& read) const {
    int32_t* keys = read.seeds.keys;
    const int32_t length = read.length;
    if (length < kShortestPartedRead || length < MinReadSize || length > MaxReadSize) {
      keys[0] = keys[1] = -1;
      return true;
    }
    keys[0] = fSeedKey12(read.bases);
    keys[1] = fSeedKey12Reverse(read.bases + length - kSeedBases);
    fPrefetchRoot(keys[0]);
    fPrefetchRoot(keys[1]);
    return true;
  }
  void fFollow(const HeldRead<Seeds>& read) const {
    fPrefetchPlace(fFirstPlace(read.seeds.keys[0]));
    fPrefetchPlace(fFirstPlace(read.seeds.keys[1]));
  }
  void fFollowOn(const HeldRead<Seeds>&) const {}
};

// Head-seed search of the coded read (length L >= 16), then of its reverse
// complement, written into `complement`: onUpper(p, t, k) and onLower(p, t, k)
// for the placements of each strand, as fSearchHeadSeed gives them. `seeds` are the keys HeadSeedsAhead
// noted when the read was taken; both strands' first places are asked for
// before either is walked, so that their cache misses overlap.
template <typename OnUpper, typename OnLower>
inline void fSearchHeadSeedBothStrands(const unsigned char* read, unsigned char* complement, int32_t readLength,
                                       const HeadSeedsAhead::Seeds& seeds, OnUpper onUpper, OnLower onLower) {
  const int32_t upperFirst = fFirstPlace(seeds.keys[0]);
  const int32_t lowerFirst = fFirstPlace(seeds.keys[1]);
  fPrefetchPlace(upperFirst);
  fPrefetchPlace(lowerFirst);
  fSearchHeadSeed<false>(read, readLength, upperFirst, onUpper);
  fReverseComplementCodes(read, readLength, complement);
  fSearchHeadSeed<false>(complement, readLength, lowerFirst, onLower);
}

// Writes the hit's segment text: the left part in lower case, the seed in
// upper case, the right part in lower case, upper-strand letters whatever the
// strand of the hit.
void fWriteSegmentText(FILE* file, const PartedHit& hit);

// Orders hits by position; hits at one position keep the order they were found in.
void fSortHitsByPos(PartedHitList& hits);
