// Genome loading with its circular copies, and the refusal of bytes that are not bases.
#include <gtest/gtest.h>

#include <string>

#include "driver/loaders.h"
#include "driver/run_state.h"
#include "support/run_folder.h"

namespace {

TEST(Loaders, CopiesMakeTheGenomeACircleAndRefusedGenomesLeaveNothingLoaded) {
  fInitCodingTables();
  struct Case {
    const char* what;
    std::string file;
    bool letters;
    int32_t tail, head;
    GenomeLoad load;
    int32_t from;
    std::string expected;  // letters of Genome[from ..]
  } cases[] = {
      {"a tail copy of 16 bases after a 5-base coded genome", fCodes("ACGTT"), false, 3, 0, GenomeLoad::kLoaded, 1,
       "ACGTTACGTTACGTTACGTTA"},
      {"letters loaded two-sided: a head copy before position 1", "acgtTG", true, 16, 3, GenomeLoad::kLoaded, -2,
       "TTGACGTTGACG"},
      {"a head longer than the genome repeats it", "AC", true, 16, 5, GenomeLoad::kLoaded, -4, "CACACAC"},
      {"a one-base genome", "G", true, 16, 0, GenomeLoad::kLoaded, 1, std::string(17, 'G')},
      // The console texts of the refusals are checked end to end.
      {"N among letters", "ACGTN", true, 16, 16, GenomeLoad::kBadByte, 0, ""},
      {"a line feed after the letters", "ACGT\n", true, 16, 16, GenomeLoad::kBadByte, 0, ""},
      {"a letter in a coded file", fCodes("ACG") + "T", false, 16, 16, GenomeLoad::kBadByte, 0, ""},
      {"a code byte in a letter file", fCodes("A"), true, 16, 16, GenomeLoad::kBadByte, 0, ""},
      {"an empty file", "", false, 16, 16, GenomeLoad::kFailed, 0, ""},
  };
  RunFolder folder;
  for (const Case& c : cases) {
    folder.write("g", c.file);
    int32_t length = 7;
    testing::internal::CaptureStdout();
    const GenomeLoad load = fLoadCodedGenome(folder.path("g"), c.letters, c.tail, c.head, length);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(load, c.load) << c.what;
    if (c.load != GenomeLoad::kLoaded) {
      EXPECT_EQ(GenomeStore, nullptr) << c.what;
      EXPECT_EQ(length, 0) << c.what;
      continue;
    }
    EXPECT_EQ(length, static_cast<int32_t>(c.file.size())) << c.what;
    std::string loaded;
    for (int32_t p = c.from; p < c.from + static_cast<int32_t>(c.expected.size()); ++p)
      loaded += static_cast<char>(Genome[p]);
    EXPECT_EQ(loaded, fCodes(c.expected)) << c.what;
    fReleaseGenome();
  }
}

}  // namespace
