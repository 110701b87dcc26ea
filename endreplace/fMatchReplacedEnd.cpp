#include <cstring>
#include <fstream>
#include <utility>

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/memory.h"
#include "driver/notes.h"
#include "driver/run_state.h"
#include "endreplace/replaced_end.h"
#include "index/index12both.h"
#include "index/kmer.h"

namespace {
const char kNoDetectedReads[] = "\nno detected reads";
const char kNoMemoryForRing[] = "\nno memory for the reads held ahead";

// Reads held back for prefetching, and how many of them wait with their roots fetched.
constexpr uint32_t kRing = 16;
constexpr uint32_t kRootsAhead = 8;

// The line number of the read being matched, for the read notes: reads wait
// in the ring, so InputReads is already further on.
uint32_t MatchedRead = 0;

// Walks the positions of `key` on one strand, keeps those where the immutable
// part matches and the tip differs in at least MisNu letters, and writes
// them to `hitFile`; a read with more hits than the buffer holds is written
// in pieces. Returns the number of hits. Each hit is also noted with its read
// when the command line asks for read notes.
int32_t fMatchStrand(const unsigned char* text, const int32_t* root, const int32_t* chain, uint32_t key,
                     uint32_t tipCode, uint32_t strand, Block<HitRecord>& hits, FILE* hitFile) {
  const unsigned char* read = reinterpret_cast<const unsigned char*>(InputLine);
  const int32_t exactEnd = ImmutSz;
  const int32_t tipEnd = AimedSz;
  const int32_t capacity = static_cast<int32_t>(hits.size());
  int32_t found = 0;
  int32_t held = 0;
  for (int32_t p = root[key]; p > 0; p = chain[p]) {
    const unsigned char* site = text + p;
    // The key's letters match already.
    if (exactEnd > kKey12Bases &&
        std::memcmp(site + kKey12Bases, read + kKey12Bases, static_cast<size_t>(exactEnd - kKey12Bases)) != 0)
      continue;
    int32_t mismatches = 0;
    for (int32_t k = exactEnd; k < tipEnd; ++k) mismatches += site[k] != read[k];
    if (mismatches < MisNu) continue;
    if (held == capacity) {
      std::fwrite(hits.data(), sizeof(HitRecord), static_cast<size_t>(held), hitFile);
      held = 0;
    }
    hits[held++] = HitRecord{static_cast<uint32_t>(p), tipCode};
    const HitNote note{static_cast<uint32_t>(p), tipCode, MatchedRead, strand};
    ReadNotes.fAdd(&note, sizeof note);
    ++found;
  }
  if (held > 0) std::fwrite(hits.data(), sizeof(HitRecord), static_cast<size_t>(held), hitFile);
  return found;
}

// Finds the hits of the read in InputLine (upper-case letters) and WorkLine
// (codes) on both strands and writes them, one write per strand.
void fMatchReplacedEnd(Block<HitRecord>& hits, FILE* upperHits, FILE* lowerHits) {
  const unsigned char* codes = reinterpret_cast<const unsigned char*>(WorkLine);
  uint32_t key = fKmerKey(codes, kKey12Bases);
  uint32_t tipCode = MutTipSz > 0 ? fKmerKey(codes + ImmutSz, MutTipSz) : 0;
  // The read itself, not its reverse complement, is compared with each strand's text.
  int32_t upper = fMatchStrand(Genome, Root12Up, Chain12Up, key, tipCode, kUpperStrandNote, hits, upperHits);
  int32_t lower = fMatchStrand(GenomeLower, Root12Lw, Chain12Lw, key, tipCode, kLowerStrandNote, hits, lowerHits);
  UpperStrandReads += upper;
  LowerStrandReads += lower;
  if (upper > 0 || lower > 0) ++FellIntoGenome;
}

// Sets the counters to 0, then matches every analysable read of `reads`,
// appending its hits to the two hit files. False if the reads held ahead
// find no room.
bool fRunReadPass(std::istream& reads, Block<HitRecord>& hits, FILE* upperHits, FILE* lowerHits) {
  InputReads = TheseReads = DefectedReads = LongTracks = AnalyzedReads = FellIntoGenome = 0;
  UpperStrandReads = LowerStrandReads = 0;
  const int32_t tipStart = ImmutSz;
  const size_t readBytes = static_cast<size_t>(AimedSz);
  // Analysable reads wait in a ring before they are matched, in their file
  // order: their root entries are fetched kRing reads ahead and the genome
  // letters they point to kRing - kRootsAhead reads ahead, so the matcher
  // finds them in cache instead of waiting on memory for every read.
  Block<char> ringLetters;
  Block<unsigned char> ringCodes;
  if (!ringLetters.fAllocate(kRing * readBytes) || !ringCodes.fAllocate(kRing * readBytes)) return false;
  uint32_t ringKeys[kRing];
  uint32_t ringReadNumbers[kRing];
  uint32_t admitted = 0, staged = 0, matched = 0;
  auto stage = [&](uint32_t read) {
    uint32_t key = ringKeys[read % kRing];
    int32_t upper = Root12Up[key];
    int32_t lower = Root12Lw[key];
    if (upper > 0) {
      fPrefetch(Genome + upper + kKey12Bases);
      fPrefetch(Chain12Up + upper);
    }
    if (lower > 0) {
      fPrefetch(GenomeLower + lower + kKey12Bases);
      fPrefetch(Chain12Lw + lower);
    }
  };
  auto match = [&](uint32_t read) {
    while (staged <= read) stage(staged++);
    size_t slot = (read % kRing) * readBytes;
    std::memcpy(InputLine, &ringLetters[slot], readBytes);
    std::memcpy(WorkLine, &ringCodes[slot], readBytes);
    MatchedRead = ringReadNumbers[read % kRing];
    fMatchReplacedEnd(hits, upperHits, lowerHits);
  };

  int32_t length = 0;
  // The per-read path: no allocation, no formatting; hits leave in one write per strand.
  while (fNextRead(reads, true, length)) {
    if (length != AimedSz) continue;
    // A tip of one repeated letter, compared as raw bytes (a and A differ),
    // is a long track; so is every tip shorter than two letters.
    bool longTrack = true;
    if (tipStart + 1 < length) {
      const char first = InputLine[tipStart];
      for (int32_t k = tipStart + 1; k < length; ++k)
        if (InputLine[k] != first) {
          longTrack = false;
          break;
        }
    }
    if (longTrack) {
      ++LongTracks;
      continue;
    }
    ++TheseReads;
    size_t slot = (admitted % kRing) * readBytes;
    unsigned char* codes = &ringCodes[slot];
    if (fLettersToCodes(InputLine, AimedSz, codes) < AimedSz) {
      ++DefectedReads;
      continue;
    }
    char* letters = &ringLetters[slot];
    for (int32_t k = 0; k < AimedSz; ++k) letters[k] = kUpperLetters[codes[k]];
    ++AnalyzedReads;
    uint32_t key = fKmerKey(codes, kKey12Bases);
    ringKeys[admitted % kRing] = key;
    ringReadNumbers[admitted % kRing] = static_cast<uint32_t>(InputReads);
    fPrefetch(Root12Up + key);
    fPrefetch(Root12Lw + key);
    ++admitted;
    if (admitted - staged > kRootsAhead) stage(staged++);
    if (admitted - matched == kRing) match(matched++);
  }
  while (matched < admitted) match(matched++);
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

bool fMatchExperimentReads(const std::string& readsPath, GenomeTexts& texts, ExperimentFiles& files,
                           Outcome& outcome) {
  fStage(Stage::kReads);
  std::ifstream reads;
  bool opened = fOpenReadStream(readsPath, reads);
  bool passed = opened && fRunReadPass(reads, texts.hits, files.upperHits, files.lowerHits);
  // A failed hit-file write shows when the site table reads the file back;
  // the console keeps that message.
  fCloseHitFile(files.upperHits, files.upperHitPath, outcome);
  fCloseHitFile(files.lowerHits, files.lowerHitPath, outcome);
  if (!opened) {
    outcome.fFail(RunStatus::kInputMissing, readsPath);
    return false;
  }
  if (!passed) {
    fSay(kNoMemoryForRing);
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
