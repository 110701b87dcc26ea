// Running a procedure inside the test process, as the command line does: the
// run state a procedure needs with the console off, the procedure called by
// its selection name on a run folder's parameter file, and the check of the
// Outcome it returns against what a test expects.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "driver/console.h"
#include "driver/outcome.h"
#include "driver/run_state.h"
#include "support/run_folder.h"

struct ExpectedOutcome {
  RunStatus status;
  std::string file;                   // a name in the run's folder, or a refused parameter's key
  std::vector<std::string> written;   // names in the run's folder, in the order they were closed
  std::vector<std::pair<std::string, std::string>> counts;  // checked when not empty
  int64_t readsRead = -1;             // checked when not negative
};

// The end-replacement procedures give the line buffers back as they go:
// `call` runs with heap buffers of its own, and the caller's come back after.
Outcome fWithHeapLines(const std::function<Outcome()>& call);

// Calls the procedure selected by `name` the way the dispatcher does, on the
// folder's "p.txt": the read-mapping procedures that expect it get the coded
// genome loaded first, and are called even when it can't be.
Outcome fCallProcedure(const std::string& name, const RunFolder& folder);

class DirectRun : public ::testing::Test {
 protected:
  void SetUp() override {
    fInitCodingTables();
    InputLine = input_;
    WorkLine = work_;
    MaxLineLength = kLineBufferSize;
    ConsoleOn = false;
  }
  void TearDown() override {
    ConsoleOn = true;
    HitStopLimit = kDefaultHitStopLimit;
    InputLine = WorkLine = nullptr;
  }

  static void fExpectOutcome(const Outcome& outcome, const RunFolder& folder, const ExpectedOutcome& expected,
                             const std::string& what) {
    EXPECT_EQ(outcome.status, expected.status) << what;
    const bool isKey = expected.status == RunStatus::kRefusedParameter || expected.file.empty();
    EXPECT_EQ(outcome.file, isKey ? expected.file : folder.path(expected.file)) << what;
    std::vector<std::string> written;
    for (const std::string& name : expected.written) written.push_back(folder.path(name));
    EXPECT_EQ(outcome.written, written) << what;
    if (!expected.counts.empty()) {
      EXPECT_EQ(outcome.counts, expected.counts) << what;
    }
    if (expected.readsRead >= 0) {
      EXPECT_EQ(outcome.readsRead, expected.readsRead) << what;
    }
  }

  // Runs `name` with a directory named `inTheWay` and a link to a full disk
  // named `full` in the folder (either "" for none) and checks its Outcome; a
  // refused parameter leaves the folder as it was.
  static void fCheck(const std::string& name, const RunFolder& folder, const ExpectedOutcome& expected,
                     const std::string& what, const std::string& inTheWay = "", const std::string& full = "");

 private:
  char input_[kLineBufferSize];
  char work_[kLineBufferSize];
};
