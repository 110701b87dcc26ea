// What each read-mapping procedure tells its caller: how the run ended, the
// file or parameter at fault, the results written whole and the log's counts.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "support/address_limit.h"
#include "support/direct_run.h"
#include "support/sequences.h"

namespace {

const std::string kGenome = fRandomLetters(100, 51);
const std::string kReads = fLines({kGenome.substr(10, 40), fRandomLetters(40, 52)});

struct Case {
  const char* what;
  const char* procedure;
  std::string genome;  // letters (codes in the file but for fGetReadsThatOutOfSeq); "" for no genome file
  std::string reads;   // the same; "" for no reads file
  int32_t minSize, maxSize;
  const char* inTheWay;  // a directory of this name in the result folder
  const char* full;      // a link of this name to a full disk
  ExpectedOutcome expected;
};

class MappingOutcomes : public DirectRun {
 protected:
  void fCheckCase(const Case& c) {
    RunFolder folder;
    const bool letters = std::string(c.procedure) == "fGetReadsThatOutOfSeq";
    if (!c.genome.empty()) folder.write("g.bin", letters ? c.genome : fCodes(c.genome));
    if (!c.reads.empty()) folder.write("r.bin", letters ? c.reads : fCodes(c.reads));
    folder.params("p.txt", fScopeParams(c.minSize, c.maxSize));
    fCheck(c.procedure, folder, c.expected, c.what, c.inTheWay, c.full);
  }
};

TEST_F(MappingOutcomes, EachProcedureReportsACompletedRunWithTheCountsOfItsLog) {
  const Case cases[] = {
      {"weights", "fMatchReadsT_VarSzO", kGenome, kReads, 16, 40, "", "", {RunStatus::kCompleted, "",
       {"r[16-40]g_Log.txt", "r[16-40]g_Up1.txt", "r[16-40]g_Lw1.txt"},
       {{"input_reads", "2"}, {"out_of_user_size_scope", "0"}, {"processed", "2"}, {"out_of_genome", "1"},
        {"into_genome", "1"}, {"upper_strand_has", "1"}, {"lower_strand_has", "0"}},
       2}},
      {"stretches", "fMapReadsOnToSeq", kGenome, kReads, 16, 40, "", "", {RunStatus::kCompleted, "",
       {"r_In.bin", "r_In[16-40]g_Log.txt"},
       {{"input_reads", "2"}, {"out_of_genome", "1"}, {"into_genome", "1"}, {"sum_length", "37"}},
       2}},
      {"once", "fMapReadsOneInSeq", kGenome, kReads, 16, 40, "", "", {RunStatus::kCompleted, "",
       {"rMany.bin", "r[One]g_Log.txt", "r[One]g_Clust.txt"},
       {{"input_reads", "2"}, {"out_of_genome", "1"}, {"loc_once", "1"}, {"loc_many", "0"},
        {"loc_many_sum_length", "0"}},
       2}},
      {"assembly", "fTestGenomeSborka", std::string(20, 'A'), fLines({std::string(16, 'A'), std::string(20, 'A')}),
       16, 40, "", "", {RunStatus::kCompleted, "", {"RepTest_g.txt", "RepTest_g_Log.txt"},
       {{"sqsize", "20"}, {"remax", "20"}, {"repnu/sqsize", "1.000"}, {"rinput_multylocation_reads", "2"},
        {"noncorrect_assembly_reads", "1"}},
       2}},
      {"absent", "fReadsOutOfSeq", kGenome, kReads, 16, 40, "", "", {RunStatus::kCompleted, "",
       {"r_Out.bin", "r_Outg_Log.txt"}, {{"input_reads", "2"}, {"reads_nout_of_genome", "1"}}, 2}},
      {"absent letters", "fGetReadsThatOutOfSeq", kGenome, kReads, 16, 40, "", "", {RunStatus::kCompleted, "",
       {"r_Outg.txt", "r_Outg_Log.txt"}, {{"input_reads", "2"}, {"dfective", "0"}, {"reads_out_of_genome", "1"}}, 2}},
  };
  for (const Case& c : cases) fCheckCase(c);
}

TEST_F(MappingOutcomes, EachFailureKindIsReported) {
  const Case cases[] = {
      {"a scope whose least size is above its largest", "fMatchReadsT_VarSzO", kGenome, kReads, 41, 40, "", "",
       {RunStatus::kRefusedParameter, "rMinSz", {}, {}}},
      {"a scope too wide to table", "fMatchReadsT_VarSzO", kGenome, kReads, 1, 30000000, "", "",
       {RunStatus::kRefusedParameter, "rMaxSz", {}, {}}},
      {"no reads file", "fMatchReadsT_VarSzO", kGenome, "", 16, 40, "", "", {RunStatus::kInputMissing, "r.bin", {}, {}}},
      {"no reads file", "fMapReadsOnToSeq", kGenome, "", 16, 40, "", "", {RunStatus::kInputMissing, "r.bin", {}, {}}},
      {"no reads file", "fMapReadsOneInSeq", kGenome, "", 16, 40, "", "", {RunStatus::kInputMissing, "r.bin", {}, {}}},
      {"no reads file after the repeats", "fTestGenomeSborka", kGenome, "", 16, 40, "", "",
       {RunStatus::kInputMissing, "r.bin", {"RepTest_g.txt", "RepTest_g_Log.txt"}, {}}},
      {"no genome file", "fReadsOutOfSeq", "", kReads, 16, 40, "", "", {RunStatus::kInputMissing, "g.bin", {}, {}}},
      {"a directory for a genome", "fGetReadsThatOutOfSeq", "", kReads, 16, 40, "g.bin", "",
       {RunStatus::kInputMissing, "g.bin", {}, {}}},
      {"a genome byte that is no base", "fGetReadsThatOutOfSeq", kGenome + "N", kReads, 16, 40, "", "",
       {RunStatus::kBadInput, "g.bin", {}, {}}},
      {"a genome code that is no base", "fReadsOutOfSeq", kGenome + "N", kReads, 16, 40, "", "",
       {RunStatus::kBadInput, "g.bin", {}, {}}},
      {"a genome too short for the repeat pass", "fTestGenomeSborka", "ACG", kReads, 16, 40, "", "",
       {RunStatus::kBadInput, "g.bin", {"RepTest_g.txt", "RepTest_g_Log.txt"}, {}}},
      {"no genome to test", "fTestGenomeSborka", "", kReads, 16, 40, "", "", {RunStatus::kNoMemory, "",
       {"RepTest_g.txt", "RepTest_g_Log.txt"}, {}}},
      {"a result that can't be created", "fReadsOutOfSeq", kGenome, kReads, 16, 40, "r_Out.bin", "",
       {RunStatus::kOutputFailed, "r_Out.bin", {}, {}}},
      {"the kept stretches that can't be created: no log either", "fMapReadsOnToSeq", kGenome, kReads, 16, 40,
       "r_In.bin", "", {RunStatus::kOutputFailed, "r_In.bin", {}, {}}},
      {"the log that can't be created", "fMapReadsOnToSeq", kGenome, kReads, 16, 40, "r_In[16-40]g_Log.txt", "",
       {RunStatus::kOutputFailed, "r_In[16-40]g_Log.txt", {"r_In.bin"}, {}}},
      {"one table that can't be created: the others are written", "fMatchReadsT_VarSzO", kGenome, kReads, 16, 40,
       "r[16-40]g_Up1.txt", "", {RunStatus::kOutputFailed, "r[16-40]g_Up1.txt",
       {"r[16-40]g_Log.txt", "r[16-40]g_Lw1.txt"}, {}}},
      {"a disk that is full", "fMapReadsOneInSeq", kGenome, fLines({kGenome.substr(0, 20), kGenome.substr(0, 20)}),
       16, 40, "", "r[One]g_Log.txt", {RunStatus::kOutputFailed, "r[One]g_Log.txt",
       {"rMany.bin", "r[One]g_Clust.txt"}, {}}},
      {"a disk that is full", "fGetReadsThatOutOfSeq", kGenome, kReads, 16, 40, "", "r_Outg.txt",
       {RunStatus::kOutputFailed, "r_Outg.txt", {"r_Outg_Log.txt"}, {}}},
  };
  for (const Case& c : cases) fCheckCase(c);
}

#if VANTRELS_ADDRESS_LIMIT
// Tables of 3 x 8 GB within 1 GiB more than the process uses.
TEST_F(MappingOutcomes, TablesThatCantBeHadAreReportedAsNoMemory) {
  AddressSpaceLimit limit(size_t{1} << 30);
  ASSERT_TRUE(limit.held());
  fCheckCase({"tables", "fMatchReadsT_VarSzO", kGenome, kReads, 1, 20000000, "", "", {RunStatus::kNoMemory, "", {}, {}}});
}
#endif

}  // namespace
