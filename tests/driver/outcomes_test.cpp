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

const char kVarSzO[] = "fMatchReadsT_VarSzO", kOnTo[] = "fMapReadsOnToSeq", kOnce[] = "fMapReadsOneInSeq",
           kSborka[] = "fTestGenomeSborka", kOut[] = "fReadsOutOfSeq", kOutLetters[] = "fGetReadsThatOutOfSeq",
           kParted[] = "fMatchReadsT_VarSzParted", kRating[] = "fMatchReadsT_VarSzPartedRate",
           kCircular[] = "fIdentifyCircularRna", kRandExt[] = "RandExt";
const std::optional<std::string> kNoFile;
// A 96-base genome whose 8-mers occur once on either strand; a read from it and one found nowhere.
const std::string kGenome = circle::kGenome;
const std::string kReads = fLines({kGenome.substr(10, 40), fRandomLetters(40, 52)});
const std::string kOneHit = circle::fRotated(1, 4, 0) + "\n";            // one upper-strand parted hit
const std::string kTwoCircularHits = circle::fRotated(20, 14, 8) + "\n";  // from the head and the end seed
const std::string kRxGenome = randext_test::kGenome, kRxReads = randext_test::kReads;

// `file`: a name in the run's folder, or a refused parameter's key; `written` in
// the order closed; `counts` ("key=value ...") checked when not empty, `readsRead` when not negative.
struct Expected {
  RunStatus status;
  std::string file;
  std::vector<std::string> written = {};
  std::string counts = "";
  int64_t readsRead = -1;
};

// `genome` and `reads` are letters, written as codes for the procedures that
// read codes; `params` replace the defaults of the same keys; `inTheWay` names
// a directory where a file of the run would be, `full` a link to a full disk.
struct Case {
  const char* procedure;
  std::optional<std::string> genome, reads;
  Expected expected;
  Files params = {};
  std::string inTheWay = "", full = "";
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
  if (name == kOut) return fReadsOutOfSeq(dir, reads, genome);
  if (name == kOutLetters) return fGetReadsThatOutOfSeq(dir, reads, genome);
  if (name == kParted) return fMatchReadsT_VarSzParted(dir, reads, genome, 0);
  if (name == kRating) return fMatchReadsT_VarSzPartedRate(dir, params["diReads"] + "/", genome, 0, params["pthList"]);
  int32_t length = 0;
  fLoadCodedGenome(genome, false, MaxReadSize < MaxLineLength ? MaxReadSize : MaxLineLength, 0, length);
  Outcome outcome = fFailure(RunStatus::kRefusedParameter, "no procedure " + name);
  if (name == kVarSzO) outcome = fMatchReadsT_VarSzO(dir, reads, genome, length);
  if (name == kOnTo) outcome = fMapReadsOnToSeq(dir, reads, genome, length);
  if (name == kOnce) outcome = fMapReadsOneInSeq(dir, reads, genome, length);
  if (name == kSborka) outcome = fTestGenomeSborka(dir, reads, genome, length);
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
    if (!expected.counts.empty()) { EXPECT_EQ(counts, expected.counts) << what; }
    if (expected.readsRead >= 0) { EXPECT_EQ(outcome.readsRead, expected.readsRead) << what; }
  }
  // Letters in g.txt and r.txt for the procedures that read letters, codes in
  // g.bin and r.bin for the others; a rating list naming the reads; a refused
  // parameter leaves the folder as it was.
  static void fCheck(const Case& c) {
    RunFolder folder;
    const std::string name = c.procedure, what = name + " " + c.expected.file + " " + c.inTheWay + c.full;
    const bool letters = name == kOutLetters || name == kCircular || name == kRandExt;
    const std::string ext = letters ? ".txt" : ".bin";
    auto put = [&](const std::string& file, const std::optional<std::string>& bytes) {
      if (bytes && file != c.inTheWay) folder.write(file, letters ? *bytes : fCodes(*bytes));
    };
    put("g" + ext, c.genome);
    put("r" + ext, c.reads);
    if (c.inTheWay != "list.txt") folder.write("list.txt", "r" + ext + "\n");
    Files params = {{"diRes", "<d>"}, {"pthGnm", "<d>/g" + ext}, {"pthReads", "<d>/r" + ext}, {"rMinSz", "16"},
                    {"rMaxSz", "40"}, {"diReads", "<d>"}, {"experimentId", "x"}, {"pthList", "<d>/list.txt"},
                    {"immutSz", "20"}, {"mutTipSz", "5"}, {"misNu", "1"}};
    for (const auto& own : c.params)
      for (auto& entry : params)
        if (entry.first == own.first) entry.second = own.second;
    if (c.inTheWay != "p.txt") folder.params("p.txt", params);
    ASSERT_TRUE(c.inTheWay.empty() || mkdir(folder.path(c.inTheWay).c_str(), 0755) == 0) << what;
    ASSERT_TRUE(c.full.empty() || symlink("/dev/full", folder.path(c.full).c_str()) == 0) << what;
    const std::vector<std::string> before = folder.files();
    fExpect(fCallProcedure(name, folder.path("p.txt")), folder, c.expected, what);
    if (c.expected.status == RunStatus::kRefusedParameter) { EXPECT_EQ(folder.files(), before) << what; }
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
  const RunStatus ok = RunStatus::kCompleted;
  const Case cases[] = {
      {kVarSzO, kGenome, kReads, {ok, "", {"r[16-40]g_Log.txt", "r[16-40]g_Up1.txt", "r[16-40]g_Lw1.txt"},
       "input_reads=2 out_of_user_size_scope=0 processed=2 out_of_genome=1 into_genome=1 upper_strand_has=1 "
       "lower_strand_has=0", 2}},
      {kOnTo, kGenome, kReads, {ok, "", {"r_In.bin", "r_In[16-40]g_Log.txt"},
       "input_reads=2 out_of_genome=1 into_genome=1 sum_length=37", 2}},
      {kOnce, kGenome, kReads, {ok, "", {"rMany.bin", "r[One]g_Log.txt", "r[One]g_Clust.txt"},
       "input_reads=2 out_of_genome=1 loc_once=1 loc_many=0 loc_many_sum_length=0", 2}},
      // fTestGenomeSborka's counts are checked with its standard outputs.
      {kOut, kGenome, kReads, {ok, "", {"r_Out.bin", "r_Outg_Log.txt"}, "input_reads=2 reads_nout_of_genome=1", 2}},
      {kOutLetters, kGenome, kReads, {ok, "", {"r_Outg.txt", "r_Outg_Log.txt"},
       "input_reads=2 dfective=0 reads_out_of_genome=1", 2}},
      {kParted, kGenome, parted, {ok, "", {"r[16-40]g_PartedLog.txt", "r[16-40]g_Parted.txt"},
       "input_reads=3 processed=3 reads_on_upper_strand=1 reads_on_lower_strand=1", 3}},
      {kRating, kGenome, parted, {ok, "", {"_RatingLog.txt"}, "rated_positions=2", 3}},
      {kCircular, kGenome, kTwoCircularHits + circle::fStretch(60, 89) + "\nACGTNACGTACGTACGT\n",
       {ok, "", {"r_RCircular.txt"}, "reads_input=3 wirhin_scope_size=3 defective=1 in_genome=1 analized=1 "
        "circular_on_plus_strand=2 ncircular_on_minus_strand=0 circulars_in_total=2", 3}},
      {kRandExt, kRxGenome, kRxReads, {ok, "", {"x_20!5!1!.txt", "x_20!5!1!Log.txt"},
       "input=23 required_read_size=25 these_reads=18 defected=2 long_tracks=3 analyzed=16 fell_into_genome=15 "
       "in_upper=3 in_lower=2 on_both_strand=5 entropy_range=[0.0000,0.6931] entropy_mean=0.3932 "
       "entropy_sigma=0.3597 entropy_mean_plus_3sigma=1.4724", 23}},
      {kRandExt, kRxGenome, "TTTTTTTTTTTTTTTTTTTTTTTTG\n",
       {RunStatus::kNothingFound, "", {"x_20!5!1!.txt", "x_20!5!1!Log.txt"}}},
  };
  for (const Case& c : cases) fCheck(c);
}

TEST_F(Outcomes, EachFailureKindIsReported) {
  const std::string parted = "r[16-40]g_Parted.txt", partedLog = "r[16-40]g_PartedLog.txt";
  const std::string onToLog = "r_In[16-40]g_Log.txt", up = "r[16-40]g_Up1.txt", table = "x_20!5!1!.txt";
  const std::vector<std::string> repeats = {"RepTest_g.txt", "RepTest_g_Log.txt"};
  const RunStatus refused = RunStatus::kRefusedParameter, missing = RunStatus::kInputMissing,
                  bad = RunStatus::kBadInput, failed = RunStatus::kOutputFailed;
  const Case cases[] = {
      {kVarSzO, kGenome, kReads, {refused, "rMinSz"}, {{"rMinSz", "41"}}},  // least size above the largest
      {kVarSzO, kGenome, kReads, {refused, "rMaxSz"}, {{"rMinSz", "1"}, {"rMaxSz", "30000000"}}},  // too wide to table
      {kCircular, kGenome, kOneHit, {refused, "rMinSz"}, {{"rMinSz", "x8"}}},
      {kRandExt, kRxGenome, kRxReads, {refused, "immutSz"}, {{"immutSz", "5"}}},  // an aimed size below 12
      {kRandExt, kRxGenome, kRxReads, {refused, "mutTipSz"}, {{"mutTipSz", "16"}}},
      {kRandExt, kRxGenome, kRxReads, {refused, "immutSz"}, {{"immutSz", "-1"}, {"mutTipSz", "15"}}},
      {kRandExt, kRxGenome, kRxReads, {refused, "immutSz"}, {{"immutSz", "5200"}}},  // an aimed size above 5119
      {kRandExt, kRxGenome, kRxReads, {refused, "misNu"}, {{"misNu", "x"}}},
      {kVarSzO, kGenome, kNoFile, {missing, "r.bin"}},
      {kSborka, kGenome, kNoFile, {missing, "r.bin", repeats}},  // after the repeats are written
      {kRating, kGenome, kNoFile, {missing, "r.bin"}},           // a listed reads file
      {kRandExt, kRxGenome, kNoFile, {missing, "r.txt"}},
      {kOut, kNoFile, kReads, {missing, "g.bin"}},
      {kCircular, kNoFile, kOneHit, {missing, "g.txt"}},
      {kRandExt, "", kRxReads, {missing, "g.txt"}},
      {kOutLetters, kGenome, kReads, {missing, "g.txt"}, {}, "g.txt"},
      {kRating, kGenome, kOneHit, {missing, "list.txt"}, {}, "list.txt"},
      {kCircular, kGenome, kOneHit, {missing, "p.txt"}, {}, "p.txt"},
      {kOutLetters, kGenome + "N", kReads, {bad, "g.txt"}},
      {kOut, kGenome + "N", kReads, {bad, "g.bin"}},
      {kCircular, kGenome + "\n", kOneHit, {bad, "g.txt"}},
      {kRandExt, "GGNTCACAGTCTACAC", kRxReads, {bad, "g.txt"}},
      {kSborka, "ACG", kReads, {bad, "g.bin", repeats}},  // too short for the repeat pass
      {kSborka, kNoFile, kReads, {RunStatus::kNoMemory, "", repeats}},  // no genome to test
      {kOut, kGenome, kReads, {failed, "r_Out.bin"}, {}, "r_Out.bin"},
      {kOnTo, kGenome, kReads, {failed, "r_In.bin"}, {}, "r_In.bin"},  // the kept stretches: no log either
      {kOnTo, kGenome, kReads, {failed, onToLog, {"r_In.bin"}}, {}, onToLog},
      {kVarSzO, kGenome, kReads, {failed, up, {"r[16-40]g_Log.txt", "r[16-40]g_Lw1.txt"}}, {}, up},  // others written
      {kOnce, kGenome, fLines({kGenome.substr(0, 20), kGenome.substr(0, 20)}),
       {failed, "r[One]g_Log.txt", {"rMany.bin", "r[One]g_Clust.txt"}}, {}, "", "r[One]g_Log.txt"},
      {kOutLetters, kGenome, kReads, {failed, "r_Outg.txt", {"r_Outg_Log.txt"}}, {}, "", "r_Outg.txt"},
      {kParted, kGenome, kOneHit, {failed, partedLog, {parted}}, {}, partedLog},  // the table is still written
      {kParted, kGenome, kOneHit, {failed, parted, {partedLog}}, {}, "", parted},
      {kRating, kGenome, kOneHit, {failed, "_RatingLog.txt"}, {}, "", "_RatingLog.txt"},
      {kCircular, kGenome, kOneHit, {failed, "r_RCircular.txt"}, {}, "r_RCircular.txt"},
      {kCircular, kGenome, kOneHit, {failed, "CycledLw.tmp"}, {}, "CycledLw.tmp"},
      {kCircular, kGenome, kTwoCircularHits, {failed, "CycledUp.tmp"}, {}, "", "CycledUp.tmp"},
      {kRandExt, kRxGenome, kRxReads, {failed, table}, {}, table},
      // A result directory that is not there fails at the first hit file.
      {kRandExt, kRxGenome, kRxReads, {failed, "nowhere/Rna_fiUp.tmp"}, {{"diRes", "<d>/nowhere"}}},
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
    return {kParted, kGenome, parted, {status, "", {"r[16-40]g_PartedLog.txt", "r[16-40]g_Parted.txt"},
            "input_reads=" + std::to_string(input) + " processed=" + n + " reads_on_upper_strand=" + n +
            " reads_on_lower_strand=0", input}};
  };
  auto circularRun = [&](RunStatus status, int input, int searched) -> Case {
    const std::string n = std::to_string(searched), hits = std::to_string(2 * searched);
    return {kCircular, kGenome, circular, {status, "", {"r_RCircular.txt"},
            "reads_input=" + std::to_string(input) + " wirhin_scope_size=" + n + " defective=0 in_genome=0 analized=" +
            n + " circular_on_plus_strand=" + hits + " ncircular_on_minus_strand=0 circulars_in_total=" + hits, input}};
  };
  const RunStatus stopped = RunStatus::kStoppedAtHitLimit, completed = RunStatus::kCompleted;
  const std::pair<int32_t, Case> cases[] = {
      {kDefaultHitStopLimit, partedRun(stopped, 19991, 9996)}, {0, partedRun(completed, 20006, 10003)},
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
    fCheck({kVarSzO, kGenome, kReads, {RunStatus::kNoMemory, ""}, {{"rMinSz", "1"}, {"rMaxSz", "20000000"}}});
  }
  // The 64 MiB root tables of the indexes within 32 MiB more.
  AddressSpaceLimit limit(size_t{32} << 20);
  ASSERT_TRUE(limit.held());
  for (const char* procedure : {kParted, kRating, kCircular})
    fCheck({procedure, kGenome, kOneHit, {RunStatus::kNoMemory, ""}});
  fCheck({kRandExt, kRxGenome, kRxReads, {RunStatus::kNoMemory, ""}});
}
#endif

TEST_F(Outcomes, TaskListsReportEachTaskAndTheFirstThatEndsTheList) {
  const RunStatus ok = RunStatus::kCompleted, refused = RunStatus::kRefusedParameter;
  const std::string one = "x_20!5!1!", four = "x_20!5!4!";
  // `stopAfter`: the caller stops the list after this many tasks; 0 never.
  struct ListCase { std::string tasks; int stopAfter; RunStatus status; std::string file;
                   std::vector<RunStatus> taskStatus; std::vector<std::string> written; } cases[] = {
      {"20\t5\t1\n\n20\t5\t4\n", 0, ok, "", {ok, ok}, {one + ".txt", one + "Log.txt", four + ".txt", four + "Log.txt"}},
      {"20\t5\t1\n22\t3\t5\n20\t5\t4\n", 0, RunStatus::kNothingFound, "",  // no detected reads stops the list
       {ok, RunStatus::kNothingFound}, {one + ".txt", one + "Log.txt", "x_22!3!5!.txt", "x_22!3!5!Log.txt"}},
      {"20\t5\t1\n20\t5\t4\n", 1, ok, "", {ok}, {one + ".txt", one + "Log.txt"}},
      {"20\t5\t1\n20 5 1\n", 0, refused, "20 5 1", {ok, refused}, {one + ".txt", one + "Log.txt"}},
      {"20\t\t1\n", 0, refused, "mutTipSz", {refused}, {}},
  };
  for (const ListCase& c : cases) {
    RunFolder folder;
    folder.write("g.txt", kRxGenome);
    folder.write("r.txt", kRxReads);
    std::vector<Outcome> seen;
    fExpect(fTaskList(folder, c.tasks, c.stopAfter, seen), folder, {c.status, c.file, c.written}, c.tasks);
    ASSERT_EQ(seen.size(), c.taskStatus.size()) << c.tasks;
    for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i].status, c.taskStatus[i]) << c.tasks << i;
    // A task's own outcome: its two files and the counts of its log.
    if (c.stopAfter == 0 && c.status == ok) {
      fExpect(seen[1], folder, {ok, "", {four + ".txt", four + "Log.txt"}, {}, 23}, c.tasks);
      EXPECT_EQ(seen[1].counts.at(6), std::make_pair(std::string("fell_into_genome"), std::string("14")));
    }
  }
  // Lists that stop before their tasks.
  RunFolder folder;
  folder.write("g.txt", "GGNTCACAGTCTACAC");
  folder.write("r.txt", kRxReads);
  std::vector<Outcome> seen;
  fExpect(fTaskList(folder, "20\t5\t1\n", 0, seen), folder, {RunStatus::kBadInput, "g.txt"}, "genome byte N");
  folder.write("t.txt", "1\n2\n3\n");
  fExpect(fWithHeapLines([&] { return fRunTaskList(folder.path("p.txt"), nullptr); }), folder,
          {refused, folder.path("t.txt")}, "a short list");
  fExpect(fWithHeapLines([&] { return fRunTaskList(folder.path("missing.txt"), nullptr); }), folder,
          {RunStatus::kInputMissing, "missing.txt"}, "no parameter file");
}

}  // namespace
