#include "mapping/absent_reads.h"

#include <cstdio>
#include <new>

#include "driver/console.h"
#include "driver/loaders.h"
#include "driver/read_batches.h"
#include "driver/run_state.h"
#include "index/index16.h"
#include "mapping/mapping_notes.h"
#include "mapping/read_in_seq.h"

namespace {
// What a read of a batch turned out to be.
enum : unsigned char { kNotWritten = 0, kAbsent = 1, kDefective = 2 };

// The read pass (on RunThreads threads): the reads of each batch are coded
// and looked up, then the absent ones of the scope written in file order;
// the letter reads refused for a byte that is not a base are counted.
template <bool kLetters>
bool fWriteAbsentInBatches(AbsentReads& run, Outcome& outcome) {
  using Hook = Seeds16Ahead<fWholeReadKeys<kLetters>>;
  auto match = [](ReadBatch& batch, uint32_t first, uint32_t end, int, int) {
    unsigned char lower[kLineBufferSize];
    fWalkShare(batch, first, end, Hook(), [&](const HeldRead<Keys16>& read, uint32_t i) {
      const int32_t length = read.length;
      if (length < MinReadSize || length > MaxReadSize) return;
      unsigned char* codes = read.bases;
      if (kLetters && fLettersToCodes(reinterpret_cast<const char*>(codes), length, codes) < length) {
        batch.results[i] = kDefective;
        return;
      }
      if (fIsCodedReadInSeq(codes, length, lower)) return;
      codes[length] = '\n';
      batch.results[i] = kAbsent;
    });
  };
  auto emit = [&run](ReadBatch& batch) {
    for (uint32_t i = 0; i < batch.count; ++i) {
      if (batch.results[i] == kDefective) ++run.defective;
      if (batch.results[i] != kAbsent) continue;
      ++OutOfGenome;
      std::fwrite(batch.fRead(i), 1, static_cast<size_t>(batch.lengths[i]) + 1, run.absent.file);
      fNoteRead(AbsentNote{static_cast<uint32_t>(batch.numbers[i])});
    }
    return true;
  };
  try {
    fRunReadBatches(run.reads, kLetters, RunThreads, match, emit);
  } catch (const std::bad_alloc&) {
    outcome.fFail(RunStatus::kNoMemory, "");
    return false;
  }
  return true;
}

// Opens the reads and the absent-reads file and writes the codes of every
// absent read of the scope.
template <bool kLetters>
bool fWriteAbsent(const std::string& ReadsPath, const std::string& outPath, AbsentReads& run, Outcome& outcome) {
  if (!fOpenReads(ReadsPath, run.reads, outcome)) return false;
  if (!run.absent.fOpen(outPath, outcome)) return false;

  fStage(Stage::kReads);
  const bool passed = fWriteAbsentInBatches<kLetters>(run, outcome);
  run.reads.close();
  run.absent.fClose(outcome);
  return passed;
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
