// Start-up and dispatch, driven through the real executable.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <string>
#include <utility>
#include "driver/dispatcher.h"
#include "support/run_folder.h"

namespace {

// The standard output of a shell command; a failing exit status adds "!".
std::string fShell(const std::string& command) {
  FILE* console = popen(command.c_str(), "r");
  if (console == nullptr) return "<popen failed>";
  char text[256];
  std::string seen;
  for (size_t got; (got = fread(text, 1, sizeof text, console)) > 0;) seen.append(text, got);
  return pclose(console) == 0 ? seen : seen + "!";
}

// Runs that end before a procedure's work: bad selection files, numbers that
// can't be converted (before any echo or file) and genomes that can't be loaded
// (the shared loader's other refusals are checked with RandExt's).
TEST(Dispatcher, RunsThatDoNoWorkSayWhyAndWriteNothing) {
  auto randExt = [](const char* immutSz, const char* mutTipSz, const char* misNu) -> Files {
    return {{"diRes", "<d>"}, {"pthGnm", "<d>/g.txt"}, {"pthReads", "<d>/r.txt"}, {"experimentId", "u"},
            {"immutSz", immutSz}, {"mutTipSz", mutTipSz}, {"misNu", misNu}};
  };
  auto genome = [](const std::string& name) -> Files {
    return {{"diRes", "<d>"}, {"pthGnm", "<d>/" + name}, {"rMinSz", "16"}, {"rMaxSz", "20"}};
  };
  const std::string done = "\ndone\n";
  // `selection`: the selection file when no parameters are given, else
  // the procedure whose parameter file `params` is.
  struct Case { const char* what; std::string selection; Files params; int exitCode; std::string console; } cases[] = {
      {"CR LF line ends keep the carriage return in the name", "p.txt\r\nRandExt\r\n", {}, 0, done},
      {"a name differing in letter case", "p.txt\nrandext\n", {}, 0, done},
      {"a prefix of a longer name", "p.txt\nRandExtTask\n", {}, 0, done},
      {"an empty file", "", {}, 0, done},
      {"a single line", "p.txt\n", {}, 0, done},
      {"a first line of 200 characters leaves the name empty", std::string(200, 'x') + "\nRandExt\n", {}, 0, done},
      {"letters", "fMapReadsOnToSeq", {{"rMinSz", "abc"}, {"rMaxSz", "20"}}, 1, "\ninvalid stoi argument\nrMinSz=abc"},
      {"too large", "fMapReadsOnToSeq", {{"rMinSz", "16"}, {"rMaxSz", "99999999999"}}, 1,
       "\nstoi argument out of range\nrMaxSz=99999999999"},
      {"empty", "fIdentifyCircularRna", {{"rMinSz", ""}, {"rMaxSz", "40"}}, 1, "\ninvalid stoi argument\nrMinSz="},
      // RandExt converts mutTipSz, immutSz, then misNu.
      {"RandExt's first", "RandExt", randExt("x", "", "1"), 1, "\ninvalid stoi argument\nmutTipSz="},
      {"RandExt's second", "RandExt", randExt("x", "5", "y"), 1, "\ninvalid stoi argument\nimmutSz=x"},
      {"RandExt's third", "RandExt", randExt("20", "5", "99999999999"), 1,
       "\nstoi argument out of range\nmisNu=99999999999"},
      {"a missing genome", "fTestGenomeSborka", genome("missing.bin"), 0, "\ni can't open <d>/missing.bin" + done},
      {"a code that is no base", "fTestGenomeSborka", genome("bad.bin"), 0,
       "\ngenome: position = 6non{ACGT) symbol = N" + done},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("bad.bin", fCodes("ACGT") + "N");
    if (c.params.empty()) folder.write("_ParamsOfFunc.txt", c.selection);
    // run() alone leaves the folder's path in the console; run(procedure, params) writes "<d>" for it.
    const RunResult result = c.params.empty() ? folder.run() : folder.run(c.selection, c.params);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.what;
    EXPECT_EQ(result.console, c.params.empty() ? folder.expand(c.console) : c.console) << c.what;
    EXPECT_EQ(folder.results(), Files{}) << c.what;
  }
}

// Each key wait takes one byte of standard input and leaves the rest to the
// next program; a run that stops on a bad number takes none.
TEST(Dispatcher, KeyWaitsTakeOneByteEachWhereTheRunStops) {
  // `procedure` nullptr: no selection file.
  struct Case { const char *what, *procedure; std::string genome; const char* minSize; std::string leftOver; };
  const Case cases[] = {
      {"missing selection file", nullptr, "g.bin", "16", "23456"},
      {"unknown procedure: only the closing wait", "fNothing", "g.bin", "16", "23456"},
      {"missing genome, then the closing wait", "fTestGenomeSborka", "none.bin", "16", "3456"},
      {"an unconvertible size waits for nothing", "fTestGenomeSborka", "g.bin", "x", "123456"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.params("p.txt", {{"diRes", folder.dir()}, {"pthGnm", folder.path(c.genome)},
                            {"rMinSz", c.minSize}, {"rMaxSz", "20"}});
    if (c.procedure != nullptr) folder.select(folder.path("p.txt"), c.procedure);
    EXPECT_EQ(fShell("cd '" + folder.dir() + "' && printf 123456 | { ./vantrels >/dev/null; printf '|'; cat; }"),
              "|" + c.leftOver) << c.what;
  }
}

TEST(Dispatcher, ExeDirectoryIsThePathUpToItsLastSeparator) {
  // Only the first 500 characters of the path count.
  const std::string deep = "/" + std::string(499, 'd') + "/x/vantrels";
  const std::pair<std::string, std::string> cases[] = {
      {"Z:\\path\\to\\vantrels.exe", "Z:\\path\\to\\"}, {"/opt/bin/vantrels", "/opt/bin/"}, {"./vantrels", "./"},
      {"vantrels", ""}, {deep, "/"}};
  for (const auto& c : cases) EXPECT_EQ(fExeDirectory(c.first.c_str()), c.second) << c.first;
}

TEST(Dispatcher, StartedWithoutADirectoryLooksInTheWorkingDirectory) {
  RunFolder exeFolder;
  RunFolder workFolder;
  workFolder.select("p.txt", "fNothing");
  EXPECT_EQ(fShell("cd '" + workFolder.dir() + "' && PATH='" + exeFolder.dir() + "':\"$PATH\" vantrels </dev/null"),
            "\ndone\n");
}

// A directory named where a file of the run should be: it is refused as a file
// that can't be opened, with the message for a missing file, instead of being
// read as an empty one. One case per way the procedures open their inputs.
TEST(DirectoryInput, EveryWayOfOpeningAnInputRefusesADirectory) {
  // Genomes are opened as files: "i can't open " and the path; reads, lists
  // and task lists as streams: "i can't open", a line feed and the path.
  const std::string file = "\ni can't open <d>/sub\ndone\n", stream = "\ni can't open\n<d>/sub\ndone\n";
  struct Case {
    const char *procedure, *genome, *reads, *list;  // names in the folder; the list is a rating's or the task list
    std::string console;
  } cases[] = {
      {"fMatchReadsT_VarSzO", "sub", "r.bin", "", file},  // loaded by the dispatcher
      {"fIdentifyCircularRna", "sub", "r.txt", "", file},
      {"RandExt", "sub", "r.txt", "", file},
      {"fMapReadsOnToSeq", "g.bin", "sub", "", stream},
      {"RandExt", "g.txt", "sub", "", stream},
      {"fMatchReadsT_VarSzPartedRate", "g.bin", "", "list.txt", "\n1\nseaching parted reads\n2" + stream},
      {"RandExtTaskList", "g.txt", "r.txt", "sub", stream},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    const std::string genome = "ACGTACGTACGTACGTACGTAAACCCGGGTTTACGATCGATCGTAGCTAGCTAGCTGATCGATCGTAGCTAG";
    const std::string reads = "ACGTACGTACGTACGTACGTAAAC\nGGGTTTACGATCGATCG\n";
    folder.write("g.txt", genome);
    folder.write("g.bin", fCodes(genome));
    folder.write("r.txt", reads);
    folder.write("r.bin", fCodes(reads));
    folder.write("list.txt", "r.bin\nsub\n");
    ASSERT_EQ(mkdir(folder.path("sub").c_str(), 0755), 0);
    const std::string at = "<d>/";
    RunResult result = folder.run(c.procedure, {{"diRes", "<d>"}, {"rMinSz", "16"}, {"rMaxSz", "40"},
                                                {"experimentId", "e"}, {"immutSz", "20"}, {"mutTipSz", "5"},
                                                {"misNu", "1"}, {"pthGnm", at + c.genome}, {"pthReads", at + c.reads},
                                                {"diReads", "<d>"}, {"pthList", at + c.list},
                                                {"pthTaskList", at + c.list}});
    EXPECT_EQ(result.exitCode, 0) << c.procedure;
    // The procedures that read their own parameter file echo it first.
    const size_t end = result.console.size() >= c.console.size() ? result.console.size() - c.console.size() : 0;
    EXPECT_EQ(result.console.substr(end), c.console) << c.procedure << "\n" << result.console;
  }
}

TEST(DirectoryInput, SelectionAndParameterFilesThatAreDirectories) {
  RunFolder folder;
  ASSERT_EQ(mkdir(folder.path("sub").c_str(), 0755), 0);
  folder.select(folder.path("sub"), "fReadsOutOfSeq");
  EXPECT_EQ(folder.run().console, "\ni can't open " + folder.path("sub") + "\ndone\n");
  // The selection file itself: the run ends at once, without "done".
  RunFolder other;
  ASSERT_EQ(mkdir(other.path("_ParamsOfFunc.txt").c_str(), 0755), 0);
  RunResult result = other.run();
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.console, "\ni can't open\n" + other.path("_ParamsOfFunc.txt"));
}

}  // namespace
