#include "support/direct_run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "driver/file_helpers.h"
#include "driver/loaders.h"
#include "endreplace/endreplace.h"
#include "mapping/mapping.h"
#include "parted/parted.h"

Outcome fWithHeapLines(const std::function<Outcome()>& call) {
  char* const input = InputLine;
  char* const work = WorkLine;
  InputLine = static_cast<char*>(std::malloc(kLineBufferSize));
  WorkLine = static_cast<char*>(std::malloc(kLineBufferSize));
  Outcome outcome = call();
  std::free(InputLine);
  std::free(WorkLine);
  InputLine = input;
  WorkLine = work;
  return outcome;
}

Outcome fCallProcedure(const std::string& name, const RunFolder& folder) {
  const std::string paramFile = folder.path("p.txt");
  if (name == "fIdentifyCircularRna") return fIdentifyCircularRna(paramFile);
  if (name == "RandExt") return fWithHeapLines([&] { return fCutRnaWithReplacedEnd(paramFile); });
  if (name == "RandExtTaskList") return fWithHeapLines([&] { return fCutRnaReplacedEnd_BaseTaskList(paramFile); });
  ParamMap params;
  fReadParamFile(params, paramFile);
  const std::string dir = params["diRes"] + "/", reads = params["pthReads"], genome = params["pthGnm"];
  MinReadSize = std::atoi(params["rMinSz"].c_str());
  MaxReadSize = std::atoi(params["rMaxSz"].c_str());
  SizeScopeWidth = fSizeScopeWidth(MinReadSize, MaxReadSize);
  if (name == "fReadsOutOfSeq") return fReadsOutOfSeq(dir, reads, genome);
  if (name == "fGetReadsThatOutOfSeq") return fGetReadsThatOutOfSeq(dir, reads, genome);
  if (name == "fMatchReadsT_VarSzParted") return fMatchReadsT_VarSzParted(dir, reads, genome, 0);
  if (name == "fMatchReadsT_VarSzPartedRate")
    return fMatchReadsT_VarSzPartedRate(dir, params["diReads"] + "/", genome, 0, params["pthList"]);
  int32_t length = 0;
  fLoadCodedGenome(genome, false, MaxReadSize < MaxLineLength ? MaxReadSize : MaxLineLength, 0, length);
  Outcome outcome = fFailure(RunStatus::kRefusedParameter, "no procedure " + name);
  if (name == "fMatchReadsT_VarSzO") outcome = fMatchReadsT_VarSzO(dir, reads, genome, length);
  if (name == "fMapReadsOnToSeq") outcome = fMapReadsOnToSeq(dir, reads, genome, length);
  if (name == "fMapReadsOneInSeq") outcome = fMapReadsOneInSeq(dir, reads, genome, length);
  if (name == "fTestGenomeSborka") outcome = fTestGenomeSborka(dir, reads, genome, length);
  if (GenomeStore != nullptr) fReleaseGenome();
  return outcome;
}

void DirectRun::fCheck(const std::string& name, const RunFolder& folder, const ExpectedOutcome& expected,
                       const std::string& what, const std::string& inTheWay, const std::string& full) {
  if (!inTheWay.empty()) {
    ASSERT_EQ(mkdir(folder.path(inTheWay).c_str(), 0755), 0) << what;
  }
  if (!full.empty()) {
    ASSERT_EQ(symlink("/dev/full", folder.path(full).c_str()), 0) << what;
  }
  const std::vector<std::string> before = folder.files();
  fExpectOutcome(fCallProcedure(name, folder), folder, expected, what);
  if (expected.status == RunStatus::kRefusedParameter) {
    EXPECT_EQ(folder.files(), before) << what;
  }
}
