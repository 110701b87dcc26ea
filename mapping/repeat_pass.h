// The repeat and counting passes of the assembly test (fTestGenomeSborka),
// declared here for the unit tests that check them on tiny genomes.
#pragma once
#include <cstdint>

// A list of genome offsets chained through the link array whose texts share
// their first `depth` bases.
struct PendingList {
  int32_t head;
  int32_t depth;
};

// Lists of at most this many offsets (a few levels below the first split on a
// genome of millions of bases) are refined through a compact copy whose 1 MiB
// of links stays in cache, instead of chasing links across the whole genome.
constexpr int32_t kSmallListLimit = 131072;

// Repeat pass: for each offset x of the circular genome g[0 .. L-1] (L >= 4),
// the length of the longest stretch starting at x that also starts at another
// offset, stored in repeatTable[x + 1]; never more than L. `link` holds L
// entries, `stack` L + 4. Lists of up to `smallListLimit` offsets are
// renumbered into a compact copy first (0: never).
void fFindMaximalRepeats(const unsigned char* g, int32_t L, int32_t* repeatTable, int32_t* link,
                         PendingList* stack, int32_t smallListLimit = kSmallListLimit);

// Counting pass over repeatTable[1 .. L]: the number of repeat intervals not
// contained in an earlier one, closing the circle over the first. Clears the
// entries of intervals not counted (and that of the first one); `longest` gets
// the longest counted interval.
int32_t fCountRepeatIntervals(int32_t* repeatTable, int32_t L, int32_t& longest);
