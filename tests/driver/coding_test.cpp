// Base codes and complements, k-mer keys and their letters, the size scope.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "driver/run_state.h"

namespace {

TEST(Coding, OnlyTheEightNucleotideLettersHaveCodesAndComplements) {
  fInitCodingTables();
  const std::string bases = "AaCcGgTt";
  for (int byte = 0; byte < 256; ++byte) {
    const size_t at = bases.find(static_cast<char>(byte));
    EXPECT_EQ(NucleotideCode[byte], byte != 0 && at != std::string::npos ? at / 2 : 0xFFu) << "byte " << byte;
  }
  const char complements[] = {ComplementTable['A'], ComplementTable['C'], ComplementTable['G'], ComplementTable['T'],
                              ComplementTable['N']};
  EXPECT_EQ(std::string(complements, 5), std::string("TGCA\0", 5));
}

TEST(Coding, KeysFillTheirBitsAndSpellBack) {
  char work[20];
  WorkLine = work;
  const std::string allT(16, '\3'), acgt = {0, 1, 2, 3};
  struct Case {
    std::string codes;
    int length;
    uint32_t key;
    std::string spelled;  // without a terminator: the byte after stays
  } cases[] = {
      {allT, 16, 4294967295u, std::string(16, 't')},
      {allT, 8, 65535u, std::string(8, 't')},
      {acgt, 4, 27u, "acgt"},
      {acgt, 0, 0u, ""},
  };
  for (const Case& c : cases) {
    std::fill(work, work + sizeof work, '#');
    const uint32_t key = fKmerKey(reinterpret_cast<const unsigned char*>(c.codes.data()), c.length);
    EXPECT_EQ(key, c.key) << c.length;
    fKeyToLetters(key, c.length);
    EXPECT_EQ(std::string(work, static_cast<size_t>(c.length) + 1), c.spelled + "#") << c.length;
  }
  fKeyToLetters(27u, 6);
  EXPECT_EQ(std::string(work, 6), "aaacgt");  // the leading bases of a short key are A
  WorkLine = nullptr;
}

TEST(SizeScope, WidthCountsBothEndsAndStaysWithin32Bits) {
  struct Case {
    int32_t minSize, maxSize, width;
  } cases[] = {{0, 0, 1},           {16, 20, 5},         {20, 16, -3}, {INT32_MIN, INT32_MAX, INT32_MAX},
               {-1, INT32_MAX, INT32_MAX}, {INT32_MAX, INT32_MIN, INT32_MIN}};
  for (const Case& c : cases)
    EXPECT_EQ(fSizeScopeWidth(c.minSize, c.maxSize), c.width) << c.minSize << ".." << c.maxSize;
}

}  // namespace
