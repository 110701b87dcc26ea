// Two-strand 12-mer index over the letter texts of the end-replacement
// procedures: Genome (upper strand) and GenomeLower (its reverse complement),
// each numbered from 1 with a circular continuation of at least 11 letters.
#pragma once
#include <cstdint>

#include "index/kmer.h"

// Root tables (kRoot12Count entries, indexed by key) hold the highest position
// of each key, 0 if the key is absent; chains (L + 1 entries, indexed by
// position) hold the next lower position with the same key, -1 at the end.
// They point into blocks the index owns.
extern int32_t* Root12Up;
extern int32_t* Chain12Up;
extern int32_t* Root12Lw;
extern int32_t* Chain12Lw;

// Builds both strands' tables for positions 1..L. The key of position p is
// read from its 12 letters, first letter most significant, so positions
// L - 10..L read into the continuation. With RunThreads above 1 the two
// strands are built at once. On a failed allocation prints
// "\nno memory_12-RootChain" and returns false with nothing held. A length
// below 1 builds nothing and returns false without a message.
bool fBuild12RootChainBoth(int32_t L);

// Releases the four arrays and clears their references; safe to call twice.
void fRelease12RootChainBoth();
