// What the parted-read, rating and circular-RNA procedures tell their caller:
// how the run ended, the file or parameter at fault, the results written whole,
// the log's counts and the reads read.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "parted/circle.h"
#include "support/address_limit.h"
#include "support/direct_run.h"

namespace {
using namespace circle;
using Counts = std::vector<std::pair<std::string, std::string>>;

// One upper-strand parted hit per read for the parted and rating procedures;
// two (head and end seed) for the circular-RNA search.
const std::string kOneHit = fRotated(1, 4, 0) + "\n";
const std::string kTwoCircularHits = fRotated(20, 14, 8) + "\n";

struct Case {
  const char* what;
  const char* procedure;
  std::string genome;  // letters; "" for no genome file
  std::string reads;   // letter lines; "" for no reads file
  const char* minSize;
  const char* inTheWay;  // a directory of this name in the result folder
  const char* full;      // a link of this name to a full disk
  ExpectedOutcome expected;
};

class PartedOutcomes : public DirectRun {
 protected:
  // Genome and reads as codes (g.bin, r.bin) or, for the circular search, as
  // letters (g.txt, r.txt), the rating's list naming the reads file and the
  // parameter file, each left out where a directory stands in its way.
  void fCheckCase(const Case& c) {
    RunFolder folder;
    const bool letters = std::string(c.procedure) == "fIdentifyCircularRna";
    const std::string genome = letters ? "g.txt" : "g.bin", reads = letters ? "r.txt" : "r.bin";
    auto write = [&](const std::string& name, const std::string& bytes) {
      if (name != c.inTheWay) folder.write(name, bytes);
    };
    if (!c.genome.empty()) write(genome, letters ? c.genome : fCodes(c.genome));
    if (!c.reads.empty()) write(reads, letters ? c.reads : fCodes(c.reads));
    write("list.txt", reads + "\n");
    Files params = fScopeParams(std::atoi(c.minSize), 40);
    params.insert(params.end(), {{"diReads", "<d>"}, {"pthList", "<d>/list.txt"}});
    if (letters) params = {{"diRes", "<d>"}, {"pthGnm", "<d>/g.txt"}, {"pthReads", "<d>/r.txt"},
                           {"rMinSz", c.minSize}, {"rMaxSz", "40"}};
    if (std::string("p.txt") != c.inTheWay) folder.params("p.txt", params);
    fCheck(c.procedure, folder, c.expected, c.what, c.inTheWay, c.full);
  }
};

const char kParted[] = "fMatchReadsT_VarSzParted", kRating[] = "fMatchReadsT_VarSzPartedRate",
           kCircular[] = "fIdentifyCircularRna";

TEST_F(PartedOutcomes, EachProcedureReportsACompletedRunWithTheCountsOfItsLog) {
  const std::string reads = kOneHit + fStretch(10, 39) + "\n" + fReverseComplement(fRotated(40, 8, 9)) + "\n";
  const Case cases[] = {
      {"parted", kParted, kGenome, reads, "16", "", "", {RunStatus::kCompleted, "",
       {"r[16-40]g_PartedLog.txt", "r[16-40]g_Parted.txt"},
       {{"input_reads", "3"}, {"processed", "3"}, {"reads_on_upper_strand", "1"}, {"reads_on_lower_strand", "1"}},
       3}},
      {"rating", kRating, kGenome, reads, "16", "", "", {RunStatus::kCompleted, "", {"_RatingLog.txt"},
       {{"rated_positions", "2"}}, 3}},
      {"circular", kCircular, kGenome, kTwoCircularHits + fStretch(60, 89) + "\nACGTNACGTACGTACGT\n", "8", "", "",
       {RunStatus::kCompleted, "", {"r_RCircular.txt"},
        {{"reads_input", "3"}, {"wirhin_scope_size", "3"}, {"defective", "1"}, {"in_genome", "1"}, {"analized", "1"},
         {"circular_on_plus_strand", "2"}, {"ncircular_on_minus_strand", "0"}, {"circulars_in_total", "2"}},
        3}},
  };
  for (const Case& c : cases) fCheckCase(c);
}

TEST_F(PartedOutcomes, EachFailureKindIsReported) {
  const Case cases[] = {
      {"no genome file", kParted, "", kOneHit, "16", "", "", {RunStatus::kInputMissing, "g.bin", {}, {}}},
      {"a genome code that is no base", kParted, kGenome + "N", kOneHit, "16", "", "",
       {RunStatus::kBadInput, "g.bin", {}, {}}},
      {"no reads file", kParted, kGenome, "", "16", "", "", {RunStatus::kInputMissing, "r.bin", {}, {}}},
      {"the log that can't be created: the table is still written", kParted, kGenome, kOneHit, "16",
       "r[16-40]g_PartedLog.txt", "", {RunStatus::kOutputFailed, "r[16-40]g_PartedLog.txt", {"r[16-40]g_Parted.txt"}, {}}},
      {"a full disk under the table", kParted, kGenome, kOneHit, "16", "", "r[16-40]g_Parted.txt",
       {RunStatus::kOutputFailed, "r[16-40]g_Parted.txt", {"r[16-40]g_PartedLog.txt"}, {}}},
      {"no list of reads files", kRating, kGenome, kOneHit, "16", "list.txt", "",
       {RunStatus::kInputMissing, "list.txt", {}, {}}},
      {"a listed reads file missing", kRating, kGenome, "", "16", "", "", {RunStatus::kInputMissing, "r.bin", {}, {}}},
      {"a full disk under the log", kRating, kGenome, kOneHit, "16", "", "_RatingLog.txt",
       {RunStatus::kOutputFailed, "_RatingLog.txt", {}, {}}},
      {"a least size that is no number", kCircular, kGenome, kOneHit, "x8", "", "",
       {RunStatus::kRefusedParameter, "rMinSz", {}, {}}},
      {"no parameter file", kCircular, kGenome, kOneHit, "8", "p.txt", "", {RunStatus::kInputMissing, "p.txt", {}, {}}},
      {"no genome file", kCircular, "", kOneHit, "8", "", "", {RunStatus::kInputMissing, "g.txt", {}, {}}},
      {"a genome letter that is no base", kCircular, kGenome + "\n", kOneHit, "8", "", "",
       {RunStatus::kBadInput, "g.txt", {}, {}}},
      {"no reads file", kCircular, kGenome, "", "8", "", "", {RunStatus::kInputMissing, "r.txt", {}, {}}},
      {"a result that can't be created", kCircular, kGenome, kOneHit, "8", "r_RCircular.txt", "",
       {RunStatus::kOutputFailed, "r_RCircular.txt", {}, {}}},
      {"a scratch file that can't be created", kCircular, kGenome, kOneHit, "8", "CycledLw.tmp", "",
       {RunStatus::kOutputFailed, "CycledLw.tmp", {}, {}}},
      {"a full disk under a scratch file", kCircular, kGenome, kTwoCircularHits, "8", "", "CycledUp.tmp",
       {RunStatus::kOutputFailed, "CycledUp.tmp", {}, {}}},
  };
  for (const Case& c : cases) fCheckCase(c);
}

// Out-of-scope lines between the hits: only in-scope reads are searched, and
// the reads taken ahead of the one that stops are not counted as read.
TEST_F(PartedOutcomes, TheHitLimitStopsReadingAfterTheReadThatTakesTheUpperCountAboveIt) {
  std::string parted, circular;
  for (int i = 0; i < 10003; ++i) parted += kOneHit + "ACGT\n";
  for (int i = 0; i < 5005; ++i) circular += kTwoCircularHits + "ACGT\n";
  const std::vector<std::string> partedFiles = {"r[16-40]g_PartedLog.txt", "r[16-40]g_Parted.txt"};
  auto partedRun = [&](RunStatus status, int input, int hits) -> ExpectedOutcome {
    return {status, "", partedFiles,
            {{"input_reads", std::to_string(input)}, {"processed", std::to_string(hits)},
             {"reads_on_upper_strand", std::to_string(hits)}, {"reads_on_lower_strand", "0"}},
            input};
  };
  auto circularRun = [](RunStatus status, int input, int searched) -> ExpectedOutcome {
    const std::string n = std::to_string(searched), hits = std::to_string(2 * searched);
    return {status, "", {"r_RCircular.txt"},
            {{"reads_input", std::to_string(input)}, {"wirhin_scope_size", n}, {"defective", "0"}, {"in_genome", "0"},
             {"analized", n}, {"circular_on_plus_strand", hits}, {"ncircular_on_minus_strand", "0"},
             {"circulars_in_total", hits}},
            input};
  };
  const RunStatus stopped = RunStatus::kStoppedAtHitLimit, completed = RunStatus::kCompleted;
  const std::pair<int32_t, Case> cases[] = {
      {kDefaultHitStopLimit, {"parted, the default limit", kParted, kGenome, parted, "16", "", "",
                              partedRun(stopped, 19991, 9996)}},
      {3, {"parted, a limit of 3", kParted, kGenome, parted, "16", "", "", partedRun(stopped, 7, 4)}},
      {0, {"parted, no limit", kParted, kGenome, parted, "16", "", "", partedRun(completed, 20006, 10003)}},
      {kDefaultHitStopLimit, {"circular, the default limit", kCircular, kGenome, circular, "8", "", "",
                              circularRun(stopped, 9995, 4998)}},
      {3, {"circular, a limit of 3", kCircular, kGenome, circular, "8", "", "", circularRun(stopped, 3, 2)}},
      {0, {"circular, no limit", kCircular, kGenome, circular, "8", "", "", circularRun(completed, 10010, 5005)}},
  };
  for (const auto& c : cases) {
    HitStopLimit = c.first;
    fCheckCase(c.second);
  }
}

#if VANTRELS_ADDRESS_LIMIT
// The 64 MiB root table within 32 MiB more than the process uses.
TEST_F(PartedOutcomes, AnIndexThatCantBeHadIsReportedAsNoMemory) {
  AddressSpaceLimit limit(size_t{32} << 20);
  ASSERT_TRUE(limit.held());
  for (const char* procedure : {kParted, kRating, kCircular})
    fCheckCase({procedure, procedure, kGenome, kOneHit, "16", "", "", {RunStatus::kNoMemory, "", {}, {}}});
}
#endif

}  // namespace
