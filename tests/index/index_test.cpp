// The genome indexes against a scan of the circular genome: the 16-mer and
// 8-mer roots of read mapping over the coded genome, the two-strand 12-mer
// index over letter texts (end replacement) and the single-strand one over
// the coded genome (parted reads).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "driver/console.h"
#include "driver/run_state.h"
#include "index/index12both.h"
#include "index/index16.h"
#include "index/index_threads.h"
#include "parted/index12.h"
#include "support/address_limit.h"
#include "support/run_folder.h"
#include "support/sequences.h"

namespace {

constexpr int kWord = 12;

// The text numbered from 1 with `tail` letters of circular continuation.
std::vector<unsigned char> fNumbered(const std::string& text, int tail) {
  std::vector<unsigned char> numbered(1, 0);
  for (size_t k = 0; k < text.size() + static_cast<size_t>(tail); ++k)
    numbered.push_back(static_cast<unsigned char>(text[k % text.size()]));
  return numbered;
}

uint32_t fKeyOf(const std::string& word) {
  uint32_t key = 0;
  for (char c : word) key = key * 4 + NucleotideCode[static_cast<unsigned char>(c)];
  return key;
}

// The 12-letter word at each position of a circular text, and every position
// of each word, highest first.
struct Scan {
  std::vector<std::string> wordAt;  // by position, 1 .. L
  std::map<std::string, std::vector<int32_t>> places;
};

Scan fScan(const std::string& text) {
  const std::string numbered(reinterpret_cast<const char*>(fNumbered(text, kWord).data()), text.size() + kWord + 1);
  Scan scan;
  scan.wordAt.resize(text.size() + 1);
  for (int32_t p = static_cast<int32_t>(text.size()); p >= 1; --p) {
    scan.wordAt[p] = numbered.substr(static_cast<size_t>(p), kWord);
    scan.places[scan.wordAt[p]].push_back(p);
  }
  return scan;
}

// The positions a lookup visits; a chain that ends other than at -1 shows its end too.
std::vector<int32_t> fWalk(int32_t root, const int32_t* chain) {
  std::vector<int32_t> positions;
  int32_t p = root;
  for (; p > 0; p = chain[p]) positions.push_back(p);
  if (!positions.empty() && p != -1) positions.push_back(p);
  return positions;
}

// Every word of the text is found at the places the scan gives; a word one
// letter off that occurs nowhere has root 0.
template <typename Lookup>
void fExpectScan(const std::string& text, const Scan& scan, Lookup lookup, const char* which) {
  for (size_t p = 1; p < scan.wordAt.size(); ++p) {
    const std::string& word = scan.wordAt[p];
    ASSERT_EQ(lookup(word), scan.places.at(word)) << which << " " << text << " " << p;
    std::string other = word;
    other[kWord - 1] = other[kWord - 1] == 'A' ? 'C' : 'A';
    if (scan.places.count(other) == 0) {
      ASSERT_EQ(lookup(other), std::vector<int32_t>{}) << which << " " << other;
    }
  }
}

// The two-strand index over the letters of the genome and of its reverse complement.
void fCheckBothStrands(const std::string& genome) {
  const std::string lower = fReverseComplement(genome);
  std::vector<unsigned char> upperText = fNumbered(genome, kWord - 1);
  std::vector<unsigned char> lowerText = fNumbered(lower, kWord - 1);
  Genome = upperText.data();
  GenomeLower = lowerText.data();
  ASSERT_TRUE(fBuild12RootChainBoth(static_cast<int32_t>(genome.size())));
  fExpectScan(genome, fScan(genome), [](const std::string& w) { return fWalk(Root12Up[fKeyOf(w)], Chain12Up); },
              "upper");
  fExpectScan(lower, fScan(lower), [](const std::string& w) { return fWalk(Root12Lw[fKeyOf(w)], Chain12Lw); },
              "lower");
  fRelease12RootChainBoth();
  Genome = GenomeLower = nullptr;
}

// The single-strand index over the coded genome with the loader's 16 bases of tail copy.
void fCheckCodedStrand(const std::string& genome) {
  const int32_t L = static_cast<int32_t>(genome.size());
  std::vector<unsigned char> text = fNumbered(fCodes(genome), 16);
  Genome = text.data();
  ASSERT_TRUE(fAllocate12RootChain(L));
  fBuild12RootChain(L);
  fExpectScan(genome, fScan(genome),
              [](const std::string& w) {
                const std::string codes = fCodes(w);
                return fWalk(fFirstPlace(fSeedKey12(reinterpret_cast<const unsigned char*>(codes.data()))), Chain12);
              },
              "coded");
  fRelease12RootChain();
  Genome = nullptr;
}

TEST(Index12, BothBuildersGiveWhatAScanOfTheCircularGenomeGives) {
  fInitCodingTables();
  // A word planted at 5, 17 and 40: its chain runs 40, 17, 5, as the scan gives it.
  std::string planted = "TTAGCCGATAGGCTTACCGTAAGCTAGCTTCGATCGGACTAGCATGCGGATTCACGTAAC";
  for (int p : {5, 17, 40}) planted.replace(static_cast<size_t>(p - 1), kWord, "ACGGTCATTGCA");
  std::vector<std::string> genomes = {
      planted,
      "G",              // one position, keyed from the letter and its continuation
      "ACGTTGCAAGGCT",  // the key at L is the last letter and the first 11
      "ACGTTGCAAGG",    // shorter than a word: every key wraps
      fRandomLetters(200, 12),
      fRandomLetters(3000, 13, 2),  // two letters: long chains
  };
  for (const std::string& genome : genomes) {
    for (int threads : {1, 2, 3}) {
      RunThreads = threads;
      fCheckBothStrands(genome);
    }
    RunThreads = 1;
    fCheckCodedStrand(genome);
  }
}

TEST(Index12, NoGenomeBuildsNothing) {
  EXPECT_FALSE(fBuild12RootChainBoth(0));
  EXPECT_EQ(Root12Up, nullptr);
  EXPECT_EQ(Chain12Lw, nullptr);
}

TEST(Index12, SeedKeysOfBothStrands) {
  fInitCodingTables();
  const std::string seed = fCodes("ACGTTGCAGGTC");
  const std::string reverse = fCodes("GACCTGCAACGT");
  auto bytes = [](const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); };
  EXPECT_EQ(fSeedKey12Reverse(bytes(seed)), fSeedKey12(bytes(reverse)));
  std::string withGap = seed;
  withGap[11] = 'N';
  EXPECT_EQ(fSeedKey12(bytes(withGap)), -1);
  EXPECT_EQ(fSeedKey12Reverse(bytes(withGap)), -1);
}

// Every position of every k-mer, highest first, as a scan of the genome gives them.
std::map<uint32_t, std::vector<int32_t>> fKmerScan(int32_t n, int k) {
  std::map<uint32_t, std::vector<int32_t>> byKey;
  for (int32_t p = n; p >= 1; --p) byKey[fKmerKey(Genome + p, k)].push_back(p);
  return byKey;
}

// Random genomes over 4 or 2 letters, genomes made of a few repeated words
// with point changes, so that runs hold many 16-mers and long chains, and one
// repeated base, whose one key chains every position downwards.
enum GenomeKind { kRandom, kTwoLetters, kRepeats, kAllA };

std::string fTestGenome(GenomeKind kind, int32_t n, std::mt19937& random) {
  std::string codes(static_cast<size_t>(n), '\0');
  if (kind == kRandom) {
    for (auto& code : codes) code = random() & 3;
  } else if (kind == kTwoLetters) {
    for (auto& code : codes) code = random() & 1;
  } else if (kind == kRepeats) {
    std::string word(5 + random() % 40, '\0');
    for (auto& code : word) code = random() & 3;
    for (int32_t p = 0; p < n; ++p) codes[p] = word[p % word.size()];
    for (int change = 0; change < n / 50; ++change) codes[random() % n] = random() & 3;
  }
  return codes;
}

// The 16-mer tables a scan gives, word for word: a run per first 12 bases, in
// it one entry per 16-mer (last 4 bases << 32 | highest position) in the order
// of their lowest positions, and each position chained to the next lower one.
struct Tables16 {
  std::vector<uint32_t> offsets = std::vector<uint32_t>(Root16Table::kRunCount + 1);
  std::vector<uint64_t> entries;
  std::vector<int32_t> chain;
};

Tables16 fScanTables16(const std::map<uint32_t, std::vector<int32_t>>& byKey, int32_t n) {
  Tables16 tables;
  tables.chain.assign(static_cast<size_t>(n) + 1, -1);
  std::map<uint32_t, std::vector<std::pair<int32_t, uint64_t>>> runs;  // by lowest position
  for (const auto& [key, positions] : byKey) {
    for (size_t k = 0; k + 1 < positions.size(); ++k) tables.chain[positions[k]] = positions[k + 1];
    const uint64_t entry = uint64_t{key & Root16Table::kTailKeyMask} << 32 | static_cast<uint32_t>(positions.front());
    runs[key >> Root16Table::kTailBits].emplace_back(positions.back(), entry);
  }
  for (auto& [run, entries] : runs) {
    std::sort(entries.begin(), entries.end());
    for (const auto& lowestAndEntry : entries) tables.entries.push_back(lowestAndEntry.second);
    tables.offsets[run + 1] = static_cast<uint32_t>(entries.size());
  }
  for (size_t run = 1; run < tables.offsets.size(); ++run) tables.offsets[run] += tables.offsets[run - 1];
  return tables;
}

// Where a table first differs from the scan's, or -1.
template <typename Word>
int64_t fFirstDifference(const Word* table, const std::vector<Word>& scanned) {
  auto differs = std::mismatch(scanned.begin(), scanned.end(), table).first;
  return differs == scanned.end() ? -1 : differs - scanned.begin();
}

// Every table word for word as the scan gives it, whatever the thread count.
// The 8-mer roots come only with reads below 16 bases in scope (build 0), and
// never from fBuild16Chain (build 2); the small genomes show it. Lengths fall
// either side of the 16-mer, of the threads' stretches and of the bucket size
// that the build sorts in place instead (4096 positions of one repeat).
TEST(Index16, EveryThreadCountBuildsTheTablesAScanOfTheGenomeGives) {
  std::mt19937 random(7);
  // Every build touches the 64 MiB of run starts, so each genome is built on
  // a few thread counts only; the scan is the reference for all of them.
  const struct {
    GenomeKind kind;
    int32_t n;
    std::vector<int> threads;
  } genomes[] = {
      {kRandom, 1, {1, 7}},       {kRandom, 15, {3}},           {kRandom, 16, {2}},        {kRandom, 17, {1, 7}},
      {kAllA, 17, {3}},           {kTwoLetters, 300, {1, 2}},   {kRepeats, 300, {1, 3}},   {kAllA, 4096, {2}},
      {kAllA, 4097, {1, 3}},      {kRandom, 30000, {1, 2, 7}},  {kTwoLetters, 30000, {3}}, {kRepeats, 30000, {2, 7}},
  };
  for (const auto& [kind, n, threadCounts] : genomes) {
    std::vector<unsigned char> text = fNumbered(fTestGenome(kind, n, random), 16);
    Genome = text.data();
    const auto byKey16 = fKmerScan(n, 16);
    const auto byKey8 = fKmerScan(n, 8);
    const Tables16 scanned = fScanTables16(byKey16, n);
    for (int threads : threadCounts) {
      RunThreads = threads;
      for (int build = 0; build < (n <= 300 && threads == 1 ? 3 : 1); ++build) {
        SCOPED_TRACE("kind " + std::to_string(kind) + ", length " + std::to_string(n) + ", threads " +
                     std::to_string(threads) + ", build " + std::to_string(build));
        MinReadSize = build == 0 ? 8 : 16;
        ASSERT_TRUE(build == 2 ? fBuild16Chain(n) : fBuildRoot8Chain(n));
        ASSERT_EQ(Root16.Offsets.size(), scanned.offsets.size());
        ASSERT_EQ(fFirstDifference(Root16.Offsets.data(), scanned.offsets), -1) << "run start";
        ASSERT_EQ(fFirstDifference(Root16.Entries.data(), scanned.entries), -1) << "entry";
        ASSERT_EQ(fFirstDifference(Chain16, scanned.chain), -1) << "chain";
        // Keys sharing 12 or 15 bases with a present one, and random keys.
        for (const auto& [key, positions] : byKey16) {
          ASSERT_EQ(fWalk(Root16[key], Chain16), positions) << key;
          for (uint32_t other : {key ^ 1u, key ^ 0x80u, key ^ 0x100u, static_cast<uint32_t>(random())}) {
            if (byKey16.count(other) == 0) {
              ASSERT_EQ(Root16[other], 0) << other;
            }
          }
        }
        ASSERT_EQ(Root8 != nullptr, build == 0);
        ASSERT_EQ(Chain8 != nullptr, build == 0);
        for (uint32_t key = 0; Root8 != nullptr && key < 65536; ++key) {
          auto found = byKey8.find(key);
          ASSERT_EQ(fWalk(Root8[key], Chain8), found == byKey8.end() ? std::vector<int32_t>() : found->second);
        }
        fRelease16Chain();
      }
    }
  }
  RunThreads = 1;
  Genome = nullptr;
}


#if VANTRELS_ADDRESS_LIMIT
// With memory for some of the tables and the build's scratch, or none of
// them, a build gives the scan's tables or refuses with nothing held; threads
// that can't be started leave their share to the calling thread.
TEST(Index16, ABuildShortOfMemoryGivesTheTablesOrHoldsNothing) {
  std::mt19937 random(11);
  const int32_t n = 30000;
  std::vector<unsigned char> text = fNumbered(fTestGenome(kRandom, n, random), 16);
  Genome = text.data();
  const Tables16 scanned = fScanTables16(fKmerScan(n, 16), n);
  MinReadSize = 8;
  ConsoleOn = false;
  int built = 0, refused = 0;
  for (int threads : {1, 2}) {
    RunThreads = threads;
    for (size_t headroom = size_t{257} << 18; headroom < size_t{265} << 18; headroom += size_t{160} << 10) {
      bool held;
      {
        AddressSpaceLimit limit(headroom);
        ASSERT_TRUE(limit.held());
        held = fBuildRoot8Chain(n);
      }
      if (held) {
        ++built;
        ASSERT_EQ(fFirstDifference(Root16.Entries.data(), scanned.entries), -1) << headroom;
        ASSERT_EQ(fFirstDifference(Chain16, scanned.chain), -1) << headroom;
      } else {
        ++refused;
        ASSERT_TRUE(Chain16 == nullptr && Root8 == nullptr && Chain8 == nullptr) << headroom;
        ASSERT_FALSE(Root16.Offsets || Root16.Entries) << headroom;
      }
      fRelease16Chain();
    }
  }
  EXPECT_GT(built, 0);
  EXPECT_GT(refused, 0);
  ConsoleOn = true;
  RunThreads = 1;
  Genome = nullptr;
}
#endif

}  // namespace
