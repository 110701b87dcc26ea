// The shared services of driver/: base codes and k-mer keys, the size scope,
// file sizes, paths, parameter files and the genome loader.
#include <gtest/gtest.h>
#include <unistd.h>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>
#include "driver/file_helpers.h"
#include "driver/loaders.h"
#include "driver/run_state.h"
#include "support/run_folder.h"

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
  const std::string allT(16, '\3'), acgt = {0, 1, 2, 3};
  // `spelled` without a terminator: the byte after stays; the leading bases of a short key are A.
  struct Case { std::string codes; int length, spellAs; uint32_t key; std::string spelled; } cases[] = {
      {allT, 16, 16, 4294967295u, std::string(16, 't')}, {allT, 8, 8, 65535u, std::string(8, 't')},
      {acgt, 4, 4, 27u, "acgt"}, {acgt, 0, 0, 0u, ""}, {acgt, 4, 6, 27u, "aaacgt"}};
  for (const Case& c : cases) {
    std::fill(work, work + sizeof work, '#');
    const uint32_t key = fKmerKey(reinterpret_cast<const unsigned char*>(c.codes.data()), c.length);
    EXPECT_EQ(key, c.key) << c.length;
    fKeyToLetters(key, c.spellAs, work);
    EXPECT_EQ(std::string(work, static_cast<size_t>(c.spellAs) + 1), c.spelled + "#") << c.length;
  }
}

TEST(SizeScope, WidthCountsBothEndsAndStaysWithin32Bits) {
  struct Case { int32_t minSize, maxSize, width; } cases[] = {
      {0, 0, 1}, {16, 20, 5}, {20, 16, -3}, {INT32_MIN, INT32_MAX, INT32_MAX}, {-1, INT32_MAX, INT32_MAX},
      {INT32_MAX, INT32_MIN, INT32_MIN}};
  for (const Case& c : cases)
    EXPECT_EQ(fSizeScopeWidth(c.minSize, c.maxSize), c.width) << c.minSize << ".." << c.maxSize;
}

TEST(PathHelpers, StemsAndExtensionsWithEitherSeparator) {
  struct Case { std::string path, stripped, stem; } cases[] = {
      {"D:\\a.b\\reads", "D:\\a", "a"}, {"D:\\x\\reads.txt", "D:\\x\\reads", "reads"},
      {"/data/run.1/reads.fq.txt", "/data/run.1/reads.fq", "reads.fq"}, {"/data/run.1/reads", "/data/run", "run"},
      {"reads", "reads", "reads"}, {"reads.txt", "reads", "reads"}, {"", "", ""},
      {"D:\\dir\\", "D:\\dir\\", "dir"}, {"/tmp/dir/", "/tmp/dir/", "dir"},
      {"C:\\mixed/sep\\s1.txt", "C:\\mixed/sep\\s1", "s1"}};
  for (const Case& c : cases) {
    EXPECT_EQ(fStripExtension(c.path), c.stripped) << c.path;
    EXPECT_EQ(fFileStem(c.path), c.stem) << c.path;
  }
}

TEST(FileSize, BytesOrMinusOneForMissingAndTooLargeFiles) {
  RunFolder folder;
  folder.write("empty", "");
  folder.write("five", "ACGT\n");
  // Sparse files: their size is set without writing the bytes.
  folder.write("largest", "");
  folder.write("too_large", "");
  ASSERT_EQ(truncate(folder.path("largest").c_str(), INT64_C(0x7FFFFFFF)), 0);
  ASSERT_EQ(truncate(folder.path("too_large").c_str(), INT64_C(0x80000000)), 0);
  struct Case { std::string name; int32_t size; } cases[] = {
      {"missing", -1}, {"empty", 0}, {"five", 5}, {"largest", 2147483647}, {"too_large", -1}};
  for (const Case& c : cases) EXPECT_EQ(fFileSize(folder.path(c.name)), c.size) << c.name;
}

TEST(ParamFile, RecordsOfFourLines) {
  const std::string longValue(600, 'v');
  struct Case { const char* what; std::string text; ParamMap expected; } cases[] = {
      {"one record", "x\ny\npthGnm\n/g.txt\n", {{"pthGnm", "/g.txt"}}},
      {"CR LF everywhere", "x\r\ny\r\npthGnm\r\n/g.txt\r\n", {{"pthGnm", "/g.txt"}}},
      {"a trailing space stays in the key", "x\ny\npthGnm \n/g.txt\n", {{"pthGnm ", "/g.txt"}}},
      {"spaces kept in values", "x\ny\nk\n a b \n", {{"k", " a b "}}},
      {"last line without line feed, CR cut", "x\ny\nk\nv\r", {{"k", "v"}}},
      {"ends after a key line", "x\ny\nk1\nv1\nx\ny\nk2\n", {{"k1", "v1"}, {"k2", ""}}},
      {"later record wins", "x\ny\nk\n1\nx\ny\nk\n2\n", {{"k", "2"}}},
      {"empty file", "", {}}, {"only free lines", "x\ny\n", {{"", ""}}},
      {"a 600-character value keeps 499 and stops the file",
       "x\ny\nk\n" + longValue + "\nx\ny\nlater\nv\n", {{"k", longValue.substr(0, 499)}}},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("p.txt", c.text);
    ParamMap map;
    EXPECT_TRUE(fReadParamFile(map, folder.path("p.txt"))) << c.what;
    EXPECT_EQ(map, c.expected) << c.what;
  }
}

TEST(Loaders, CopiesMakeTheGenomeACircleAndRefusedGenomesLeaveNothingLoaded) {
  fInitCodingTables();
  // `expected`: the letters of Genome[from ..].
  struct Case { const char* what; std::string file; bool letters; int32_t tail, head; GenomeLoad load; int32_t from;
                std::string expected; } cases[] = {
      {"a tail copy of 16 bases after a 5-base coded genome", fCodes("ACGTT"), false, 3, 0, GenomeLoad::kLoaded, 1,
       "ACGTTACGTTACGTTACGTTA"},
      {"letters loaded two-sided: a head copy before position 1", "acgtTG", true, 16, 3, GenomeLoad::kLoaded, -2,
       "TTGACGTTGACG"},
      {"a head longer than the genome repeats it", "AC", true, 16, 5, GenomeLoad::kLoaded, -4, "CACACAC"},
      {"a one-base genome", "G", true, 16, 0, GenomeLoad::kLoaded, 1, std::string(17, 'G')},
      // The console texts of the refusals are checked end to end.
      {"N among letters", "ACGTN", true, 16, 16, GenomeLoad::kBadByte, 0, ""},
      {"a letter in a coded file", fCodes("ACG") + "T", false, 16, 16, GenomeLoad::kBadByte, 0, ""},
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
      EXPECT_TRUE(GenomeStore == nullptr && length == 0) << c.what;
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
