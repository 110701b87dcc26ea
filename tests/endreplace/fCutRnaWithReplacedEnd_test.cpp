// RandExt end to end: the executable run on hand-made genomes and reads.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "endreplace/randext_support.h"
#include "support/run_folder.h"
#include "support/sequences.h"

namespace {
using namespace randext_test;

struct Sizes {
  std::string immutSz = "20", mutTipSz = "5", misNu = "1";
};

RunResult fRunRandExt(const RunFolder& folder, const std::string& experimentId, const Sizes& sizes = Sizes()) {
  return folder.run("RandExt", {{"diRes", "<d>"}, {"pthGnm", "<d>/g.txt"}, {"pthReads", "<d>/r.txt"},
                                {"experimentId", experimentId}, {"immutSz", sizes.immutSz},
                                {"mutTipSz", sizes.mutTipSz}, {"misNu", sizes.misNu}});
}

// The parameter echo.
std::string fEcho(const std::string& experimentId, const Sizes& sizes = Sizes(), const std::string& aimed = "25") {
  return "procedure  RandExt\ngenome        <d>/g.txt\nreads         <d>/r.txt\n\nimmutable Sz  =" + sizes.immutSz +
         "\n  mutable Sz  =" + sizes.mutTipSz + "\nmismatches    =" + sizes.misNu + "\naimed reads Sz=" + aimed +
         "\nexperimentId=" + experimentId;
}

const char kHeader[] = "posInSq\treadsAtPos\tentropy\tstrand\tread's text\ttipNu";

// The hit files are read and deleted: only the table and the log stay.
TEST(RandExt, SitesOnBothStrandsCarryTheEntropyOfTheirTipsUnderTheExperimentsName) {
  struct Case {
    std::string experimentId, echoedId, misNu, table;
  } cases[] = {
      {"e.1.a", "e_1_a", "1", "e_1_a_20!5!1!.txt"},
      {"blank", "blank", "1", "RnaCut_r_20!5!1!.txt"},
      {"", "", "1", "_20!5!1!.txt"},
      {"a.b", "a_b", "2", "a_b_20!5!2!.txt"},
      {"x", "x", " 2 mismatches", "x_20!5! 2 mismatches!.txt"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("g.txt", kGenome);
    folder.write("r.txt", kReads);
    Sizes sizes;
    sizes.misNu = c.misNu;
    RunResult result = fRunRandExt(folder, c.experimentId, sizes);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.console, fEcho(c.echoedId, sizes) + "\nexecuting...\nsaving the result\ndone\n") << c.table;
    const std::string log = c.table.substr(0, c.table.size() - 4) + "Log.txt";
    EXPECT_EQ(folder.results(), (Files{{c.table, kTableMisNu1}, {log, fLog("fCutRnaWithReplacedEnd", kCountsMisNu1)}}));
  }
}

// The entropy summary of sites that all have the entropy `value`.
std::string fOneEntropy(const std::string& value) {
  return "range=[" + value + "," + value + "];\tmean=" + value + ";\tsigma=0.0000;\nmean+3sigma=" + value + ";";
}

std::string fCounts(int input, int these, int analyzed, int fell, int upper, int lower, const std::string& entropy) {
  return "\ninput=" + std::to_string(input) + "; required read size=25; these reads=" + std::to_string(these) +
         ": defected=0, longTracks=0\nanalyzed=" + std::to_string(analyzed) + ", fell into genome=" +
         std::to_string(fell) + ";\noccupied sites in strand:: inUpper(+)=" + std::to_string(upper) +
         "; inLower(-)=" + std::to_string(lower) + "; on both strand=" + std::to_string(upper + lower) +
         ".\nentropy statistic report:\n" + entropy;
}

TEST(RandExt, ReadSetsAndTheirResults) {
  // Twice the genome's own 25 letters from position 2, once with the tip ttttg.
  const std::string own = "GATCACAGTCTACACTGCTCACTCC\nGATCACAGTCTACACTGCTCACTCC\nGATCACAGTCTACACTGCTCTTTTG\n";
  // One letter repeated: each read hits all 30 upper positions, twice the hit
  // buffer's floor(30 / 2) records.
  std::string repeated = kHeader;
  for (int p = 1; p <= 30; ++p)
    for (const char* tip : {"ccccg\t1", "cccct\t1"})
      repeated += "\n" + std::to_string(p) + "\t2\t0.6931\t+\t" + std::string(20, 'A') + tip;
  // 1019 distinct tips at one site: every 5-letter tip but the genome's own
  // (ctcca) and the four long tracks. The tally outgrows its first 1000 entries.
  const std::string immutable = "ATCACAGTCTACACTGCTCA";  // upper position 3
  std::string everyTip, tipTable = kHeader;
  for (int code = 0; code < 1024; ++code) {
    std::string tip;
    for (int shift = 8; shift >= 0; shift -= 2) tip += "ACGT"[(code >> shift) & 3];
    if (tip == "CTCCA" || tip == std::string(5, tip[0])) continue;
    everyTip += immutable + tip + "\n";
    tipTable += "\n3\t1019\t6.9266\t+\t" + immutable + fLower(tip) + "\t1";
  }
  const std::string noSite = "range=[5120.0000,0.0000];\tmean=0.0000;\tsigma=0.0000;\nmean+3sigma=0.0000;";
  struct Case {
    const char* what;
    std::string genome, reads, misNu;
    bool detected;
    // The table and the log's counts (named "x_20!5!misNu!"), then what else
    // stays: a strand's hit file without a record is never read, so it stays behind empty.
    Files results;
  } cases[] = {
      {"misNu 0 makes whole matches hits", kGenome, own, "0", true,
       {{kHeader + std::string("\n2\t3\t0.6365\t+\tGATCACAGTCTACACTGCTCactcc\t2"
                               "\n2\t3\t0.6365\t+\tGATCACAGTCTACACTGCTCttttg\t1"),
         fCounts(3, 3, 3, 3, 1, 0, fOneEntropy("0.6365"))},
        {"Rna_fiLw.tmp", ""}}},
      {"one hit, no site: the summary of no site at all", kGenome, own, "1", true,
       {{kHeader, fCounts(3, 3, 3, 1, 0, 0, noSite)}, {"Rna_fiLw.tmp", ""}}},
      // Lower position 1 prints as posInSq L = 40; lower position 30 reads its
      // last 11 letters and then the lower strand's first ones (posInSq 11).
      {"lower-strand sites at the circle's junction", kGenome,
       "CAGGGGCCGGGGTTGGAGTGCCCCA\nGACTGTGATCCCAGGGGCCGAAAAC\nCAGGGGCCGGGGTTGGAGTGCCCCA\nGACTGTGATCCCAGGGGCCGAAAAC\n",
       "1", true,
       {{kHeader + std::string("\n40\t2\t0.0000\t-\tCAGGGGCCGGGGTTGGAGTGcccca\t2"
                               "\n11\t2\t0.0000\t-\tGACTGTGATCCCAGGGGCCGaaaac\t2"),
         fCounts(4, 4, 4, 4, 0, 2, fOneEntropy("0.0000"))},
        {"Rna_fiUp.tmp", ""}}},
      {"more hits than the hit buffer holds", std::string(30, 'A'),
       std::string(20, 'A') + "CCCCG\n" + std::string(20, 'A') + "CCCCT\n", "1", true,
       {{repeated, fCounts(2, 2, 2, 2, 30, 0, fOneEntropy("0.6931"))},
        {"Rna_fiLw.tmp", ""}}},
      {"more tips than the tally's first entries", kGenome, everyTip, "1", true,
       {{tipTable, fCounts(1019, 1019, 1019, 1019, 1, 0, fOneEntropy("6.9266"))},
        {"Rna_fiLw.tmp", ""}}},
      {"no detected reads leaves the hit files and empty results", kGenome, "TTTTTTTTTTTTTTTTTTTTTTTTG\nACGTAAAAA\n",
       "1", false, {{"", ""}, {"Rna_fiLw.tmp", ""}, {"Rna_fiUp.tmp", ""}}},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("g.txt", c.genome);
    folder.write("r.txt", c.reads);
    Sizes sizes;
    sizes.misNu = c.misNu;
    EXPECT_EQ(fRunRandExt(folder, "x", sizes).console,
              fEcho("x", sizes) + (c.detected ? "\nexecuting...\nsaving the result\ndone\n"
                                                : "\nexecuting...\nno detected reads\ndone\n"))
        << c.what;
    const std::string stem = "x_20!5!" + c.misNu + "!";
    Files expected(c.results.begin() + 1, c.results.end());
    const std::string log = c.detected ? fLog("fCutRnaWithReplacedEnd", c.results[0].second) : "";
    expected.insert(expected.end(), {{stem + ".txt", c.results[0].first}, {stem + "Log.txt", log}});
    EXPECT_EQ(folder.results(), expected) << c.what;
  }
}

TEST(RandExt, GenomeAndReadsFailuresLeaveTheFourFilesEmpty) {
  struct Case {
    const char* genome;  // nullptr: no genome file
    uintmax_t size;      // the genome file's size when it holds no bytes (sparse)
    bool readsFile;
    std::string message;
  } cases[] = {
      // The position printed is one more than the byte's: the line feed is byte 41.
      {"GGATCACAGTCTACACTGCTCACTCCAACCCCGGCCCCTG\n", 0, true, "\ngenome: in seq position = 42 is non{ACGT)-symbol = \n"},
      {"GGNTCACAGTCTACAC", 0, true, "\ngenome: in seq position = 4 is non{ACGT)-symbol = N"},
      {"", 0, true, "\ngenome file is empty: <d>/g.txt"},
      {kGenome, 0, false, "\ni can't open\n<d>/r.txt"},
      {nullptr, 0, true, "\ni can't open <d>/g.txt"},
      {"", uintmax_t{1} << 31, true, "\ngenome file too large (2^31 bytes or more): <d>/g.txt"},
      // Its last letter and 24 letters of continuation would run past 2^31 - 1.
      {"", (uintmax_t{1} << 31) - 10, true, "\ngenome file too large to number its positions in 32 bits: <d>/g.txt"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    if (c.genome != nullptr) folder.write("g.txt", c.genome);
    if (c.size != 0) std::filesystem::resize_file(folder.path("g.txt"), c.size);
    if (c.readsFile) folder.write("r.txt", kReads);
    EXPECT_EQ(fRunRandExt(folder, "f").console, fEcho("f") + "\nexecuting..." + c.message + "\ndone\n");
    EXPECT_EQ(folder.results(), (Files{{"Rna_fiLw.tmp", ""}, {"Rna_fiUp.tmp", ""}, {"f_20!5!1!.txt", ""},
                                       {"f_20!5!1!Log.txt", ""}}))
        << c.message;
  }
}

TEST(RandExt, SizesTheIndexCannotServeAreRefusedBeforeAnythingIsWritten) {
  struct Case {
    Sizes sizes;
    std::string aimed;
  } cases[] = {{{"5", "5", "1"}, "10"}, {{"20", "16", "1"}, "36"}, {{"-1", "15", "1"}, "14"}, {{"5200", "5", "1"}, "5205"}};
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("g.txt", kGenome);
    folder.write("r.txt", kReads);
    EXPECT_EQ(fRunRandExt(folder, "s", c.sizes).console,
              fEcho("s", c.sizes, c.aimed) + "\nsizes refused: immutSz=" + c.sizes.immutSz + ", mutTipSz=" +
                  c.sizes.mutTipSz + "; the aimed read size immutSz + mutTipSz must lie in 12..5119, the tip in "
                  "0..15 letters and immutSz must not be negative\ndone\n");
    EXPECT_EQ(folder.results(), Files{}) << c.aimed;
  }
}

}  // namespace
