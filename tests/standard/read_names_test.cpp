// Read identity by read number: the read numbers of the file the procedure
// read, resolved in the user's own input, skipping what the conversion left out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/inputs.h"
#include "driver/run_state.h"
#include "standard/read_names.h"
#include "support/run_folder.h"

namespace {

struct Expected {
  uint32_t number;
  std::string name, letters, quality;
};

// The number after a case's last read: seeking it fails.
Expected fPastEnd(uint32_t number) { return Expected{number, "", "", ""}; }

struct Case {
  const char* what;
  std::string content;
  InputKind kind;
  Encoding handed;
  bool gzip;
  std::vector<Expected> reads;  // ascending numbers; the next number is past the end
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
       {{1, "read1", "ACGT", ""}, {2, "read2", "", ""}, {3, "read3", "AC", ""}, {4, "read4", "NNN", ""}, fPastEnd(5)}},
      {"raw codes as codes", std::string("\0\1\2\3\n\3\3", 7), InputKind::kRawCoded, Encoding::kCodes, false,
       {{1, "read1", "ACGT", ""}, {2, "read2", "TT", ""}, fPastEnd(3)}},
      {"raw codes as letters", std::string("\0\1\2\3\n\3\3\n", 8), InputKind::kRawCoded, Encoding::kLetters, false,
       {{2, "read2", "TT", ""}, fPastEnd(3)}},
  };
#ifdef VANTRELS_HAVE_HTSLIB
  std::vector<Case> converted = {
      // Letters made code bytes: a line with an N, an empty one and one too long are left out.
      {"raw letters as codes", "ACGT\nANGT\n\nac gt\n" + kOverLong + "\nGG", InputKind::kRawLetters, Encoding::kCodes,
       false, {{1, "read1", "ACGT", ""}, {2, "read4", "ACGT", ""}, {3, "read6", "GG", ""}, fPastEnd(4)}},
      {"gzip raw letters as letters", "ACGT\n\nAC\n", InputKind::kRawLetters, Encoding::kLetters, true,
       {{3, "read3", "AC", ""}, fPastEnd(4)}},
      {"FASTQ as codes", kFastq, InputKind::kFastq, Encoding::kCodes, false,
       {{1, "r1", "ACGTACGTAC", "IIIIIIIIII"}, {2, "r4", "acgtacgtTT", "ABCDEFGHIJ"}, {3, "r6", "GGGG", "!!!!"}, fPastEnd(4)}},
      {"FASTQ as letters", kFastq, InputKind::kFastq, Encoding::kLetters, false,
       {{1, "r1", "ACGTACGTAC", "IIIIIIIIII"}, {2, "r2", "ACGTNCGTAC", "IIIII#IIII"}, {3, "r4", "acgtacgtTT", "ABCDEFGHIJ"},
        {4, "r6", "GGGG", "!!!!"}, fPastEnd(5)}},
      {"gzip FASTQ as codes", kFastq, InputKind::kFastq, Encoding::kCodes, true,
       {{2, "r4", "acgtacgtTT", "ABCDEFGHIJ"}, {3, "r6", "GGGG", "!!!!"}, fPastEnd(4)}},
      {"FASTA over several lines as codes", ">s1 x\nACGT\nAC\n>s2\nNN\n>s3\nGG\n", InputKind::kFasta, Encoding::kCodes,
       false, {{1, "s1", "ACGTAC", ""}, {2, "s3", "GG", ""}, fPastEnd(3)}},
  };
  cases.insert(cases.end(), converted.begin(), converted.end());
#endif
  return cases;
}

// The input file of a case, compressed with gzip when the case says so.
std::string fInput(const RunFolder& folder, const Case& c) {
  folder.write("in", c.content);
  if (!c.gzip) return folder.path("in");
  std::string command = "gzip -c '" + folder.path("in") + "' > '" + folder.path("in.gz") + "'";
  EXPECT_EQ(std::system(command.c_str()), 0);
  return folder.path("in.gz");
}

TEST(ReadNames, ReadNumbersFollowTheConversionAndNameReadsByTheirHeaderOrLine) {
  for (const Case& c : fCases()) {
    RunFolder folder;
    ReadsOrigin origin{fInput(folder, c), c.kind, c.handed};
    ReadNameResolver resolver;
    std::string problem;
    ASSERT_EQ(resolver.fOpen(origin, problem), 0) << c.what << ": " << problem;
    EXPECT_EQ(resolver.fHasQualities(), c.kind == InputKind::kFastq) << c.what;
    for (const Expected& read : c.reads) {
      if (read.name.empty()) {
        EXPECT_FALSE(resolver.fSeek(read.number)) << c.what << ": read " << read.number << " is past the end";
        EXPECT_NE(resolver.problem().find("fewer reads"), std::string::npos) << c.what << ": " << resolver.problem();
        continue;
      }
      ASSERT_TRUE(resolver.fSeek(read.number)) << c.what << ": read " << read.number << ": " << resolver.problem();
      EXPECT_EQ(resolver.fName(), read.name) << c.what << ": read " << read.number;
      EXPECT_EQ(resolver.fLetters(), read.letters) << c.what << ": read " << read.number;
      EXPECT_EQ(resolver.fQuality(), read.quality) << c.what << ": read " << read.number;
    }
  }
}

TEST(ReadNames, OnlyTheReadsAskedForAreHeld) {
  RunFolder folder;
  std::string reads;
  for (int i = 0; i < 1000; ++i) reads += "ACGT\n";
  folder.write("r.txt", reads);
  ReadNames names;
  std::string problem;
  ASSERT_EQ(names.fResolve({folder.path("r.txt"), InputKind::kRawLetters, Encoding::kLetters}, {2, 17, 999}, problem),
            0)
      << problem;
  EXPECT_EQ(names.fName(17), "read17");
  EXPECT_EQ(names.fName(999), "read999");
  EXPECT_EQ(names.fName(2), "read2");
  EXPECT_EQ(names.fName(18), "");

  ReadNames tooMany;
  EXPECT_EQ(tooMany.fResolve({folder.path("r.txt"), InputKind::kRawLetters, Encoding::kLetters}, {5, 1001}, problem), 2);
  EXPECT_NE(problem.find("read 1001 is missing"), std::string::npos) << problem;
  EXPECT_EQ(tooMany.fResolve({folder.path("gone.txt"), InputKind::kRawLetters, Encoding::kLetters}, {1}, problem), 2);
}

#ifdef VANTRELS_HAVE_HTSLIB
std::string fReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream whole;
  whole << file.rdbuf();
  return whole.str();
}

// The strongest check of the keep rule: read k of the resolver is line k of
// what the command line's own conversion wrote for the procedure.
TEST(ReadNames, ReadNumberKIsLineKOfTheConvertedReads) {
  for (const Case& c : fCases()) {
    RunFolder folder;
    const std::string input = fInput(folder, c);
    PreparedInput prepared;
    std::string problem;
    ASSERT_EQ(fPrepareReads(input, c.handed, folder.dir(), prepared, problem), 0) << c.what << ": " << problem;
    std::istringstream converted(fReadFile(prepared.path));
    ReadNameResolver resolver;
    ASSERT_EQ(resolver.fOpen({input, prepared.kind, c.handed}, problem), 0) << c.what << ": " << problem;
    std::string line;
    uint32_t number = 0;
    while (std::getline(converted, line)) {
      ++number;
      ASSERT_TRUE(resolver.fSeek(number)) << c.what << ": read " << number << ": " << resolver.problem();
      std::string shown;
      for (char letter : resolver.fLetters()) {
        if (letter == ' ' || letter == '\r') continue;
        shown += static_cast<char>(letter >= 'a' && letter <= 'z' ? letter - 'a' + 'A' : letter);
      }
      if (c.handed == Encoding::kCodes || c.kind == InputKind::kRawCoded)
        for (char& code : line)
          if (code >= 0 && code <= 3) code = "ACGT"[static_cast<int>(code)];
      if (!line.empty() && line.back() == '\r') line.pop_back();
      EXPECT_EQ(shown, line) << c.what << ": read " << number;
    }
    EXPECT_FALSE(resolver.fSeek(number + 1)) << c.what << ": the converted file has " << number << " reads";
  }
}
#endif

}  // namespace
