#include "driver/dispatcher.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/loaders.h"
#include "driver/outcome.h"
#include "driver/run_state.h"
#include "endreplace/endreplace.h"
#include "mapping/mapping.h"
#include "parted/parted.h"
#include "platform/platform.h"

namespace {
const char kSelectionFileName[] = "_ParamsOfFunc.txt";
const char kNoMemoryForBuffers[] = "\nno memory for Buff";
const char kNoMemoryForGenome[] = "\nno memory for genome";
const char kDone[] = "\ndone\n";
constexpr size_t kExePathLimit = 500;
constexpr int kSelectionLineSize = 200;

// What a procedure receives besides the parameter-file path.
struct RunArguments {
  std::string ResultDirectory;
  std::string ReadsPath;
  std::string GenomePath;
  std::string RateReadsArg;
  std::string RateExtraArg;
};

enum class Takes {
  kParamFile,       // reads its own parameter file
  kArguments,       // directory, reads and genome paths
  kLoadedGenome,    // the same, with the coded genome loaded beforehand
  kRateArguments    // the rating procedure's five arguments
};

// A procedure's call: the arguments read for it (empty for kParamFile) and the
// path of its parameter file. The selection-file run shows the operator the
// procedure's own console texts, so it leaves the returned Outcome unread.
using ProcedureCall = Outcome (*)(const RunArguments& args, const std::string& paramFilePath);

struct DispatchRow {
  const char* name;
  Takes takes;
  ProcedureCall call;
};

// Names are compared whole and case-sensitive, in this order. Adding a
// procedure is one row here.
const DispatchRow kDispatchTable[] = {
    {"fMatchReadsT_VarSzO", Takes::kLoadedGenome,
     [](const RunArguments& a, const std::string&) {
       return fMatchReadsT_VarSzO(a.ResultDirectory, a.ReadsPath, a.GenomePath, GenomeLength);
     }},
    {"fMatchReadsT_VarSzParted", Takes::kArguments,
     [](const RunArguments& a, const std::string&) {
       return fMatchReadsT_VarSzParted(a.ResultDirectory, a.ReadsPath, a.GenomePath, GenomeLength);
     }},
    {"fMatchReadsT_VarSzPartedRate", Takes::kRateArguments,
     [](const RunArguments& a, const std::string&) {
       return fMatchReadsT_VarSzPartedRate(a.ResultDirectory, a.RateReadsArg, a.GenomePath, GenomeLength,
                                           a.RateExtraArg);
     }},
    {"fIdentifyCircularRna", Takes::kParamFile,
     [](const RunArguments&, const std::string& paramFile) { return fIdentifyCircularRna(paramFile); }},
    {"RandExt", Takes::kParamFile,
     [](const RunArguments&, const std::string& paramFile) { return fCutRnaWithReplacedEnd(paramFile); }},
    {"RandExtTaskList", Takes::kParamFile,
     [](const RunArguments&, const std::string& paramFile) { return fCutRnaReplacedEnd_BaseTaskList(paramFile); }},
    {"fMapReadsOnToSeq", Takes::kLoadedGenome,
     [](const RunArguments& a, const std::string&) {
       return fMapReadsOnToSeq(a.ResultDirectory, a.ReadsPath, a.GenomePath, GenomeLength);
     }},
    {"fReadsOutOfSeq", Takes::kArguments,
     [](const RunArguments& a, const std::string&) {
       return fReadsOutOfSeq(a.ResultDirectory, a.ReadsPath, a.GenomePath);
     }},
    {"fGetReadsThatOutOfSeq", Takes::kArguments,
     [](const RunArguments& a, const std::string&) {
       return fGetReadsThatOutOfSeq(a.ResultDirectory, a.ReadsPath, a.GenomePath);
     }},
    {"fMapReadsOneInSeq", Takes::kLoadedGenome,
     [](const RunArguments& a, const std::string&) {
       return fMapReadsOneInSeq(a.ResultDirectory, a.ReadsPath, a.GenomePath, GenomeLength);
     }},
    {"fTestGenomeSborka", Takes::kLoadedGenome,
     [](const RunArguments& a, const std::string&) {
       return fTestGenomeSborka(a.ResultDirectory, a.ReadsPath, a.GenomePath, GenomeLength);
     }},
};

// Reads the run arguments and the size scope from the parameter file. A value
// that can't be converted ends the run inside fParamNumber.
bool fReadRunArguments(const std::string& paramFilePath, Takes takes, RunArguments& args) {
  ParamMap params;
  if (!fReadParamFile(params, paramFilePath)) return false;
  args.ResultDirectory = params["diRes"] + PlatformSeparator;
  args.ReadsPath = params["pthReads"];
  args.GenomePath = params["pthGnm"];
  MinReadSize = fParamNumber("rMinSz", params["rMinSz"]);
  MaxReadSize = fParamNumber("rMaxSz", params["rMaxSz"]);
  SizeScopeWidth = fSizeScopeWidth(MinReadSize, MaxReadSize);
  if (takes == Takes::kRateArguments) {
    args.RateReadsArg = params["diReads"] + PlatformSeparator;
    args.RateExtraArg = params["pthList"];
  }
  return true;
}

// Loads the coded genome for the procedures that expect it in Genome. The tail
// copy covers the longest read in scope; no line, so no read, is longer than
// MaxLineLength, so a larger scope costs no more memory.
bool fLoadGenomeForProcedure(const std::string& genomePath) {
  int32_t tail = MaxReadSize < MaxLineLength ? MaxReadSize : MaxLineLength;
  int32_t length = 0;
  GenomeLoad load = fLoadCodedGenome(genomePath, false, tail, 0, length);
  if (load == GenomeLoad::kNoMemory) {
    fSay(kNoMemoryForGenome);
    fPause();
  }
  if (load != GenomeLoad::kLoaded) return false;
  GenomeLength = length;
  return true;
}

void fRunProcedure(const DispatchRow& entry, const std::string& paramFilePath) {
  RunArguments args;
  if (entry.takes != Takes::kParamFile) {
    if (!fReadRunArguments(paramFilePath, entry.takes, args)) return;
    if (entry.takes == Takes::kLoadedGenome && !fLoadGenomeForProcedure(args.GenomePath)) return;
  }
  entry.call(args, paramFilePath);
  // The genome the dispatcher loaded, if the procedure left it.
  if (GenomeStore != nullptr) fReleaseGenome();
}

const DispatchRow* fFindProcedure(const char* name) {
  for (const DispatchRow& row : kDispatchTable)
    if (std::strcmp(name, row.name) == 0) return &row;
  return nullptr;
}
}  // namespace

std::string fExeDirectory(const char* programPath) {
  if (programPath == nullptr) return std::string();
  std::string path(programPath, strnlen(programPath, kExePathLimit));
  size_t last = path.size();
  while (last > 0 && !fIsPathSeparator(path[last - 1])) --last;
  return path.substr(0, last);
}

int ProcedureDispatcher(int argc, char** argv) {
  std::string exeDirectory = fExeDirectory(argc > 0 ? argv[0] : nullptr);
  fInitCodingTables();

  std::ifstream selection;
  if (!fOpenReadStream(exeDirectory + kSelectionFileName, selection)) return 0;
  // Unchecked reads: a missing line, or any line after a failed one, is empty;
  // a carriage return before the line feed stays part of the text.
  char paramFilePath[kSelectionLineSize];
  char procedureName[kSelectionLineSize];
  selection.getline(paramFilePath, kSelectionLineSize);
  selection.getline(procedureName, kSelectionLineSize);
  selection.close();

  MaxLineLength = kLineBufferSize;
  SizeScopeWidth = fSizeScopeWidth(MinReadSize, MaxReadSize);
  InputLine = static_cast<char*>(std::malloc(kLineBufferSize));
  WorkLine = static_cast<char*>(std::malloc(kLineBufferSize));
  if (InputLine == nullptr || WorkLine == nullptr) {
    std::free(InputLine);
    std::free(WorkLine);
    fSay(kNoMemoryForBuffers);
    fPause();
    return 0;
  }

  const DispatchRow* procedure = fFindProcedure(procedureName);
  if (procedure != nullptr) fRunProcedure(*procedure, paramFilePath);

  std::free(InputLine);
  InputLine = nullptr;
  std::free(WorkLine);
  WorkLine = nullptr;
  fSay(kDone);
  fPause();
  return 0;
}
