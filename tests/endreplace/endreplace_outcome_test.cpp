// What the end-replacement procedures tell their caller: how the run ended,
// the file or parameter at fault, the results written whole and the counts.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "endreplace/endreplace.h"
#include "endreplace/randext_support.h"
#include "support/address_limit.h"
#include "support/direct_run.h"

namespace {
using namespace randext_test;

const std::vector<std::string> kResults = {"x_20!5!1!.txt", "x_20!5!1!Log.txt"};

struct Case {
  const char* what;
  std::string genome, reads;  // "" for no reads file
  const char *immutSz, *mutTipSz, *misNu, *diRes;
  const char* inTheWay;  // a directory of this name in the result folder
  const char* full;      // a link of this name to a full disk
  ExpectedOutcome expected;
};

class EndReplaceOutcome : public DirectRun {
 protected:
  void fCheckCase(const Case& c) {
    RunFolder folder;
    folder.write("g.txt", c.genome);
    if (!c.reads.empty()) folder.write("r.txt", c.reads);
    folder.params("p.txt", {{"diRes", c.diRes}, {"pthGnm", "<d>/g.txt"}, {"pthReads", "<d>/r.txt"},
                            {"experimentId", "x"}, {"immutSz", c.immutSz}, {"mutTipSz", c.mutTipSz},
                            {"misNu", c.misNu}});
    fCheck("RandExt", folder, c.expected, c.what, c.inTheWay, c.full);
  }

  // Runs a list of the given task lines; the caller stops it after `stopAfter` tasks (0: never).
  Outcome fTaskList(const RunFolder& folder, const std::string& tasks, int stopAfter, std::vector<Outcome>& seen) {
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

TEST_F(EndReplaceOutcome, RandExtReportsEachWayARunEnds) {
  const Case cases[] = {
      {"completed, with the counts of its log", kGenome, kReads, "20", "5", "1", "<d>", "", "",
       {RunStatus::kCompleted, "", kResults,
        {{"input", "23"}, {"required_read_size", "25"}, {"these_reads", "18"}, {"defected", "2"},
         {"long_tracks", "3"}, {"analyzed", "16"}, {"fell_into_genome", "15"}, {"in_upper", "3"},
         {"in_lower", "2"}, {"on_both_strand", "5"}, {"entropy_range", "[0.0000,0.6931]"},
         {"entropy_mean", "0.3932"}, {"entropy_sigma", "0.3597"}, {"entropy_mean_plus_3sigma", "1.4724"}},
        23}},
      {"no detected reads", kGenome, "TTTTTTTTTTTTTTTTTTTTTTTTG\n", "20", "5", "1", "<d>", "", "",
       {RunStatus::kNothingFound, "", kResults}},
      {"aimed size below 12", kGenome, kReads, "5", "5", "1", "<d>", "", "", {RunStatus::kRefusedParameter, "immutSz"}},
      {"tip of 16 letters", kGenome, kReads, "20", "16", "1", "<d>", "", "", {RunStatus::kRefusedParameter, "mutTipSz"}},
      {"no number", kGenome, kReads, "20", "5", "x", "<d>", "", "", {RunStatus::kRefusedParameter, "misNu"}},
      {"empty genome", "", kReads, "20", "5", "1", "<d>", "", "", {RunStatus::kInputMissing, "g.txt"}},
      {"missing reads", kGenome, "", "20", "5", "1", "<d>", "", "", {RunStatus::kInputMissing, "r.txt"}},
      {"genome byte N", "GGNTCACAGTCTACAC", kReads, "20", "5", "1", "<d>", "", "", {RunStatus::kBadInput, "g.txt"}},
      {"table name taken by a folder", kGenome, kReads, "20", "5", "1", "<d>", "x_20!5!1!.txt", "",
       {RunStatus::kOutputFailed, "x_20!5!1!.txt"}},
      {"a full disk under the table", kGenome, kReads, "20", "5", "1", "<d>", "", "x_20!5!1!.txt",
       {RunStatus::kOutputFailed, "x_20!5!1!.txt"}},
      {"a result directory that is not there fails at the first hit file", kGenome, kReads, "20", "5", "1",
       "<d>/nowhere", "", "", {RunStatus::kOutputFailed, "nowhere/Rna_fiUp.tmp"}},
  };
  for (const Case& c : cases) fCheckCase(c);
}

#if VANTRELS_ADDRESS_LIMIT
// Room for the texts but not for the 64 MiB root tables of the index.
TEST_F(EndReplaceOutcome, AnIndexThatCantBeHadIsReportedAsNoMemory) {
  AddressSpaceLimit limit(size_t{32} << 20);
  ASSERT_TRUE(limit.held());
  fCheckCase({"no memory", kGenome, kReads, "20", "5", "1", "<d>", "", "", {RunStatus::kNoMemory, ""}});
}
#endif

TEST_F(EndReplaceOutcome, TaskListsReportEachTaskAndTheFirstThatEndsTheList) {
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
      {"the caller stops the list", "20\t5\t1\n20\t5\t4\n", 1, RunStatus::kCompleted, "",
       {RunStatus::kCompleted}, {"x_20!5!1!.txt", "x_20!5!1!Log.txt"}},
      {"a broken task line", "20\t5\t1\n20 5 1\n", 0, RunStatus::kRefusedParameter, "20 5 1",
       {RunStatus::kCompleted, RunStatus::kRefusedParameter}, {"x_20!5!1!.txt", "x_20!5!1!Log.txt"}},
      {"a field without a number", "20\t\t1\n", 0, RunStatus::kRefusedParameter, "mutTipSz",
       {RunStatus::kRefusedParameter}, {}},
  };
  for (const ListCase& c : cases) {
    RunFolder folder;
    folder.write("g.txt", kGenome);
    folder.write("r.txt", kReads);
    std::vector<Outcome> seen;
    Outcome list = fTaskList(folder, c.tasks, c.stopAfter, seen);
    fExpectOutcome(list, folder, {c.status, c.file, c.written}, c.what);
    ASSERT_EQ(seen.size(), c.taskStatus.size()) << c.what;
    for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i].status, c.taskStatus[i]) << c.what << i;
    // A task's own outcome: its two files and the counts of its log.
    if (c.stopAfter == 0 && c.status == RunStatus::kCompleted) {
      fExpectOutcome(seen[1], folder, {RunStatus::kCompleted, "", {"x_20!5!4!.txt", "x_20!5!4!Log.txt"}, {}, 23},
                     c.what);
      EXPECT_EQ(seen[1].counts.at(6), std::make_pair(std::string("fell_into_genome"), std::string("14")));
    }
  }
}

TEST_F(EndReplaceOutcome, TaskListsThatStopBeforeTheirTasks) {
  RunFolder folder;
  folder.write("g.txt", "GGNTCACAGTCTACAC");
  folder.write("r.txt", kReads);
  std::vector<Outcome> seen;
  fExpectOutcome(fTaskList(folder, "20\t5\t1\n", 0, seen), folder, {RunStatus::kBadInput, "g.txt"}, "genome byte N");
  folder.write("t.txt", "1\n2\n3\n");
  fExpectOutcome(fWithHeapLines([&] { return fRunTaskList(folder.path("p.txt"), nullptr); }), folder,
                 {RunStatus::kRefusedParameter, folder.path("t.txt")}, "a short list");
  fExpectOutcome(fWithHeapLines([&] { return fRunTaskList(folder.path("missing.txt"), nullptr); }), folder,
                 {RunStatus::kInputMissing, "missing.txt"}, "no parameter file");
}

}  // namespace
