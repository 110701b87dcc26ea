// What the end-replacement procedures tell their caller: run in the process
// with the console off, as the command line runs them.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/console.h"
#include "driver/run_state.h"
#include "endreplace/endreplace.h"
#include "endreplace/randext_support.h"
#include "support/run_folder.h"

namespace {
using namespace randext_test;

class EndReplaceOutcome : public ::testing::Test {
 protected:
  void SetUp() override {
    ConsoleOn = false;
    fInitCodingTables();
    MaxLineLength = kLineBufferSize;
  }
  void TearDown() override {
    fFreeLines();
    ConsoleOn = true;
  }
  // The procedures give the line buffers back as they go: every run gets new ones.
  static void fNewLines() {
    fFreeLines();
    InputLine = static_cast<char*>(std::malloc(kLineBufferSize));
    WorkLine = static_cast<char*>(std::malloc(kLineBufferSize));
  }
  static void fFreeLines() {
    std::free(InputLine);
    std::free(WorkLine);
    InputLine = WorkLine = nullptr;
  }

  Outcome fRandExt(const std::string& immutSz, const std::string& mutTipSz, const std::string& misNu,
                   const std::string& diRes = "") {
    folder_.params("p.txt", {{"diRes", diRes.empty() ? folder_.dir() : diRes},
                             {"pthGnm", folder_.path("g.txt")},
                             {"pthReads", folder_.path("r.txt")},
                             {"experimentId", "x"},
                             {"immutSz", immutSz},
                             {"mutTipSz", mutTipSz},
                             {"misNu", misNu}});
    fNewLines();
    return fCutRnaWithReplacedEnd(folder_.path("p.txt"));
  }

  // Runs a list of the given task lines; the caller stops it after `stopAfter` tasks (0: never).
  Outcome fTaskList(const std::string& tasks, int stopAfter = 0, std::vector<Outcome>* seen = nullptr) {
    folder_.write("t.txt", "1\n2\n3\n4\n5\n6\nx\nsizes\n" + tasks);
    folder_.params("p.txt", {{"diRes", folder_.dir()},
                             {"pthGnm", folder_.path("g.txt")},
                             {"pthReads", folder_.path("r.txt")},
                             {"pthTaskList", folder_.path("t.txt")}});
    fNewLines();
    int told = 0;
    return fRunTaskList(folder_.path("p.txt"), [&](const Outcome& task, int index) {
      EXPECT_EQ(index, told++);
      if (seen != nullptr) seen->push_back(task);
      return index + 1 != stopAfter;
    });
  }

  // Runs RandExt under a resource limit and exits with the status it reported,
  // after naming the file at fault on the error stream.
  [[noreturn]] void fRandExtWithin(int resource) {
    rlim_t limit = 200;
    if (resource == RLIMIT_AS) {
      unsigned long pages = 0;
      std::ifstream("/proc/self/statm") >> pages;
      limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (rlim_t{32} << 20);
    }
    signal(SIGXFSZ, SIG_IGN);
    rlimit bound{limit, limit};
    setrlimit(resource, &bound);
    Outcome outcome = fRandExt("20", "5", "1");
    std::fprintf(stderr, "file=%s;", outcome.file.c_str());
    std::_Exit(static_cast<int>(outcome.status));
  }

  std::vector<std::string> fPaths(const std::vector<std::string>& names) {
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back(folder_.path(name));
    return paths;
  }

  RunFolder folder_;
};

TEST_F(EndReplaceOutcome, RandExtReportsEachWayARunEnds) {
  const std::vector<std::string> results = {"x_20!5!1!.txt", "x_20!5!1!Log.txt"};
  struct Case {
    std::string what, genome, reads, immutSz, mutTipSz, misNu;
    RunStatus status;
    std::string file;  // a file name (with a dot) in the folder, or a parameter's key
    std::vector<std::string> written;
  } cases[] = {
      {"completed", kGenome, kReads, "20", "5", "1", RunStatus::kCompleted, "", results},
      {"no detected reads", kGenome, "TTTTTTTTTTTTTTTTTTTTTTTTG\n", "20", "5", "1", RunStatus::kNothingFound, "",
       results},
      {"aimed size below 12", kGenome, kReads, "5", "5", "1", RunStatus::kRefusedParameter, "immutSz", {}},
      {"tip of 16 letters", kGenome, kReads, "20", "16", "1", RunStatus::kRefusedParameter, "mutTipSz", {}},
      {"no number", kGenome, kReads, "20", "5", "x", RunStatus::kRefusedParameter, "misNu", {}},
      {"empty genome", "", kReads, "20", "5", "1", RunStatus::kInputMissing, "g.txt", {}},
      {"missing reads", kGenome, "", "20", "5", "1", RunStatus::kInputMissing, "r.txt", {}},
      {"genome byte N", "GGNTCACAGTCTACAC", kReads, "20", "5", "1", RunStatus::kBadInput, "g.txt", {}},
      {"table name taken by a folder", kGenome, kReads, "20", "5", "1", RunStatus::kOutputFailed, "x_20!5!1!.txt",
       {}},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(folder_.path("x_20!5!1!.txt"));
    folder_.write("g.txt", c.genome);
    if (c.reads.empty()) std::filesystem::remove(folder_.path("r.txt"));
    else folder_.write("r.txt", c.reads);
    if (c.status == RunStatus::kOutputFailed) std::filesystem::create_directory(folder_.path("x_20!5!1!.txt"));
    Outcome outcome = fRandExt(c.immutSz, c.mutTipSz, c.misNu);
    EXPECT_EQ(outcome.status, c.status) << c.what;
    EXPECT_EQ(outcome.file, c.file.find('.') == std::string::npos ? c.file : folder_.path(c.file)) << c.what;
    EXPECT_EQ(outcome.written, fPaths(c.written)) << c.what;
  }
  // A result directory that is not there fails at the first hit file.
  Outcome outcome = fRandExt("20", "5", "1", folder_.path("nowhere"));
  EXPECT_EQ(outcome.status, RunStatus::kOutputFailed);
  EXPECT_EQ(outcome.file, folder_.path("nowhere") + "/Rna_fiUp.tmp");
}

TEST_F(EndReplaceOutcome, RandExtCountsAreThoseOfItsLog) {
  folder_.write("g.txt", kGenome);
  folder_.write("r.txt", kReads);
  Outcome outcome = fRandExt("20", "5", "1");
  EXPECT_EQ(outcome.readsRead, 23);
  const std::vector<std::pair<std::string, std::string>> counts = {
      {"input", "23"}, {"required_read_size", "25"}, {"these_reads", "18"}, {"defected", "2"},
      {"long_tracks", "3"}, {"analyzed", "16"}, {"fell_into_genome", "15"}, {"in_upper", "3"},
      {"in_lower", "2"}, {"on_both_strand", "5"}, {"entropy_range", "[0.0000,0.6931]"},
      {"entropy_mean", "0.3932"}, {"entropy_sigma", "0.3597"}, {"entropy_mean_plus_3sigma", "1.4724"}};
  EXPECT_EQ(outcome.counts, counts);
}

// Memory and disk limits in a child process: each row's exit code is the status it reported.
TEST_F(EndReplaceOutcome, RandExtReportsNoMemoryAndAFullDisk) {
  folder_.write("g.txt", kGenome);
  folder_.write("r.txt", kReads);
  struct Case {
    std::string what;
    int resource;
    RunStatus status;
    std::string file;
  } cases[] = {
      // Room for the texts but not for the 64 MiB root tables of the index.
      {"no memory", RLIMIT_AS, RunStatus::kNoMemory, ""},
      // The hit files fit in 200 bytes; the table does not.
      {"full disk", RLIMIT_FSIZE, RunStatus::kOutputFailed, folder_.path("x_20!5!1!.txt")},
  };
  for (const Case& c : cases) {
#if defined(__SANITIZE_ADDRESS__)
    if (c.resource == RLIMIT_AS) continue;  // the sanitizer's shadow memory needs the address space
#endif
    EXPECT_EXIT(fRandExtWithin(c.resource), ::testing::ExitedWithCode(static_cast<int>(c.status)),
                "file=" + c.file + ";")
        << c.what;
  }
}

TEST_F(EndReplaceOutcome, TaskListsReportEachTaskAndTheFirstThatEndsTheList) {
  folder_.write("g.txt", kGenome);
  folder_.write("r.txt", kReads);
  struct Case {
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
  for (const Case& c : cases) {
    std::vector<Outcome> seen;
    Outcome list = fTaskList(c.tasks, c.stopAfter, &seen);
    EXPECT_EQ(list.status, c.status) << c.what;
    EXPECT_EQ(list.file, c.file) << c.what;
    EXPECT_EQ(list.written, fPaths(c.written)) << c.what;
    ASSERT_EQ(seen.size(), c.taskStatus.size()) << c.what;
    for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i].status, c.taskStatus[i]) << c.what << i;
  }
  // A task's own outcome: its two files and the counts of its log.
  std::vector<Outcome> seen;
  fTaskList("20\t5\t4\n", 0, &seen);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].written, fPaths({"x_20!5!4!.txt", "x_20!5!4!Log.txt"}));
  EXPECT_EQ(seen[0].readsRead, 23);
  EXPECT_EQ(seen[0].counts.at(6), std::make_pair(std::string("fell_into_genome"), std::string("14")));
}

TEST_F(EndReplaceOutcome, TaskListsThatStopBeforeTheirTasks) {
  folder_.write("g.txt", "GGNTCACAGTCTACAC");
  folder_.write("r.txt", kReads);
  EXPECT_EQ(fTaskList("20\t5\t1\n").status, RunStatus::kBadInput);
  folder_.write("t.txt", "1\n2\n3\n");
  fNewLines();
  Outcome shortList = fRunTaskList(folder_.path("p.txt"), nullptr);
  EXPECT_EQ(shortList.status, RunStatus::kRefusedParameter);
  EXPECT_EQ(shortList.file, folder_.path("t.txt"));
  fNewLines();
  Outcome noParams = fRunTaskList(folder_.path("missing.txt"), nullptr);
  EXPECT_EQ(noParams.status, RunStatus::kInputMissing);
  EXPECT_EQ(noParams.file, folder_.path("missing.txt"));
}

}  // namespace
