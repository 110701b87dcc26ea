// RandExt end to end: the executable run on hand-made genomes and reads.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "endreplace/randext_support.h"
#include "support/run_folder.h"

namespace {
using namespace randext_test;

struct Sizes {
  std::string immutSz = "20", mutTipSz = "5", misNu = "1";
};

RunResult fRunRandExt(const RunFolder& folder, const std::string& experimentId, const Sizes& sizes = Sizes()) {
  folder.params("p.txt", {{"diRes", folder.dir()},
                          {"pthGnm", folder.path("g.txt")},
                          {"pthReads", folder.path("r.txt")},
                          {"experimentId", experimentId},
                          {"immutSz", sizes.immutSz},
                          {"mutTipSz", sizes.mutTipSz},
                          {"misNu", sizes.misNu}});
  folder.select(folder.path("p.txt"), "RandExt");
  return folder.run();
}

std::string fEcho(const RunFolder& folder, const std::string& experimentId, const Sizes& sizes = Sizes(),
                  const std::string& aimed = "25") {
  return "procedure  RandExt\ngenome        " + folder.path("g.txt") + "\nreads         " + folder.path("r.txt") +
         "\n\nimmutable Sz  =" + sizes.immutSz + "\n  mutable Sz  =" + sizes.mutTipSz +
         "\nmismatches    =" + sizes.misNu + "\naimed reads Sz=" + aimed + "\nexperimentId=" + experimentId;
}

const std::vector<std::string> kInputs = {"_ParamsOfFunc.txt", "g.txt", "p.txt", "r.txt", "vantrels"};

std::vector<std::string> fWith(std::vector<std::string> names) {
  names.insert(names.end(), kInputs.begin(), kInputs.end());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(RandExt, SitesOnBothStrandsCarryTheEntropyOfTheirTips) {
  RunFolder folder;
  folder.write("g.txt", kGenome);
  folder.write("r.txt", kReads);
  RunResult result = fRunRandExt(folder, "e.1.a");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.console, fEcho(folder, "e_1_a") + "\nexecuting...\nsaving the result\ndone\n");
  EXPECT_EQ(folder.read("e_1_a_20!5!1!.txt"), kTableMisNu1);
  EXPECT_EQ(folder.read("e_1_a_20!5!1!Log.txt"), fLog("fCutRnaWithReplacedEnd", folder, kCountsMisNu1));
  // Both hit files were read and deleted.
  EXPECT_EQ(folder.files(), fWith({"e_1_a_20!5!1!.txt", "e_1_a_20!5!1!Log.txt"}));
}

TEST(RandExt, ResultNamesFollowTheExperimentIdAndTheSizesAsWritten) {
  struct Case {
    std::string experimentId, echoedId, misNu, table;
  } cases[] = {
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
    EXPECT_EQ(result.console, fEcho(folder, c.echoedId, sizes) + "\nexecuting...\nsaving the result\ndone\n")
        << c.table;
    EXPECT_EQ(folder.read(c.table), kTableMisNu1) << c.table;
    std::string log = c.table.substr(0, c.table.size() - 4) + "Log.txt";
    EXPECT_EQ(folder.read(log), fLog("fCutRnaWithReplacedEnd", folder, kCountsMisNu1)) << c.table;
  }
}

TEST(RandExt, MisNuZeroMakesWholeMatchesHits) {
  // Twice the genome's own 25 letters from position 2, once with the tip ttttg.
  const std::string reads =
      "GATCACAGTCTACACTGCTCACTCC\nGATCACAGTCTACACTGCTCACTCC\nGATCACAGTCTACACTGCTCTTTTG\n";
  struct Case {
    std::string misNu, table, counts;
  } cases[] = {
      {"0",
       "posInSq\treadsAtPos\tentropy\tstrand\tread's text\ttipNu"
       "\n2\t3\t0.6365\t+\tGATCACAGTCTACACTGCTCactcc\t2"
       "\n2\t3\t0.6365\t+\tGATCACAGTCTACACTGCTCttttg\t1",
       "\ninput=3; required read size=25; these reads=3: defected=0, longTracks=0"
       "\nanalyzed=3, fell into genome=3;"
       "\noccupied sites in strand:: inUpper(+)=1; inLower(-)=0; on both strand=1."
       "\nentropy statistic report:\nrange=[0.6365,0.6365];\tmean=0.6365;\tsigma=0.0000;\nmean+3sigma=0.6365;"},
      // One hit, no site: the summary of no site at all.
      {"1", "posInSq\treadsAtPos\tentropy\tstrand\tread's text\ttipNu",
       "\ninput=3; required read size=25; these reads=3: defected=0, longTracks=0"
       "\nanalyzed=3, fell into genome=1;"
       "\noccupied sites in strand:: inUpper(+)=0; inLower(-)=0; on both strand=0."
       "\nentropy statistic report:\nrange=[5120.0000,0.0000];\tmean=0.0000;\tsigma=0.0000;\nmean+3sigma=0.0000;"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("g.txt", kGenome);
    folder.write("r.txt", reads);
    Sizes sizes;
    sizes.misNu = c.misNu;
    fRunRandExt(folder, "m", sizes);
    EXPECT_EQ(folder.read("m_20!5!" + c.misNu + "!.txt"), c.table) << c.misNu;
    EXPECT_EQ(folder.read("m_20!5!" + c.misNu + "!Log.txt"), fLog("fCutRnaWithReplacedEnd", folder, c.counts))
        << c.misNu;
    // The lower strand had no record: its hit file was never read, so it stays behind empty.
    EXPECT_EQ(folder.read("Rna_fiLw.tmp"), "") << c.misNu;
    EXPECT_FALSE(folder.exists("Rna_fiUp.tmp")) << c.misNu;
  }
}

TEST(RandExt, LowerStrandSitesAtTheCircleJunctionCountBackFromTheGenomesEnd) {
  // Lower position 1 prints as posInSq L = 40; lower position 30 reads its
  // last 11 letters and then the lower strand's first ones (posInSq 11).
  RunFolder folder;
  folder.write("g.txt", kGenome);
  folder.write("r.txt",
               "CAGGGGCCGGGGTTGGAGTGCCCCA\nGACTGTGATCCCAGGGGCCGAAAAC\n"
               "CAGGGGCCGGGGTTGGAGTGCCCCA\nGACTGTGATCCCAGGGGCCGAAAAC\n");
  fRunRandExt(folder, "j");
  EXPECT_EQ(folder.read("j_20!5!1!.txt"),
            "posInSq\treadsAtPos\tentropy\tstrand\tread's text\ttipNu"
            "\n40\t2\t0.0000\t-\tCAGGGGCCGGGGTTGGAGTGcccca\t2"
            "\n11\t2\t0.0000\t-\tGACTGTGATCCCAGGGGCCGaaaac\t2");
}

TEST(RandExt, NoDetectedReadsLeavesHitFilesAndEmptyResults) {
  RunFolder folder;
  folder.write("g.txt", kGenome);
  folder.write("r.txt", "TTTTTTTTTTTTTTTTTTTTTTTTG\nACGTAAAAA\n");
  RunResult result = fRunRandExt(folder, "none");
  EXPECT_EQ(result.console, fEcho(folder, "none") + "\nexecuting...\nno detected reads\ndone\n");
  EXPECT_EQ(folder.files(), fWith({"Rna_fiLw.tmp", "Rna_fiUp.tmp", "none_20!5!1!.txt", "none_20!5!1!Log.txt"}));
  for (const char* name : {"Rna_fiLw.tmp", "Rna_fiUp.tmp", "none_20!5!1!.txt", "none_20!5!1!Log.txt"})
    EXPECT_EQ(folder.read(name), "") << name;
}

TEST(RandExt, GenomeAndReadsFailuresLeaveTheFourFilesEmpty) {
  RunFolder folder;
  struct Case {
    std::string genome, reads, message;
  } cases[] = {
      // The position printed is one more than the byte's: the line feed is byte 41.
      {std::string(kGenome) + "\n", "r.txt", "\ngenome: in seq position = 42 is non{ACGT)-symbol = \n"},
      {"GGNTCACAGTCTACAC", "r.txt", "\ngenome: in seq position = 4 is non{ACGT)-symbol = N"},
      {"", "r.txt", "\ngenome file is empty: " + folder.path("g.txt")},
      {kGenome, "missing.txt", "\ni can't open\n" + folder.path("missing.txt")},
  };
  for (const Case& c : cases) {
    folder.write("g.txt", c.genome);
    folder.write("r.txt", kReads);
    folder.params("p.txt", {{"diRes", folder.dir()}, {"pthGnm", folder.path("g.txt")},
                            {"pthReads", folder.path(c.reads)}, {"experimentId", "f"}, {"immutSz", "20"},
                            {"mutTipSz", "5"}, {"misNu", "1"}});
    folder.select(folder.path("p.txt"), "RandExt");
    RunResult result = folder.run();
    std::string echo = "procedure  RandExt\ngenome        " + folder.path("g.txt") + "\nreads         " +
                       folder.path(c.reads) +
                       "\n\nimmutable Sz  =20\n  mutable Sz  =5\nmismatches    =1\naimed reads Sz=25\nexperimentId=f";
    EXPECT_EQ(result.console, echo + "\nexecuting..." + c.message + "\ndone\n");
    for (const char* name : {"Rna_fiLw.tmp", "Rna_fiUp.tmp", "f_20!5!1!.txt", "f_20!5!1!Log.txt"})
      EXPECT_EQ(folder.read(name), "") << c.message << name;
  }
  // A genome that is missing is reported when the genome file is opened.
  folder.params("p.txt", {{"diRes", folder.dir()}, {"pthGnm", folder.path("nowhere.txt")},
                          {"pthReads", folder.path("r.txt")}, {"experimentId", "f"}, {"immutSz", "20"},
                          {"mutTipSz", "5"}, {"misNu", "1"}});
  RunResult result = folder.run();
  EXPECT_NE(result.console.find("\nexecuting...\ni can't open " + folder.path("nowhere.txt") + "\ndone\n"),
            std::string::npos)
      << result.console;
}

TEST(RandExt, GenomesTooLargeToNumberAreRefused) {
  struct Case {
    uintmax_t bytes;
    std::string message;
  } cases[] = {
      {uintmax_t{1} << 31, "\ngenome file too large (2^31 bytes or more): "},
      // Its last letter and 24 letters of continuation would run past 2^31 - 1.
      {(uintmax_t{1} << 31) - 10, "\ngenome file too large to number its positions in 32 bits: "},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("g.txt", "");
    std::filesystem::resize_file(folder.path("g.txt"), c.bytes);  // sparse
    folder.write("r.txt", kReads);
    RunResult result = fRunRandExt(folder, "big");
    EXPECT_EQ(result.console, fEcho(folder, "big") + "\nexecuting..." + c.message + folder.path("g.txt") + "\ndone\n");
    for (const char* name : {"Rna_fiLw.tmp", "Rna_fiUp.tmp", "big_20!5!1!.txt", "big_20!5!1!Log.txt"})
      EXPECT_EQ(folder.read(name), "") << name;
  }
}

TEST(RandExt, SizesTheIndexCannotServeAreRefusedBeforeAnythingIsWritten) {
  struct Case {
    Sizes sizes;
    std::string aimed, message;
  } cases[] = {
      {{"5", "5", "1"}, "10", "immutSz=5, mutTipSz=5"},
      {{"20", "16", "1"}, "36", "immutSz=20, mutTipSz=16"},
      {{"-1", "15", "1"}, "14", "immutSz=-1, mutTipSz=15"},
      {{"5200", "5", "1"}, "5205", "immutSz=5200, mutTipSz=5"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("g.txt", kGenome);
    folder.write("r.txt", kReads);
    RunResult result = fRunRandExt(folder, "s", c.sizes);
    EXPECT_EQ(result.console, fEcho(folder, "s", c.sizes, c.aimed) + "\nsizes refused: " + c.message +
                                  "; the aimed read size immutSz + mutTipSz must lie in 12..5119, the tip in "
                                  "0..15 letters and immutSz must not be negative\ndone\n");
    EXPECT_EQ(folder.files(), fWith({})) << c.message;
  }
}

TEST(RandExt, UnconvertibleSizesStopTheRunInConversionOrder) {
  struct Case {
    Sizes sizes;
    std::string console;
  } cases[] = {
      {{"x", "", "1"}, "\ninvalid stoi argument\nmutTipSz="},
      {{"x", "5", "y"}, "\ninvalid stoi argument\nimmutSz=x"},
      {{"20", "5", "99999999999"}, "\nstoi argument out of range\nmisNu=99999999999"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("g.txt", kGenome);
    folder.write("r.txt", kReads);
    RunResult result = fRunRandExt(folder, "u", c.sizes);
    EXPECT_EQ(result.exitCode, 1) << c.console;
    EXPECT_EQ(result.console, c.console);
    EXPECT_EQ(folder.files(), fWith({})) << c.console;
  }
}

TEST(RandExt, NoHitAndNoTipIsDroppedWhenTheyOutgrowTheirBuffers) {
  const std::string header = "posInSq\treadsAtPos\tentropy\tstrand\tread's text\ttipNu";
  {
    // One letter repeated: each read hits all 30 upper positions, twice the
    // hit buffer's floor(30 / 2) records.
    RunFolder folder;
    folder.write("g.txt", std::string(30, 'A'));
    folder.write("r.txt", std::string(20, 'A') + "CCCCG\n" + std::string(20, 'A') + "CCCCT\n");
    fRunRandExt(folder, "rep");
    std::string table = header;
    for (int p = 1; p <= 30; ++p)
      for (const char* tip : {"ccccg\t1", "cccct\t1"})
        table += "\n" + std::to_string(p) + "\t2\t0.6931\t+\t" + std::string(20, 'A') + tip;
    EXPECT_EQ(folder.read("rep_20!5!1!.txt"), table);
    EXPECT_NE(folder.read("rep_20!5!1!Log.txt").find("inUpper(+)=30; inLower(-)=0; on both strand=30."),
              std::string::npos);
  }
  {
    // 1019 distinct tips at one site: every 5-letter tip but the genome's own
    // (ctcca) and the four long tracks. The tally outgrows its first 1000 entries.
    RunFolder folder;
    folder.write("g.txt", kGenome);
    const std::string immutable = "ATCACAGTCTACACTGCTCA";  // upper position 3
    const char letters[] = "ACGT";
    std::string reads, table = header;
    for (int code = 0; code < 1024; ++code) {
      std::string tip;
      for (int shift = 8; shift >= 0; shift -= 2) tip += letters[(code >> shift) & 3];
      if (tip == "CTCCA" || tip == std::string(5, tip[0])) continue;
      reads += immutable + tip + "\n";
      for (char& c : tip) c = static_cast<char>(c - 'A' + 'a');
      table += "\n3\t1019\t6.9266\t+\t" + immutable + tip + "\t1";
    }
    folder.write("r.txt", reads);
    fRunRandExt(folder, "tips");
    EXPECT_EQ(folder.read("tips_20!5!1!.txt"), table);
  }
}

}  // namespace
