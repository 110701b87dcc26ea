// RandExtTaskList end to end: several experiments over one genome and index.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "endreplace/randext_support.h"
#include "support/run_folder.h"

namespace {
using namespace randext_test;

const char kFreeLines[] = "task list\n#\n#\n#\n#\n#\n";
const char kTaskHeader[] = "\nimmutSz\tmutTipSz\tmisNu";
const char kListInputs[] = "_ParamsOfFunc.txt g.txt p.txt r.txt t.txt vantrels";

RunResult fRunList(const RunFolder& folder, const std::string& list) {
  folder.write("g.txt", kGenome);
  folder.write("r.txt", kReads);
  folder.write("t.txt", list);
  folder.params("p.txt", {{"diRes", folder.dir()},
                          {"pthGnm", folder.path("g.txt")},
                          {"pthReads", folder.path("r.txt")},
                          {"pthTaskList", folder.path("t.txt")}});
  folder.select(folder.path("p.txt"), "RandExtTaskList");
  return folder.run();
}

std::string fEcho(const RunFolder& folder, const std::string& identity) {
  return "procedure  RandExtTaskList\ngenome        " + folder.path("g.txt") + "\nreads         " +
         folder.path("r.txt") + "\ntaskList  =" + folder.path("t.txt") + "\nexperimentId=" + identity +
         "\nexecuting...";
}

// The folder's files as one line, the inputs included.
std::string fFiles(const RunFolder& folder) {
  std::string names;
  for (const std::string& name : folder.files()) names += (names.empty() ? "" : " ") + name;
  return names;
}

std::string fSorted(std::string names) {
  std::vector<std::string> words;
  size_t start = 0;
  while (start < names.size()) {
    size_t end = names.find(' ', start);
    if (end == std::string::npos) end = names.size();
    words.push_back(names.substr(start, end - start));
    start = end + 1;
  }
  std::sort(words.begin(), words.end());
  std::string sorted;
  for (const std::string& word : words) sorted += (sorted.empty() ? "" : " ") + word;
  return sorted;
}

TEST(RandExtTaskList, TasksShareOneIndexAndTheListStopsAtATaskWithNoDetectedReads) {
  RunFolder folder;
  // CR LF on the identity and on the second task; the fourth task repeats the
  // first; the fifth finds nothing and stops the list before the sixth.
  const std::string list = std::string(kFreeLines) + "run.7\r\nsizes\r\n20\t5\t1\n20\t5\t2\r\n20\t5\t4\n" +
                           "20\t5\t1\n22\t3\t5\n21\t4\t1\n";
  RunResult result = fRunList(folder, list);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.console, fEcho(folder, "run_7") + kTaskHeader +
                                "\n20\t5\t1\n20\t5\t2\n20\t5\t4\n20\t5\t1\n22\t3\t5\nno detected reads\ndone\n");
  const char* procedure = "fCutRnaReplacedEnd_BaseTaskList";
  EXPECT_EQ(folder.read("run_7_20!5!1!.txt"), kTableMisNu1);
  EXPECT_EQ(folder.read("run_7_20!5!1!Log.txt"), fLog(procedure, folder, kCountsMisNu1));
  EXPECT_EQ(folder.read("run_7_20!5!2!.txt"), kTableMisNu1);
  EXPECT_EQ(folder.read("run_7_20!5!2!Log.txt"), fLog(procedure, folder, kCountsMisNu1));
  EXPECT_EQ(folder.read("run_7_20!5!4!.txt"), kTableMisNu4);
  EXPECT_EQ(folder.read("run_7_20!5!4!Log.txt"), fLog(procedure, folder, kCountsMisNu4));
  EXPECT_EQ(folder.read("run_7_22!3!5!.txt"), "");
  EXPECT_EQ(folder.read("run_7_22!3!5!Log.txt"), "");
  // Nothing of the sixth task, and the hit files are gone.
  EXPECT_EQ(fFiles(folder), fSorted(std::string(kListInputs) +
                                    " run_7_20!5!1!.txt run_7_20!5!1!Log.txt run_7_20!5!2!.txt run_7_20!5!2!Log.txt"
                                    " run_7_20!5!4!.txt run_7_20!5!4!Log.txt run_7_22!3!5!.txt run_7_22!3!5!Log.txt"));
}

TEST(RandExtTaskList, ListsWithoutTaskLinesAndEmptyLines) {
  struct Case {
    std::string what, list, identity, tasksConsole, results;
  } cases[] = {
      {"eight lines run no task but build the index", std::string(kFreeLines) + "id\nsizes", "id", "", ""},
      {"the identity \"blank\" has no special meaning; empty task lines are skipped",
       std::string(kFreeLines) + "blank\nsizes\n\n\r\n20\t5\t1\n\n", "blank", "\n20\t5\t1",
       " blank_20!5!1!.txt blank_20!5!1!Log.txt"},
      {"an empty identity", std::string(kFreeLines) + "\nsizes\n20\t5\t1", "", "\n20\t5\t1",
       " _20!5!1!.txt _20!5!1!Log.txt"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    RunResult result = fRunList(folder, c.list);
    EXPECT_EQ(result.console, fEcho(folder, c.identity) + kTaskHeader + c.tasksConsole + "\ndone\n") << c.what;
    EXPECT_EQ(fFiles(folder), fSorted(kListInputs + c.results)) << c.what;
    if (!c.results.empty()) {
      EXPECT_EQ(folder.read(c.identity + "_20!5!1!.txt"), kTableMisNu1) << c.what;
    }
  }
}

TEST(RandExtTaskList, BrokenListsStopWithTheirMessage) {
  const std::string refused =
      "\ntask line refused: it must hold immutSz, mutTipSz and misNu separated by single TABs, in fewer than 100 "
      "characters: ";
  const std::string longLine = "20\t5\t1" + std::string(94, ' ');  // its end lies at position 100
  struct Case {
    std::string what, tasks, tasksConsole, results;
  } cases[] = {
      {"spaces instead of TABs", "20\t5\t1\n20 5 1\n20\t5\t1\n", "\n20\t5\t1\n20 5 1" + refused + "20 5 1",
       " x_20!5!1!.txt x_20!5!1!Log.txt"},
      {"one TAB", "20\t5\n", "\n20\t5" + refused + "20\t5", ""},
      {"a line of 100 characters", longLine + "\n", "\n" + longLine + refused + longLine, ""},
      {"an aimed size below 12", "6\t5\t1\n",
       "\n6\t5\t1\nsizes refused: immutSz=6, mutTipSz=5; the aimed read size immutSz + mutTipSz must lie in "
       "12..5119, the tip in 0..15 letters and immutSz must not be negative",
       ""},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    RunResult result = fRunList(folder, std::string(kFreeLines) + "x\nsizes\n" + c.tasks);
    EXPECT_EQ(result.exitCode, 0) << c.what;
    EXPECT_EQ(result.console, fEcho(folder, "x") + kTaskHeader + c.tasksConsole + "\ndone\n") << c.what;
    EXPECT_EQ(fFiles(folder), fSorted(kListInputs + c.results)) << c.what;
  }
  // A line of 99 characters is still a task: the third field may carry trailing text.
  RunFolder folder;
  const std::string longest = "20\t5\t1" + std::string(93, ' ');
  fRunList(folder, std::string(kFreeLines) + "x\nsizes\n" + longest + "\n");
  EXPECT_EQ(folder.read("x_20!5!1" + std::string(93, ' ') + "!.txt"), kTableMisNu1);
}

TEST(RandExtTaskList, ShortListsAndUnconvertibleFields) {
  {
    RunFolder folder;
    RunResult result = fRunList(folder, "1\n2\n3\n4\n5\n6\nid\n");
    EXPECT_EQ(result.console, "\ntask list has fewer than 8 lines (6 free lines, the identity, 1 free line): " +
                                  folder.path("t.txt") + "\ndone\n");
    EXPECT_EQ(fFiles(folder), fSorted(kListInputs));
  }
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
    EXPECT_EQ(result.console, fEcho(folder, "x") + kTaskHeader + "\n20\t5\t1\n" + c.task + c.console);
    // The earlier task's results stay.
    EXPECT_EQ(folder.read("x_20!5!1!.txt"), kTableMisNu1) << c.task;
  }
}

}  // namespace
