// A procedure run inside the test process, as the command line runs it: the
// line buffers and coding tables it needs, the console off.
#pragma once
#include <gtest/gtest.h>
#include "driver/console.h"
#include "driver/outcome.h"
#include "driver/run_state.h"
#include "support/run_folder.h"

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

 private:
  char input_[kLineBufferSize];
  char work_[kLineBufferSize];
};
