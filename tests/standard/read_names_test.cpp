// Read identity by read number: the read numbers of the file the procedure
// read, resolved in the user's own input, skipping what the conversion left out.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/inputs.h"
#include "driver/run_state.h"
#include "standard/read_names.h"
#include "standard/standard_support.h"

namespace {

struct Expected {
  uint32_t number;
  std::string name, letters, quality;
};

struct Case {
  const char* what;
  std::string content;
  InputKind kind;
  Encoding handed;
  bool gzip;
  std::vector<Expected> reads;  // ascending numbers
  uint32_t pastEnd;             // the number after the last read of the converted file
};

const std::string kOverLong(kLongestRead + 1, 'A');

// A FASTQ whose second read holds an N and whose third is empty.
const std::string kFastq =
    "@r1 first read\nACGTACGTAC\n+\nIIIIIIIIII\n"
    "@r2\nACGTNCGTAC\n+\nIIIII#IIII\n"
    "@r3\n\n+\n\n"
    "@r4 desc\nacgtacgtTT\n+\nABCDEFGHIJ\n"
    "@r5\n" + kOverLong + "\n+\n" + std::string(kOverLong.size(), 'I') + "\n"
    "@r6\nGGGG\n+\n!!!!\n";

std::vector<Case> fCases() {
  std::vector<Case> cases = {
      // Raw reads handed over line for line: every line has its number, empty and N ones too.
      {"raw letters as letters", "ACGT\n\nAC\r\nNNN", InputKind::kRawLetters, Encoding::kLetters, false,
       {{1, "read1", "ACGT", ""}, {2, "read2", "", ""}, {3, "read3", "AC", ""}, {4, "read4", "NNN", ""}}, 5},
      {"raw codes as codes", std::string("\0\1\2\3\n\3\3", 7), InputKind::kRawCoded, Encoding::kCodes, false,
       {{1, "read1", "ACGT", ""}, {2, "read2", "TT", ""}}, 3},
  };
#ifdef VANTRELS_HAVE_HTSLIB
  // The FASTQ's reads r1, r4 and r6 under the numbers the conversion gives them.
  const Expected r1{1, "r1", "ACGTACGTAC", "IIIIIIIIII"};
  auto r4 = [](uint32_t number) { return Expected{number, "r4", "acgtacgtTT", "ABCDEFGHIJ"}; };
  auto r6 = [](uint32_t number) { return Expected{number, "r6", "GGGG", "!!!!"}; };
  std::vector<Case> converted = {
      {"raw codes as letters", std::string("\0\1\2\3\n\3\3\n", 8), InputKind::kRawCoded, Encoding::kLetters, false,
       {{2, "read2", "TT", ""}}, 3},
      // Letters made code bytes: a line with an N, an empty one and one too long are left out.
      {"raw letters as codes", "ACGT\nANGT\n\nac gt\n" + kOverLong + "\nGG", InputKind::kRawLetters, Encoding::kCodes,
       false, {{1, "read1", "ACGT", ""}, {2, "read4", "ACGT", ""}, {3, "read6", "GG", ""}}, 4},
      {"gzip raw letters as letters", "ACGT\n\nAC\n", InputKind::kRawLetters, Encoding::kLetters, true,
       {{3, "read3", "AC", ""}}, 4},
      {"FASTQ as codes", kFastq, InputKind::kFastq, Encoding::kCodes, false,
       {r1, r4(2), r6(3)}, 4},
      {"FASTQ as letters", kFastq, InputKind::kFastq, Encoding::kLetters, false,
       {r1, {2, "r2", "ACGTNCGTAC", "IIIII#IIII"}, r4(3), r6(4)}, 5},
      {"gzip FASTQ as codes", kFastq, InputKind::kFastq, Encoding::kCodes, true, {r4(2), r6(3)}, 4},
      {"FASTA over several lines as codes", ">s1 x\nACGT\nAC\n>s2\nNN\n>s3\nGG\n", InputKind::kFasta, Encoding::kCodes,
       false, {{1, "s1", "ACGTAC", ""}, {2, "s3", "GG", ""}}, 3},
  };
  cases.insert(cases.end(), converted.begin(), converted.end());
#endif
  return cases;
}

// The input file of a case, compressed with gzip when the case says so.
std::string fInput(const RunFolder& folder, const Case& c) {
  folder.write("in", c.content);
  if (!c.gzip) return folder.path("in");
  EXPECT_EQ(std::system(("gzip -c '" + folder.path("in") + "' > '" + folder.path("in.gz") + "'").c_str()), 0);
  return folder.path("in.gz");
}

// Read k is line k of what the command line's own conversion wrote for the procedure.
TEST(ReadNames, ReadNumbersFollowTheConversionAndNameReadsByTheirHeaderOrLine) {
  for (const Case& c : fCases()) {
    SCOPED_TRACE(c.what);
    RunFolder folder;
    const std::string input = fInput(folder, c);
    PreparedInput prepared;
    std::string problem;
    ASSERT_EQ(fPrepareReads(input, c.handed, folder.dir(), prepared, problem), 0) << problem;
    ReadNameResolver resolver;
    ASSERT_EQ(resolver.fOpen({input, c.kind, c.handed}, problem), 0) << problem;
    EXPECT_EQ(resolver.fHasQualities(), c.kind == InputKind::kFastq);
    const std::string converted = folder.read(std::filesystem::path(prepared.path).filename().string());
    uint32_t number = 0;
    size_t next = 0;  // the next read of the case
    for (std::string line : fSplit(converted)) {
      ASSERT_TRUE(resolver.fSeek(++number)) << "read " << number << ": " << resolver.problem();
      std::string shown;
      for (char letter : resolver.fLetters())
        if (letter != ' ' && letter != '\r') shown += static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
      for (char& code : line)
        if (code >= 0 && code <= 3) code = "ACGT"[static_cast<int>(code)];
      if (!line.empty() && line.back() == '\r') line.pop_back();
      EXPECT_EQ(shown, line) << "read " << number;
      if (next == c.reads.size() || c.reads[next].number != number) continue;
      const Expected& read = c.reads[next++];
      EXPECT_EQ(std::string(resolver.fName()) + " " + std::string(resolver.fLetters()) + " " +
                    std::string(resolver.fQuality()),
                read.name + " " + read.letters + " " + read.quality);
    }
    EXPECT_EQ(next, c.reads.size());
    EXPECT_EQ(number + 1, c.pastEnd);
    EXPECT_FALSE(resolver.fSeek(number + 1)) << "the converted file has " << number << " reads";
    EXPECT_NE(resolver.problem().find("fewer reads"), std::string::npos) << resolver.problem();
  }
}

TEST(ReadNames, OnlyTheReadsAskedForAreHeld) {
  RunFolder folder;
  std::string reads;
  for (int i = 0; i < 1000; ++i) reads += "ACGT\n";
  folder.write("r.txt", reads);
  const ReadsOrigin origin{folder.path("r.txt"), InputKind::kRawLetters, Encoding::kLetters};
  ReadNames names;
  std::string problem;
  ASSERT_EQ(names.fResolve(origin, {2, 17, 999}, problem), 0) << problem;
  EXPECT_EQ(names.fName(17), "read17");
  EXPECT_EQ(names.fName(999), "read999");
  EXPECT_EQ(names.fName(2), "read2");
  EXPECT_EQ(names.fName(18), "");

  ReadNames tooMany;
  EXPECT_EQ(tooMany.fResolve(origin, {5, 1001}, problem), 2);
  EXPECT_NE(problem.find("read 1001 is missing"), std::string::npos) << problem;
  EXPECT_EQ(tooMany.fResolve({folder.path("gone.txt"), InputKind::kRawLetters, Encoding::kLetters}, {1}, problem), 2);
}

}  // namespace
