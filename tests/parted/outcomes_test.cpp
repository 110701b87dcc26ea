// What the parted-read, rating and circular-RNA procedures tell their caller:
// how the run ended, the file or parameter at fault, the results written whole,
// the log's counts and the reads read. The procedures are called directly,
// with the console off.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include "driver/console.h"
#include "driver/run_state.h"
#include "parted/circle.h"
#include "parted/parted.h"
#include "support/run_folder.h"

namespace {
using namespace circle;
using Counts = std::vector<std::pair<std::string, std::string>>;

// One upper-strand parted hit per read for the parted and rating procedures;
// two (head and end seed) for the circular-RNA search.
const std::string kOneHit = fRotated(1, 4, 0) + "\n";
const std::string kTwoCircularHits = fRotated(20, 14, 8) + "\n";

struct Case {
  const char* what;
  const char* procedure;  // "parted", "rating" or "circular"
  std::string genome;     // letters; "" for no genome file
  std::string reads;      // letter lines; "" for no reads file
  const char* minSize;
  const char* inTheWay;  // a directory of this name in the result folder
  const char* full;      // a link of this name to a full disk
  RunStatus status;
  std::string file;  // in the folder, or the parameter's key
  std::vector<std::string> written;
  Counts counts;           // checked when not empty
  int64_t readsRead = -1;  // checked when not negative
};

// Genome, reads (codes for parted and rating, letters for circular), the
// rating's list naming the reads file and the circular run's parameter file,
// each left out where a directory stands in its way.
Outcome fCall(const Case& c, const RunFolder& folder) {
  const bool letters = std::string(c.procedure) == "circular";
  const std::string genome = letters ? "g.txt" : "g.bin", reads = letters ? "r.txt" : "r.bin";
  auto write = [&](const std::string& name, const std::string& bytes) {
    if (name != c.inTheWay) folder.write(name, bytes);
  };
  if (!c.genome.empty()) write(genome, letters ? c.genome : fCodes(c.genome));
  if (!c.reads.empty()) write(reads, letters ? c.reads : fCodes(c.reads));
  const std::string dir = folder.dir() + "/";
  MinReadSize = std::atoi(c.minSize);
  MaxReadSize = 40;
  SizeScopeWidth = fSizeScopeWidth(MinReadSize, MaxReadSize);
  if (std::string(c.procedure) == "parted")
    return fMatchReadsT_VarSzParted(dir, folder.path(reads), folder.path(genome), 0);
  if (std::string(c.procedure) == "rating") {
    write("list.txt", reads + "\n");
    return fMatchReadsT_VarSzPartedRate(dir, dir, folder.path(genome), 0, folder.path("list.txt"));
  }
  if (std::string("p.txt") != c.inTheWay)
    folder.params("p.txt", {{"diRes", folder.dir()}, {"pthGnm", folder.path(genome)},
                            {"pthReads", folder.path(reads)}, {"rMinSz", c.minSize}, {"rMaxSz", "40"}});
  return fIdentifyCircularRna(folder.path("p.txt"));
}

class PartedOutcomes : public ::testing::Test {
 protected:
  void SetUp() override {
    fInitCodingTables();
    InputLine = input_;
    WorkLine = work_;
    MaxLineLength = kLineBufferSize;
    ConsoleOn = false;
  }
  void TearDown() override {
    ConsoleOn = true;
    HitStopLimit = kDefaultHitStopLimit;
    InputLine = WorkLine = nullptr;
  }

  // Runs one case in a folder of its own and checks everything it reports.
  void fCheck(const Case& c) {
    RunFolder folder;
    if (*c.inTheWay) std::filesystem::create_directory(folder.path(c.inTheWay));
    if (*c.full) {
      ASSERT_EQ(symlink("/dev/full", folder.path(c.full).c_str()), 0);
    }
    const Outcome outcome = fCall(c, folder);
    EXPECT_EQ(outcome.status, c.status) << c.what;
    const bool isKey = c.status == RunStatus::kRefusedParameter || c.file.empty();
    EXPECT_EQ(outcome.file, isKey ? c.file : folder.path(c.file)) << c.what;
    std::vector<std::string> written;
    for (const std::string& name : c.written) written.push_back(folder.path(name));
    EXPECT_EQ(outcome.written, written) << c.what;
    if (!c.counts.empty()) {
      EXPECT_EQ(outcome.counts, c.counts) << c.what;
    }
    if (c.readsRead >= 0) {
      EXPECT_EQ(outcome.readsRead, c.readsRead) << c.what;
    }
  }

 private:
  char input_[kLineBufferSize];
  char work_[kLineBufferSize];
};

TEST_F(PartedOutcomes, EachProcedureReportsACompletedRunWithTheCountsOfItsLog) {
  const std::string reads = kOneHit + fStretch(10, 39) + "\n" + fReverseComplement(fRotated(40, 8, 9)) + "\n";
  const Case cases[] = {
      {"parted", "parted", kGenome, reads, "16", "", "", RunStatus::kCompleted, "",
       {"r[16-40]g_PartedLog.txt", "r[16-40]g_Parted.txt"},
       {{"input_reads", "3"}, {"processed", "3"}, {"reads_on_upper_strand", "1"}, {"reads_on_lower_strand", "1"}},
       3},
      {"rating", "rating", kGenome, reads, "16", "", "", RunStatus::kCompleted, "", {"_RatingLog.txt"},
       {{"rated_positions", "2"}}, 3},
      {"circular", "circular", kGenome, kTwoCircularHits + fStretch(60, 89) + "\nACGTNACGTACGTACGT\n", "8", "", "",
       RunStatus::kCompleted, "", {"r_RCircular.txt"},
       {{"reads_input", "3"}, {"wirhin_scope_size", "3"}, {"defective", "1"}, {"in_genome", "1"}, {"analized", "1"},
        {"circular_on_plus_strand", "2"}, {"ncircular_on_minus_strand", "0"}, {"circulars_in_total", "2"}},
       3},
  };
  for (const Case& c : cases) fCheck(c);
}

TEST_F(PartedOutcomes, EachFailureKindIsReported) {
  const Case cases[] = {
      {"no genome file", "parted", "", kOneHit, "16", "", "", RunStatus::kInputMissing, "g.bin", {}, {}},
      {"a genome code that is no base", "parted", kGenome + "N", kOneHit, "16", "", "", RunStatus::kBadInput,
       "g.bin", {}, {}},
      {"no reads file", "parted", kGenome, "", "16", "", "", RunStatus::kInputMissing, "r.bin", {}, {}},
      {"the log that can't be created: the table is still written", "parted", kGenome, kOneHit, "16",
       "r[16-40]g_PartedLog.txt", "", RunStatus::kOutputFailed, "r[16-40]g_PartedLog.txt",
       {"r[16-40]g_Parted.txt"}, {}},
      {"a full disk under the table", "parted", kGenome, kOneHit, "16", "", "r[16-40]g_Parted.txt",
       RunStatus::kOutputFailed, "r[16-40]g_Parted.txt", {"r[16-40]g_PartedLog.txt"}, {}},
      {"no list of reads files", "rating", kGenome, kOneHit, "16", "list.txt", "", RunStatus::kInputMissing,
       "list.txt", {}, {}},
      {"a listed reads file missing", "rating", kGenome, "", "16", "", "", RunStatus::kInputMissing, "r.bin", {}, {}},
      {"a full disk under the log", "rating", kGenome, kOneHit, "16", "", "_RatingLog.txt", RunStatus::kOutputFailed,
       "_RatingLog.txt", {}, {}},
      {"a least size that is no number", "circular", kGenome, kOneHit, "x8", "", "", RunStatus::kRefusedParameter,
       "rMinSz", {}, {}},
      {"no parameter file", "circular", kGenome, kOneHit, "8", "p.txt", "", RunStatus::kInputMissing, "p.txt", {}, {}},
      {"no genome file", "circular", "", kOneHit, "8", "", "", RunStatus::kInputMissing, "g.txt", {}, {}},
      {"a genome letter that is no base", "circular", kGenome + "\n", kOneHit, "8", "", "", RunStatus::kBadInput,
       "g.txt", {}, {}},
      {"no reads file", "circular", kGenome, "", "8", "", "", RunStatus::kInputMissing, "r.txt", {}, {}},
      {"a result that can't be created", "circular", kGenome, kOneHit, "8", "r_RCircular.txt", "",
       RunStatus::kOutputFailed, "r_RCircular.txt", {}, {}},
      {"a scratch file that can't be created", "circular", kGenome, kOneHit, "8", "CycledLw.tmp", "",
       RunStatus::kOutputFailed, "CycledLw.tmp", {}, {}},
      {"a full disk under a scratch file", "circular", kGenome, kTwoCircularHits, "8", "", "CycledUp.tmp",
       RunStatus::kOutputFailed, "CycledUp.tmp", {}, {}},
  };
  for (const Case& c : cases) fCheck(c);
}

TEST_F(PartedOutcomes, TheHitLimitStopsReadingAfterTheReadThatTakesTheUpperCountAboveIt) {
  // Out-of-scope lines between the hits: only in-scope reads are searched, and
  // the reads taken ahead of the one that stops are not counted as read.
  std::string parted, circular;
  for (int i = 0; i < 10003; ++i) parted += kOneHit + "ACGT\n";
  for (int i = 0; i < 5005; ++i) circular += kTwoCircularHits + "ACGT\n";
  const std::vector<std::string> partedFiles = {"r[16-40]g_PartedLog.txt", "r[16-40]g_Parted.txt"};
  auto partedCounts = [](int input, int hits) -> Counts {
    return {{"input_reads", std::to_string(input)}, {"processed", std::to_string(hits)},
            {"reads_on_upper_strand", std::to_string(hits)}, {"reads_on_lower_strand", "0"}};
  };
  auto circularCounts = [](int input, int searched) -> Counts {
    const std::string n = std::to_string(searched), hits = std::to_string(2 * searched);
    return {{"reads_input", std::to_string(input)}, {"wirhin_scope_size", n}, {"defective", "0"}, {"in_genome", "0"},
            {"analized", n}, {"circular_on_plus_strand", hits}, {"ncircular_on_minus_strand", "0"},
            {"circulars_in_total", hits}};
  };
  const RunStatus stopped = RunStatus::kStoppedAtHitLimit, completed = RunStatus::kCompleted;
  const std::pair<int32_t, Case> cases[] = {
      {kDefaultHitStopLimit, {"parted, the default limit", "parted", kGenome, parted, "16", "", "", stopped, "",
                              partedFiles, partedCounts(19991, 9996), 19991}},
      {3, {"parted, a limit of 3", "parted", kGenome, parted, "16", "", "", stopped, "", partedFiles,
           partedCounts(7, 4), 7}},
      {0, {"parted, no limit", "parted", kGenome, parted, "16", "", "", completed, "", partedFiles,
           partedCounts(20006, 10003), 20006}},
      {kDefaultHitStopLimit, {"circular, the default limit", "circular", kGenome, circular, "8", "", "", stopped, "",
                              {"r_RCircular.txt"}, circularCounts(9995, 4998), 9995}},
      {3, {"circular, a limit of 3", "circular", kGenome, circular, "8", "", "", stopped, "", {"r_RCircular.txt"},
           circularCounts(3, 2), 3}},
      {0, {"circular, no limit", "circular", kGenome, circular, "8", "", "", completed, "", {"r_RCircular.txt"},
           circularCounts(10010, 5005), 10010}},
  };
  for (const auto& c : cases) {
    HitStopLimit = c.first;
    fCheck(c.second);
  }
}

#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define VANTRELS_SANITIZED 1
#endif
#endif
#if !defined(VANTRELS_SANITIZED)
// The 64 MiB root table within an address space held to what the process uses
// and 32 MiB more (a sanitizer's shadow memory would not fit such a limit).
TEST_F(PartedOutcomes, AnIndexThatCantBeHadIsReportedAsNoMemory) {
  rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_AS, &saved), 0);
  long pages = 0;
  {
    FILE* status = std::fopen("/proc/self/statm", "r");
    ASSERT_NE(status, nullptr);
    ASSERT_EQ(std::fscanf(status, "%ld", &pages), 1);
    std::fclose(status);
  }
  rlimit held = saved;
  held.rlim_cur = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (rlim_t{32} << 20);
  ASSERT_EQ(setrlimit(RLIMIT_AS, &held), 0);
  for (const char* procedure : {"parted", "rating", "circular"})
    fCheck({procedure, procedure, kGenome, kOneHit, "16", "", "", RunStatus::kNoMemory, "", {}, {}});
  setrlimit(RLIMIT_AS, &saved);
}
#endif
#endif

}  // namespace
