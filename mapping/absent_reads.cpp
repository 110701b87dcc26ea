#include "mapping/absent_reads.h"

#include <cstdio>

#include "driver/console.h"
#include "driver/loaders.h"
#include "driver/run_state.h"
#include "index/index16.h"
#include "mapping/read_ahead.h"
#include "mapping/read_in_seq.h"

namespace {
// Writes the codes of every absent read of the scope; returns the number of
// letter reads refused for a byte that is not a base.
template <bool kLetters>
int32_t fWriteAbsent(std::ifstream& reads, FILE* absent) {
  int32_t defective = 0;
  int32_t length = 0;
  unsigned char* read = reinterpret_cast<unsigned char*>(InputLine);
  ReadAhead ahead(reads, kLetters, kLetters ? fWholeLetterReadKeys : fWholeReadKeys);
  // Per-read path: no allocation, one write per absent read.
  while (ahead.fNext(length)) {
    if (length < MinReadSize || length > MaxReadSize) continue;
    if (kLetters && fLettersToCodes(InputLine, length, read) < length) {
      ++defective;
      continue;
    }
    if (fIsReadInSeq(length)) continue;
    ++OutOfGenome;
    InputLine[length] = '\n';
    std::fwrite(InputLine, 1, static_cast<size_t>(length) + 1, absent);
  }
  return defective;
}
}  // namespace

bool fWriteAbsentReads(const std::string& ReadsPath, const std::string& GenomePath, bool letters,
                       const char* noMemory, const std::string& outPath, AbsentReads& run, Outcome& outcome) {
  InputReads = OutOfGenome = 0;
  int32_t L = 0;
  if (!fLoadOwnGenome(GenomePath, letters, noMemory, L, outcome)) return false;
  if (!fIndexGenome(L, false, outcome)) return false;
  if (!fOpenReads(ReadsPath, run.reads, outcome)) return false;
  if (!run.absent.fOpen(outPath, outcome)) return false;

  fStage(Stage::kReads);
  run.defective = letters ? fWriteAbsent<true>(run.reads, run.absent.file)
                          : fWriteAbsent<false>(run.reads, run.absent.file);
  run.reads.close();
  run.absent.fClose(outcome);
  return true;
}

void fReleaseAbsentReads(AbsentReads& run, Outcome& outcome) {
  run.absent.fClose(outcome);
  run.log.fClose(outcome);
  fRelease16Chain();
  fReleaseGenome();
  outcome.readsRead = InputReads;
}
