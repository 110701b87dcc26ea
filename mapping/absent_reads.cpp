#include "mapping/absent_reads.h"

#include <cstdio>

#include "driver/console.h"
#include "driver/loaders.h"
#include "driver/run_state.h"
#include "index/index16.h"
#include "mapping/mapping_notes.h"
#include "mapping/read_in_seq.h"

namespace {
// Opens the reads and the absent-reads file and writes the codes of every
// absent read of the scope; counts the letter reads refused for a byte that
// is not a base.
template <bool kLetters>
bool fWriteAbsent(const std::string& ReadsPath, const std::string& outPath, AbsentReads& run, Outcome& outcome) {
  ReadAhead<Seeds16Ahead<fWholeReadKeys<kLetters>>> ahead;
  if (!ahead.fAllocate()) {
    outcome.fFail(RunStatus::kNoMemory, "");
    return false;
  }
  if (!fOpenReads(ReadsPath, run.reads, outcome)) return false;
  if (!run.absent.fOpen(outPath, outcome)) return false;

  fStage(Stage::kReads);
  unsigned char* codes = reinterpret_cast<unsigned char*>(InputLine);
  ahead.fStart(run.reads, kLetters);
  // Per-read path: no allocation, one write per absent read.
  while (const auto* read = ahead.fNext()) {
    const int32_t length = read->length;
    if (length < MinReadSize || length > MaxReadSize) continue;
    if (kLetters && fLettersToCodes(InputLine, length, codes) < length) {
      ++run.defective;
      continue;
    }
    if (fIsReadInSeq(length)) continue;
    ++OutOfGenome;
    InputLine[length] = '\n';
    std::fwrite(InputLine, 1, static_cast<size_t>(length) + 1, run.absent.file);
    fNoteRead(AbsentNote{static_cast<uint32_t>(read->number)});
  }
  run.reads.close();
  run.absent.fClose(outcome);
  return true;
}
}  // namespace

bool fWriteAbsentReads(const std::string& ReadsPath, const std::string& GenomePath, bool letters,
                       const char* noMemory, const std::string& outPath, AbsentReads& run, Outcome& outcome) {
  InputReads = OutOfGenome = 0;
  int32_t L = 0;
  const GenomeLoad load = fLoadOwnGenome(GenomePath, letters, false, L, outcome);
  if (load == GenomeLoad::kNoMemory && noMemory != nullptr) {
    fSay(noMemory);
    fPause();
  }
  if (load != GenomeLoad::kLoaded) return false;
  if (!fIndexGenome(L, false, outcome)) return false;
  return letters ? fWriteAbsent<true>(ReadsPath, outPath, run, outcome)
                 : fWriteAbsent<false>(ReadsPath, outPath, run, outcome);
}

void fReleaseAbsentReads(AbsentReads& run, Outcome& outcome) {
  run.absent.fClose(outcome);
  run.log.fClose(outcome);
  fRelease16Chain();
  fReleaseGenome();
  outcome.readsRead = InputReads;
}
