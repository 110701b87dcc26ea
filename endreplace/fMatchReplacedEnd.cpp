#include <cstring>
#include <vector>

#include "driver/file_helpers.h"
#include "driver/memory.h"
#include "driver/run_state.h"
#include "endreplace/replaced_end.h"
#include "index/index12both.h"

namespace {

// Reads held back for prefetching, and how many of them wait with their roots fetched.
constexpr uint32_t kRing = 16;
constexpr uint32_t kRootsAhead = 8;

inline char fUpperCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Walks the positions of `key` on one strand, keeps those where the immutable
// part matches and the tip differs in at least MisNu letters, and writes
// them to `hitFile`; a read with more hits than the buffer holds is written
// in pieces. Returns the number of hits.
int32_t fMatchStrand(const unsigned char* text, const int32_t* root, const int32_t* chain, uint32_t key,
                     uint32_t tipCode, HitBuffer& hits, FILE* hitFile) {
  const unsigned char* read = reinterpret_cast<const unsigned char*>(InputLine);
  const int32_t exactEnd = ImmutSz;
  const int32_t tipEnd = AimedSz;
  int32_t found = 0;
  int32_t held = 0;
  for (int32_t p = root[key]; p > 0; p = chain[p]) {
    const unsigned char* site = text + p;
    // The first 12 letters match through the key.
    if (exactEnd > 12 && std::memcmp(site + 12, read + 12, static_cast<size_t>(exactEnd - 12)) != 0) continue;
    int32_t mismatches = 0;
    for (int32_t k = exactEnd; k < tipEnd; ++k) mismatches += site[k] != read[k];
    if (mismatches < MisNu) continue;
    if (held == hits.capacity) {
      std::fwrite(hits.records, sizeof(HitRecord), static_cast<size_t>(held), hitFile);
      held = 0;
    }
    hits.records[held++] = HitRecord{static_cast<uint32_t>(p), tipCode};
    ++found;
  }
  if (held > 0) std::fwrite(hits.records, sizeof(HitRecord), static_cast<size_t>(held), hitFile);
  return found;
}
}  // namespace

void fMatchReplacedEnd(HitBuffer& hits, FILE* upperHits, FILE* lowerHits) {
  const unsigned char* codes = reinterpret_cast<const unsigned char*>(WorkLine);
  uint32_t key = fKmerKey(codes, 12);
  uint32_t tipCode = MutTipSz > 0 ? fKmerKey(codes + ImmutSz, MutTipSz) : 0;
  // The read itself, not its reverse complement, is compared with each strand's text.
  int32_t upper = fMatchStrand(Genome, Root12Up, Chain12Up, key, tipCode, hits, upperHits);
  int32_t lower = fMatchStrand(GenomeLower, Root12Lw, Chain12Lw, key, tipCode, hits, lowerHits);
  UpperStrandReads += upper;
  LowerStrandReads += lower;
  if (upper > 0 || lower > 0) ++FellIntoGenome;
}

void fRunReadPass(std::istream& reads, HitBuffer& hits, FILE* upperHits, FILE* lowerHits) {
  InputReads = TheseReads = DefectedReads = LongTracks = AnalyzedReads = FellIntoGenome = 0;
  UpperStrandReads = LowerStrandReads = 0;
  const int32_t tipStart = ImmutSz;
  const size_t readBytes = static_cast<size_t>(AimedSz);
  // Analysable reads wait in a ring before they are matched, in their file
  // order: their root entries are fetched kRing reads ahead and the genome
  // letters they point to kRing - kRootsAhead reads ahead, so the matcher
  // finds them in cache instead of waiting on memory for every read.
  std::vector<char> ringLetters(kRing * readBytes);
  std::vector<char> ringCodes(kRing * readBytes);
  uint32_t ringKeys[kRing];
  uint32_t admitted = 0, staged = 0, matched = 0;
  auto stage = [&](uint32_t read) {
    uint32_t key = ringKeys[read % kRing];
    int32_t upper = Root12Up[key];
    int32_t lower = Root12Lw[key];
    if (upper > 0) {
      fPrefetch(Genome + upper + 12);
      fPrefetch(Chain12Up + upper);
    }
    if (lower > 0) {
      fPrefetch(GenomeLower + lower + 12);
      fPrefetch(Chain12Lw + lower);
    }
  };
  auto match = [&](uint32_t read) {
    while (staged <= read) stage(staged++);
    size_t slot = (read % kRing) * readBytes;
    std::memcpy(InputLine, &ringLetters[slot], readBytes);
    std::memcpy(WorkLine, &ringCodes[slot], readBytes);
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
    char* letters = &ringLetters[slot];
    char* codes = &ringCodes[slot];
    bool defected = false;
    for (int32_t k = 0; k < AimedSz; ++k) {
      char letter = fUpperCase(InputLine[k]);
      unsigned char code = NucleotideCode[static_cast<unsigned char>(letter)];
      if (code == 0xFF) {
        defected = true;
        break;
      }
      letters[k] = letter;
      codes[k] = static_cast<char>(code);
    }
    if (defected) {
      ++DefectedReads;
      continue;
    }
    ++AnalyzedReads;
    uint32_t key = fKmerKey(reinterpret_cast<const unsigned char*>(codes), 12);
    ringKeys[admitted % kRing] = key;
    fPrefetch(Root12Up + key);
    fPrefetch(Root12Lw + key);
    ++admitted;
    if (admitted - staged > kRootsAhead) stage(staged++);
    if (admitted - matched == kRing) match(matched++);
  }
  while (matched < admitted) match(matched++);
}
