// The standard files of parted, from the native "_Parted.txt" table: a strand
// header with its count, then per position a line with the position and the
// segment texts of its hits, one a line.
#include <cstdlib>
#include <fstream>

#include "standard/parted_outputs.h"

namespace {
const char kNativeEnding[] = "_Parted.txt";
const char kEnding[] = ".parted";
const char kUpperHeader[] = "upper strand\t";
const char kLowerHeader[] = "lower strand\t";
const char kNoTable[] = "the run's native hit table could not be read back";

bool fStartsWith(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

class PartedTable final : public NativeHitTable {
 public:
  bool fOpen(const std::string& path) {
    In.open(path, std::ios::binary);
    return In.is_open();
  }

  bool fNext(NativeHitRow& row) override {
    while (!Broken && std::getline(In, Line)) {
      // The empty line before the lower strand's header.
      if (Line.empty()) continue;
      if (fStartsWith(Line, kUpperHeader) || fStartsWith(Line, kLowerHeader)) {
        Lower = fStartsWith(Line, kLowerHeader);
        HavePosition = false;
        continue;
      }
      if (Line[0] == '-' || (Line[0] >= '0' && Line[0] <= '9')) {
        char* after = nullptr;
        Position = std::strtoll(Line.c_str(), &after, 10);
        Broken = *after != '\0';
        HavePosition = true;
        continue;
      }
      Broken = !HavePosition || !fIsSegmentText(Line);
      if (Broken) break;
      row.lower = Lower;
      row.pos = Position;
      row.segment = Line;
      return true;
    }
    Broken = Broken || In.bad();
    return false;
  }

 private:
  std::ifstream In;
  std::string Line;
  bool Lower = false;
  bool HavePosition = false;
  int64_t Position = 0;
};
}  // namespace

int fWritePartedStandard(const StandardRun& run, Outcome& outcome, std::string& problem, size_t linesInMemory) {
  PartedTable table;
  const std::string path = fNativeFile(run, kNativeEnding);
  if (path.empty() || !table.fOpen(path)) {
    problem = kNoTable;
    return kStandardOutputFailed;
  }
  return fWriteHitStandard(run, kEnding, table, outcome, problem, linesInMemory);
}
