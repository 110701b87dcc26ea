// The 16-mer and 8-mer roots and chains, against a scan of the genome.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "driver/run_state.h"
#include "index/index16.h"

namespace {

// Holds a coded genome in Genome with a circular tail of `tail` bases.
class GenomeHolder {
 public:
  GenomeHolder(const std::vector<unsigned char>& codes, int32_t tail = 16) : store_(1 + codes.size() + tail) {
    for (size_t i = 0; i < codes.size(); ++i) store_[1 + i] = codes[i];
    for (int32_t k = 1; k <= tail; ++k) store_[codes.size() + k] = store_[1 + (k - 1) % codes.size()];
    Genome = store_.data();
  }
  ~GenomeHolder() {
    fRelease16Chain();
    Genome = nullptr;
  }

 private:
  std::vector<unsigned char> store_;
};

std::vector<int32_t> fWalk(int32_t root, const int32_t* chain) {
  std::vector<int32_t> positions;
  for (int32_t p = root; p > 0; p = chain[p]) positions.push_back(p);
  return positions;
}

// Every position of every k-mer, highest first, as a scan of the genome gives them.
std::map<uint32_t, std::vector<int32_t>> fScan(int32_t n, int k) {
  std::map<uint32_t, std::vector<int32_t>> byKey;
  for (int32_t p = n; p >= 1; --p) byKey[fKmerKey(Genome + p, k)].push_back(p);
  return byKey;
}

std::vector<int32_t> fDescending(int32_t from) {
  std::vector<int32_t> positions;
  for (int32_t p = from; p >= 1; --p) positions.push_back(p);
  return positions;
}

TEST(Index16, OneRepeatedBaseChainsEveryPositionDownwards) {
  struct Case {
    int32_t n;
    int32_t minReadSize;
    bool with8;
  } cases[] = {{20, 8, true}, {20, 16, false}, {1, 8, true}, {1, 16, false}};
  for (const Case& c : cases) {
    GenomeHolder genome(std::vector<unsigned char>(c.n, 0));
    MinReadSize = c.minReadSize;
    ASSERT_TRUE(fBuildRoot8Chain(c.n));
    EXPECT_EQ(fWalk(Root16[0], Chain16), fDescending(c.n)) << c.n;
    EXPECT_EQ(Root16[1], 0);
    EXPECT_EQ(Root16[0xFFFFFFFFu], 0);
    ASSERT_EQ(Root8 != nullptr, c.with8);
    ASSERT_EQ(Chain8 != nullptr, c.with8);
    if (c.with8) {
      EXPECT_EQ(fWalk(Root8[0], Chain8), fDescending(c.n));
      for (uint32_t key = 1; key < 65536; ++key) ASSERT_EQ(Root8[key], 0) << key;
    }
    ASSERT_TRUE(fBuild16Chain(c.n));
    EXPECT_EQ(fWalk(Root16[0], Chain16), fDescending(c.n));
    EXPECT_EQ(Root8, nullptr);
  }
}

// Random genomes over 2 or 4 letters, and genomes made of a few repeated words
// with point changes, so that runs hold many 16-mers and long chains.
std::vector<unsigned char> fTestGenome(int kind, int32_t n, std::mt19937& random) {
  std::vector<unsigned char> codes(n);
  if (kind == 0) {
    for (auto& code : codes) code = random() & 3;
  } else if (kind == 1) {
    for (auto& code : codes) code = random() & 1;
  } else {
    std::vector<unsigned char> word(5 + random() % 40);
    for (auto& code : word) code = random() & 3;
    for (int32_t p = 0; p < n; ++p) codes[p] = word[p % word.size()];
    for (int change = 0; change < n / 50; ++change) codes[random() % n] = random() & 3;
  }
  return codes;
}

TEST(Index16, RootsAndChainsGiveWhatAScanOfTheGenomeGives) {
  std::mt19937 random(7);
  const int32_t sizes[] = {17, 300, 5000, 30000};
  for (int kind = 0; kind < 3; ++kind) {
    for (int32_t n : sizes) {
      GenomeHolder genome(fTestGenome(kind, n, random));
      MinReadSize = 8;
      ASSERT_TRUE(fBuildRoot8Chain(n));
      auto byKey16 = fScan(n, 16);
      for (const auto& [key, positions] : byKey16) {
        ASSERT_EQ(fWalk(Root16[key], Chain16), positions) << kind << " " << n << " " << key;
        // Keys sharing 12 or 15 bases with a present one, and random keys.
        for (uint32_t other : {key ^ 1u, key ^ 0x80u, key ^ 0x100u, static_cast<uint32_t>(random())}) {
          if (byKey16.count(other) == 0) {
            ASSERT_EQ(Root16[other], 0) << other;
          }
        }
      }
      auto byKey8 = fScan(n, 8);
      for (uint32_t key = 0; key < 65536; ++key) {
        auto found = byKey8.find(key);
        ASSERT_EQ(fWalk(Root8[key], Chain8), found == byKey8.end() ? std::vector<int32_t>() : found->second);
      }
    }
  }
}

}  // namespace
