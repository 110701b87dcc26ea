#include "driver/run_state.h"

#include "driver/read_batches.h"

#include <cstdint>
#include <cstring>

unsigned char NucleotideCode[256];
char ComplementTable[256];
const char CodeLetters[5] = "acgt";

char* InputLine = nullptr;
char* WorkLine = nullptr;
int32_t MaxLineLength = 0;

int32_t MinReadSize = 0;
int32_t MaxReadSize = 0;
int32_t SizeScopeWidth = 0;

unsigned char* GenomeStore = nullptr;
unsigned char* Genome = nullptr;
unsigned char* GenomeLower = nullptr;
int32_t GenomeLength = 0;

int32_t HitStopLimit = kDefaultHitStopLimit;
int32_t RunThreads = 1;
uint32_t ReadBatchReads = 8192;

int32_t InputReads = 0;
std::atomic<int32_t> ReadsTaken{0};
int32_t IntoGenome = 0;
int32_t OutOfGenome = 0;
int32_t UpperStrandReads = 0;
int32_t LowerStrandReads = 0;
int32_t SumLength = 0;

void fInitCodingTables() {
  std::memset(NucleotideCode, 0xFF, sizeof NucleotideCode);
  NucleotideCode[static_cast<unsigned char>('A')] = 0;
  NucleotideCode[static_cast<unsigned char>('a')] = 0;
  NucleotideCode[static_cast<unsigned char>('C')] = 1;
  NucleotideCode[static_cast<unsigned char>('c')] = 1;
  NucleotideCode[static_cast<unsigned char>('G')] = 2;
  NucleotideCode[static_cast<unsigned char>('g')] = 2;
  NucleotideCode[static_cast<unsigned char>('T')] = 3;
  NucleotideCode[static_cast<unsigned char>('t')] = 3;

  std::memset(ComplementTable, 0, sizeof ComplementTable);
  ComplementTable[static_cast<unsigned char>('A')] = 'T';
  ComplementTable[static_cast<unsigned char>('C')] = 'G';
  ComplementTable[static_cast<unsigned char>('G')] = 'C';
  ComplementTable[static_cast<unsigned char>('T')] = 'A';
}

int32_t fSizeScopeWidth(int32_t minSize, int32_t maxSize) {
  int64_t width = static_cast<int64_t>(maxSize) - minSize + 1;
  if (width > INT32_MAX) return INT32_MAX;
  if (width < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(width);
}

void fKeyToLetters(uint32_t key, int32_t n, char* out) {
  for (int32_t i = n - 1; i >= 0; --i) {
    out[i] = CodeLetters[key & 3];
    key >>= 2;
  }
}
