// The two-strand 12-mer index over letter texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/run_state.h"
#include "index/index12both.h"

namespace {

// Both strand texts of a genome, numbered from 1, with an 11-letter circular
// continuation, installed as Genome and GenomeLower for the builder.
class TwoStrandTexts {
 public:
  explicit TwoStrandTexts(const std::string& genome) {
    fInitCodingTables();
    std::string lowerLetters(genome.rbegin(), genome.rend());
    for (char& c : lowerLetters) c = ComplementTable[static_cast<unsigned char>(c)];
    upper_ = fWithContinuation(genome);
    lower_ = fWithContinuation(lowerLetters);
    Genome = upper_.data();
    GenomeLower = lower_.data();
    Root12Count = 1 << 24;
    Key12Mask = (1 << 24) - 1;
  }
  ~TwoStrandTexts() {
    fRelease12RootChainBoth();
    Genome = GenomeLower = nullptr;
  }

 private:
  static std::vector<unsigned char> fWithContinuation(const std::string& letters) {
    std::vector<unsigned char> text(1, 0);
    for (int k = 0; static_cast<int>(text.size()) <= static_cast<int>(letters.size()) + 11; ++k)
      text.push_back(static_cast<unsigned char>(letters[k % letters.size()]));
    return text;
  }
  std::vector<unsigned char> upper_, lower_;
};

uint32_t fKeyOf(const std::string& word) {
  uint32_t key = 0;
  for (char c : word) key = key * 4 + NucleotideCode[static_cast<unsigned char>(c)];
  return key;
}

// Positions of a key as a lookup visits them.
std::vector<int32_t> fVisit(const int32_t* root, const int32_t* chain, uint32_t key) {
  std::vector<int32_t> positions;
  for (int32_t p = root[key]; p > 0; p = chain[p]) positions.push_back(p);
  return positions;
}

// Every position of a circular text whose 12 letters equal `word`, highest first.
std::vector<int32_t> fBruteForce(const std::string& text, const std::string& word) {
  std::vector<int32_t> positions;
  std::string circle = text + text + text;
  for (int32_t p = static_cast<int32_t>(text.size()); p >= 1; --p)
    if (circle.compare(static_cast<size_t>(p - 1), 12, word) == 0) positions.push_back(p);
  return positions;
}

std::string fReverseComplement(const std::string& letters) {
  std::string out(letters.rbegin(), letters.rend());
  for (char& c : out) c = ComplementTable[static_cast<unsigned char>(c)];
  return out;
}

TEST(Index12Both, EveryPositionLiesOnItsKeysChainInDescendingOrder) {
  // A word planted at upper positions 5, 17 and 40 of a 60-letter genome.
  const std::string word = "ACGGTCATTGCA";
  std::string genome = "TTAGCCGATAGGCTTACCGTAAGCTAGCTTCGATCGGACTAGCATGCGGATTCACGTAAC";
  genome.resize(60);
  for (int p : {5, 17, 40}) genome.replace(static_cast<size_t>(p - 1), 12, word);
  TwoStrandTexts texts(genome);
  ASSERT_TRUE(fBuild12RootChainBoth(60));

  const uint32_t key = fKeyOf(word);
  EXPECT_EQ(Root12Up[key], 40);
  EXPECT_EQ(Chain12Up[40], 17);
  EXPECT_EQ(Chain12Up[17], 5);
  EXPECT_EQ(Chain12Up[5], -1);
  EXPECT_EQ(fVisit(Root12Up, Chain12Up, key), (std::vector<int32_t>{40, 17, 5}));

  // Every 12-mer of both strands, the wrapping ones included, against a brute-force search.
  const std::string lower = fReverseComplement(genome);
  const std::string upperCircle = genome + genome;
  const std::string lowerCircle = lower + lower;
  for (int32_t p = 1; p <= 60; ++p) {
    std::string upperWord = upperCircle.substr(static_cast<size_t>(p - 1), 12);
    std::string lowerWord = lowerCircle.substr(static_cast<size_t>(p - 1), 12);
    EXPECT_EQ(fVisit(Root12Up, Chain12Up, fKeyOf(upperWord)), fBruteForce(genome, upperWord)) << p;
    EXPECT_EQ(fVisit(Root12Lw, Chain12Lw, fKeyOf(lowerWord)), fBruteForce(lower, lowerWord)) << p;
  }
  // The word's reverse complement is another key, found on the lower strand only.
  const uint32_t reverseKey = fKeyOf(fReverseComplement(word));
  EXPECT_EQ(fVisit(Root12Up, Chain12Up, reverseKey), std::vector<int32_t>{});
  EXPECT_EQ(fVisit(Root12Lw, Chain12Lw, reverseKey), (std::vector<int32_t>{60 - 5 - 10, 60 - 17 - 10, 60 - 40 - 10}));
  // A key that occurs nowhere has root 0.
  EXPECT_EQ(Root12Up[fKeyOf("CCCCCCCCCCCC")], 0);
  EXPECT_EQ(Root12Lw[fKeyOf("CCCCCCCCCCCC")], 0);
}

TEST(Index12Both, KeysAtTheGenomesEndReadItsFirstLetters) {
  struct Case {
    std::string genome, upperKeyAtL, lowerKeyAtL;
  } cases[] = {
      // One letter: its key is that letter and 11 letters of continuation.
      {"G", "GGGGGGGGGGGG", "CCCCCCCCCCCC"},
      // At least 11 letters: the last letter followed by the first 11.
      {"ACGTTGCAAGGCT", "TACGTTGCAAGG", "TAGCCTTGCAAC"},
  };
  for (const Case& c : cases) {
    TwoStrandTexts texts(c.genome);
    const int32_t L = static_cast<int32_t>(c.genome.size());
    ASSERT_TRUE(fBuild12RootChainBoth(L));
    EXPECT_EQ(Root12Up[fKeyOf(c.upperKeyAtL)], L) << c.genome;
    EXPECT_EQ(Chain12Up[L], -1) << c.genome;
    EXPECT_EQ(Root12Lw[fKeyOf(c.lowerKeyAtL)], L) << c.genome;
    EXPECT_EQ(Chain12Lw[L], -1) << c.genome;
    fRelease12RootChainBoth();
  }
}

TEST(Index12Both, NoGenomeBuildsNothing) {
  TwoStrandTexts texts("ACGT");
  EXPECT_FALSE(fBuild12RootChainBoth(0));
  EXPECT_EQ(Root12Up, nullptr);
  EXPECT_EQ(Chain12Lw, nullptr);
}

}  // namespace
