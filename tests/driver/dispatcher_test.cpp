// Start-up and dispatch, driven through the real executable.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "driver/dispatcher.h"
#include "support/run_folder.h"

namespace {

TEST(Dispatcher, SelectionFilesThatRunNothingStillCloseWithDone) {
  struct Case {
    const char* what;
    const char* selection;  // nullptr: no selection file
    std::string console;
  } cases[] = {
      {"CR LF line ends keep the carriage return in the name", "p.txt\r\nRandExt\r\n", "\ndone\n"},
      {"a name differing in letter case", "p.txt\nrandext\n", "\ndone\n"},
      {"a prefix of a longer name", "p.txt\nRandExtTask\n", "\ndone\n"},
      {"an empty file", "", "\ndone\n"},
      {"a single line", "p.txt\n", "\ndone\n"},
      {"an unknown name", "p.txt\nfNothing\n", "\ndone\n"},
      {"no selection file says so without done", nullptr, "\ni can't open\n<d>/_ParamsOfFunc.txt"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    if (c.selection != nullptr) folder.write("_ParamsOfFunc.txt", c.selection);
    RunResult result = folder.run();
    EXPECT_EQ(result.exitCode, 0) << c.what;
    EXPECT_EQ(result.console, folder.expand(c.console)) << c.what;
  }
  // A first line of 200 characters leaves the name empty.
  RunFolder folder;
  folder.write("_ParamsOfFunc.txt", std::string(200, 'x') + "\nRandExt\n");
  EXPECT_EQ(folder.run().console, "\ndone\n");
}

// Numbers are converted when the parameter file is read, before any echo or file.
TEST(Dispatcher, UnconvertibleNumbersEndTheRunWithExitCodeOne) {
  auto randExt = [](const char* immutSz, const char* mutTipSz, const char* misNu) -> Files {
    return {{"diRes", "<d>"}, {"pthGnm", "<d>/g.txt"}, {"pthReads", "<d>/r.txt"}, {"experimentId", "u"},
            {"immutSz", immutSz}, {"mutTipSz", mutTipSz}, {"misNu", misNu}};
  };
  struct Case {
    const char* procedure;
    Files params;
    std::string console;
  } cases[] = {
      {"fMapReadsOnToSeq", {{"rMinSz", "abc"}, {"rMaxSz", "20"}}, "\ninvalid stoi argument\nrMinSz=abc"},
      {"fMapReadsOnToSeq", {{"rMinSz", "16"}, {"rMaxSz", "99999999999"}},
       "\nstoi argument out of range\nrMaxSz=99999999999"},
      {"fMapReadsOnToSeq", {{"rMinSz", ""}, {"rMaxSz", "20"}}, "\ninvalid stoi argument\nrMinSz="},
      {"fIdentifyCircularRna", {{"rMinSz", ""}, {"rMaxSz", "40"}}, "\ninvalid stoi argument\nrMinSz="},
      // RandExt converts mutTipSz, immutSz, then misNu.
      {"RandExt", randExt("x", "", "1"), "\ninvalid stoi argument\nmutTipSz="},
      {"RandExt", randExt("x", "5", "y"), "\ninvalid stoi argument\nimmutSz=x"},
      {"RandExt", randExt("20", "5", "99999999999"), "\nstoi argument out of range\nmisNu=99999999999"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    RunResult result = folder.run(c.procedure, c.params);
    EXPECT_EQ(result.exitCode, 1) << c.console;
    EXPECT_EQ(result.console, c.console);
    EXPECT_EQ(folder.results(), Files{}) << c.console;
  }
}

TEST(Dispatcher, GenomeThatCannotBeLoadedSkipsTheProcedure) {
  RunFolder folder;
  folder.write("bad.bin", fCodes("ACGT") + "N");
  folder.write("empty.bin", "");
  folder.write("huge.bin", "");
  ASSERT_EQ(truncate(folder.path("huge.bin").c_str(), INT64_C(0x80000000)), 0);  // sparse: 2^31 bytes
  struct Case {
    std::string genome, console;
  } cases[] = {
      {"missing.bin", "\ni can't open <d>/missing.bin\ndone\n"},
      {"bad.bin", "\ngenome: position = 6non{ACGT) symbol = N\ndone\n"},
      {"empty.bin", "\ngenome file is empty: <d>/empty.bin\ndone\n"},
      {"huge.bin", "\ngenome file too large (2^31 bytes or more): <d>/huge.bin\ndone\n"},
  };
  for (const Case& c : cases) {
    RunResult result = folder.run("fTestGenomeSborka",
                                  {{"diRes", "<d>"}, {"pthGnm", "<d>/" + c.genome}, {"rMinSz", "16"}, {"rMaxSz", "20"}});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.console, c.console);
    EXPECT_EQ(folder.results(), Files{}) << c.genome;
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
