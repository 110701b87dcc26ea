// Genome loading with its circular copies, and the refusal of bytes that are not bases.
#include <gtest/gtest.h>

#include <string>

#include "driver/loaders.h"
#include "driver/run_state.h"
#include "support/run_folder.h"

namespace {

std::string fGenomeRange(int32_t from, int32_t to) {
  std::string bytes;
  for (int32_t p = from; p <= to; ++p) bytes += static_cast<char>(Genome[p]);
  return bytes;
}

class Loaders : public ::testing::Test {
 protected:
  void SetUp() override { fInitCodingTables(); }
  void TearDown() override { fReleaseGenome(); }
  RunFolder folder_;
};

TEST_F(Loaders, CopiesMakeTheGenomeACircle) {
  struct Case {
    const char* what;
    std::string file;
    bool letters;
    int32_t tail, head;
    int32_t from, to;
    std::string expected;  // letters of Genome[from .. to]
  } cases[] = {
      {"tail copy of 16 bases after a 5-base coded genome", fCodes("ACGTT"), false, 3, 0, 1, 21,
       "ACGTTACGTTACGTTACGTTA"},
      {"two-sided load of letters, head copy before position 1", "acgtTG", true, 16, 3, -2, 9, "TTGACGTTGACG"},
      {"a head longer than the genome repeats it", "AC", true, 16, 5, -4, 2, "CACACAC"},
      {"a one-base genome", "G", true, 16, 0, 1, 17, std::string(17, 'G')},
  };
  for (const Case& c : cases) {
    folder_.write("g", c.file);
    int32_t length = 0;
    ASSERT_EQ(fLoadCodedGenome(folder_.path("g"), c.letters, c.tail, c.head, length), GenomeLoad::kLoaded)
        << c.what;
    EXPECT_EQ(length, static_cast<int32_t>(c.file.size())) << c.what;
    EXPECT_EQ(fGenomeRange(c.from, c.to), fCodes(c.expected)) << c.what;
    fReleaseGenome();
  }
}

TEST_F(Loaders, RefusedGenomesAreReportedAndNothingStaysLoaded) {
  // The console texts of the refusals are checked end to end; here: the outcome.
  struct Case {
    const char* what;
    std::string file;
    bool letters;
    GenomeLoad expected;
  } cases[] = {
      {"N among letters", "ACGTN", true, GenomeLoad::kBadByte},
      {"a line feed after the letters", "ACGT\n", true, GenomeLoad::kBadByte},
      {"a letter in a coded file", fCodes("ACG") + "T", false, GenomeLoad::kBadByte},
      {"a code byte in a letter file", fCodes("A"), true, GenomeLoad::kBadByte},
      {"an empty file", "", false, GenomeLoad::kFailed},
  };
  for (const Case& c : cases) {
    folder_.write("g", c.file);
    int32_t length = 7;
    testing::internal::CaptureStdout();
    EXPECT_EQ(fLoadCodedGenome(folder_.path("g"), c.letters, 16, 16, length), c.expected) << c.what;
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(GenomeStore, nullptr) << c.what;
    EXPECT_EQ(length, 0) << c.what;
  }
}

}  // namespace
