// A directory named where a file of the run should be: every procedure refuses
// it as a file that can't be opened, with the helper's message for a missing
// file, instead of reading it as an empty one.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/run_folder.h"

namespace {

// A folder with a genome and reads of both encodings, a rating list whose
// second entry is the directory, a task list, and the directory "sub".
void fPrepareInputs(const RunFolder& folder) {
  const std::string genome = "ACGTACGTACGTACGTACGTAAACCCGGGTTTACGATCGATCGTAGCTAGCTAGCTGATCGATCGTAGCTAG";
  folder.write("g.txt", genome);
  folder.write("g.bin", fCodes(genome));
  folder.write("r.txt", "ACGTACGTACGTACGTACGTAAAC\nGGGTTTACGATCGATCG\n");
  folder.write("r.bin", fCodes("ACGTACGTACGTACGTACGTAAAC\nGGGTTTACGATCGATCG\n"));
  folder.write("list.txt", "r.bin\nsub\n");
  folder.write("tasks.txt", "1\n2\n3\n4\n5\n6\nid\nx\n20\t5\t1\n");
  ASSERT_EQ(mkdir(folder.path("sub").c_str(), 0755), 0);
}

TEST(DirectoryInput, EveryProcedureRefusesADirectoryAsAnUnopenableFile) {
  // Genomes are opened as files: "i can't open " and the path; reads, lists
  // and task lists as streams: "i can't open", a line feed and the path.
  const std::string file = "\ni can't open <d>/sub\ndone\n", stream = "\ni can't open\n<d>/sub\ndone\n";
  const char *sub = "sub", *codes = "g.bin", *letters = "g.txt";
  struct Case {
    const char* what;
    const char* procedure;
    const char *genome, *reads, *list;  // names in the folder; the list is a rating's or the task list
    std::string console;
  } cases[] = {
      {"coded genome loaded before the procedure", "fMatchReadsT_VarSzO", sub, "r.bin", "", file},
      {"coded genome of fReadsOutOfSeq", "fReadsOutOfSeq", sub, "r.bin", "", file},
      {"letter genome of fGetReadsThatOutOfSeq", "fGetReadsThatOutOfSeq", sub, "r.txt", "", file},
      {"coded genome of the parted reads", "fMatchReadsT_VarSzParted", sub, "r.bin", "", file},
      {"coded genome of the rating", "fMatchReadsT_VarSzPartedRate", sub, "", "list.txt", file},
      {"letter genome of the circular RNA", "fIdentifyCircularRna", sub, "r.txt", "", file},
      {"letter genome of RandExt", "RandExt", sub, "r.txt", "", file},
      {"letter genome of the task list", "RandExtTaskList", sub, "r.txt", "tasks.txt", file},
      {"coded reads of fMapReadsOnToSeq", "fMapReadsOnToSeq", codes, sub, "", stream},
      {"coded reads of fMapReadsOneInSeq", "fMapReadsOneInSeq", codes, sub, "", stream},
      {"coded reads of fReadsOutOfSeq", "fReadsOutOfSeq", codes, sub, "", stream},
      {"coded reads of the parted reads", "fMatchReadsT_VarSzParted", codes, sub, "", stream},
      {"letter reads of the circular RNA", "fIdentifyCircularRna", letters, sub, "", stream},
      {"list of the rating", "fMatchReadsT_VarSzPartedRate", codes, "", sub, stream},
      {"list entry of the rating, after a readable one", "fMatchReadsT_VarSzPartedRate", codes, "", "list.txt",
       "\n1\nseaching parted reads\n2" + stream},
      {"letter reads of RandExt", "RandExt", letters, sub, "", stream},
      {"task list", "RandExtTaskList", letters, "r.txt", sub, stream},
      {"letter reads of a task", "RandExtTaskList", letters, sub, "tasks.txt",
       "\nimmutSz\tmutTipSz\tmisNu\n20\t5\t1" + stream},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    fPrepareInputs(folder);
    const std::string at = "<d>/";
    RunResult result = folder.run(c.procedure, {{"diRes", "<d>"}, {"rMinSz", "16"}, {"rMaxSz", "40"},
                                                {"experimentId", "e"}, {"immutSz", "20"}, {"mutTipSz", "5"},
                                                {"misNu", "1"}, {"pthGnm", at + c.genome}, {"pthReads", at + c.reads},
                                                {"diReads", "<d>"}, {"pthList", at + c.list},
                                                {"pthTaskList", at + c.list}});
    EXPECT_EQ(result.exitCode, 0) << c.what;
    // The procedures that read their own parameter file echo it first.
    const size_t end = result.console.size() >= c.console.size() ? result.console.size() - c.console.size() : 0;
    EXPECT_EQ(result.console.substr(end), c.console) << c.what << "\n" << result.console;
  }
}

TEST(DirectoryInput, SelectionAndParameterFilesThatAreDirectories) {
  {
    RunFolder folder;
    fPrepareInputs(folder);
    folder.select(folder.path("sub"), "fReadsOutOfSeq");
    RunResult result = folder.run();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.console, "\ni can't open " + folder.path("sub") + "\ndone\n");
  }
  {
    // The selection file itself: the run ends at once, without "done".
    RunFolder folder;
    ASSERT_EQ(mkdir(folder.path("_ParamsOfFunc.txt").c_str(), 0755), 0);
    RunResult result = folder.run();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.console, "\ni can't open\n" + folder.path("_ParamsOfFunc.txt"));
  }
}

}  // namespace
