// The selection-file run as a user starts it: "_ParamsOfFunc.txt", the
// parameter file it names and the files that names, through the dispatcher,
// with the path helpers over every name the files hold.
//
// Input: parts separated by lines "%%": the selection file, then the files
// "p", "g", "r" and "l" of the scratch folder (a part left out is a file that
// doesn't exist). A folder "d" is there too, for a result directory or for a
// directory named where a file should be.
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "driver/dispatcher.h"
#include "driver/file_helpers.h"
#include "driver/run_state.h"
#include "fuzz/harness.h"

namespace {

const char* const kFileNames[] = {"_ParamsOfFunc.txt", "p", "g", "r", "l"};
constexpr size_t kParts = sizeof kFileNames / sizeof kFileNames[0];

// What a procedure takes from its parameter file besides paths.
enum class Reads { kScope, kExperiment, kTaskList };

const std::map<std::string, Reads> kProcedures = {
    {"fMatchReadsT_VarSzO", Reads::kScope},
    {"fMatchReadsT_VarSzParted", Reads::kScope},
    {"fMatchReadsT_VarSzPartedRate", Reads::kScope},
    {"fIdentifyCircularRna", Reads::kScope},
    {"RandExt", Reads::kExperiment},
    {"RandExtTaskList", Reads::kTaskList},
    {"fMapReadsOnToSeq", Reads::kScope},
    {"fReadsOutOfSeq", Reads::kScope},
    {"fGetReadsThatOutOfSeq", Reads::kScope},
    {"fMapReadsOneInSeq", Reads::kScope},
    {"fTestGenomeSborka", Reads::kScope},
};

// Read sizes far outside any read cost nothing, but the per-position tables
// grow with the scope's width: a wide scope is a slow run, not a new path.
constexpr int32_t kLowestSize = -64;
constexpr int32_t kHighestSize = 5300;
constexpr int32_t kWidestScope = 256;

// The path helpers keep to what they promise for any text.
void fCheckPathHelpers(const std::string& path) {
  const std::string stripped = fStripExtension(path);
  if (path.compare(0, stripped.size(), stripped) != 0) fuzz::fFail("fStripExtension gave no prefix of its path");
  const std::string stem = fFileStem(path);
  if (stem.size() > stripped.size()) fuzz::fFail("fFileStem longer than the stripped path");
  for (char c : stem)
    if (c == '/' || c == '\\') fuzz::fFail("fFileStem kept a separator");
  const std::string directory = fExeDirectory(path.c_str());
  if (path.compare(0, directory.size(), directory) != 0) fuzz::fFail("fExeDirectory gave no prefix of its path");
  if (!directory.empty() && directory.back() != '/' && directory.back() != '\\')
    fuzz::fFail("fExeDirectory does not end at a separator");
}

// A file the run reads line by line whose lines become parts of paths: every
// line must stay inside the scratch folder.
bool fLinesStayInScratch(const std::string& name) {
  if (!fuzz::fStaysInScratch(name)) return false;
  for (const std::string& line : fuzz::fLines(fuzz::fRead(name)))
    if (!fuzz::fStaysInScratch(line)) return false;
  return true;
}

// Whether the run of this input keeps inside the scratch folder and ends
// through the dispatcher: the parameter file is read here first, as the
// procedure will read it.
bool fRunnable(const std::string& selection) {
  // The dispatcher's own reading of the two lines: 199 characters each, unchecked.
  std::istringstream lines(selection);
  char paramPath[200] = {};
  char name[200] = {};
  lines.getline(paramPath, sizeof paramPath);
  lines.getline(name, sizeof name);
  fCheckPathHelpers(paramPath);
  auto procedure = kProcedures.find(name);
  if (procedure == kProcedures.end()) return true;  // runs nothing
  if (!fuzz::fStaysInScratch(paramPath)) return false;

  ParamMap params;
  fReadParamFile(params, paramPath);
  for (const auto& entry : params) fCheckPathHelpers(entry.second);
  // A result directory gets a separator appended: an empty one is the root.
  if (params["diRes"].empty()) return false;
  if (procedure->first == "fMatchReadsT_VarSzPartedRate" && params["diReads"].empty()) return false;
  for (const char* key : {"diRes", "diReads", "pthGnm", "pthReads", "pthList", "pthTaskList", "experimentId"})
    if (!fuzz::fStaysInScratch(params[key])) return false;

  // A number the run's conversion refuses ends the process there (exit code
  // 1, the system's defined stop): such inputs are skipped, not run.
  int32_t minSize = 0, maxSize = 0, ignored = 0;
  switch (procedure->second) {
    case Reads::kScope:
      if (!fuzz::fNumberWithin(params["rMinSz"], kLowestSize, kHighestSize, minSize) ||
          !fuzz::fNumberWithin(params["rMaxSz"], kLowestSize, kHighestSize, maxSize) ||
          maxSize - minSize + 1 > kWidestScope)
        return false;
      return procedure->first != "fMatchReadsT_VarSzPartedRate" || fLinesStayInScratch(params["pthList"]);
    case Reads::kExperiment:
      // Sizes the experiment can't serve are refused by the run itself, with a message.
      return fParseNumber(params["mutTipSz"], ignored) && fParseNumber(params["immutSz"], ignored) &&
             fParseNumber(params["misNu"], ignored);
    case Reads::kTaskList:
      return fuzz::fStaysInScratch(params["pthTaskList"]) &&
             fuzz::fTaskListRunnable(fuzz::fRead(params["pthTaskList"]));
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The console as the selection-file run has it: every text and key wait,
  // the texts into /dev/null and the waits at once.
  fuzz::fStart(true);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::fClearScratch();
  const std::vector<std::string> parts = fuzz::fSplit(data, size, kParts);
  for (size_t i = 0; i < parts.size(); ++i) fuzz::fWrite(kFileNames[i], parts[i]);
  std::filesystem::create_directory(fuzz::fPath("d"));

  // The run's relative names are relative to the working directory: the
  // scratch folder for the length of the run, and the fuzzer's own after it.
  char home[4096];
  if (getcwd(home, sizeof home) == nullptr || chdir(fuzz::fScratch().c_str()) != 0)
    fuzz::fFail("cannot enter the scratch folder");
  if (fRunnable(parts[0])) {
    fuzz::fFreshRunState(false);
    char program[] = "./vantrels";
    char* argv[] = {program, nullptr};
    ProcedureDispatcher(1, argv);
    if (InputLine != nullptr || WorkLine != nullptr) fuzz::fFail("line buffers left after the run");
    if (GenomeStore != nullptr) fuzz::fFail("genome left loaded after the run");
  }
  if (chdir(home) != 0) fuzz::fFail("cannot leave the scratch folder");
  return 0;
}
