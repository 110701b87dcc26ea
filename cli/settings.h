// The settings of one command run: its options, merged with the values of a
// parameter file (--params), checked before anything is read or written.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "driver/run_state.h"

// The most threads --threads may ask for.
constexpr int32_t kMostThreads = 256;

struct RunSettings {
  const Command* command = nullptr;
  std::vector<std::string> words;  // the command line as typed, program name first
  std::string genome;
  std::string reads;
  std::string out;
  std::string record;
  std::string id;
  std::string tasks;
  std::string readsDir;
  std::string list;
  bool idGiven = false;
  int32_t minSize = 1;
  int32_t maxSize = kLongestRead;
  int32_t immut = 0;
  int32_t tip = 0;
  int32_t mismatches = 1;
  int32_t maxHits = kDefaultHitStopLimit;
  int32_t threads = 0;  // --threads; 0: the cores this process may use
  bool quiet = false;
  bool help = false;
  bool noStandard = false;  // --no-standard: the native files only
  bool depth = false;       // --depth (coverage): the per-base depth files too
  bool report = false;      // --report: report.html of --out once the results are in place
};

// Fills `settings` from the words after the command's name. Returns 0, or the
// exit code with `problem` set to one sentence that names the option (or the
// key of the parameter file) and its value: 1 for a usage or parameter error,
// 2 for a parameter file that can't be read.
int fReadSettings(const Command& command, const std::vector<std::string>& args, RunSettings& settings,
                  std::string& problem);
