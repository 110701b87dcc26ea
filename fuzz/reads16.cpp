// The reads-line reader and the read matchers of the 16-mer procedures, over
// a genome and a reads file of the fuzzer's making.
//
// Input: three parts separated by lines "%%": a control line
// "PROCEDURE MIN MAX" (one of the six 16-mer procedures and the read-size
// scope), the genome file, the reads file. Coded files for every procedure but
// fGetReadsThatOutOfSeq, which takes letters; a byte of the other kind is
// part of what is fuzzed.
#include <cstdint>
#include <map>
#include <sstream>
#include <string>

#include "driver/file_helpers.h"
#include "driver/loaders.h"
#include "driver/read_batches.h"
#include "driver/run_state.h"
#include "fuzz/harness.h"
#include "mapping/mapping.h"

namespace {

using LoadedGenomeProcedure = Outcome (*)(std::string, std::string, std::string, int32_t);
using OwnGenomeProcedure = Outcome (*)(std::string, std::string, std::string);

struct Procedure {
  LoadedGenomeProcedure withGenome;  // the genome loaded beforehand, as the dispatcher does
  OwnGenomeProcedure loadsOwn;
  bool letterReads;
};

const std::map<std::string, Procedure> kProcedures = {
    {"fMatchReadsT_VarSzO", {fMatchReadsT_VarSzO, nullptr, false}},
    {"fMapReadsOnToSeq", {fMapReadsOnToSeq, nullptr, false}},
    {"fMapReadsOneInSeq", {fMapReadsOneInSeq, nullptr, false}},
    {"fTestGenomeSborka", {fTestGenomeSborka, nullptr, false}},
    {"fReadsOutOfSeq", {nullptr, fReadsOutOfSeq, false}},
    {"fGetReadsThatOutOfSeq", {nullptr, fGetReadsThatOutOfSeq, true}},
};

// Sizes beyond the longest line are as good as the longest line; the
// per-position tables grow with the scope's width, which makes runs slow
// rather than different.
constexpr int32_t kLowestSize = -64;
constexpr int32_t kHighestSize = 5300;
constexpr int32_t kWidestScope = 256;
// The assembly test compares every repeat with every other: a genome of one
// repeated base takes time that grows with the square of its length.
constexpr size_t kLongestGenome = 4096;

// The reader's promises for any reads file: every length fits the line buffer,
// and a line of the longest size or more ends the reading.
void fCheckReadsLines(const std::string& reads, bool letterReads) {
  std::istringstream stream(reads);
  BatchLines batchLines(stream, letterReads);
  const unsigned char* line = nullptr;
  int32_t length = 0;
  int32_t lines = 0;
  InputReads = 0;
  while (batchLines.fNext(line, length)) {
    ++lines;
    if (length < 0 || length >= MaxLineLength) fuzz::fFail("BatchLines gave a length outside the line buffer");
  }
  if (InputReads != lines) fuzz::fFail("BatchLines counted reads it did not give");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::fStart(false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> parts = fuzz::fSplit(data, size, 3);
  if (parts.size() < 3 || parts[1].size() > kLongestGenome) return 0;
  const std::vector<std::string> control = fuzz::fWords(parts[0]);
  if (control.size() != 3) return 0;
  auto procedure = kProcedures.find(control[0]);
  int32_t minSize = 0, maxSize = 0;
  if (procedure == kProcedures.end() || !fuzz::fNumberWithin(control[1], kLowestSize, kHighestSize, minSize) ||
      !fuzz::fNumberWithin(control[2], kLowestSize, kHighestSize, maxSize) || maxSize - minSize + 1 > kWidestScope)
    return 0;

  fuzz::fClearScratch();
  // Names with an extension: result names are cut at the last ".".
  fuzz::fWrite("g.bin", parts[1]);
  fuzz::fWrite("r.bin", parts[2]);
  fuzz::fFreshRunState(true);
  fCheckReadsLines(parts[2], procedure->second.letterReads);

  MinReadSize = minSize;
  MaxReadSize = maxSize;
  SizeScopeWidth = fSizeScopeWidth(minSize, maxSize);
  const std::string results = fuzz::fScratch() + "/";
  const std::string genome = fuzz::fPath("g.bin");
  const std::string reads = fuzz::fPath("r.bin");
  if (procedure->second.loadsOwn != nullptr) {
    procedure->second.loadsOwn(results, reads, genome);
  } else {
    // The tail copy the dispatcher gives: the longest read in scope, at most a line.
    const int32_t tail = MaxReadSize < MaxLineLength ? MaxReadSize : MaxLineLength;
    int32_t length = 0;
    if (fLoadCodedGenome(genome, false, tail, 0, length) == GenomeLoad::kLoaded) {
      GenomeLength = length;
      procedure->second.withGenome(results, reads, genome, length);
    }
  }
  if (GenomeStore != nullptr) fReleaseGenome();
  fuzz::fReleaseLineBuffers();
  return 0;
}
