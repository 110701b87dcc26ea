#include "driver/dispatcher.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/loaders.h"
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

struct DispatchRow {
  const char* name;
  Takes takes;
};

// Names are compared whole and case-sensitive, in this order.
const DispatchRow kDispatchTable[] = {
    {"fMatchReadsT_VarSzO", Takes::kLoadedGenome},
    {"fMatchReadsT_VarSzParted", Takes::kArguments},
    {"fMatchReadsT_VarSzPartedRate", Takes::kRateArguments},
    {"fIdentifyCircularRna", Takes::kParamFile},
    {"RandExt", Takes::kParamFile},
    {"RandExtTaskList", Takes::kParamFile},
    {"fMapReadsOnToSeq", Takes::kLoadedGenome},
    {"fReadsOutOfSeq", Takes::kArguments},
    {"fGetReadsThatOutOfSeq", Takes::kArguments},
    {"fMapReadsOneInSeq", Takes::kLoadedGenome},
    {"fTestGenomeSborka", Takes::kLoadedGenome},
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

void fRunProcedure(int row, const std::string& paramFilePath) {
  const DispatchRow& entry = kDispatchTable[row];
  RunArguments args;
  if (entry.takes != Takes::kParamFile) {
    if (!fReadRunArguments(paramFilePath, entry.takes, args)) return;
    if (entry.takes == Takes::kLoadedGenome && !fLoadGenomeForProcedure(args.GenomePath)) return;
  }
  switch (row) {
    case 0: fMatchReadsT_VarSzO(args.ResultDirectory, args.ReadsPath, args.GenomePath, GenomeLength); break;
    case 1: fMatchReadsT_VarSzParted(args.ResultDirectory, args.ReadsPath, args.GenomePath, GenomeLength); break;
    case 2:
      fMatchReadsT_VarSzPartedRate(args.ResultDirectory, args.RateReadsArg, args.GenomePath, GenomeLength,
                                   args.RateExtraArg);
      break;
    case 3: fIdentifyCircularRna(paramFilePath); break;
    case 4: fCutRnaWithReplacedEnd(paramFilePath); break;
    case 5: fCutRnaReplacedEnd_BaseTaskList(paramFilePath); break;
    case 6: fMapReadsOnToSeq(args.ResultDirectory, args.ReadsPath, args.GenomePath, GenomeLength); break;
    case 7: fReadsOutOfSeq(args.ResultDirectory, args.ReadsPath, args.GenomePath); break;
    case 8: fGetReadsThatOutOfSeq(args.ResultDirectory, args.ReadsPath, args.GenomePath); break;
    case 9: fMapReadsOneInSeq(args.ResultDirectory, args.ReadsPath, args.GenomePath, GenomeLength); break;
    case 10: fTestGenomeSborka(args.ResultDirectory, args.ReadsPath, args.GenomePath, GenomeLength); break;
    default: break;
  }
  // The genome the dispatcher loaded, if the procedure left it.
  if (GenomeStore != nullptr) fReleaseGenome();
}

int fFindProcedure(const char* name) {
  const int rows = static_cast<int>(sizeof kDispatchTable / sizeof kDispatchTable[0]);
  for (int row = 0; row < rows; ++row)
    if (std::strcmp(name, kDispatchTable[row].name) == 0) return row;
  return -1;
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

  int row = fFindProcedure(procedureName);
  if (row >= 0) fRunProcedure(row, paramFilePath);

  std::free(InputLine);
  InputLine = nullptr;
  std::free(WorkLine);
  WorkLine = nullptr;
  fSay(kDone);
  fPause();
  return 0;
}
