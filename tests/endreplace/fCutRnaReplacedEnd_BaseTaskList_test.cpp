// RandExtTaskList end to end: several experiments over one genome and index.
#include <gtest/gtest.h>

#include <string>

#include "endreplace/randext_support.h"
#include "support/run_folder.h"

namespace {
using namespace randext_test;

const char kFreeLines[] = "task list\n#\n#\n#\n#\n#\n";
const char kTaskHeader[] = "\nimmutSz\tmutTipSz\tmisNu";
const char kProcedure[] = "fCutRnaReplacedEnd_BaseTaskList";

RunResult fRunList(const RunFolder& folder, const std::string& list) {
  folder.write("g.txt", kGenome);
  folder.write("r.txt", kReads);
  folder.write("t.txt", list);
  return folder.run("RandExtTaskList", {{"diRes", "<d>"}, {"pthGnm", "<d>/g.txt"}, {"pthReads", "<d>/r.txt"},
                                        {"pthTaskList", "<d>/t.txt"}});
}

std::string fEcho(const std::string& identity) {
  return "procedure  RandExtTaskList\ngenome        <d>/g.txt\nreads         <d>/r.txt\ntaskList  =<d>/t.txt"
         "\nexperimentId=" + identity + "\nexecuting...";
}

// The table and the log of a task with misNu 1 whose files begin with `stem`.
Files fTaskMisNu1(const std::string& stem) {
  return {{stem + ".txt", kTableMisNu1}, {stem + "Log.txt", fLog(kProcedure, kCountsMisNu1)}};
}

TEST(RandExtTaskList, TasksShareOneIndexAndTheListStopsAtATaskWithNoDetectedReads) {
  RunFolder folder;
  // CR LF on the identity and on the second task; the fourth task repeats the
  // first; the fifth finds nothing and stops the list before the sixth.
  RunResult result = fRunList(folder, std::string(kFreeLines) + "run.7\r\nsizes\r\n20\t5\t1\n20\t5\t2\r\n20\t5\t4\n" +
                                          "20\t5\t1\n22\t3\t5\n21\t4\t1\n");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.console, fEcho("run_7") + kTaskHeader +
                                "\n20\t5\t1\n20\t5\t2\n20\t5\t4\n20\t5\t1\n22\t3\t5\nno detected reads\ndone\n");
  // Nothing of the sixth task, and the hit files are gone.
  Files expected = fTaskMisNu1("run_7_20!5!1!");
  for (const auto& file : fTaskMisNu1("run_7_20!5!2!")) expected.push_back(file);
  expected.insert(expected.end(), {{"run_7_20!5!4!.txt", kTableMisNu4},
                                   {"run_7_20!5!4!Log.txt", fLog(kProcedure, kCountsMisNu4)},
                                   {"run_7_22!3!5!.txt", ""},
                                   {"run_7_22!3!5!Log.txt", ""}});
  EXPECT_EQ(folder.results(), expected);
}

TEST(RandExtTaskList, ListsThatEndEarlyOrHoldNoTask) {
  const std::string refused =
      "\ntask line refused: it must hold immutSz, mutTipSz and misNu separated by single TABs, in fewer than 100 "
      "characters: ";
  const std::string longLine = "20\t5\t1" + std::string(94, ' ');  // its end lies at position 100
  const std::string longest = "20\t5\t1" + std::string(93, ' ');   // a task: the third field may carry trailing text
  struct Case {
    const char* what;
    std::string lines, identity, tasksConsole;
    Files results;
  } cases[] = {
      {"eight lines run no task but build the index", "id\nsizes", "id", "", {}},
      {"the identity \"blank\" has no special meaning; empty task lines are skipped",
       "blank\nsizes\n\n\r\n20\t5\t1\n\n", "blank", "\n20\t5\t1", fTaskMisNu1("blank_20!5!1!")},
      {"an empty identity", "\nsizes\n20\t5\t1", "", "\n20\t5\t1", fTaskMisNu1("_20!5!1!")},
      {"spaces instead of TABs", "x\nsizes\n20\t5\t1\n20 5 1\n20\t5\t1\n", "x", "\n20\t5\t1\n20 5 1" + refused + "20 5 1",
       fTaskMisNu1("x_20!5!1!")},
      {"one TAB", "x\nsizes\n20\t5\n", "x", "\n20\t5" + refused + "20\t5", {}},
      {"a line of 100 characters", "x\nsizes\n" + longLine + "\n", "x", "\n" + longLine + refused + longLine, {}},
      {"a line of 99 characters", "x\nsizes\n" + longest + "\n", "x", "\n" + longest,
       fTaskMisNu1("x_20!5!1" + std::string(93, ' ') + "!")},
      {"an aimed size below 12", "x\nsizes\n6\t5\t1\n", "x",
       "\n6\t5\t1\nsizes refused: immutSz=6, mutTipSz=5; the aimed read size immutSz + mutTipSz must lie in "
       "12..5119, the tip in 0..15 letters and immutSz must not be negative",
       {}},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    RunResult result = fRunList(folder, kFreeLines + c.lines);
    EXPECT_EQ(result.exitCode, 0) << c.what;
    EXPECT_EQ(result.console, fEcho(c.identity) + kTaskHeader + c.tasksConsole + "\ndone\n") << c.what;
    EXPECT_EQ(folder.results(), c.results) << c.what;
  }
  RunFolder folder;
  EXPECT_EQ(fRunList(folder, "1\n2\n3\n4\n5\n6\nid\n").console,
            "\ntask list has fewer than 8 lines (6 free lines, the identity, 1 free line): <d>/t.txt\ndone\n");
  EXPECT_EQ(folder.results(), Files{});
}

// The earlier task's results stay, and so do the hit files.
TEST(RandExtTaskList, UnconvertibleFieldsEndTheRunWithExitCodeOne) {
  struct Case {
    std::string task, console;
  } cases[] = {
      {"20\t\t1", "\ninvalid stoi argument\nmutTipSz="},
      {"x\t5\ty", "\ninvalid stoi argument\nimmutSz=x"},
      {"20\t5\t3000000000", "\nstoi argument out of range\nmisNu=3000000000"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    RunResult result = fRunList(folder, std::string(kFreeLines) + "x\nsizes\n20\t5\t1\n" + c.task + "\n");
    EXPECT_EQ(result.exitCode, 1) << c.task;
    EXPECT_EQ(result.console, fEcho("x") + kTaskHeader + "\n20\t5\t1\n" + c.task + c.console);
    EXPECT_EQ(folder.read("x_20!5!1!.txt"), kTableMisNu1) << c.task;
    EXPECT_TRUE(folder.exists("Rna_fiUp.tmp") && folder.exists("Rna_fiLw.tmp")) << c.task;
  }
}

}  // namespace
