// A small test genome whose 8-mers occur once on either strand, so every seed
// has one place, and the segments and rotated reads cut from it as a circle.
#pragma once
#include <string>
#include "support/sequences.h"

namespace circle {

const std::string kGenome =
    "TTAGTTGTGCCGCAGCGAAGTAGTGCTTGAAATATGCGACCCCTAAGTAGGAGCGTATGCGCCCAGTAACCAATGCCTGTTGAGATGCCAGACGCG";
const int kN = static_cast<int>(kGenome.size());  // 96

// Bases from..to (inclusive) read round the circle.
inline std::string fStretch(int from, int to) { return fAt(kGenome, from, static_cast<size_t>(to - from + 1)); }

// Segment text of a hit: left part lower case, 12-base seed upper case, right part lower case.
inline std::string fSegment(int pos, int left, int right) {
  return fLower(fStretch(pos, pos + left - 1)) + fStretch(pos + left, pos + left + 11) +
         fLower(fStretch(pos + left + 12, pos + left + 11 + right));
}

// A read that is the segment of `pos` rotated: its part from the seed on, then
// the `left` bases before the seed.
inline std::string fRotated(int pos, int left, int right) {
  return fStretch(pos + left, pos + left + 11 + right) + fStretch(pos, pos + left - 1);
}

}  // namespace circle
