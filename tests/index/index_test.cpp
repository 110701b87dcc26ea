// The genome indexes against a scan of the circular genome: the 16-mer and
// 8-mer roots of read mapping over the coded genome, the two-strand 12-mer
// index over letter texts (end replacement) and the single-strand one over
// the coded genome (parted reads).
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "driver/run_state.h"
#include "index/index12both.h"
#include "index/index16.h"
#include "parted/index12.h"
#include "support/run_folder.h"
#include "support/sequences.h"

namespace {

constexpr int kWord = 12;

// The text numbered from 1 with `tail` letters of circular continuation.
std::vector<unsigned char> fNumbered(const std::string& text, int tail) {
  std::vector<unsigned char> numbered(1, 0);
  for (size_t k = 0; k < text.size() + static_cast<size_t>(tail); ++k)
    numbered.push_back(static_cast<unsigned char>(text[k % text.size()]));
  return numbered;
}

uint32_t fKeyOf(const std::string& word) {
  uint32_t key = 0;
  for (char c : word) key = key * 4 + NucleotideCode[static_cast<unsigned char>(c)];
  return key;
}

// The 12-letter word at each position of a circular text, and every position
// of each word, highest first.
struct Scan {
  std::vector<std::string> wordAt;  // by position, 1 .. L
  std::map<std::string, std::vector<int32_t>> places;
};

Scan fScan(const std::string& text) {
  const std::string numbered(reinterpret_cast<const char*>(fNumbered(text, kWord).data()), text.size() + kWord + 1);
  Scan scan;
  scan.wordAt.resize(text.size() + 1);
  for (int32_t p = static_cast<int32_t>(text.size()); p >= 1; --p) {
    scan.wordAt[p] = numbered.substr(static_cast<size_t>(p), kWord);
    scan.places[scan.wordAt[p]].push_back(p);
  }
  return scan;
}

// The positions a lookup visits; a chain that ends other than at -1 shows its end too.
std::vector<int32_t> fWalk(int32_t root, const int32_t* chain) {
  std::vector<int32_t> positions;
  int32_t p = root;
  for (; p > 0; p = chain[p]) positions.push_back(p);
  if (!positions.empty() && p != -1) positions.push_back(p);
  return positions;
}

// Every word of the text is found at the places the scan gives; a word one
// letter off that occurs nowhere has root 0.
template <typename Lookup>
void fExpectScan(const std::string& text, const Scan& scan, Lookup lookup, const char* which) {
  for (size_t p = 1; p < scan.wordAt.size(); ++p) {
    const std::string& word = scan.wordAt[p];
    ASSERT_EQ(lookup(word), scan.places.at(word)) << which << " " << text << " " << p;
    std::string other = word;
    other[kWord - 1] = other[kWord - 1] == 'A' ? 'C' : 'A';
    if (scan.places.count(other) == 0) {
      ASSERT_EQ(lookup(other), std::vector<int32_t>{}) << which << " " << other;
    }
  }
}

// The two-strand index over the letters of the genome and of its reverse complement.
void fCheckBothStrands(const std::string& genome) {
  const std::string lower = fReverseComplement(genome);
  std::vector<unsigned char> upperText = fNumbered(genome, kWord - 1);
  std::vector<unsigned char> lowerText = fNumbered(lower, kWord - 1);
  Genome = upperText.data();
  GenomeLower = lowerText.data();
  ASSERT_TRUE(fBuild12RootChainBoth(static_cast<int32_t>(genome.size())));
  fExpectScan(genome, fScan(genome), [](const std::string& w) { return fWalk(Root12Up[fKeyOf(w)], Chain12Up); },
              "upper");
  fExpectScan(lower, fScan(lower), [](const std::string& w) { return fWalk(Root12Lw[fKeyOf(w)], Chain12Lw); },
              "lower");
  fRelease12RootChainBoth();
  Genome = GenomeLower = nullptr;
}

// The single-strand index over the coded genome with the loader's 16 bases of tail copy.
void fCheckCodedStrand(const std::string& genome) {
  const int32_t L = static_cast<int32_t>(genome.size());
  std::vector<unsigned char> text = fNumbered(fCodes(genome), 16);
  Genome = text.data();
  ASSERT_TRUE(fAllocate12RootChain(L));
  fBuild12RootChain(L);
  fExpectScan(genome, fScan(genome),
              [](const std::string& w) {
                const std::string codes = fCodes(w);
                return fWalk(fFirstPlace(fSeedKey12(reinterpret_cast<const unsigned char*>(codes.data()))), Chain12);
              },
              "coded");
  fRelease12RootChain();
  Genome = nullptr;
}

TEST(Index12, BothBuildersGiveWhatAScanOfTheCircularGenomeGives) {
  fInitCodingTables();
  // A word planted at 5, 17 and 40: its chain runs 40, 17, 5, as the scan gives it.
  std::string planted = "TTAGCCGATAGGCTTACCGTAAGCTAGCTTCGATCGGACTAGCATGCGGATTCACGTAAC";
  for (int p : {5, 17, 40}) planted.replace(static_cast<size_t>(p - 1), kWord, "ACGGTCATTGCA");
  std::vector<std::string> genomes = {
      planted,
      "G",              // one position, keyed from the letter and its continuation
      "ACGTTGCAAGGCT",  // the key at L is the last letter and the first 11
      "ACGTTGCAAGG",    // shorter than a word: every key wraps
      fRandomLetters(200, 12),
      fRandomLetters(3000, 13, 2),  // two letters: long chains
  };
  for (const std::string& genome : genomes) {
    fCheckBothStrands(genome);
    fCheckCodedStrand(genome);
  }
}

TEST(Index12, NoGenomeBuildsNothing) {
  EXPECT_FALSE(fBuild12RootChainBoth(0));
  EXPECT_EQ(Root12Up, nullptr);
  EXPECT_EQ(Chain12Lw, nullptr);
}

TEST(Index12, SeedKeysOfBothStrands) {
  fInitCodingTables();
  const std::string seed = fCodes("ACGTTGCAGGTC");
  const std::string reverse = fCodes("GACCTGCAACGT");
  auto bytes = [](const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); };
  EXPECT_EQ(fSeedKey12Reverse(bytes(seed)), fSeedKey12(bytes(reverse)));
  std::string withGap = seed;
  withGap[11] = 'N';
  EXPECT_EQ(fSeedKey12(bytes(withGap)), -1);
  EXPECT_EQ(fSeedKey12Reverse(bytes(withGap)), -1);
}

// Every position of every k-mer, highest first, as a scan of the genome gives them.
std::map<uint32_t, std::vector<int32_t>> fKmerScan(int32_t n, int k) {
  std::map<uint32_t, std::vector<int32_t>> byKey;
  for (int32_t p = n; p >= 1; --p) byKey[fKmerKey(Genome + p, k)].push_back(p);
  return byKey;
}

// Random genomes over 2 or 4 letters, genomes made of a few repeated words
// with point changes, so that runs hold many 16-mers and long chains, and one
// repeated base, whose one key chains every position downwards.
std::string fTestGenome(int kind, int32_t n, std::mt19937& random) {
  std::string codes(static_cast<size_t>(n), '\0');
  if (kind == 0) {
    for (auto& code : codes) code = random() & 3;
  } else if (kind == 1) {
    for (auto& code : codes) code = random() & 1;
  } else if (kind == 2) {
    std::string word(5 + random() % 40, '\0');
    for (auto& code : word) code = random() & 3;
    for (int32_t p = 0; p < n; ++p) codes[p] = word[p % word.size()];
    for (int change = 0; change < n / 50; ++change) codes[random() % n] = random() & 3;
  }
  return codes;
}

// The 8-mer roots come only with reads below 16 bases in scope (build 0), and
// never from fBuild16Chain (build 2); the small genomes show it.
TEST(Index16, RootsAndChainsGiveWhatAScanOfTheGenomeGives) {
  std::mt19937 random(7);
  const int32_t sizes[] = {1, 17, 300, 5000, 30000};
  for (int kind = 0; kind < 4; ++kind) {
    for (int32_t n : sizes) {
      std::vector<unsigned char> text = fNumbered(fTestGenome(kind, n, random), 16);
      Genome = text.data();
      auto byKey16 = fKmerScan(n, 16);
      auto byKey8 = fKmerScan(n, 8);
      for (int build = 0; build < (n <= 300 ? 3 : 1); ++build) {
        MinReadSize = build == 0 ? 8 : 16;
        ASSERT_TRUE(build == 2 ? fBuild16Chain(n) : fBuildRoot8Chain(n));
        for (const auto& [key, positions] : byKey16) {
          ASSERT_EQ(fWalk(Root16[key], Chain16), positions) << kind << " " << n << " " << key;
          // Keys sharing 12 or 15 bases with a present one, and random keys.
          for (uint32_t other : {key ^ 1u, key ^ 0x80u, key ^ 0x100u, static_cast<uint32_t>(random())}) {
            if (byKey16.count(other) == 0) {
              ASSERT_EQ(Root16[other], 0) << other;
            }
          }
        }
        ASSERT_EQ(Root8 != nullptr, build == 0);
        ASSERT_EQ(Chain8 != nullptr, build == 0);
        for (uint32_t key = 0; Root8 != nullptr && key < 65536; ++key) {
          auto found = byKey8.find(key);
          ASSERT_EQ(fWalk(Root8[key], Chain8), found == byKey8.end() ? std::vector<int32_t>() : found->second);
        }
      }
      fRelease16Chain();
    }
  }
  Genome = nullptr;
}

}  // namespace
