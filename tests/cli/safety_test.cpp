// Nothing lost: a run that fails, is interrupted or meets a full disk leaves the
// earlier results of the same names as they were and nothing of its own; two
// runs into one --out don't meet; task lists put each task in place as it ends.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli_support.h"
#include "support/sequences.h"
#include "support/run_folder.h"

namespace {

using Snapshot = std::map<std::string, std::string>;

// Every file of a folder with its bytes; private folders show up by name.
Snapshot fSnapshot(const std::string& dir) {
  Snapshot files;
  for (const std::string& name : fListFolder(dir)) files[name] = fReadFile(dir + "/" + name);
  return files;
}

// Waits, up to half a minute on a busy machine, until the runs got as far as
// making `count` private folders in `out`.
bool fAwaitPrivateFolders(const std::string& out, int count) {
  for (int tries = 0; tries < 3000 && fPrivateFolders(out) < count; ++tries)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return fPrivateFolders(out) >= count;
}

// A genome g.bin and g.txt; coded reads r.bin and half.bin, raw, so that nothing
// is converted; bad.txt, the genome with an N; r.txt, reads of 25 letters whose
// last 5, or last 4, letters were replaced by their complements.
void fWriteInputs(const RunFolder& folder) {
  const std::string genome = fRandomLetters(60000, 11);
  std::vector<std::string> reads;
  for (size_t i = 0; i < 400; ++i) reads.push_back(genome.substr(i * 131, 20 + i % 11));
  folder.write("g.bin", fCodes(genome));
  folder.write("r.bin", fCodes(fLines(reads)));
  reads.resize(200);
  folder.write("half.bin", fCodes(fLines(reads)));
  folder.write("g.txt", genome);
  folder.write("bad.txt", genome.substr(0, 3000) + "N" + genome.substr(3001));
  std::vector<std::string> replaced;
  for (size_t start = 500; start < 50000; start += 997) {
    const std::string read = genome.substr(start, 25), lower = fReverseComplement(read);
    const std::string complement(lower.rbegin(), lower.rend());  // each letter complemented, in place
    replaced.push_back(read.substr(0, 20) + complement.substr(20));
    replaced.push_back(read.substr(0, 21) + complement.substr(21));
  }
  folder.write("r.txt", fLines(replaced));
}

std::vector<std::string> fCoverage(const RunFolder& folder, const std::string& reads, const std::string& out) {
  return {"coverage", "--genome", folder.path("g.bin"), "--reads", reads, "--out", out, "--min", "20", "--max", "30",
          "--quiet"};
}

TEST(NothingLost, AFailedRerunKeepsTheEarlierResultsAndLeavesNothing) {
  RunFolder folder;
  fWriteInputs(folder);
  const std::string out = folder.path("out");
  auto randext = [&](const char* genome, const char* tip) {
    return std::vector<std::string>{"randext", "--genome", folder.path(genome), "--reads", folder.path("r.txt"), "--out",
                                    out, "--immut", "20", "--tip", tip, "--id", "e1", "--quiet"};
  };
  ASSERT_EQ(fVantrels(randext("g.txt", "5")).exitCode, 0);
  ASSERT_EQ(fVantrels(fCoverage(folder, folder.path("r.bin"), out)).exitCode, 0);
  const Snapshot before = fSnapshot(out);
  ASSERT_EQ(before.size(), 12u);  // native files, summaries, and the standard files of both runs
  const struct {
    const char* what;
    std::vector<std::string> args;
    long long fileSizeLimit;
    int exitCode;
  } cases[] = {
      {"a bad genome byte", randext("bad.txt", "5"), -1, 2},
      {"refused sizes", randext("g.txt", "16"), -1, 1},
      {"a file-size limit (a full disk)", fCoverage(folder, folder.path("half.bin"), out), 64 << 10, 3},
      {"a missing reads file", fCoverage(folder, folder.path("none.bin"), out), -1, 2},
  };
  for (const auto& c : cases) {
    CliLimits limits;
    limits.fileSizeBytes = c.fileSizeLimit;
    CliResult result = fVantrels(c.args, limits);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.what << ": " << result.err;
    EXPECT_EQ(fHead(result.err, "vantrels: "), "vantrels: ") << c.what;
    EXPECT_TRUE(fSnapshot(out) == before) << c.what;
  }
}

TEST(NothingLost, ASignalMidRunRemovesTheRunsFilesAndExitsWith128PlusItsNumber) {
  RunFolder folder;
  fWriteInputs(folder);
  const std::string out = folder.path("out");
  ASSERT_EQ(fVantrels(fCoverage(folder, folder.path("r.bin"), out)).exitCode, 0);
  const Snapshot before = fSnapshot(out);
  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    // Reads from a pipe that stays open: the run waits in the middle of its input.
    CliChild child = fStartVantrels(fCoverage(folder, "-", out));
    ASSERT_TRUE(fAwaitPrivateFolders(out, 1));
    const std::string partial = fReadFile(folder.path("r.bin")).substr(0, 1000);
    ASSERT_EQ(write(child.stdinWrite, partial.data(), partial.size()), static_cast<ssize_t>(partial.size()));
    kill(child.pid, signal);
    CliResult result = fWaitVantrels(child);
    EXPECT_EQ(result.exitCode, 128 + signal);
    EXPECT_EQ(result.err, "vantrels: stopped by signal " + std::to_string(signal) +
                              "; what this run had not finished was removed\n");
    EXPECT_TRUE(fSnapshot(out) == before);
  }
}

TEST(NothingLost, TwoRunsIntoOneOutDoNotMeet) {
  RunFolder folder;
  fWriteInputs(folder);
  // What each run gives on its own.
  const std::string reads[2] = {folder.path("r.bin"), folder.path("half.bin")};
  Snapshot alone[2];
  for (int run = 0; run < 2; ++run) {
    const std::string out = folder.path("alone" + std::to_string(run));
    CliLimits limits;
    limits.stdinPath = reads[run];
    ASSERT_EQ(fVantrels(fCoverage(folder, "-", out), limits).exitCode, 0);
    alone[run] = fSnapshot(out);
  }
  // Both at once, each held in its input until both have their private folder.
  const std::string out = folder.path("shared");
  CliChild children[2] = {fStartVantrels(fCoverage(folder, "-", out)), fStartVantrels(fCoverage(folder, "-", out))};
  ASSERT_TRUE(fAwaitPrivateFolders(out, 2));
  for (int run = 0; run < 2; ++run) {
    const std::string bytes = fReadFile(reads[run]);
    ASSERT_EQ(write(children[run].stdinWrite, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  for (CliChild& child : children) EXPECT_EQ(fWaitVantrels(child).exitCode, 0);
  // Same names: each file is whole, from one run or the other, never a mix.
  Snapshot shared = fSnapshot(out);
  ASSERT_EQ(shared.size(), alone[0].size());
  for (const auto& file : shared) {
    if (file.first.find(".summary.tsv") != std::string::npos) continue;
    EXPECT_TRUE(file.second == alone[0][file.first] || file.second == alone[1][file.first]) << file.first;
  }
  EXPECT_EQ(fPrivateFolders(out), 0);
}

TEST(NothingLost, EachTaskIsInPlaceWhenItEndsAndAFailingTaskLeavesNoneOfItsFiles) {
  RunFolder folder;
  fWriteInputs(folder);
  const std::string head = "1\n2\n3\n4\n5\n6\nrun.1\n8\n";
  struct Case {
    const char* tasks;
    int exitCode;
    std::vector<std::string> tables;  // site tables in --out afterwards
    std::string warning;
  } cases[] = {
      {"20\t5\t1\n21\t4\t2\n", 0, {"run_1_20!5!1!.txt", "run_1_21!4!2!.txt"}, ""},
      {"20\t5\t1\n20\t16\t1\n21\t4\t2\n", 1, {"run_1_20!5!1!.txt"}, ""},
      {"20\t5\t1\n10\t5\t1\n", 0, {"run_1_10!5!1!.txt", "run_1_20!5!1!.txt"}, "vantrels: warning: "},
  };
  // A task for reads of another size finds nothing: no read has 10 + 5 letters.
  int row = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tasks);
    const std::string out = folder.path("out" + std::to_string(row++));
    folder.write("tasks.txt", head + c.tasks);
    CliResult result = fVantrels({"randext-tasks", "--genome", folder.path("g.txt"), "--reads", folder.path("r.txt"),
                                  "--out", out, "--tasks", folder.path("tasks.txt"), "--quiet"});
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    std::vector<std::string> tables;
    for (const std::string& name : fListFolder(out))
      if (name.size() > 5 && name.compare(name.size() - 5, 5, "!.txt") == 0) tables.push_back(name);
    EXPECT_EQ(tables, c.tables);
    EXPECT_EQ(fHead(result.err, c.warning), c.warning);
    EXPECT_EQ(fPrivateFolders(out), 0);
  }
}

TEST(NothingLost, AResultNameThatIsALinkIsWrittenThroughToItsTarget) {
  RunFolder folder;
  fWriteInputs(folder);
  const std::string out = folder.path("out");
  mkdir(out.c_str(), 0777);
  const std::string log = "r[20-30]g_Log.txt";
  ASSERT_EQ(symlink(folder.path("kept-log.txt").c_str(), (out + "/" + log).c_str()), 0);
  ASSERT_EQ(fVantrels(fCoverage(folder, folder.path("r.bin"), out)).exitCode, 0);
  struct stat status;
  ASSERT_EQ(lstat((out + "/" + log).c_str(), &status), 0);
  EXPECT_TRUE(S_ISLNK(status.st_mode));
  EXPECT_EQ(fHead(fReadFile(folder.path("kept-log.txt")), "program= fMatchReadsT_VarSzO\n"),
            "program= fMatchReadsT_VarSzO\n");
}

}  // namespace
