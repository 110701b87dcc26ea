#include <cstring>
#include <new>
#include <fstream>
#include <utility>
#include <vector>

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/memory.h"
#include "driver/notes.h"
#include "driver/read_ahead.h"
#include "driver/read_batches.h"
#include "driver/run_state.h"
#include "driver/same_bytes.h"
#include "endreplace/replaced_end.h"
#include "index/index12both.h"
#include "index/kmer.h"

namespace {
const char kNoDetectedReads[] = "\nno detected reads";
const char kNoMemoryForBatches[] = "\nno memory for the reads held ahead";

// The hits of `read` (upper-case letters) on one strand's text: the positions
// of its key where the immutable part matches and the tip differs in at least
// MisNu letters, onHit(p) for each, in chain order.
template <class OnHit>
void fEachHit(const unsigned char* read, const unsigned char* text, const int32_t* root, const int32_t* chain,
                 uint32_t key, OnHit onHit) {
  const int32_t exactEnd = ImmutSz;
  const int32_t tipEnd = AimedSz;
  for (int32_t p = root[key]; p > 0; p = chain[p]) {
    const unsigned char* site = text + p;
    // The key's letters match already.
    if (exactEnd > kKey12Bases &&
        !fSameBytes(site + kKey12Bases, read + kKey12Bases, static_cast<size_t>(exactEnd - kKey12Bases)))
      continue;
    int32_t mismatches = 0;
    for (int32_t k = exactEnd; k < tipEnd; ++k) mismatches += site[k] != read[k];
    if (mismatches < MisNu) continue;
    onHit(p);
  }
}

// A tip of one repeated letter, compared as raw bytes (a and A differ), is a
// long track; so is every tip shorter than two letters.
inline bool fIsLongTrack(const unsigned char* letters) {
  for (int32_t k = ImmutSz + 1; k < AimedSz; ++k)
    if (letters[k] != letters[ImmutSz]) return false;
  return true;
}

// What a read is to the read pass.
enum : unsigned char { kOtherSize = 0, kLongTrack = 1, kDefected = 2, kAnalyzed = 3 };

// Counts a read for the log by what it is; true for a read to be matched.
bool fCountEndRead(unsigned char kind) {
  if (kind == kOtherSize) return false;
  if (kind == kLongTrack) {
    ++LongTracks;
    return false;
  }
  ++TheseReads;
  if (kind == kDefected) {
    ++DefectedReads;
    return false;
  }
  ++AnalyzedReads;
  return true;
}

// The look-ahead hook of the batches (driver/read_ahead.h): notes what each
// read is (the aimed size, a tip that is not one repeated letter, letters
// that are all bases), codes the analysable ones in place and asks for their
// key's root entries on both strands, then for the genome letters and chain
// links they point to. Every read is kept, to be counted in file order.
struct ReplacedEndAhead {
  struct Seeds {
    uint32_t key;
    unsigned char kind;
  };

  bool fTake(HeldRead<Seeds>& read) const {
    read.seeds.kind = fSort(read);
    if (read.seeds.kind == kAnalyzed) {
      read.seeds.key = fKmerKey(read.bases, kKey12Bases);
      fPrefetch(Root12Up + read.seeds.key);
      fPrefetch(Root12Lw + read.seeds.key);
    }
    return true;
  }
  void fFollow(const HeldRead<Seeds>& read) const {
    if (read.seeds.kind != kAnalyzed) return;
    const int32_t upper = Root12Up[read.seeds.key];
    const int32_t lower = Root12Lw[read.seeds.key];
    if (upper > 0) {
      fPrefetch(Genome + upper + kKey12Bases);
      fPrefetch(Chain12Up + upper);
    }
    if (lower > 0) {
      fPrefetch(GenomeLower + lower + kKey12Bases);
      fPrefetch(Chain12Lw + lower);
    }
  }
  void fFollowOn(const HeldRead<Seeds>&) const {}

 private:
  static unsigned char fSort(HeldRead<Seeds>& read) {
    if (read.length != AimedSz) return kOtherSize;
    if (fIsLongTrack(read.bases)) return kLongTrack;
    const char* letters = reinterpret_cast<const char*>(read.bases);
    if (fLettersToCodes(letters, AimedSz, read.bases) < AimedSz) return kDefected;
    return kAnalyzed;
  }
};

// A hit a worker found: its read (index in the batch), strand and position.
struct EndHit {
  uint32_t read;
  uint32_t strand;
  uint32_t pos;
};

// The read pass (on RunThreads threads): the reads of a batch are sorted and
// matched, then counted, and their hits written and noted, in file order.
void fRunReadPassInBatches(std::istream& reads, FILE* upperHits, FILE* lowerHits) {
  ShareRecords<EndHit> found(RunThreads);
  auto match = [&found](ReadBatch& batch, uint32_t first, uint32_t end, int share, int) {
    std::vector<EndHit>& hits = found.fOf(batch, share);
    hits.clear();
    unsigned char letters[kLineBufferSize];
    using Hook = ReplacedEndAhead;
    fWalkShare(batch, first, end, Hook(), [&](const HeldRead<Hook::Seeds>& read, uint32_t i) {
      batch.results[i] = read.seeds.kind;
      if (read.seeds.kind != kAnalyzed) return;
      const unsigned char* codes = read.bases;
      batch.values[i] = MutTipSz > 0 ? static_cast<int32_t>(fKmerKey(codes + ImmutSz, MutTipSz)) : 0;
      for (int32_t k = 0; k < AimedSz; ++k) letters[k] = static_cast<unsigned char>(kUpperLetters[codes[k]]);
      const uint32_t key = read.seeds.key;
      fEachHit(letters, Genome, Root12Up, Chain12Up, key,
               [&](int32_t p) { hits.push_back({i, kUpperStrandNote, static_cast<uint32_t>(p)}); });
      fEachHit(letters, GenomeLower, Root12Lw, Chain12Lw, key,
               [&](int32_t p) { hits.push_back({i, kLowerStrandNote, static_cast<uint32_t>(p)}); });
    });
  };
  // A batch's records of each strand, written in one piece.
  std::vector<HitRecord> records[2];
  auto emit = [&](ReadBatch& batch) {
    ShareRecords<EndHit>::Cursor cursor(found, batch);
    records[kUpperStrandNote].clear();
    records[kLowerStrandNote].clear();
    for (uint32_t i = 0; i < batch.count; ++i) {
      if (!fCountEndRead(batch.results[i])) continue;
      const uint32_t tipCode = static_cast<uint32_t>(batch.values[i]);
      const uint32_t number = static_cast<uint32_t>(batch.numbers[i]);
      int32_t upper = 0, lower = 0;
      cursor.fTake(i, [&](const EndHit& hit) {
        records[hit.strand].push_back(HitRecord{hit.pos, tipCode});
        const HitNote note{hit.pos, tipCode, number, hit.strand};
        ReadNotes.fAdd(&note, sizeof note);
        ++(hit.strand == kUpperStrandNote ? upper : lower);
      });
      UpperStrandReads += upper;
      LowerStrandReads += lower;
      if (upper > 0 || lower > 0) ++FellIntoGenome;
    }
    auto write = [](const std::vector<HitRecord>& strand, FILE* file) {
      if (!strand.empty()) std::fwrite(strand.data(), sizeof(HitRecord), strand.size(), file);
    };
    write(records[kUpperStrandNote], upperHits);
    write(records[kLowerStrandNote], lowerHits);
    return true;
  };
  fRunReadBatches(reads, true, RunThreads, match, emit);
}

// Sets the counters to 0, then matches every analysable read of `reads`,
// appending its hits to the two hit files. False if the batches find no room.
bool fRunReadPass(std::istream& reads, FILE* upperHits, FILE* lowerHits) {
  InputReads = TheseReads = DefectedReads = LongTracks = AnalyzedReads = FellIntoGenome = 0;
  UpperStrandReads = LowerStrandReads = 0;
  try {
    fRunReadPassInBatches(reads, upperHits, lowerHits);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}
// A hit file is scratch: closed with its write checked, never a result.
void fCloseHitFile(FILE*& file, const std::string& path, Outcome& outcome) {
  FILE* closing = std::exchange(file, nullptr);
  bool failed = std::ferror(closing) != 0;
  if (std::fclose(closing) != 0 || failed) outcome.fFail(RunStatus::kOutputFailed, path);
}

// The counts of the read pass as the log gives them, for the command line.
void fCountReads(Outcome& outcome) {
  outcome.fCount("input", InputReads);
  outcome.fCount("required_read_size", AimedSz);
  outcome.fCount("these_reads", TheseReads);
  outcome.fCount("defected", DefectedReads);
  outcome.fCount("long_tracks", LongTracks);
  outcome.fCount("analyzed", AnalyzedReads);
  outcome.fCount("fell_into_genome", FellIntoGenome);
}
}  // namespace

bool fMatchExperimentReads(const std::string& readsPath, ExperimentFiles& files, Outcome& outcome) {
  fStage(Stage::kReads);
  std::ifstream reads;
  bool opened = fOpenReadStream(readsPath, reads);
  bool passed = opened && fRunReadPass(reads, files.upperHits, files.lowerHits);
  // A failed hit-file write shows when the site table reads the file back;
  // the console keeps that message.
  fCloseHitFile(files.upperHits, files.upperHitPath, outcome);
  fCloseHitFile(files.lowerHits, files.lowerHitPath, outcome);
  if (!opened) {
    outcome.fFail(RunStatus::kInputMissing, readsPath);
    return false;
  }
  if (!passed) {
    fSay(kNoMemoryForBatches);
    fPause();
    outcome.fFail(RunStatus::kNoMemory, "");
    return false;
  }
  fCountReads(outcome);
  if (FellIntoGenome > 0) return true;
  // The hit files stay, and the table and log stay empty: they are what the run leaves.
  fSay(kNoDetectedReads);
  fPause();
  fCloseOutput(std::exchange(files.table, nullptr), files.tablePath, outcome);
  fCloseOutput(std::exchange(files.log, nullptr), files.logPath, outcome);
  if (outcome.fSucceeded()) outcome.status = RunStatus::kNothingFound;
  return false;
}
