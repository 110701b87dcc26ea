#include "driver/loaders.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/run_state.h"
#include "platform/platform.h"

namespace {
const char kNonNucleotide[] = "\ngenome: position = ";
const char kNonNucleotideSymbol[] = "non{ACGT) symbol = ";
const char kGenomeEmpty[] = "\ngenome file is empty: ";
const char kGenomeTooLarge[] = "\ngenome file too large (2^31 bytes or more): ";
const char kGenomeShortRead[] = "\ngenome file could not be read whole: ";

void fSayAndWait(const char* message, const std::string& path) {
  fSay(message);
  fSay(path.c_str());
  fPause();
}

// Checks and converts Genome[1 .. n] in place; reports the first byte that is not a base.
bool fCheckBases(int32_t n, bool letterFile) {
  for (int32_t p = 1; p <= n; ++p) {
    unsigned char byte = Genome[p];
    unsigned char code = letterFile ? NucleotideCode[byte] : byte;
    if (code > 3) {
      // The position printed is one more than the base's 1-based position.
      fSayf("%s%d%s%c", kNonNucleotide, p + 1, kNonNucleotideSymbol, static_cast<char>(byte));
      fPause();
      return false;
    }
    Genome[p] = code;
  }
  return true;
}
}  // namespace

int32_t fGenomeFileSize(const std::string& path) {
  int32_t n = fFileSize(path);
  if (n > 0) return n;
  // Missing (fOpenFile says so), empty, or too large to number its bases.
  FILE* probe = fOpenFile(path, "rb");
  if (probe == nullptr) return -1;
  std::fclose(probe);
  fSayAndWait(n == 0 ? kGenomeEmpty : kGenomeTooLarge, path);
  return -1;
}

GenomeLoad fLoadCodedGenome(const std::string& path, bool letterFile, int32_t tail, int32_t head,
                            int32_t& length) {
  length = 0;
  int32_t n = fGenomeFileSize(path);
  if (n < 0) return GenomeLoad::kFailed;
  if (tail < kMinimumTail) tail = kMinimumTail;
  if (head < 0) head = 0;

  size_t storeSize = static_cast<size_t>(n) + static_cast<size_t>(tail) + static_cast<size_t>(head) + 1;
  GenomeStore = static_cast<unsigned char*>(std::malloc(storeSize));
  if (GenomeStore == nullptr) return GenomeLoad::kNoMemory;
  Genome = GenomeStore + head - 1;

  FILE* file = fOpenFile(path, "rb");
  if (file == nullptr) {
    fReleaseGenome();
    return GenomeLoad::kFailed;
  }
  size_t got = std::fread(Genome + 1, 1, static_cast<size_t>(n), file);
  std::fclose(file);
  if (got != static_cast<size_t>(n)) {
    fReleaseGenome();
    fSayAndWait(kGenomeShortRead, path);
    return GenomeLoad::kBadByte;
  }
  if (!fCheckBases(n, letterFile)) {
    fReleaseGenome();
    return GenomeLoad::kBadByte;
  }
  // Ascending copies: a genome shorter than the copy repeats itself. The
  // counters are 64-bit so that a tail of 2^31 - 1 bases (rMaxSz at its
  // largest) ends its loop.
  for (int64_t k = 1; k <= tail; ++k) Genome[n + k] = Genome[k];
  for (int64_t k = 1; k <= head; ++k) Genome[1 - k] = Genome[n + 1 - k];
  length = n;
  return GenomeLoad::kLoaded;
}

void fReleaseGenome() {
  std::free(GenomeStore);
  GenomeStore = nullptr;
  Genome = nullptr;
}

GenomeLoad fLoadOwnGenome(const std::string& path, bool letterFile, bool twoSided, int32_t& n, Outcome& outcome) {
  fStage(Stage::kLoading);
  // No read is longer than a line, so no copy needs to be longer either.
  const int32_t copies = MaxReadSize < kLongestRead ? MaxReadSize : kLongestRead;
  const GenomeLoad load = fLoadCodedGenome(path, letterFile, copies, twoSided ? copies : 0, n);
  switch (load) {
    case GenomeLoad::kLoaded: break;
    case GenomeLoad::kNoMemory: outcome.fFail(RunStatus::kNoMemory, path); break;
    case GenomeLoad::kFailed: outcome.fFail(RunStatus::kInputMissing, path); break;
    case GenomeLoad::kBadByte: outcome.fFail(RunStatus::kBadInput, path); break;
  }
  return load;
}

bool fOpenReads(const std::string& path, std::ifstream& reads, Outcome& outcome) {
  if (fOpenReadStream(path, reads)) return true;
  outcome.fFail(RunStatus::kInputMissing, path);
  return false;
}
