// RandExt end to end: the executable run on hand-made genomes and reads; and
// RandExtTaskList: several experiments over one genome and index.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include "endreplace/randext_support.h"
#include "support/run_folder.h"
#include "support/sequences.h"

namespace {
using namespace randext_test;

struct Sizes {
  std::string immutSz = "20", mutTipSz = "5", misNu = "1";
};

// Runs RandExt on g.txt and r.txt, written first when given.
RunResult fRunRandExt(const RunFolder& folder, const std::string& experimentId, const Sizes& sizes = Sizes(),
                      const char* genome = nullptr, const std::string& reads = "") {
  if (genome != nullptr) folder.write("g.txt", genome);
  if (!reads.empty()) folder.write("r.txt", reads);
  return folder.run("RandExt", {{"diRes", "<d>"}, {"pthGnm", "<d>/g.txt"}, {"pthReads", "<d>/r.txt"},
                                {"experimentId", experimentId}, {"immutSz", sizes.immutSz},
                                {"mutTipSz", sizes.mutTipSz}, {"misNu", sizes.misNu}});
}

std::string fEcho(const std::string& experimentId, const Sizes& sizes = Sizes()) {
  return "procedure  RandExt\ngenome        <d>/g.txt\nreads         <d>/r.txt\n\nimmutable Sz  =" + sizes.immutSz +
         "\n  mutable Sz  =" + sizes.mutTipSz + "\nmismatches    =" + sizes.misNu + "\naimed reads Sz=25" +
         "\nexperimentId=" + experimentId;
}

const char kHeader[] = "posInSq\treadsAtPos\tentropy\tstrand\tread's text\ttipNu";

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
  // Results under the experiment's name (dots become '_'; "blank" takes the reads
  // file's stem) and misNu: `results` holds the table and the log's counts, then
  // what else stays. The hit files are read and deleted, but a strand's hit file
  // without a record is never read, so it stays behind empty.
  struct Case { const char *id, *echoed, *stem; std::string genome, reads, misNu; bool detected; Files results; };
  const Case cases[] = {
      {"x", "x", "x_20!5! 2 mismatches!", kGenome, kReads, " 2 mismatches", true, {{kTableMisNu1, kCountsMisNu1}}},
      // misNu 0 makes whole matches hits.
      {"e.1.a", "e_1_a", "e_1_a_20!5!0!", kGenome, own, "0", true,
       {{kHeader + std::string("\n2\t3\t0.6365\t+\tGATCACAGTCTACACTGCTCactcc\t2\n2\t3\t0.6365\t+\t"
                               "GATCACAGTCTACACTGCTCttttg\t1"), fCounts(3, 3, 3, 3, 1, 0, fOneEntropy("0.6365"))},
        {"Rna_fiLw.tmp", ""}}},
      // One hit, no site: the summary of no site at all.
      {"blank", "blank", "RnaCut_r_20!5!1!", kGenome, own, "1", true,
       {{kHeader, fCounts(3, 3, 3, 1, 0, 0, noSite)}, {"Rna_fiLw.tmp", ""}}},
      // Lower-strand sites at the circle's junction: lower position 1 prints as
      // posInSq L = 40; lower position 30 reads its last 11 letters and then the
      // lower strand's first ones (posInSq 11).
      {"", "", "_20!5!1!", kGenome,
       "CAGGGGCCGGGGTTGGAGTGCCCCA\nGACTGTGATCCCAGGGGCCGAAAAC\nCAGGGGCCGGGGTTGGAGTGCCCCA\nGACTGTGATCCCAGGGGCCGAAAAC\n",
       "1", true,
       {{kHeader + std::string("\n40\t2\t0.0000\t-\tCAGGGGCCGGGGTTGGAGTGcccca\t2\n11\t2\t0.0000\t-\t"
                               "GACTGTGATCCCAGGGGCCGaaaac\t2"), fCounts(4, 4, 4, 4, 0, 2, fOneEntropy("0.0000"))},
        {"Rna_fiUp.tmp", ""}}},
      // More hits than the hit buffer holds.
      {"x", "x", "x_20!5!1!", std::string(30, 'A'), std::string(20, 'A') + "CCCCG\n" + std::string(20, 'A') + "CCCCT\n",
       "1", true, {{repeated, fCounts(2, 2, 2, 2, 30, 0, fOneEntropy("0.6931"))}, {"Rna_fiLw.tmp", ""}}},
      // More tips than the tally's first entries.
      {"x", "x", "x_20!5!1!", kGenome, everyTip, "1", true,
       {{tipTable, fCounts(1019, 1019, 1019, 1019, 1, 0, fOneEntropy("6.9266"))}, {"Rna_fiLw.tmp", ""}}},
      // No detected reads leaves the hit files and empty results.
      {"x", "x", "x_20!5!1!", kGenome, "TTTTTTTTTTTTTTTTTTTTTTTTG\nACGTAAAAA\n", "1", false,
       {{"", ""}, {"Rna_fiLw.tmp", ""}, {"Rna_fiUp.tmp", ""}}},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    const Sizes sizes{"20", "5", c.misNu};
    RunResult result = fRunRandExt(folder, c.id, sizes, c.genome.c_str(), c.reads);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.console, fEcho(c.echoed, sizes) + (c.detected ? "\nexecuting...\nsaving the result\ndone\n"
                                                                   : "\nexecuting...\nno detected reads\ndone\n"))
        << c.stem;
    Files expected(c.results.begin() + 1, c.results.end());
    const std::string log = c.detected ? fLog("fCutRnaWithReplacedEnd", c.results[0].second) : "";
    const std::string stem = c.stem;
    expected.insert(expected.end(), {{stem + ".txt", c.results[0].first}, {stem + "Log.txt", log}});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folder.results(), expected) << c.stem;
  }
}

TEST(RandExt, GenomeAndReadsFailuresLeaveTheFourFilesEmpty) {
  // `genome` nullptr: no genome file; `size`: the file's size when it holds no bytes (sparse).
  struct Case { const char* genome; uintmax_t size; bool readsFile; std::string message; } cases[] = {
      // The position printed is one more than the byte's: the line feed is byte 41.
      {"GGATCACAGTCTACACTGCTCACTCCAACCCCGGCCCCTG\n", 0, true,
       "\ngenome: in seq position = 42 is non{ACGT)-symbol = \n"},
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
    EXPECT_EQ(fRunRandExt(folder, "f", Sizes(), nullptr, c.readsFile ? kReads : "").console,
              fEcho("f") + "\nexecuting..." + c.message + "\ndone\n");
    EXPECT_EQ(folder.results(), (Files{{"Rna_fiLw.tmp", ""}, {"Rna_fiUp.tmp", ""}, {"f_20!5!1!.txt", ""},
                                       {"f_20!5!1!Log.txt", ""}}))
        << c.message;
  }
}

const char kFreeLines[] = "task list\n#\n#\n#\n#\n#\n";
const char kTaskHeader[] = "\nimmutSz\tmutTipSz\tmisNu";
const char kProcedure[] = "fCutRnaReplacedEnd_BaseTaskList";

RunResult fRunList(const RunFolder& folder, const std::string& list) {
  folder.write("g.txt", kGenome);
  folder.write("r.txt", kReads);
  folder.write("t.txt", list);
  return folder.run("RandExtTaskList", {{"diRes", "<d>"}, {"pthGnm", "<d>/g.txt"}, {"pthReads", "<d>/r.txt"},
                                        {"pthTaskList", "<d>/t.txt"}});
}

std::string fListEcho(const std::string& identity) {
  return "procedure  RandExtTaskList\ngenome        <d>/g.txt\nreads         <d>/r.txt\ntaskList  =<d>/t.txt"
         "\nexperimentId=" + identity + "\nexecuting...";
}

// The table and the log of a task with misNu 1 whose files begin with `stem`.
Files fTaskMisNu1(const std::string& stem) {
  return {{stem + ".txt", kTableMisNu1}, {stem + "Log.txt", fLog(kProcedure, kCountsMisNu1)}};
}

TEST(RandExtTaskList, TasksShareOneIndexAndTheListStopsAtATaskWithNoDetectedReads) {
  RunFolder folder;
  // CR LF on the identity and on the second task; the fourth task repeats the
  // first; the fifth finds nothing and stops the list before the sixth.
  RunResult result = fRunList(folder, std::string(kFreeLines) + "run.7\r\nsizes\r\n20\t5\t1\n20\t5\t2\r\n20\t5\t4\n" +
                                          "20\t5\t1\n22\t3\t5\n21\t4\t1\n");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.console, fListEcho("run_7") + kTaskHeader +
                                "\n20\t5\t1\n20\t5\t2\n20\t5\t4\n20\t5\t1\n22\t3\t5\nno detected reads\ndone\n");
  // Nothing of the sixth task, and the hit files are gone.
  Files expected = fTaskMisNu1("run_7_20!5!1!");
  for (const auto& file : fTaskMisNu1("run_7_20!5!2!")) expected.push_back(file);
  expected.insert(expected.end(), {{"run_7_20!5!4!.txt", kTableMisNu4}, {"run_7_20!5!4!Log.txt", fLog(kProcedure,
                                   kCountsMisNu4)}, {"run_7_22!3!5!.txt", ""}, {"run_7_22!3!5!Log.txt", ""}});
  EXPECT_EQ(folder.results(), expected);
}

TEST(RandExtTaskList, ListsThatEndEarlyOrHoldNoTask) {
  const std::string refused =
      "\ntask line refused: it must hold immutSz, mutTipSz and misNu separated by single TABs, in fewer than 100 "
      "characters: ";
  const std::string longLine = "20\t5\t1" + std::string(94, ' ');  // its end lies at position 100
  const std::string longest = "20\t5\t1" + std::string(93, ' ');   // a task: the third field may carry trailing text
  struct Case { const char* what; std::string lines, identity, tasksConsole; Files results; } cases[] = {
      {"eight lines run no task but build the index", "id\nsizes", "id", "", {}},
      {"the identity \"blank\" has no special meaning; empty task lines are skipped",
       "blank\nsizes\n\n\r\n20\t5\t1\n\n", "blank", "\n20\t5\t1", fTaskMisNu1("blank_20!5!1!")},
      {"an empty identity", "\nsizes\n20\t5\t1", "", "\n20\t5\t1", fTaskMisNu1("_20!5!1!")},
      {"spaces instead of TABs", "x\nsizes\n20\t5\t1\n20 5 1\n20\t5\t1\n", "x", "\n20\t5\t1\n20 5 1" + refused + "20 5 1",
       fTaskMisNu1("x_20!5!1!")},
      {"one TAB", "x\nsizes\n20\t5\n", "x", "\n20\t5" + refused + "20\t5", {}},
      {"a line of 100 characters", "x\nsizes\n" + longLine + "\n", "x", "\n" + longLine + refused + longLine, {}},
      {"a line of 99 characters", "x\nsizes\n" + longest + "\n", "x", "\n" + longest,
       fTaskMisNu1("x_20!5!1" + std::string(93, ' ') + "!")},
      {"an aimed size below 12", "x\nsizes\n6\t5\t1\n", "x",
       "\n6\t5\t1\nsizes refused: immutSz=6, mutTipSz=5; the aimed read size immutSz + mutTipSz must lie in "
       "12..5119, the tip in 0..15 letters and immutSz must not be negative", {}},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    RunResult result = fRunList(folder, kFreeLines + c.lines);
    EXPECT_EQ(result.exitCode, 0) << c.what;
    EXPECT_EQ(result.console, fListEcho(c.identity) + kTaskHeader + c.tasksConsole + "\ndone\n") << c.what;
    EXPECT_EQ(folder.results(), c.results) << c.what;
  }
  RunFolder folder;
  EXPECT_EQ(fRunList(folder, "1\n2\n3\n4\n5\n6\nid\n").console,
            "\ntask list has fewer than 8 lines (6 free lines, the identity, 1 free line): <d>/t.txt\ndone\n");
  EXPECT_EQ(folder.results(), Files{});
}

// The earlier task's results stay, and so do the hit files.
TEST(RandExtTaskList, UnconvertibleFieldsEndTheRunWithExitCodeOne) {
  const std::pair<std::string, std::string> cases[] = {
      {"20\t\t1", "\ninvalid stoi argument\nmutTipSz="}, {"x\t5\ty", "\ninvalid stoi argument\nimmutSz=x"},
      {"20\t5\t3000000000", "\nstoi argument out of range\nmisNu=3000000000"}};
  for (const auto& [task, console] : cases) {
    RunFolder folder;
    RunResult result = fRunList(folder, std::string(kFreeLines) + "x\nsizes\n20\t5\t1\n" + task + "\n");
    EXPECT_EQ(result.exitCode, 1) << task;
    EXPECT_EQ(result.console, fListEcho("x") + kTaskHeader + "\n20\t5\t1\n" + task + console);
    EXPECT_EQ(folder.read("x_20!5!1!.txt"), kTableMisNu1) << task;
    EXPECT_TRUE(folder.exists("Rna_fiUp.tmp") && folder.exists("Rna_fiLw.tmp")) << task;
  }
}

}  // namespace
