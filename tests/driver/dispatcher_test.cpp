// Start-up and dispatch, driven through the real executable.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "driver/dispatcher.h"
#include "support/run_folder.h"

namespace {

// Runs that end before a procedure's work: bad selection files, numbers that
// can't be converted (before any echo or file) and genomes that can't be loaded.
TEST(Dispatcher, RunsThatDoNoWorkSayWhyAndWriteNothing) {
  auto randExt = [](const char* immutSz, const char* mutTipSz, const char* misNu) -> Files {
    return {{"diRes", "<d>"}, {"pthGnm", "<d>/g.txt"}, {"pthReads", "<d>/r.txt"}, {"experimentId", "u"},
            {"immutSz", immutSz}, {"mutTipSz", mutTipSz}, {"misNu", misNu}};
  };
  auto genome = [](const std::string& name) -> Files {
    return {{"diRes", "<d>"}, {"pthGnm", "<d>/" + name}, {"rMinSz", "16"}, {"rMaxSz", "20"}};
  };
  const std::string done = "\ndone\n";
  struct Case {
    const char* what;
    std::string selection;  // the selection file, when no parameters are given; "-": none
    Files params;           // else the parameter file of the procedure named in `selection`
    int exitCode;
    std::string console;
  } cases[] = {
      {"CR LF line ends keep the carriage return in the name", "p.txt\r\nRandExt\r\n", {}, 0, done},
      {"a name differing in letter case", "p.txt\nrandext\n", {}, 0, done},
      {"a prefix of a longer name", "p.txt\nRandExtTask\n", {}, 0, done},
      {"an empty file", "", {}, 0, done},
      {"a single line", "p.txt\n", {}, 0, done},
      {"an unknown name", "p.txt\nfNothing\n", {}, 0, done},
      {"a first line of 200 characters leaves the name empty", std::string(200, 'x') + "\nRandExt\n", {}, 0, done},
      {"no selection file says so without done", "-", {}, 0, "\ni can't open\n<d>/_ParamsOfFunc.txt"},
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
      {"an empty genome", "fTestGenomeSborka", genome("empty.bin"), 0, "\ngenome file is empty: <d>/empty.bin" + done},
      {"a genome of 2^31 bytes", "fTestGenomeSborka", genome("huge.bin"), 0,
       "\ngenome file too large (2^31 bytes or more): <d>/huge.bin" + done},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("bad.bin", fCodes("ACGT") + "N");
    folder.write("empty.bin", "");
    folder.write("huge.bin", "");
    ASSERT_EQ(truncate(folder.path("huge.bin").c_str(), INT64_C(0x80000000)), 0);  // sparse
    if (c.params.empty() && c.selection != "-") folder.write("_ParamsOfFunc.txt", c.selection);
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
  struct Case {
    const char* what;
    const char* procedure;  // nullptr: no selection file
    std::string genome;
    const char* minSize;
    std::string leftOver;
  } cases[] = {
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
    std::string command = "cd '" + folder.dir() + "' && printf 123456 | { ./vantrels >/dev/null; printf '|'; cat; }";
    FILE* console = popen(command.c_str(), "r");
    ASSERT_NE(console, nullptr);
    char text[64] = {};
    size_t got = fread(text, 1, sizeof text - 1, console);
    pclose(console);
    EXPECT_EQ(std::string(text, got), "|" + c.leftOver) << c.what;
  }
}

TEST(Dispatcher, ExeDirectoryIsThePathUpToItsLastSeparator) {
  EXPECT_EQ(fExeDirectory("Z:\\path\\to\\vantrels.exe"), "Z:\\path\\to\\");
  EXPECT_EQ(fExeDirectory("/opt/bin/vantrels"), "/opt/bin/");
  EXPECT_EQ(fExeDirectory("./vantrels"), "./");
  EXPECT_EQ(fExeDirectory("vantrels"), "");
  // Only the first 500 characters of the path count.
  std::string deep = "/" + std::string(499, 'd') + "/x/vantrels";
  EXPECT_EQ(fExeDirectory(deep.c_str()), "/");
}

TEST(Dispatcher, StartedWithoutADirectoryLooksInTheWorkingDirectory) {
  RunFolder exeFolder;
  RunFolder workFolder;
  workFolder.select("p.txt", "fNothing");
  std::string command = "cd '" + workFolder.dir() + "' && PATH='" + exeFolder.dir() + "':\"$PATH\" vantrels </dev/null";
  FILE* console = popen(command.c_str(), "r");
  ASSERT_NE(console, nullptr);
  char text[256] = {};
  size_t got = fread(text, 1, sizeof text - 1, console);
  EXPECT_EQ(pclose(console), 0);
  EXPECT_EQ(std::string(text, got), "\ndone\n");
}

}  // namespace
