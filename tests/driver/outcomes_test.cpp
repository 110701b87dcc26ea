// What each procedure tells its caller when run as the command line runs it:
// how the run ended, the file or parameter at fault, the results written
// whole, the log's counts and the reads read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "driver/file_helpers.h"
#include "driver/loaders.h"
#include "endreplace/endreplace.h"
#include "endreplace/randext_support.h"
#include "mapping/mapping.h"
#include "parted/circle.h"
#include "parted/parted.h"
#include "support/address_limit.h"
#include "support/direct_run.h"

namespace {

const char kParted[] = "fMatchReadsT_VarSzParted", kRating[] = "fMatchReadsT_VarSzPartedRate",
           kCircular[] = "fIdentifyCircularRna", kRandExt[] = "RandExt";
const std::optional<std::string> kNoFile;
// A 96-base genome whose 8-mers occur once on either strand; a read from it and one found nowhere.
const std::string kGenome = circle::kGenome;
const std::string kReads = fLines({kGenome.substr(10, 40), fRandomLetters(40, 52)});
const std::string kOneHit = circle::fRotated(1, 4, 0) + "\n";            // one upper-strand parted hit
const std::string kTwoCircularHits = circle::fRotated(20, 14, 8) + "\n";  // from the head and the end seed

struct Expected {
  RunStatus status;
  std::string file;                  // a name in the run's folder, or a refused parameter's key
  std::vector<std::string> written = {};  // names in the run's folder, in the order they were closed
  std::string counts = "";                // "key=value key=value ...", checked when not empty
  int64_t readsRead = -1;            // checked when not negative
};

struct Case {
  const char* what;
  const char* procedure;
  std::optional<std::string> genome, reads;  // letters, written as codes for the procedures that read codes
  Expected expected;
  Files params = {};          // instead of the defaults of the same keys
  std::string inTheWay = "";  // a directory of this name where a file of the run would be
  std::string full = "";      // a link of this name to a full disk
};

// The end-replacement procedures give the line buffers back as they go: `call`
// runs with heap buffers of its own, and the caller's come back after.
Outcome fWithHeapLines(const std::function<Outcome()>& call) {
  char *const input = InputLine, *const work = WorkLine;
  InputLine = static_cast<char*>(std::malloc(kLineBufferSize));
  WorkLine = static_cast<char*>(std::malloc(kLineBufferSize));
  Outcome outcome = call();
  std::free(InputLine);
  std::free(WorkLine);
  InputLine = input;
  WorkLine = work;
  return outcome;
}

// The procedure called the way the dispatcher calls it: the read-mapping ones
// that expect it get the coded genome loaded first, and run even when it can't be.
Outcome fCallProcedure(const std::string& name, const std::string& paramFile) {
  if (name == kCircular) return fIdentifyCircularRna(paramFile);
  if (name == kRandExt) return fWithHeapLines([&] { return fCutRnaWithReplacedEnd(paramFile); });
  ParamMap params;
  fReadParamFile(params, paramFile);
  const std::string dir = params["diRes"] + "/", reads = params["pthReads"], genome = params["pthGnm"];
  MinReadSize = std::atoi(params["rMinSz"].c_str());
  MaxReadSize = std::atoi(params["rMaxSz"].c_str());
  SizeScopeWidth = fSizeScopeWidth(MinReadSize, MaxReadSize);
  if (name == "fReadsOutOfSeq") return fReadsOutOfSeq(dir, reads, genome);
  if (name == "fGetReadsThatOutOfSeq") return fGetReadsThatOutOfSeq(dir, reads, genome);
  if (name == kParted) return fMatchReadsT_VarSzParted(dir, reads, genome, 0);
  if (name == kRating) return fMatchReadsT_VarSzPartedRate(dir, params["diReads"] + "/", genome, 0, params["pthList"]);
  int32_t length = 0;
  fLoadCodedGenome(genome, false, MaxReadSize < MaxLineLength ? MaxReadSize : MaxLineLength, 0, length);
  Outcome outcome = fFailure(RunStatus::kRefusedParameter, "no procedure " + name);
  if (name == "fMatchReadsT_VarSzO") outcome = fMatchReadsT_VarSzO(dir, reads, genome, length);
  if (name == "fMapReadsOnToSeq") outcome = fMapReadsOnToSeq(dir, reads, genome, length);
  if (name == "fMapReadsOneInSeq") outcome = fMapReadsOneInSeq(dir, reads, genome, length);
  if (name == "fTestGenomeSborka") outcome = fTestGenomeSborka(dir, reads, genome, length);
  if (GenomeStore != nullptr) fReleaseGenome();
  return outcome;
}

class Outcomes : public DirectRun {
 protected:
  static void fExpect(const Outcome& outcome, const RunFolder& folder, const Expected& expected,
                      const std::string& what) {
    EXPECT_EQ(outcome.status, expected.status) << what;
    const bool isKey = expected.status == RunStatus::kRefusedParameter || expected.file.empty();
    EXPECT_EQ(outcome.file, isKey ? expected.file : folder.path(expected.file)) << what;
    std::vector<std::string> written;
    for (const std::string& name : expected.written) written.push_back(folder.path(name));
    EXPECT_EQ(outcome.written, written) << what;
    std::string counts;
    for (const auto& count : outcome.counts) counts += (counts.empty() ? "" : " ") + count.first + "=" + count.second;
    if (!expected.counts.empty()) {
      EXPECT_EQ(counts, expected.counts) << what;
    }
    if (expected.readsRead >= 0) {
      EXPECT_EQ(outcome.readsRead, expected.readsRead) << what;
    }
  }

  // Letters in g.txt and r.txt for the procedures that read letters, codes in
  // g.bin and r.bin for the others; a rating list naming the reads; a refused
  // parameter leaves the folder as it was.
  static void fCheck(const Case& c) {
    RunFolder folder;
    const std::string name = c.procedure;
    const bool letters = name == "fGetReadsThatOutOfSeq" || name == kCircular || name == kRandExt;
    const std::string ext = letters ? ".txt" : ".bin";
    auto put = [&](const std::string& file, const std::optional<std::string>& bytes) {
      if (bytes && file != c.inTheWay) folder.write(file, *bytes);
    };
    auto coded = [&](const std::optional<std::string>& text) { return letters || !text ? text : fCodes(*text); };
    put("g" + ext, coded(c.genome));
    put("r" + ext, coded(c.reads));
    put("list.txt", "r" + ext + "\n");
    Files params = {{"diRes", "<d>"},      {"pthGnm", "<d>/g" + ext},      {"pthReads", "<d>/r" + ext},
                    {"rMinSz", "16"},      {"rMaxSz", "40"},               {"diReads", "<d>"},
                    {"experimentId", "x"}, {"pthList", "<d>/list.txt"},    {"immutSz", "20"},
                    {"mutTipSz", "5"},     {"misNu", "1"}};
    for (const auto& own : c.params)
      for (auto& entry : params)
        if (entry.first == own.first) entry.second = own.second;
    if (c.inTheWay != "p.txt") folder.params("p.txt", params);
    ASSERT_TRUE(c.inTheWay.empty() || mkdir(folder.path(c.inTheWay).c_str(), 0755) == 0) << c.what;
    ASSERT_TRUE(c.full.empty() || symlink("/dev/full", folder.path(c.full).c_str()) == 0) << c.what;
    const std::vector<std::string> before = folder.files();
    fExpect(fCallProcedure(name, folder.path("p.txt")), folder, c.expected, c.what);
    if (c.expected.status == RunStatus::kRefusedParameter) {
      EXPECT_EQ(folder.files(), before) << c.what;
    }
  }

  // Runs a task list of the given task lines; the caller stops it after `stopAfter` tasks (0: never).
  static Outcome fTaskList(const RunFolder& folder, const std::string& tasks, int stopAfter,
                           std::vector<Outcome>& seen) {
    folder.write("t.txt", "1\n2\n3\n4\n5\n6\nx\nsizes\n" + tasks);
    folder.params("p.txt", {{"diRes", "<d>"}, {"pthGnm", "<d>/g.txt"}, {"pthReads", "<d>/r.txt"},
                            {"pthTaskList", "<d>/t.txt"}});
    return fWithHeapLines([&] {
      return fRunTaskList(folder.path("p.txt"), [&](const Outcome& task, int index) {
        EXPECT_EQ(index, static_cast<int>(seen.size()));
        seen.push_back(task);
        return index + 1 != stopAfter;
      });
    });
  }
};

TEST_F(Outcomes, EachProcedureReportsACompletedRunWithTheCountsOfItsLog) {
  const std::string parted =
      kOneHit + circle::fStretch(10, 39) + "\n" + fReverseComplement(circle::fRotated(40, 8, 9)) + "\n";
  const RunStatus completed = RunStatus::kCompleted;
  const Case cases[] = {
      {"weights", "fMatchReadsT_VarSzO", kGenome, kReads, {completed, "",
       {"r[16-40]g_Log.txt", "r[16-40]g_Up1.txt", "r[16-40]g_Lw1.txt"},
       "input_reads=2 out_of_user_size_scope=0 processed=2 out_of_genome=1 into_genome=1 upper_strand_has=1 "
       "lower_strand_has=0", 2}},
      {"stretches", "fMapReadsOnToSeq", kGenome, kReads, {completed, "", {"r_In.bin", "r_In[16-40]g_Log.txt"},
       "input_reads=2 out_of_genome=1 into_genome=1 sum_length=37", 2}},
      {"once", "fMapReadsOneInSeq", kGenome, kReads,
       {completed, "", {"rMany.bin", "r[One]g_Log.txt", "r[One]g_Clust.txt"},
       "input_reads=2 out_of_genome=1 loc_once=1 loc_many=0 loc_many_sum_length=0", 2}},
      {"assembly", "fTestGenomeSborka", std::string(20, 'A'), fLines({std::string(16, 'A'), std::string(20, 'A')}),
       {completed, "", {"RepTest_g.txt", "RepTest_g_Log.txt"},
        "sqsize=20 remax=20 repnu/sqsize=1.000 rinput_multylocation_reads=2 noncorrect_assembly_reads=1", 2}},
      {"absent", "fReadsOutOfSeq", kGenome, kReads, {completed, "", {"r_Out.bin", "r_Outg_Log.txt"},
       "input_reads=2 reads_nout_of_genome=1", 2}},
      {"absent letters", "fGetReadsThatOutOfSeq", kGenome, kReads, {completed, "", {"r_Outg.txt", "r_Outg_Log.txt"},
       "input_reads=2 dfective=0 reads_out_of_genome=1", 2}},
      {"parted", kParted, kGenome, parted, {completed, "", {"r[16-40]g_PartedLog.txt", "r[16-40]g_Parted.txt"},
       "input_reads=3 processed=3 reads_on_upper_strand=1 reads_on_lower_strand=1", 3}},
      {"rating", kRating, kGenome, parted, {completed, "", {"_RatingLog.txt"}, "rated_positions=2", 3}},
      {"circular", kCircular, kGenome, kTwoCircularHits + circle::fStretch(60, 89) + "\nACGTNACGTACGTACGT\n",
       {completed, "", {"r_RCircular.txt"}, "reads_input=3 wirhin_scope_size=3 defective=1 in_genome=1 analized=1 "
        "circular_on_plus_strand=2 ncircular_on_minus_strand=0 circulars_in_total=2", 3}},
      {"RandExt", kRandExt, randext_test::kGenome, randext_test::kReads, {completed, "",
       {"x_20!5!1!.txt", "x_20!5!1!Log.txt"},
       "input=23 required_read_size=25 these_reads=18 defected=2 long_tracks=3 analyzed=16 fell_into_genome=15 "
       "in_upper=3 in_lower=2 on_both_strand=5 entropy_range=[0.0000,0.6931] entropy_mean=0.3932 "
       "entropy_sigma=0.3597 entropy_mean_plus_3sigma=1.4724", 23}},
      {"RandExt without a detected read", kRandExt, randext_test::kGenome, "TTTTTTTTTTTTTTTTTTTTTTTTG\n",
       {RunStatus::kNothingFound, "", {"x_20!5!1!.txt", "x_20!5!1!Log.txt"}}},
  };
  for (const Case& c : cases) fCheck(c);
}

TEST_F(Outcomes, EachFailureKindIsReported) {
  const std::string randExtGenome = randext_test::kGenome, randExtReads = randext_test::kReads;
  const std::string parted = "r[16-40]g_Parted.txt", partedLog = "r[16-40]g_PartedLog.txt";
  const std::vector<std::string> repeats = {"RepTest_g.txt", "RepTest_g_Log.txt"};
  const RunStatus refused = RunStatus::kRefusedParameter, missing = RunStatus::kInputMissing,
                  bad = RunStatus::kBadInput, failed = RunStatus::kOutputFailed;
  const Case cases[] = {
      {"a least size above the largest", "fMatchReadsT_VarSzO", kGenome, kReads, {refused, "rMinSz"},
       {{"rMinSz", "41"}}},
      {"a scope too wide to table", "fMatchReadsT_VarSzO", kGenome, kReads, {refused, "rMaxSz"},
       {{"rMinSz", "1"}, {"rMaxSz", "30000000"}}},
      {"a least size that is no number", kCircular, kGenome, kOneHit, {refused, "rMinSz"}, {{"rMinSz", "x8"}}},
      {"an aimed size below 12", kRandExt, randExtGenome, randExtReads, {refused, "immutSz"}, {{"immutSz", "5"}}},
      {"a tip of 16 letters", kRandExt, randExtGenome, randExtReads, {refused, "mutTipSz"}, {{"mutTipSz", "16"}}},
      {"mismatches that are no number", kRandExt, randExtGenome, randExtReads, {refused, "misNu"}, {{"misNu", "x"}}},
      {"no reads file", "fMatchReadsT_VarSzO", kGenome, kNoFile, {missing, "r.bin"}},
      {"no reads file", "fMapReadsOnToSeq", kGenome, kNoFile, {missing, "r.bin"}},
      {"no reads file", "fMapReadsOneInSeq", kGenome, kNoFile, {missing, "r.bin"}},
      {"no reads file after the repeats", "fTestGenomeSborka", kGenome, kNoFile, {missing, "r.bin", repeats}},
      {"no reads file", kParted, kGenome, kNoFile, {missing, "r.bin"}},
      {"a listed reads file missing", kRating, kGenome, kNoFile, {missing, "r.bin"}},
      {"no reads file", kCircular, kGenome, kNoFile, {missing, "r.txt"}},
      {"no reads file", kRandExt, randExtGenome, kNoFile, {missing, "r.txt"}},
      {"no genome file", "fReadsOutOfSeq", kNoFile, kReads, {missing, "g.bin"}},
      {"no genome file", kParted, kNoFile, kOneHit, {missing, "g.bin"}},
      {"no genome file", kCircular, kNoFile, kOneHit, {missing, "g.txt"}},
      {"an empty genome", kRandExt, "", randExtReads, {missing, "g.txt"}},
      {"a directory for a genome", "fGetReadsThatOutOfSeq", kGenome, kReads, {missing, "g.txt"}, {}, "g.txt"},
      {"no list of reads files", kRating, kGenome, kOneHit, {missing, "list.txt"}, {}, "list.txt"},
      {"no parameter file", kCircular, kGenome, kOneHit, {missing, "p.txt"}, {}, "p.txt"},
      {"a genome byte that is no base", "fGetReadsThatOutOfSeq", kGenome + "N", kReads, {bad, "g.txt"}},
      {"a genome code that is no base", "fReadsOutOfSeq", kGenome + "N", kReads, {bad, "g.bin"}},
      {"a genome code that is no base", kParted, kGenome + "N", kOneHit, {bad, "g.bin"}},
      {"a genome letter that is no base", kCircular, kGenome + "\n", kOneHit, {bad, "g.txt"}},
      {"a genome letter that is no base", kRandExt, "GGNTCACAGTCTACAC", randExtReads, {bad, "g.txt"}},
      {"a genome too short for the repeat pass", "fTestGenomeSborka", "ACG", kReads, {bad, "g.bin", repeats}},
      {"no genome to test", "fTestGenomeSborka", kNoFile, kReads, {RunStatus::kNoMemory, "", repeats}},
      {"a result that can't be created", "fReadsOutOfSeq", kGenome, kReads, {failed, "r_Out.bin"}, {}, "r_Out.bin"},
      {"the kept stretches that can't be created: no log either", "fMapReadsOnToSeq", kGenome, kReads,
       {failed, "r_In.bin"}, {}, "r_In.bin"},
      {"the log that can't be created", "fMapReadsOnToSeq", kGenome, kReads,
       {failed, "r_In[16-40]g_Log.txt", {"r_In.bin"}}, {}, "r_In[16-40]g_Log.txt"},
      {"one table that can't be created: the others are written", "fMatchReadsT_VarSzO", kGenome, kReads,
       {failed, "r[16-40]g_Up1.txt", {"r[16-40]g_Log.txt", "r[16-40]g_Lw1.txt"}}, {}, "r[16-40]g_Up1.txt"},
      {"a full disk", "fMapReadsOneInSeq", kGenome, fLines({kGenome.substr(0, 20), kGenome.substr(0, 20)}),
       {failed, "r[One]g_Log.txt", {"rMany.bin", "r[One]g_Clust.txt"}}, {}, "", "r[One]g_Log.txt"},
      {"a full disk", "fGetReadsThatOutOfSeq", kGenome, kReads, {failed, "r_Outg.txt", {"r_Outg_Log.txt"}}, {}, "",
       "r_Outg.txt"},
      {"the log that can't be created: the table is still written", kParted, kGenome, kOneHit,
       {failed, partedLog, {parted}}, {}, partedLog},
      {"a full disk under the table", kParted, kGenome, kOneHit, {failed, parted, {partedLog}}, {}, "", parted},
      {"a full disk under the log", kRating, kGenome, kOneHit, {failed, "_RatingLog.txt"}, {}, "", "_RatingLog.txt"},
      {"a result that can't be created", kCircular, kGenome, kOneHit, {failed, "r_RCircular.txt"}, {},
       "r_RCircular.txt"},
      {"a scratch file that can't be created", kCircular, kGenome, kOneHit, {failed, "CycledLw.tmp"}, {},
       "CycledLw.tmp"},
      {"a full disk under a scratch file", kCircular, kGenome, kTwoCircularHits, {failed, "CycledUp.tmp"}, {}, "",
       "CycledUp.tmp"},
      {"a table name taken by a folder", kRandExt, randExtGenome, randExtReads, {failed, "x_20!5!1!.txt"}, {},
       "x_20!5!1!.txt"},
      {"a full disk under the table", kRandExt, randExtGenome, randExtReads, {failed, "x_20!5!1!.txt"}, {}, "",
       "x_20!5!1!.txt"},
      {"a result directory that is not there fails at the first hit file", kRandExt, randExtGenome, randExtReads,
       {failed, "nowhere/Rna_fiUp.tmp"}, {{"diRes", "<d>/nowhere"}}},
  };
  for (const Case& c : cases) fCheck(c);
}

// Out-of-scope lines between the hits: only in-scope reads are searched, and
// the reads taken ahead of the one that stops are not counted as read.
TEST_F(Outcomes, TheHitLimitStopsReadingAfterTheReadThatTakesTheUpperCountAboveIt) {
  std::string parted, circular;
  for (int i = 0; i < 10003; ++i) parted += kOneHit + "ACGT\n";
  for (int i = 0; i < 5005; ++i) circular += kTwoCircularHits + "ACGT\n";
  auto partedRun = [&](RunStatus status, int input, int hits) -> Case {
    const std::string n = std::to_string(hits);
    return {"parted", kParted, kGenome, parted, {status, "", {"r[16-40]g_PartedLog.txt", "r[16-40]g_Parted.txt"},
            "input_reads=" + std::to_string(input) + " processed=" + n + " reads_on_upper_strand=" + n +
            " reads_on_lower_strand=0", input}};
  };
  auto circularRun = [&](RunStatus status, int input, int searched) -> Case {
    const std::string n = std::to_string(searched), hits = std::to_string(2 * searched);
    return {"circular", kCircular, kGenome, circular, {status, "", {"r_RCircular.txt"},
            "reads_input=" + std::to_string(input) + " wirhin_scope_size=" + n + " defective=0 in_genome=0 analized=" +
            n + " circular_on_plus_strand=" + hits + " ncircular_on_minus_strand=0 circulars_in_total=" + hits, input}};
  };
  const RunStatus stopped = RunStatus::kStoppedAtHitLimit, completed = RunStatus::kCompleted;
  const std::pair<int32_t, Case> cases[] = {
      {kDefaultHitStopLimit, partedRun(stopped, 19991, 9996)}, {3, partedRun(stopped, 7, 4)},
      {0, partedRun(completed, 20006, 10003)},                 {kDefaultHitStopLimit, circularRun(stopped, 9995, 4998)},
      {3, circularRun(stopped, 3, 2)},                         {0, circularRun(completed, 10010, 5005)},
  };
  for (const auto& c : cases) {
    HitStopLimit = c.first;
    fCheck(c.second);
  }
}

#if VANTRELS_ADDRESS_LIMIT
TEST_F(Outcomes, TablesThatCantBeHadAreReportedAsNoMemory) {
  {
    // Tables of 3 x 8 GB within 1 GiB more than the process uses.
    AddressSpaceLimit limit(size_t{1} << 30);
    ASSERT_TRUE(limit.held());
    fCheck({"tables", "fMatchReadsT_VarSzO", kGenome, kReads, {RunStatus::kNoMemory, ""},
            {{"rMinSz", "1"}, {"rMaxSz", "20000000"}}});
  }
  // The 64 MiB root tables of the indexes within 32 MiB more.
  AddressSpaceLimit limit(size_t{32} << 20);
  ASSERT_TRUE(limit.held());
  for (const char* procedure : {kParted, kRating, kCircular})
    fCheck({procedure, procedure, kGenome, kOneHit, {RunStatus::kNoMemory, ""}});
  fCheck({kRandExt, kRandExt, randext_test::kGenome, randext_test::kReads, {RunStatus::kNoMemory, ""}});
}
#endif

TEST_F(Outcomes, TaskListsReportEachTaskAndTheFirstThatEndsTheList) {
  struct ListCase {
    std::string what, tasks;
    int stopAfter;  // the caller stops the list after this many tasks; 0 never
    RunStatus status;
    std::string file;
    std::vector<RunStatus> taskStatus;
    std::vector<std::string> written;
  } cases[] = {
      {"every task completes", "20\t5\t1\n\n20\t5\t4\n", 0, RunStatus::kCompleted, "",
       {RunStatus::kCompleted, RunStatus::kCompleted},
       {"x_20!5!1!.txt", "x_20!5!1!Log.txt", "x_20!5!4!.txt", "x_20!5!4!Log.txt"}},
      {"no detected reads stops the list", "20\t5\t1\n22\t3\t5\n20\t5\t4\n", 0, RunStatus::kNothingFound, "",
       {RunStatus::kCompleted, RunStatus::kNothingFound},
       {"x_20!5!1!.txt", "x_20!5!1!Log.txt", "x_22!3!5!.txt", "x_22!3!5!Log.txt"}},
      {"the caller stops the list", "20\t5\t1\n20\t5\t4\n", 1, RunStatus::kCompleted, "", {RunStatus::kCompleted},
       {"x_20!5!1!.txt", "x_20!5!1!Log.txt"}},
      {"a broken task line", "20\t5\t1\n20 5 1\n", 0, RunStatus::kRefusedParameter, "20 5 1",
       {RunStatus::kCompleted, RunStatus::kRefusedParameter}, {"x_20!5!1!.txt", "x_20!5!1!Log.txt"}},
      {"a field without a number", "20\t\t1\n", 0, RunStatus::kRefusedParameter, "mutTipSz",
       {RunStatus::kRefusedParameter}, {}},
  };
  for (const ListCase& c : cases) {
    RunFolder folder;
    folder.write("g.txt", randext_test::kGenome);
    folder.write("r.txt", randext_test::kReads);
    std::vector<Outcome> seen;
    fExpect(fTaskList(folder, c.tasks, c.stopAfter, seen), folder, {c.status, c.file, c.written}, c.what);
    ASSERT_EQ(seen.size(), c.taskStatus.size()) << c.what;
    for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i].status, c.taskStatus[i]) << c.what << i;
    // A task's own outcome: its two files and the counts of its log.
    if (c.stopAfter == 0 && c.status == RunStatus::kCompleted) {
      fExpect(seen[1], folder, {RunStatus::kCompleted, "", {"x_20!5!4!.txt", "x_20!5!4!Log.txt"}, {}, 23}, c.what);
      EXPECT_EQ(seen[1].counts.at(6), std::make_pair(std::string("fell_into_genome"), std::string("14")));
    }
  }
  // Lists that stop before their tasks.
  RunFolder folder;
  folder.write("g.txt", "GGNTCACAGTCTACAC");
  folder.write("r.txt", randext_test::kReads);
  std::vector<Outcome> seen;
  fExpect(fTaskList(folder, "20\t5\t1\n", 0, seen), folder, {RunStatus::kBadInput, "g.txt"}, "genome byte N");
  folder.write("t.txt", "1\n2\n3\n");
  fExpect(fWithHeapLines([&] { return fRunTaskList(folder.path("p.txt"), nullptr); }), folder,
          {RunStatus::kRefusedParameter, folder.path("t.txt")}, "a short list");
  fExpect(fWithHeapLines([&] { return fRunTaskList(folder.path("missing.txt"), nullptr); }), folder,
          {RunStatus::kInputMissing, "missing.txt"}, "no parameter file");
}

}  // namespace
