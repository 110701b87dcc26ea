// The BED and bedGraph writers checked by the real bedtools. Skipped when
// bedtools is not installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "driver/console.h"
#include "standard/bedtools_check.h"
#include "standard/formats.h"
#include "support/run_folder.h"

namespace {

struct Command {
  int status = -1;
  std::string out, err;
};

Command fRun(const RunFolder& folder, const std::string& command) {
  Command result;
  FILE* pipe = popen((command + " 2>'" + folder.path("stderr.txt") + "'").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
  result.status = pclose(pipe);
  result.err = folder.read("stderr.txt");
  return result;
}

std::string fFirstColumns(const std::string& text, int columns) {
  std::istringstream lines(text);
  std::string line, kept;
  while (std::getline(lines, line)) {
    size_t end = 0;
    for (int i = 0; i < columns && end != std::string::npos; ++i) end = line.find('\t', end + (i > 0));
    kept += line.substr(0, end) + "\n";
  }
  return kept;
}

}  // namespace

bool fHaveBedtools() {
  static const bool installed = std::system("bedtools --version >/dev/null 2>&1") == 0;
  return installed;
}

void fCheckWithBedtools(const RunFolder& folder, const std::string& name, const std::string& genomeFile) {
  const std::string path = folder.path(name);
  Command sorted = fRun(folder, "bedtools sort -i '" + path + "'");
  EXPECT_EQ(sorted.status, 0) << name << ": " << sorted.err;
  EXPECT_EQ(fFirstColumns(sorted.out, 3), fFirstColumns(folder.read(name), 3)) << name;
  Command merged = fRun(folder, "bedtools merge -i '" + path + "'");
  EXPECT_EQ(merged.status, 0) << name << ": " << merged.err;
  EXPECT_FALSE(merged.out.empty()) << name;
  Command complement = fRun(folder, "bedtools complement -i '" + path + "' -g '" + folder.path(genomeFile) + "'");
  EXPECT_EQ(complement.status, 0) << name << ": " << complement.err;
  EXPECT_EQ(complement.err, "") << name;
}

namespace {

class Bedtools : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_BEDTOOLS();
    ConsoleOn = false;
  }
  void TearDown() override { ConsoleOn = true; }
  RunFolder folder_;
};

TEST_F(Bedtools, AcceptsBedAndBedGraphWithFeaturesAcrossTheOriginAndOffTheCircle) {
  const Chromosome chromosome{"NC_001416.1", 120};
  Outcome outcome;
  ASSERT_NE(fWriteGenomeFile(folder_.dir() + "/", "g", chromosome, outcome), "");
  BedFile bed(chromosome);
  const struct {
    int64_t first, length;
    const char* name;
    char strand;
  } features[] = {{50, 10, "b", '+'},     {50, 10, "a", '-'},   {115, 10, "wrap", '+'}, {0, 5, "off", '-'},
                  {-9, 3, "before", '-'}, {241, 4, "twice", '+'}, {49, 12, "c", '+'},   {1, 500, "all", '+'},
                  {120, 1, "last", '+'},  {1, 1, "first", '-'}};
  for (const auto& feature : features) bed.fAdd(feature.first, feature.length, feature.name, 1, feature.strand);
  // Stretches that don't overlap: one across the origin, two touching with one value.
  BedGraphFile graph(chromosome);
  const struct {
    int64_t first, length;
    double value;
  } stretches[] = {{-1, 3, 1.0}, {25, 2, 0.5}, {5, 3, 2.0}, {20, 5, 0.5}, {60, 1, 1.0 / 3}, {100, 21, 0.0}};
  for (const auto& stretch : stretches) graph.fAdd(stretch.first, stretch.length, stretch.value);
  ASSERT_TRUE(bed.fWrite(folder_.path("f.bed"), outcome));
  ASSERT_TRUE(graph.fWrite(folder_.path("f.bedGraph"), outcome));
  fCheckWithBedtools(folder_, "f.bed", "g.genome");
  fCheckWithBedtools(folder_, "f.bedGraph", "g.genome");
}

}  // namespace
