// Small genomes and runs for the read-mapping procedures' end-to-end tests.
#pragma once
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "support/run_folder.h"

// Random letters, the same for the same seed on every platform.
inline std::string fRandomLetters(size_t length, unsigned seed) {
  std::mt19937 random(seed);
  std::string letters(length, 'A');
  for (char& letter : letters) letter = "ACGT"[random() & 3];
  return letters;
}

inline std::string fReverseComplement(const std::string& letters) {
  std::string lower(letters.rbegin(), letters.rend());
  for (char& letter : lower) {
    switch (letter) {
      case 'A': letter = 'T'; break;
      case 'C': letter = 'G'; break;
      case 'G': letter = 'C'; break;
      case 'T': letter = 'A'; break;
      default: break;
    }
  }
  return lower;
}

// `length` letters of the circular genome from 1-based position p on.
inline std::string fAt(const std::string& genome, int64_t p, size_t length) {
  std::string text;
  for (size_t i = 0; i < length; ++i) text += genome[static_cast<size_t>((p - 1 + static_cast<int64_t>(i)) % static_cast<int64_t>(genome.size()))];
  return text;
}

// Overwrites genome letters from 1-based position `position` on.
inline void fPlace(std::string& genome, int32_t position, const std::string& segment) {
  genome.replace(static_cast<size_t>(position - 1), segment.size(), segment);
}

// One read per line, each followed by a line feed.
inline std::string fLines(const std::vector<std::string>& reads) {
  std::string text;
  for (const std::string& read : reads) text += read + "\n";
  return text;
}

// Writes the parameter file and the selection for one run on genome `genome`
// and reads `reads` of the folder, with the results written to the folder.
inline void fSelectRun(const RunFolder& folder, const std::string& procedure, const std::string& genome,
                       const std::string& reads, int32_t minSize, int32_t maxSize) {
  folder.params("p.txt", {{"diRes", folder.dir()},
                          {"pthReads", folder.path(reads)},
                          {"pthGnm", folder.path(genome)},
                          {"rMinSz", std::to_string(minSize)},
                          {"rMaxSz", std::to_string(maxSize)}});
  folder.select(folder.path("p.txt"), procedure);
}
