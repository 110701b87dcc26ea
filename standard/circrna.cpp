// The standard files of circrna, from the native "_RCircular.txt" file: its
// header of counts, whose last line is "possible cycled Rna", then one line
// per hit, "+pos TAB segment" opening a position's group and "+ TAB pos TAB
// segment" going on with it ("-" on the lower strand).
#include <cstdlib>
#include <fstream>

#include "standard/parted_outputs.h"

namespace {
const char kNativeEnding[] = "_RCircular.txt";
const char kEnding[] = ".circrna";
const char kHeaderEnd[] = "possible cycled Rna";
const char kNoTable[] = "the run's native hit table could not be read back";

class CircularTable final : public NativeHitTable {
 public:
  bool fOpen(const std::string& path) {
    In.open(path, std::ios::binary);
    return In.is_open();
  }

  bool fNext(NativeHitRow& row) override {
    // The header names the inputs and holds the counts: only its last line is looked for.
    while (!InTable && !Broken && std::getline(In, Line)) InTable = Line == kHeaderEnd;
    if (!InTable) {
      Broken = true;
      return false;
    }
    if (Broken || !std::getline(In, Line)) {
      Broken = Broken || In.bad();
      return false;
    }
    Broken = true;
    if (Line.size() < 2 || (Line[0] != '+' && Line[0] != '-')) return false;
    const size_t at = Line[1] == '\t' ? 2 : 1;
    if (Line[at] != '-' && (Line[at] < '0' || Line[at] > '9')) return false;
    char* after = nullptr;
    row.pos = std::strtoll(Line.c_str() + at, &after, 10);
    if (*after != '\t') return false;
    row.segment.assign(after + 1);
    if (!fIsSegmentText(row.segment)) return false;
    row.lower = Line[0] == '-';
    Broken = false;
    return true;
  }

 private:
  std::ifstream In;
  std::string Line;
  bool InTable = false;
};
}  // namespace

int fWriteCircrnaStandard(const StandardRun& run, Outcome& outcome, std::string& problem, size_t linesInMemory) {
  CircularTable table;
  const std::string path = fNativeFile(run, kNativeEnding);
  if (path.empty() || !table.fOpen(path)) {
    problem = kNoTable;
    return kStandardOutputFailed;
  }
  return fWriteHitStandard(run, kEnding, table, outcome, problem, linesInMemory);
}
