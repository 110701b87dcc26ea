// Letter texts for the tests' genomes and reads. Positions are 1-based and a
// genome is read as a circle, as the procedures read it.
#pragma once
#include <cctype>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

// Random letters over the first `letters` of A, C, G, T: the same for the same
// seed on every platform.
inline std::string fRandomLetters(size_t length, unsigned seed, unsigned letters = 4) {
  std::mt19937 random(seed);
  std::string text(length, 'A');
  for (char& letter : text) letter = "ACGT"[random() % letters];
  return text;
}

inline std::string fReverseComplement(const std::string& letters) {
  std::string lower(letters.rbegin(), letters.rend());
  for (char& letter : lower) {
    const size_t at = std::string("ACGT").find(letter);
    if (at != std::string::npos) letter = "TGCA"[at];
  }
  return lower;
}

inline std::string fLower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// `length` letters of the circular genome from position p on; p may lie at or
// below 0 or beyond the end.
inline std::string fAt(const std::string& genome, int64_t p, size_t length) {
  const int64_t n = static_cast<int64_t>(genome.size());
  std::string text;
  for (int64_t i = 0; i < static_cast<int64_t>(length); ++i)
    text += genome[static_cast<size_t>(((p - 1 + i) % n + n) % n)];
  return text;
}

// Overwrites genome letters from position `position` on.
inline void fPlace(std::string& genome, int32_t position, const std::string& segment) {
  genome.replace(static_cast<size_t>(position - 1), segment.size(), segment);
}

// One read per line, each followed by a line feed.
inline std::string fLines(const std::vector<std::string>& reads) {
  std::string text;
  for (const std::string& read : reads) text += read + "\n";
  return text;
}
