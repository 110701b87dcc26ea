// Process-wide run state shared by the dispatcher and the procedures: base
// coding tables, the two line buffers, the read-size scope, the loaded genome
// and the read counters. One procedure runs per process, so each procedure
// sets or resets what it uses.
#pragma once
#include <atomic>
#include <cstdint>

// Letter to base code (A 0, C 1, G 2, T 3, either case); 0xFF for every other byte.
extern unsigned char NucleotideCode[256];
// Upper-case letter to its complement letter; 0 for every other index.
extern char ComplementTable[256];
// Base code back to a lower-case letter.
extern const char CodeLetters[5];

// The two shared line buffers, MaxLineLength bytes each; a line holds at most
// MaxLineLength - 1 characters.
extern char* InputLine;
extern char* WorkLine;
extern int32_t MaxLineLength;
constexpr int32_t kLineBufferSize = 5120;
// The longest read a line buffer holds.
constexpr int32_t kLongestRead = kLineBufferSize - 1;

// Inclusive read-size scope and its width.
extern int32_t MinReadSize;
extern int32_t MaxReadSize;
extern int32_t SizeScopeWidth;

// maxSize - minSize + 1, held within 32 bits: a scope as wide as [-2^31, 2^31-1]
// gives the largest width instead of wrapping round to a small one.
int32_t fSizeScopeWidth(int32_t minSize, int32_t maxSize);

// The loaded genome, numbered from 1: Genome[1] .. Genome[GenomeLength].
// GenomeStore is the allocation that also holds the circular copies.
extern unsigned char* GenomeStore;
extern unsigned char* Genome;
extern unsigned char* GenomeLower;
extern int32_t GenomeLength;

// The hit-count stop rule of the parted and circular-RNA procedures: reading
// stops after the in-scope read that takes the upper-strand hit count above it.
// 0 reads every read (the hit lists then grow as needed).
constexpr int32_t kDefaultHitStopLimit = 9995;
extern int32_t HitStopLimit;

// Threads a run may use for its index build and read pass; the results are
// the same for any number. The selection-file run keeps one.
extern int32_t RunThreads;

// Read counters; the procedure that uses them resets them before its reads loop.
extern int32_t InputReads;
// InputReads as the line readers last took a read, for the progress line's
// thread to read while they go on.
extern std::atomic<int32_t> ReadsTaken;
extern int32_t IntoGenome;
extern int32_t OutOfGenome;
extern int32_t UpperStrandReads;
extern int32_t LowerStrandReads;
extern int32_t SumLength;

// Fills NucleotideCode and ComplementTable; done once at start-up.
void fInitCodingTables();

// Writes the n letters of a k-mer key into out[0 .. n-1], first base (most
// significant) first; no terminator.
void fKeyToLetters(uint32_t key, int32_t n, char* out);

// Key of k base codes, first base most significant.
inline uint32_t fKmerKey(const unsigned char* codes, int k) {
  uint32_t key = 0;
  for (int i = 0; i < k; ++i) key = key * 4 + codes[i];
  return key;
}

// Codes `n` letters into out[0 .. n-1] through NucleotideCode (in place when
// out == letters). Returns the index of the first byte that is not a base, or n.
inline int32_t fLettersToCodes(const char* letters, int32_t n, unsigned char* out) {
  for (int32_t i = 0; i < n; ++i) {
    unsigned char code = NucleotideCode[static_cast<unsigned char>(letters[i])];
    if (code > 3) return i;
    out[i] = code;
  }
  return n;
}

// Reverse complement of coded bases into `out`: out[i] = 3 - codes[length-1-i].
inline void fReverseComplementCodes(const unsigned char* codes, int32_t length, unsigned char* out) {
  for (int32_t i = 0; i < length; ++i) out[i] = static_cast<unsigned char>(3 - codes[length - 1 - i]);
}
