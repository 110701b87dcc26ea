// Times the genome index builds on N threads, in a process of their own so
// that every run pays the first touch of its tables as a real run does.
//
//   time_index build16 GENOME_CODES THREADS   the 16-mer index; prints its time
//                                             and a digest of its tables
//   time_index build12 GENOME_CODES THREADS   the two-strand 12-mer index
//   time_index absent GENOME_CODES READS_CODES OUT_DIR THREADS
//                                             the whole fReadsOutOfSeq run
//
// GENOME_CODES holds the genome as base codes 0..3, no line feed.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/console.h"
#include "driver/run_state.h"
#include "index/index12both.h"
#include "index/index16.h"
#include "index/index_threads.h"
#include "mapping/mapping.h"

namespace {

double fSecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The codes numbered from 1 with 16 codes of circular continuation.
std::vector<unsigned char> fLoadCodes(const char* path) {
  std::vector<unsigned char> codes(1, 0);
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    std::fprintf(stderr, "time_index: can't open %s\n", path);
    std::exit(1);
  }
  unsigned char buffer[1 << 16];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) codes.insert(codes.end(), buffer, buffer + got);
  std::fclose(file);
  const size_t length = codes.size() - 1;
  if (length == 0) std::exit(1);
  for (size_t k = 0; k < kKey16Bases; ++k) codes.push_back(codes[1 + k % length]);
  return codes;
}

// Words of the tables, folded; equal digests mean equal tables.
// (The tables are whole 32-bit words.)
uint64_t fFold(uint64_t digest, const void* words, size_t bytes) {
  const uint32_t* word = static_cast<const uint32_t*>(words);
  for (size_t k = 0; k < bytes / 4; ++k) digest = (digest ^ word[k]) * 0x100000001b3ull;
  return digest;
}

uint64_t fDigest16(int32_t L) {
  uint64_t digest = 0xcbf29ce484222325ull;
  const size_t entries = Root16.Offsets[Root16Table::kRunCount];
  digest = fFold(digest, Root16.Offsets.data(), Root16.Offsets.bytes());
  digest = fFold(digest, Root16.Entries.data(), entries * sizeof(uint64_t));
  return fFold(digest, Chain16, (static_cast<size_t>(L) + 1) * sizeof(int32_t));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (!((mode == "build16" || mode == "build12") && argc == 4) && !(mode == "absent" && argc == 6)) {
    std::fprintf(stderr, "usage: time_index build16|build12 GENOME_CODES THREADS\n"
                         "       time_index absent GENOME_CODES READS_CODES OUT_DIR THREADS\n");
    return 2;
  }
  fInitCodingTables();
  ConsoleOn = false;
  RunThreads = std::atoi(argv[argc - 1]);
  if (mode == "absent") {
    static char input[kLineBufferSize], work[kLineBufferSize];
    InputLine = input;
    WorkLine = work;
    MaxLineLength = kLineBufferSize;
    MinReadSize = MaxReadSize = 50;
    SizeScopeWidth = 1;
    const auto start = std::chrono::steady_clock::now();
    Outcome outcome = fReadsOutOfSeq(std::string(argv[4]) + "/", argv[3], argv[2]);
    std::printf("absent %.3f s, %s\n", fSecondsSince(start), outcome.fSucceeded() ? "written" : "failed");
    return outcome.fSucceeded() ? 0 : 1;
  }

  std::vector<unsigned char> codes = fLoadCodes(argv[2]);
  const int32_t L = static_cast<int32_t>(codes.size() - 1 - kKey16Bases);
  Genome = codes.data();
  const auto start = std::chrono::steady_clock::now();
  if (mode == "build16") {
    if (!fBuild16Chain(L)) return 1;
    const double seconds = fSecondsSince(start);
    std::printf("build16 %.3f s, digest %016llx\n", seconds, static_cast<unsigned long long>(fDigest16(L)));
    fRelease16Chain();
    return 0;
  }
  // The lower strand's letters do not matter to the time: the upper strand's will do.
  std::vector<unsigned char> letters(codes.size());
  for (size_t k = 1; k < codes.size(); ++k) letters[k] = static_cast<unsigned char>(CodeLetters[codes[k] & 3]);
  Genome = GenomeLower = letters.data();
  const auto start12 = std::chrono::steady_clock::now();
  if (!fBuild12RootChainBoth(L)) return 1;
  const double seconds = fSecondsSince(start12);
  uint64_t digest = 0xcbf29ce484222325ull;
  digest = fFold(digest, Root12Up, static_cast<size_t>(kRoot12Count) * sizeof(int32_t));
  digest = fFold(digest, Chain12Lw, (static_cast<size_t>(L) + 1) * sizeof(int32_t));
  std::printf("build12 %.3f s, digest %016llx\n", seconds, static_cast<unsigned long long>(digest));
  fRelease12RootChainBoth();
  return 0;
}
