// The two 12-mer indexes against a scan of the circular genome: the
// two-strand one over letter texts (end replacement) and the single-strand one
// over the coded genome (parted reads).
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "driver/run_state.h"
#include "index/index12both.h"
#include "parted/index12.h"
#include "support/run_folder.h"

namespace {

constexpr int kWord = 12;

// The text numbered from 1 with `tail` letters of circular continuation.
std::vector<unsigned char> fNumbered(const std::string& text, int tail) {
  std::vector<unsigned char> numbered(1, 0);
  for (size_t k = 0; k < text.size() + static_cast<size_t>(tail); ++k)
    numbered.push_back(static_cast<unsigned char>(text[k % text.size()]));
  return numbered;
}

std::string fReverseComplement(const std::string& letters) {
  std::string out(letters.rbegin(), letters.rend());
  for (char& c : out) c = ComplementTable[static_cast<unsigned char>(c)];
  return out;
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

std::string fRandomGenome(std::mt19937& random, size_t length, int letters) {
  std::string genome(length, 'A');
  for (char& c : genome) c = "ACGT"[random() % letters];
  return genome;
}

TEST(Index12, BothBuildersGiveWhatAScanOfTheCircularGenomeGives) {
  fInitCodingTables();
  // A word planted at 5, 17 and 40: its chain runs 40, 17, 5.
  std::string planted = "TTAGCCGATAGGCTTACCGTAAGCTAGCTTCGATCGGACTAGCATGCGGATTCACGTAAC";
  for (int p : {5, 17, 40}) planted.replace(static_cast<size_t>(p - 1), kWord, "ACGGTCATTGCA");
  std::mt19937 random(12);
  std::vector<std::string> genomes = {
      planted,
      "G",              // one position, keyed from the letter and its continuation
      "ACGTTGCAAGGCT",  // the key at L is the last letter and the first 11
      "ACGTTGCAAGG",    // shorter than a word: every key wraps
      fRandomGenome(random, 200, 4),
      fRandomGenome(random, 3000, 2),  // two letters: long chains
  };
  for (const std::string& genome : genomes) {
    fCheckBothStrands(genome);
    fCheckCodedStrand(genome);
  }
  std::vector<unsigned char> text = fNumbered(planted, kWord - 1);
  std::vector<unsigned char> lower = fNumbered(fReverseComplement(planted), kWord - 1);
  Genome = text.data();
  GenomeLower = lower.data();
  ASSERT_TRUE(fBuild12RootChainBoth(static_cast<int32_t>(planted.size())));
  EXPECT_EQ(fWalk(Root12Up[fKeyOf("ACGGTCATTGCA")], Chain12Up), (std::vector<int32_t>{40, 17, 5}));
  fRelease12RootChainBoth();
  Genome = GenomeLower = nullptr;
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

}  // namespace
