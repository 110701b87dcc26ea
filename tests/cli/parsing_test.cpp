// What the command line makes of its words before anything runs: options and
// their values, whole numbers, a parameter file under the options, task lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/options.h"
#include "cli/settings.h"
#include "cli/task_list.h"
#include "driver/console.h"
#include "support/run_folder.h"

namespace {

TEST(CommandLineOptions, ValuesSwitchesOperandsAndProblems) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {  // key=value;... as parsed, or the problem
      {{"--out", "res", "--min=5"}, "--min=5;--out=res;"},
      {{"--min", "5", "--min", "6"}, "--min=6;"},
      {{"--out=a=b"}, "--out=a=b;"},
      {{"--out="}, "--out=;"},
      {{"--out", "-"}, "--out=-;"},
      {{"--quiet", "--out", "r"}, "--out=r;"},
      {{"--", "--out"}, ""},
      {{"--min"}, "refused: option --min needs a value"},
      {{"--bogus", "1"}, "refused: unknown option --bogus"},
      {{"--quiet=yes"}, "refused: option --quiet takes no value"},
  };
  for (const auto& [args, expected] : cases) {
    CommandLine line;
    std::string problem, values;
    bool parsed = fParseCommandLine(args, {"--quiet"}, {"--out", "--min"}, line, problem);
    for (const auto& [key, value] : line.values) values += key + "=" + value + ";";
    EXPECT_EQ(parsed ? values : "refused: " + problem, expected) << args[0];
  }
}

TEST(CommandLineOptions, AWholeNumberIsDigitsOnly) {
  constexpr int64_t kRefused = -7;  // the value stays as it was
  const std::pair<const char*, int64_t> cases[] = {
      {"0", 0},          {"2147483647", 2147483647}, {"2147483648", kRefused}, {"5abc", kRefused}, {"-1", kRefused},
      {"+1", kRefused},  {" 1", kRefused},           {"", kRefused},           {"9999999999999999999999", kRefused},
  };
  for (const auto& [text, expected] : cases) {
    int64_t value = kRefused;
    EXPECT_EQ(fParseCount(text, 2147483647, value), expected != kRefused) << text;
    EXPECT_EQ(value, expected) << text;
  }
}

TEST(CommandLineSettings, OptionsOverrideTheParameterFileAndEveryProblemIsNamed) {
  // As in the command line: a parameter file that can't be read is said once, by it.
  ConsoleOn = false;
  RunFolder folder;
  folder.params("p.txt", {{"diRes", "/from/params"}, {"pthGnm", "g.txt"}, {"pthReads", "r.txt"}, {"rMinSz", "20"},
                          {"rMaxSz", "40"}, {"immutSz", "20"}});
  folder.params("bad.txt", {{"rMinSz", "20abc"}});
  const std::string params = folder.path("p.txt");
  struct Case {
    const char* command;
    std::vector<std::string> args;
    int code;
    std::string expected;  // "out min max genome" or the problem
  } cases[] = {
      {"coverage", {"--params", params}, kExitDone, "/from/params 20 40 g.txt"},
      {"coverage", {"--params", params, "--min", "25", "--out=here"}, kExitDone, "here 25 40 g.txt"},
      {"fMatchReadsT_VarSzO", {"--params=" + params, "--genome", "x.fa"}, kExitDone, "/from/params 20 40 x.fa"},
      {"absent", {"--genome", "g", "--reads", "r", "--out", "o"}, kExitDone, "o 1 5119 g"},
      {"coverage", {"--genome", "g", "--reads", "r", "--out", "o", "--min", "5"}, kExitUsage,
       "coverage needs --max N"},
      {"coverage", {"--params", folder.path("bad.txt"), "--genome", "g", "--reads", "r", "--out", "o", "--max", "9"},
       kExitUsage, "rMinSz of --params 20abc: not a whole number (digits only, at most 2147483647)"},
      {"coverage", {"--params", params, "--out", ""}, kExitUsage, "--out is empty: give a path"},
      {"coverage", {"--params", params, "--min", "5abc"}, kExitUsage,
       "--min 5abc: not a whole number (digits only, at most 2147483647)"},
      {"coverage", {"--params", params, "--min", "20/../x"}, kExitUsage,
       "--min 20/../x: not a whole number (digits only, at most 2147483647)"},
      {"coverage", {"--params", params, "--min", "50"}, kExitUsage, "--min 50 is above --max 40"},
      {"coverage", {"--params", params, "--depth", "--no-standard"}, kExitUsage,
       "--depth asks for standard files that --no-standard leaves out; give one of them"},
      {"coverage", {"--params", params, "--tasks", "t"}, kExitUsage, "coverage: unknown option --tasks"},
      {"coverage", {"--params", params, "stray"}, kExitUsage, "coverage takes options only, not stray"},
      {"coverage", {"--params", folder.path("none.txt")}, kExitInput,
       "--params " + folder.path("none.txt") + ": can't be read; check the path"},
      {"randext", {"--params", params, "--tip", "5", "--id", "a/b"}, kExitUsage,
       "--id a/b: must not hold / or \\ (it starts file names in --out)"},
  };
  for (const Case& c : cases) {
    const Command* command = fFindCommand(c.command);
    ASSERT_NE(command, nullptr) << c.command;
    RunSettings settings;
    std::string problem;
    int code = fReadSettings(*command, c.args, settings, problem);
    EXPECT_EQ(code, c.code) << c.command << " " << c.expected;
    std::string got = code == kExitDone ? settings.out + " " + std::to_string(settings.minSize) + " " +
                                              std::to_string(settings.maxSize) + " " + settings.genome
                                        : problem;
    EXPECT_EQ(got, c.expected);
  }
  ConsoleOn = true;
}

TEST(TaskListCheck, FieldsMustBeTheNumbersThemselves) {
  const std::string head = "1\n2\n3\n4\n5\n6\nrun.7\n8\n";
  struct Case {
    std::string text;
    bool accepted;
    std::string expected;  // identity and tasks, or the problem's start
  } cases[] = {
      {head + "20\t5\t2\n22\t3\t0\r\n", true, "run_7 20/5/2 22/3/0"},
      {head, true, "run_7"},
      {head + "20\t5\t2\n\n\n", true, "run_7 20/5/2"},
      {head + "20\t5\t2", true, "run_7 20/5/2"},
      {head + "020\t5\t2\n", false, "line 9 \"020\t5\t2\""},
      {head + "20\t5\t2x\n", false, "line 9 "},
      {head + "20/../x\t5\t2\n", false, "line 9 "},
      {head + "20\t5\n", false, "line 9 "},
      {head + "20\t5\t2\t1\n", false, "line 9 "},
      {head + "20\t5\t2\n\n21\t4\t1\n", true, "run_7 20/5/2 21/4/1"},
      {head + "20\t5\t" + std::string(97, '1') + "\n", false, "line 9 "},
      {"1\n2\n3\n4\n5\n6\n7\n", false, "holds 7 lines"},
      {"1\n2\n3\n4\n5\n6\nx/y\n8\n", false, "line 7, the experiment name x/y"},
  };
  for (const Case& c : cases) {
    TaskList list;
    std::string problem;
    bool accepted = fCheckTaskList(c.text, list, problem);
    EXPECT_EQ(accepted, c.accepted) << c.text;
    if (accepted) {
      std::string got = list.identity;
      for (const TaskSizes& task : list.tasks)
        got += " " + std::to_string(task.immut) + "/" + std::to_string(task.tip) + "/" + std::to_string(task.mismatches);
      EXPECT_EQ(got, c.expected);
      EXPECT_EQ(list.text.back(), '\n');
    } else {
      EXPECT_EQ(problem.substr(0, c.expected.size()), c.expected);
    }
  }
}

}  // namespace
