// A directory named where a file of the run should be: every procedure refuses
// it as a file that can't be opened, with the helper's message for a missing
// file, instead of reading it as an empty one.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <utility>
#include <vector>

#include "support/run_folder.h"

namespace {

using Keys = std::vector<std::pair<std::string, std::string>>;

// "<sub>" stands for the directory's path, "<d>" for the run folder's.
std::string fExpand(std::string text, const RunFolder& folder) {
  const std::pair<std::string, std::string> marks[] = {{"<sub>", folder.path("sub")}, {"<d>", folder.dir()}};
  for (const auto& mark : marks)
    for (size_t at = text.find(mark.first); at != std::string::npos; at = text.find(mark.first, at))
      text.replace(at, mark.first.size(), mark.second);
  return text;
}

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

// The parameter echo of the procedures that read their own parameter file.
std::string fCircularEcho(const std::string& genome, const std::string& reads) {
  return "procedure  fIdentifyCircularRna\ngenome        " + genome + "\nreads         " + reads + "\nexecuting...";
}
std::string fRandExtEcho(const std::string& genome, const std::string& reads) {
  return "procedure  RandExt\ngenome        " + genome + "\nreads         " + reads +
         "\n\nimmutable Sz  =20\n  mutable Sz  =5\nmismatches    =1\naimed reads Sz=25\nexperimentId=e\nexecuting...";
}
std::string fTaskListEcho(const std::string& genome, const std::string& reads, const std::string& tasks) {
  return "procedure  RandExtTaskList\ngenome        " + genome + "\nreads         " + reads + "\ntaskList  =" +
         tasks + "\nexperimentId=id\nexecuting...";
}

TEST(DirectoryInput, EveryProcedureRefusesADirectoryAsAnUnopenableFile) {
  const Keys scope = {{"diRes", "<d>"}, {"rMinSz", "16"}, {"rMaxSz", "40"}};
  const Keys randExt = {{"experimentId", "e"}, {"immutSz", "20"}, {"mutTipSz", "5"}, {"misNu", "1"}};
  struct Case {
    const char* what;
    const char* procedure;
    Keys keys;
    std::string console;
  } cases[] = {
      // Genomes, opened as files: "i can't open " and the path.
      {"coded genome loaded before the procedure", "fMatchReadsT_VarSzO",
       {{"pthGnm", "<sub>"}, {"pthReads", "<d>/r.bin"}}, "\ni can't open <sub>\ndone\n"},
      {"coded genome of fReadsOutOfSeq", "fReadsOutOfSeq",
       {{"pthGnm", "<sub>"}, {"pthReads", "<d>/r.bin"}}, "\ni can't open <sub>\ndone\n"},
      {"letter genome of fGetReadsThatOutOfSeq", "fGetReadsThatOutOfSeq",
       {{"pthGnm", "<sub>"}, {"pthReads", "<d>/r.txt"}}, "\ni can't open <sub>\ndone\n"},
      {"coded genome of the parted reads", "fMatchReadsT_VarSzParted",
       {{"pthGnm", "<sub>"}, {"pthReads", "<d>/r.bin"}}, "\ni can't open <sub>\ndone\n"},
      {"coded genome of the rating", "fMatchReadsT_VarSzPartedRate",
       {{"pthGnm", "<sub>"}, {"diReads", "<d>"}, {"pthList", "<d>/list.txt"}}, "\ni can't open <sub>\ndone\n"},
      {"letter genome of the circular RNA", "fIdentifyCircularRna",
       {{"pthGnm", "<sub>"}, {"pthReads", "<d>/r.txt"}},
       fCircularEcho("<sub>", "<d>/r.txt") + "\ni can't open <sub>\ndone\n"},
      {"letter genome of RandExt", "RandExt", {{"pthGnm", "<sub>"}, {"pthReads", "<d>/r.txt"}},
       fRandExtEcho("<sub>", "<d>/r.txt") + "\ni can't open <sub>\ndone\n"},
      {"letter genome of the task list", "RandExtTaskList",
       {{"pthGnm", "<sub>"}, {"pthReads", "<d>/r.txt"}, {"pthTaskList", "<d>/tasks.txt"}},
       fTaskListEcho("<sub>", "<d>/r.txt", "<d>/tasks.txt") + "\ni can't open <sub>\ndone\n"},
      // Reads, lists and task lists, opened as streams: "i can't open", a line feed and the path.
      {"coded reads of fMapReadsOnToSeq", "fMapReadsOnToSeq", {{"pthGnm", "<d>/g.bin"}, {"pthReads", "<sub>"}},
       "\ni can't open\n<sub>\ndone\n"},
      {"coded reads of fMapReadsOneInSeq", "fMapReadsOneInSeq", {{"pthGnm", "<d>/g.bin"}, {"pthReads", "<sub>"}},
       "\ni can't open\n<sub>\ndone\n"},
      {"coded reads of fReadsOutOfSeq", "fReadsOutOfSeq", {{"pthGnm", "<d>/g.bin"}, {"pthReads", "<sub>"}},
       "\ni can't open\n<sub>\ndone\n"},
      {"coded reads of the parted reads", "fMatchReadsT_VarSzParted",
       {{"pthGnm", "<d>/g.bin"}, {"pthReads", "<sub>"}}, "\ni can't open\n<sub>\ndone\n"},
      {"letter reads of the circular RNA", "fIdentifyCircularRna", {{"pthGnm", "<d>/g.txt"}, {"pthReads", "<sub>"}},
       fCircularEcho("<d>/g.txt", "<sub>") + "\ni can't open\n<sub>\ndone\n"},
      {"list of the rating", "fMatchReadsT_VarSzPartedRate",
       {{"pthGnm", "<d>/g.bin"}, {"diReads", "<d>"}, {"pthList", "<sub>"}}, "\ni can't open\n<sub>\ndone\n"},
      {"list entry of the rating, after a readable one", "fMatchReadsT_VarSzPartedRate",
       {{"pthGnm", "<d>/g.bin"}, {"diReads", "<d>"}, {"pthList", "<d>/list.txt"}},
       "\n1\nseaching parted reads\n2\ni can't open\n<sub>\ndone\n"},
      {"letter reads of RandExt", "RandExt", {{"pthGnm", "<d>/g.txt"}, {"pthReads", "<sub>"}},
       fRandExtEcho("<d>/g.txt", "<sub>") + "\ni can't open\n<sub>\ndone\n"},
      {"task list", "RandExtTaskList",
       {{"pthGnm", "<d>/g.txt"}, {"pthReads", "<d>/r.txt"}, {"pthTaskList", "<sub>"}},
       "\ni can't open\n<sub>\ndone\n"},
      {"letter reads of a task", "RandExtTaskList",
       {{"pthGnm", "<d>/g.txt"}, {"pthReads", "<sub>"}, {"pthTaskList", "<d>/tasks.txt"}},
       fTaskListEcho("<d>/g.txt", "<sub>", "<d>/tasks.txt") + "\nimmutSz\tmutTipSz\tmisNu\n20\t5\t1\ni can't open\n<sub>\ndone\n"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    fPrepareInputs(folder);
    Keys keys = scope;
    if (std::string(c.procedure) == "RandExt") keys.insert(keys.end(), randExt.begin(), randExt.end());
    keys.insert(keys.end(), c.keys.begin(), c.keys.end());
    for (auto& key : keys) key.second = fExpand(key.second, folder);
    folder.params("p.txt", keys);
    folder.select(folder.path("p.txt"), c.procedure);
    RunResult result = folder.run();
    EXPECT_EQ(result.exitCode, 0) << c.what;
    EXPECT_EQ(result.console, fExpand(c.console, folder)) << c.what;
  }
}

TEST(DirectoryInput, SelectionAndParameterFilesThatAreDirectories) {
  {
    RunFolder folder;
    fPrepareInputs(folder);
    folder.select(folder.path("sub"), "fReadsOutOfSeq");
    RunResult result = folder.run();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.console, fExpand("\ni can't open <sub>\ndone\n", folder));
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
