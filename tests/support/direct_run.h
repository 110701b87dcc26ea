// Running a procedure inside the test process, as the command line does: the
// run state a procedure needs with the console off, and the check of the
// Outcome it returns against what a test expects.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
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

 private:
  char input_[kLineBufferSize];
  char work_[kLineBufferSize];
};
