// A small test genome whose 8-mers occur once on either strand, so every seed
// has one place, and helpers that cut its stretches as a circle.
#pragma once
#include <cctype>
#include <string>

namespace circle {

const std::string kGenome =
    "TTAGTTGTGCCGCAGCGAAGTAGTGCTTGAAATATGCGACCCCTAAGTAGGAGCGTATGCGCCCAGTAACCAATGCCTGTTGAGATGCCAGACGCG";
const int kN = static_cast<int>(kGenome.size());  // 96

// Bases from..to (1-based, inclusive) read round the circle; positions may lie
// at or below 0 or beyond the end.
inline std::string fStretch(int from, int to) {
  std::string s;
  for (int p = from; p <= to; ++p) s += kGenome[static_cast<size_t>(((p - 1) % kN + kN) % kN)];
  return s;
}

inline std::string fLower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

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

// A genome of `length` bases from a fixed generator, the same in every run.
inline std::string fFixedRandomGenome(int length) {
  std::string genome;
  unsigned state = 12345;
  for (int i = 0; i < length; ++i) {
    state = state * 1103515245u + 12345u;
    genome += "ACGT"[(state >> 16) & 3];
  }
  return genome;
}

inline std::string fReverseComplement(const std::string& s) {
  std::string out(s.rbegin(), s.rend());
  for (char& c : out) c = c == 'A' ? 'T' : c == 'C' ? 'G' : c == 'G' ? 'C' : 'A';
  return out;
}

}  // namespace circle
