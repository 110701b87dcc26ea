// What a procedure tells its caller about how its run went. The selection-file
// run shows the operator its own console texts and ignores this; the command
// line turns it into an exit code and a message.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

enum class RunStatus : uint8_t {
  kCompleted,          // every result written
  kNothingFound,       // completed, with no result rows (RandExt's "no detected reads")
  kStoppedAtHitLimit,  // completed after the hit-count rule ended the reading early
  kRefusedParameter,   // a size or other setting the procedure refuses; nothing written
  kInputMissing,       // an input file is missing or can't be opened or read
  kBadInput,           // a byte that is not a base where a genome needs one
  kNoMemory,           // a table could not be allocated
  kOutputFailed        // a result or scratch file could not be created or written
};

struct Outcome {
  RunStatus status = RunStatus::kCompleted;
  // The file at fault (input or output), or the parameter's key for a refused one.
  std::string file;
  // Lines taken from the reads file when the run ended (InputReads).
  int64_t readsRead = 0;
  // Result files written whole, in the order they were closed.
  std::vector<std::string> written;
  // The counts of the procedure's log, as key and value text in the log's
  // order, for the command line's summary (keys in lower case, words joined by '_').
  std::vector<std::pair<std::string, std::string>> counts;

  void fCount(const std::string& key, int64_t value) { counts.emplace_back(key, std::to_string(value)); }
  void fCount(const std::string& key, const std::string& value) { counts.emplace_back(key, value); }

  bool fSucceeded() const { return status <= RunStatus::kStoppedAtHitLimit; }
  // Records the first failure only: later ones follow from it.
  void fFail(RunStatus why, const std::string& what) {
    if (!fSucceeded()) return;
    status = why;
    file = what;
  }
};

inline Outcome fFailure(RunStatus why, const std::string& what) {
  Outcome outcome;
  outcome.status = why;
  outcome.file = what;
  return outcome;
}

// A result file opened for writing; on failure the operator has been told
// (fOpenFile) and the outcome records it.
FILE* fOpenOutput(const std::string& path, Outcome& outcome);

// Closes a result file and records it as written, or records a failed write
// (a full disk, a file-size limit) against it. Null is a file already failed.
bool fCloseOutput(FILE* file, const std::string& path, Outcome& outcome);
