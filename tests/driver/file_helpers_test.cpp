// File sizes, path helpers, parameter files and the reads-line reader.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <sstream>
#include <string>

#include "driver/file_helpers.h"
#include "driver/run_state.h"
#include "support/run_folder.h"

namespace {

TEST(PathHelpers, StemsAndExtensionsWithEitherSeparator) {
  struct Case {
    std::string path, stripped, stem;
  } cases[] = {
      {"D:\\a.b\\reads", "D:\\a", "a"},
      {"D:\\x\\reads.txt", "D:\\x\\reads", "reads"},
      {"/data/run.1/reads.fq.txt", "/data/run.1/reads.fq", "reads.fq"},
      {"/data/run.1/reads", "/data/run", "run"},
      {"reads", "reads", "reads"},
      {"reads.txt", "reads", "reads"},
      {"", "", ""},
      {"D:\\dir\\", "D:\\dir\\", "dir"},
      {"/tmp/dir/", "/tmp/dir/", "dir"},
      {"C:\\mixed/sep\\s1.txt", "C:\\mixed/sep\\s1", "s1"},
  };
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
  struct Case {
    std::string name;
    int32_t size;
  } cases[] = {{"missing", -1}, {"empty", 0}, {"five", 5}, {"largest", 2147483647}, {"too_large", -1}};
  for (const Case& c : cases) EXPECT_EQ(fFileSize(folder.path(c.name)), c.size) << c.name;
}

TEST(ParamFile, RecordsOfFourLines) {
  const std::string longValue(600, 'v');
  struct Case {
    const char* what;
    std::string text;
    ParamMap expected;
  } cases[] = {
      {"one record", "x\ny\npthGnm\n/g.txt\n", {{"pthGnm", "/g.txt"}}},
      {"CR LF everywhere", "x\r\ny\r\npthGnm\r\n/g.txt\r\n", {{"pthGnm", "/g.txt"}}},
      {"a trailing space stays in the key", "x\ny\npthGnm \n/g.txt\n", {{"pthGnm ", "/g.txt"}}},
      {"spaces kept in values", "x\ny\nk\n a b \n", {{"k", " a b "}}},
      {"last line without line feed, CR cut", "x\ny\nk\nv\r", {{"k", "v"}}},
      {"ends after a key line", "x\ny\nk1\nv1\nx\ny\nk2\n", {{"k1", "v1"}, {"k2", ""}}},
      {"later record wins", "x\ny\nk\n1\nx\ny\nk\n2\n", {{"k", "2"}}},
      {"empty file", "", {}},
      {"only free lines", "x\ny\n", {{"", ""}}},
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

// Lengths of the reads fNextRead gives until it stops, and the lines it counted.
TEST(ReadsLines, LengthRuleAndTheLongestLine) {
  static char line[kLineBufferSize];
  InputLine = line;
  MaxLineLength = kLineBufferSize;
  using V = std::vector<int32_t>;
  const std::string longest(kLineBufferSize - 1, 'A');
  struct Case {
    std::string text;
    bool letters;
    V lengths;
    int32_t counted;
  } cases[] = {
      {"ACGT\n\nAC\n", true, {4, 0, 2}, 3},
      {"ACGT\r\nAC\r\n", true, {4, 2}, 2},
      {"\r\n", true, {0}, 1},
      {"ACGT\r\n", false, {5}, 1},  // coded reads keep a carriage return byte as part of the read
      {"ACGT\nACG", true, {4, 3}, 2},  // a last line without a line feed is read whole
      {"ACG\r", true, {3}, 1},
      {"", true, {}, 0},
      {"AC\n" + longest + "\nG\n", true, {2, kLineBufferSize - 1, 1}, 3},
      // A longer line stops the reading; it and the lines after it are not counted.
      {"AC\n" + longest + "A\nG\n", true, {2}, 1},
  };
  for (const Case& c : cases) {
    std::istringstream reads(c.text);
    InputReads = 0;
    V found;
    int32_t length = 0;
    while (fNextRead(reads, c.letters, length)) found.push_back(length);
    EXPECT_EQ(found, c.lengths) << c.text.size();
    EXPECT_EQ(InputReads, c.counted) << c.text.size();
  }
  InputLine = nullptr;
}

}  // namespace
