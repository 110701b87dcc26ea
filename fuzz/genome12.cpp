// The genome loaders (coded and letters) with their circular copies, and the
// procedures that search reads through the 12-mer index: parted reads, their
// rating across reads files, and circular RNA.
//
// Input: parts separated by lines "%%": a control line, the genome file, a
// reads file and, for the rating, a second reads file. The control line is
//   PROCEDURE MIN MAX [STOP]  one of fMatchReadsT_VarSzParted,
//                             fMatchReadsT_VarSzPartedRate (coded genome and
//                             reads) or fIdentifyCircularRna (letters), the
//                             read-size scope and the hit-count stop limit
//   fLoadCodedGenome letters|codes TAIL HEAD
//                             the loader alone, its copies checked base by base
#include <cstdint>
#include <string>

#include "driver/loaders.h"
#include "driver/run_state.h"
#include "fuzz/harness.h"
#include "parted/parted.h"

namespace {

constexpr int32_t kLowestSize = -64;
constexpr int32_t kHighestSize = 5300;
// Stop limits beyond the hits a small genome can give change nothing.
constexpr int32_t kHighestStop = 100000;

// The loaded genome repeats itself all along its copies: Genome[p] is base
// ((p - 1) mod n) + 1 of the file, for p from 1 - head to n + tail.
void fCheckLoadedGenome(const std::string& file, bool letters, int32_t tail, int32_t head, int32_t n) {
  if (n != static_cast<int32_t>(file.size())) fuzz::fFail("loaded length differs from the file's size");
  if (tail < 16) tail = 16;
  if (head < 0) head = 0;
  if (Genome != GenomeStore + head - 1) fuzz::fFail("Genome does not start after the head copy");
  for (int64_t p = 1 - static_cast<int64_t>(head); p <= static_cast<int64_t>(n) + tail; ++p) {
    int64_t index = ((p - 1) % n + n) % n;
    unsigned char byte = static_cast<unsigned char>(file[static_cast<size_t>(index)]);
    unsigned char code = letters ? NucleotideCode[byte] : byte;
    if (Genome[p] != code) fuzz::fFail("a genome copy differs from the genome");
  }
}

void fLoadOnly(const std::vector<std::string>& control, const std::string& genome) {
  if (control.size() != 4 || (control[1] != "letters" && control[1] != "codes")) return;
  int32_t tail = 0, head = 0;
  if (!fuzz::fNumberWithin(control[2], kLowestSize, kHighestSize, tail) ||
      !fuzz::fNumberWithin(control[3], kLowestSize, kHighestSize, head))
    return;
  const bool letters = control[1] == "letters";
  int32_t n = 0;
  if (fLoadCodedGenome(fuzz::fPath("g.bin"), letters, tail, head, n) != GenomeLoad::kLoaded) {
    if (GenomeStore != nullptr) fuzz::fFail("a failed load kept its genome");
    return;
  }
  fCheckLoadedGenome(genome, letters, tail, head, n);
  fReleaseGenome();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::fStart(false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> parts = fuzz::fSplit(data, size, 4);
  if (parts.size() < 2) return 0;
  const std::vector<std::string> control = fuzz::fWords(parts[0]);
  if (control.empty()) return 0;

  fuzz::fClearScratch();
  // Names with an extension: result names are cut at the last ".".
  const char* const names[] = {"g.bin", "r.bin", "s.bin"};
  for (size_t i = 1; i < parts.size(); ++i) fuzz::fWrite(names[i - 1], parts[i]);
  fuzz::fFreshRunState(true);
  if (control[0] == "fLoadCodedGenome") {
    fLoadOnly(control, parts[1]);
    fuzz::fReleaseLineBuffers();
    return 0;
  }

  // The sizes also go into the circular-RNA parameter file, whose conversion
  // would end the process on a text that is no number: such inputs are skipped.
  int32_t minSize = 0, maxSize = 0, stop = kDefaultHitStopLimit;
  if (control.size() < 3 || control.size() > 4 ||
      !fuzz::fNumberWithin(control[1], kLowestSize, kHighestSize, minSize) ||
      !fuzz::fNumberWithin(control[2], kLowestSize, kHighestSize, maxSize) ||
      (control.size() == 4 && !fuzz::fNumberWithin(control[3], 0, kHighestStop, stop))) {
    fuzz::fReleaseLineBuffers();
    return 0;
  }
  MinReadSize = minSize;
  MaxReadSize = maxSize;
  SizeScopeWidth = fSizeScopeWidth(minSize, maxSize);
  HitStopLimit = stop;
  const std::string results = fuzz::fScratch() + "/";
  const std::string genome = fuzz::fPath("g.bin");
  if (control[0] == "fMatchReadsT_VarSzParted") {
    fMatchReadsT_VarSzParted(results, fuzz::fPath("r.bin"), genome, 0);
  } else if (control[0] == "fMatchReadsT_VarSzPartedRate") {
    fuzz::fWrite("list.txt", parts.size() > 3 ? "r.bin\ns.bin\n" : "r.bin\n");
    fMatchReadsT_VarSzPartedRate(results, results, genome, 0, fuzz::fPath("list.txt"));
  } else if (control[0] == "fIdentifyCircularRna") {
    fuzz::fWrite("p.txt", "#\n#\ndiRes\n" + fuzz::fScratch() + "\n#\n#\npthGnm\n" + genome + "\n#\n#\npthReads\n" +
                              fuzz::fPath("r.bin") + "\n#\n#\nrMinSz\n" + control[1] + "\n#\n#\nrMaxSz\n" +
                              control[2] + "\n");
    fIdentifyCircularRna(fuzz::fPath("p.txt"));
  }
  if (GenomeStore != nullptr) fReleaseGenome();
  fuzz::fReleaseLineBuffers();
  return 0;
}
