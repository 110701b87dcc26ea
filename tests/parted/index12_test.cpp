// The single-strand 12-mer index over a coded genome.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/run_state.h"
#include "parted/index12.h"
#include "support/run_folder.h"

namespace {

// Indexes `letters` with a tail copy of 16 bases and returns the positions of
// the 12-mer starting at `at`, in the order a lookup visits them.
std::vector<int32_t> fPlacesOfKmerAt(const std::string& letters, int32_t at) {
  std::string codes = fCodes(letters);
  const int32_t n = static_cast<int32_t>(codes.size());
  std::vector<unsigned char> store(static_cast<size_t>(n) + 17);
  Genome = store.data() - 1;
  for (int32_t p = 1; p <= n; ++p) Genome[p] = static_cast<unsigned char>(codes[static_cast<size_t>(p - 1)]);
  for (int32_t k = 1; k <= 16; ++k) Genome[n + k] = Genome[(k - 1) % n + 1];
  EXPECT_TRUE(fAllocate12RootChain(n));
  fBuild12RootChain(n);
  std::vector<int32_t> places;
  for (int32_t p = fFirstPlace(fSeedKey12(Genome + at)); p > 0; p = Chain12[p]) places.push_back(p);
  fRelease12RootChain(n);
  Genome = nullptr;
  return places;
}

TEST(PartedIndex12, LookupsVisitEveryPlaceOfA12merInDescendingOrder) {
  const std::string word = "ACGTTGCAGGTC";
  // The word at 5, 17 and 40 in a genome long enough for the builder's look-ahead.
  std::string genome(60, 'A');
  for (int32_t i = 0; i < 60; ++i) genome[static_cast<size_t>(i)] = "CT"[i % 3 == 0];
  for (int32_t at : {5, 17, 40}) genome.replace(static_cast<size_t>(at - 1), 12, word);
  EXPECT_EQ(fPlacesOfKmerAt(genome, 17), (std::vector<int32_t>{40, 17, 5}));
  // The last 12-mer wraps over the genome's end: its last base, then the first 11.
  const std::string circular = "GATTACAGATTACCTT";
  EXPECT_EQ(fPlacesOfKmerAt(circular, 16), (std::vector<int32_t>{16}));
  // A genome of one base indexes its one position, read round the circle.
  EXPECT_EQ(fPlacesOfKmerAt("T", 1), (std::vector<int32_t>{1}));
}

TEST(PartedIndex12, SeedKeysOfBothStrands) {
  std::string seed = fCodes("ACGTTGCAGGTC");
  std::string reverse = fCodes("GACCTGCAACGT");
  auto bytes = [](const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); };
  EXPECT_EQ(fSeedKey12Reverse(bytes(seed)), fSeedKey12(bytes(reverse)));
  std::string withGap = seed;
  withGap[11] = 'N';
  EXPECT_EQ(fSeedKey12(bytes(withGap)), -1);
  EXPECT_EQ(fSeedKey12Reverse(bytes(withGap)), -1);
}

}  // namespace
