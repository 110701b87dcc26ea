// The task lists of the end-replacement experiments, run over a letter genome
// and letter reads of the fuzzer's making; and one experiment alone (RandExt).
//
// Input: three parts separated by lines "%%": the task list, the genome file,
// the reads file. A task list whose first line is "RandExt" also runs that
// procedure, with the list's identity line as experimentId and the fields of
// its first task line as immutSz, mutTipSz and misNu.
#include <cstdint>
#include <string>

#include "driver/run_state.h"
#include "endreplace/endreplace.h"
#include "fuzz/harness.h"

namespace {

std::string fRecord(const std::string& key, const std::string& value) { return "#\n#\n" + key + "\n" + value + "\n"; }

// The parameter file of one experiment, from the task list's identity and
// first task line; "" when the list holds none.
std::string fExperimentParams(const std::vector<std::string>& lines, const std::string& common) {
  if (lines.size() < 9) return "";
  const std::string& task = lines[8];
  size_t first = task.find('\t');
  size_t second = first == std::string::npos ? first : task.find('\t', first + 1);
  if (second == std::string::npos) return "";
  return common + fRecord("experimentId", lines[6]) + fRecord("immutSz", task.substr(0, first)) +
         fRecord("mutTipSz", task.substr(first + 1, second - first - 1)) + fRecord("misNu", task.substr(second + 1));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::fStart(false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> parts = fuzz::fSplit(data, size, 3);
  if (parts.size() < 3) return 0;
  // A field that is no number would end the process in the run's conversion;
  // such lists are skipped, as are names that would leave the scratch folder.
  if (!fuzz::fTaskListRunnable(parts[0])) return 0;

  fuzz::fClearScratch();
  // Names with an extension: result names are cut at the last ".".
  fuzz::fWrite("t.txt", parts[0]);
  fuzz::fWrite("g.txt", parts[1]);
  fuzz::fWrite("r.txt", parts[2]);
  const std::string common = fRecord("diRes", fuzz::fScratch()) + fRecord("pthGnm", fuzz::fPath("g.txt")) +
                             fRecord("pthReads", fuzz::fPath("r.txt"));
  fuzz::fWrite("p.txt", common + fRecord("pthTaskList", fuzz::fPath("t.txt")));
  fuzz::fFreshRunState(true);
  fCutRnaReplacedEnd_BaseTaskList(fuzz::fPath("p.txt"));

  const std::vector<std::string> lines = fuzz::fLines(parts[0]);
  const std::string experiment = lines.empty() || lines[0] != "RandExt" ? "" : fExperimentParams(lines, common);
  if (!experiment.empty()) {
    fuzz::fWrite("e.txt", experiment);
    fuzz::fFreshRunState(true);
    fCutRnaWithReplacedEnd(fuzz::fPath("e.txt"));
  }
  fuzz::fReleaseLineBuffers();
  return 0;
}
