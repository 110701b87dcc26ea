// The standard file of parted-rate: the ratings of the native "_RatingLog.txt"
// (after its header, whose last line is "pos TAB rating", one "pos TAB rating"
// line per rated position, 1-based) as a bedGraph of one-base stretches, those
// of equal rating side by side merged.
#include <cstdlib>
#include <fstream>

#include "standard/mapping_shared.h"
#include "standard/parted_outputs.h"

namespace {
const char kNativeEnding[] = "_RatingLog.txt";
const char kEnding[] = ".parted-rate.bedGraph";
const char kHeaderEnd[] = "pos\trating";
const char kNoTable[] = "the run's rating log could not be read back";
// Ratings count reads files: whole numbers.
const char kRatingFormat[] = "%.0f";

// "pos TAB rating" into its two numbers; false for anything else.
bool fParseRating(const std::string& line, int64_t& position, int64_t& rating) {
  if (line.empty() || line[0] < '0' || line[0] > '9') return false;
  char* after = nullptr;
  position = std::strtoll(line.c_str(), &after, 10);
  if (*after != '\t' || after[1] < '0' || after[1] > '9') return false;
  rating = std::strtoll(after + 1, &after, 10);
  return *after == '\0';
}

int fWrite(const StandardRun& run, Outcome& outcome, std::string& problem) {
  if (int code = fWriteRunGenomeFile(run, outcome, problem)) return code;
  const std::string native = fNativeFile(run, kNativeEnding);
  std::ifstream log;
  if (!native.empty()) log.open(native, std::ios::binary);
  if (!log.is_open()) {
    problem = kNoTable;
    return kStandardOutputFailed;
  }
  // The header names the reads directory and the genome: only its last line is looked for.
  std::string line;
  bool inTable = false;
  while (!inTable && std::getline(log, line)) inTable = line == kHeaderEnd;
  BedGraphFile ratings(run.chromosome, kRatingFormat);
  int64_t position = 0, rating = 0;
  while (inTable && std::getline(log, line)) {
    if (!fParseRating(line, position, rating)) {
      inTable = false;
      break;
    }
    ratings.fAdd(position, 1, static_cast<double>(rating));
  }
  if (!inTable || log.bad()) {
    problem = kNoTable;
    return kStandardOutputFailed;
  }
  const std::string name = run.readsStem + kEnding;
  if (!ratings.fWrite(run.directory + name, outcome)) return fCantWrite(run, name, problem);
  return kStandardDone;
}
}  // namespace

int fWritePartedRateStandard(const StandardRun& run, Outcome& outcome, std::string& problem) {
  return fWriteWithinMemory(problem, [&] { return fWrite(run, outcome, problem); });
}
