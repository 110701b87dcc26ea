// Base coding tables, keys and their letters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>

#include "driver/run_state.h"

namespace {

class Coding : public ::testing::Test {
 protected:
  void SetUp() override {
    fInitCodingTables();
    WorkLine = work_;
  }
  void TearDown() override { WorkLine = nullptr; }
  char work_[64] = {};
};

TEST_F(Coding, OnlyTheEightNucleotideLettersHaveCodes) {
  const std::string bases = "AaCcGgTt";
  for (int byte = 0; byte < 256; ++byte) {
    size_t at = bases.find(static_cast<char>(byte));
    unsigned expected = (byte != 0 && at != std::string::npos) ? static_cast<unsigned>(at / 2) : 0xFFu;
    EXPECT_EQ(NucleotideCode[byte], expected) << "byte " << byte;
  }
  const std::string complements = {ComplementTable['A'], ComplementTable['C'], ComplementTable['G'],
                                   ComplementTable['T']};
  EXPECT_EQ(complements, "TGCA");
  EXPECT_EQ(ComplementTable['N'], 0);
}

TEST_F(Coding, KeysFillTheirBitsAndSpellBack) {
  const unsigned char sixteenT[16] = {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3};
  EXPECT_EQ(fKmerKey(sixteenT, 16), 4294967295u);
  EXPECT_EQ(fKmerKey(sixteenT, 8), 65535u);

  const unsigned char acgt[4] = {0, 1, 2, 3};
  uint32_t key = fKmerKey(acgt, 4);
  EXPECT_EQ(key, 27u);
  std::fill(std::begin(work_), std::end(work_), '#');
  fKeyToLetters(key, 4);
  EXPECT_EQ(std::string(work_, 6), "acgt##");  // no terminator written
  fKeyToLetters(key, 6);
  EXPECT_EQ(std::string(work_, 6), "aaacgt");  // leading bases of a short key are A
  fKeyToLetters(4294967295u, 16);
  EXPECT_EQ(std::string(work_, 16), std::string(16, 't'));
  std::fill(std::begin(work_), std::end(work_), '#');
  fKeyToLetters(key, 0);
  EXPECT_EQ(work_[0], '#');
}

TEST(SizeScope, WidthCountsBothEndsAndStaysWithin32Bits) {
  struct Case {
    int32_t minSize, maxSize, width;
  } cases[] = {
      {0, 0, 1},
      {16, 20, 5},
      {20, 16, -3},
      {INT32_MIN, INT32_MAX, INT32_MAX},
      {-1, INT32_MAX, INT32_MAX},
      {INT32_MAX, INT32_MIN, INT32_MIN},
  };
  for (const Case& c : cases)
    EXPECT_EQ(fSizeScopeWidth(c.minSize, c.maxSize), c.width) << c.minSize << ".." << c.maxSize;
}

}  // namespace
