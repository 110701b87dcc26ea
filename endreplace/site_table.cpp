#include "endreplace/site_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/memory.h"
#include "driver/ordered_work.h"
#include "driver/run_state.h"
#include "endreplace/replaced_end.h"
#include "platform/platform.h"

uint32_t SitePieceRecords = 1 << 16;

namespace {
const char kTableHeader[] = "posInSq\treadsAtPos\tentropy\tstrand\tread's text\ttipNu";
const char kNoMemoryEntropies[] = "\nno memory for shenArr";
const char kNoMemoryUpper[] = "\nno memory for resDataUp";
const char kNoMemoryLower[] = "\nno memory for resDataLw";
const char kHitFileShort[] = "\nhit file could not be read whole: ";

// The tally starts with room for this many tips and grows for busier sites.
constexpr size_t kTallyRoom = 1000;
// Records read from a hit file at a time while dealing.
constexpr size_t kReadRecords = 1 << 14;

// Entropy in nats of the tips of one site's `n` records (n >= 2); sorts the
// records by tip code and leaves the distinct tips with their counts in
// `tally`, in ascending tip code.
double fTipEntropy(HitRecord* site, int32_t n, std::vector<TipCount>& tally) {
  std::sort(site, site + n, [](const HitRecord& a, const HitRecord& b) { return a.tip < b.tip; });
  tally.clear();
  for (int32_t runStart = 0; runStart < n;) {
    int32_t runEnd = runStart + 1;
    while (runEnd < n && site[runEnd].tip == site[runStart].tip) ++runEnd;
    tally.push_back(TipCount{site[runStart].tip, runEnd - runStart});
    runStart = runEnd;
  }
  return fTallyEntropy(tally.data(), tally.size(), n);
}

// One strand's hit records, dealt into pieces by position: piece k holds the
// positions of the k-th of `pieces` equal parts of 1..L (positions past L in
// the last), in records[starts[k] .. starts[k + 1]).
struct StrandPieces {
  Block<HitRecord> records;
  std::vector<size_t> starts;
  size_t pieces = 0;
};

size_t fPieceOf(uint32_t pos, uint32_t L, size_t pieces) {
  if (pos == 0) return 0;
  if (pos > L) return pieces - 1;
  return static_cast<size_t>((static_cast<uint64_t>(pos - 1) * pieces) / L);
}

// Reads the `count` records of a hit file into pieces: a first reading
// counts each piece's records, a second deals them out.
bool fLoadStrand(const std::string& hitPath, int32_t count, int32_t L, const char* noMemory, bool deleteHitFile,
                 StrandPieces& strand, Outcome& outcome) {
  FILE* hitFile = fOpenFile(hitPath, "rb");
  if (hitFile == nullptr) {
    outcome.fFail(RunStatus::kOutputFailed, hitPath);
    return false;
  }
  const size_t total = static_cast<size_t>(count);
  Block<HitRecord> chunk;
  if (!strand.records.fAllocate(total) || !chunk.fAllocate(kReadRecords)) {
    std::fclose(hitFile);
    fSay(noMemory);
    fPause();
    outcome.fFail(RunStatus::kNoMemory, "");
    return false;
  }
  strand.pieces = std::max<size_t>(1, total / std::max<size_t>(1, SitePieceRecords));
  strand.starts.assign(strand.pieces + 1, 0);
  const uint32_t length = static_cast<uint32_t>(L);
  std::vector<size_t> fill;
  bool whole = true;
  for (int reading = 0; reading < 2 && whole; ++reading) {
    if (reading == 1) {
      for (size_t k = 0; k < strand.pieces; ++k) strand.starts[k + 1] += strand.starts[k];
      fill.assign(strand.starts.begin(), strand.starts.end() - 1);
      whole = std::fseek(hitFile, 0, SEEK_SET) == 0;
    }
    for (size_t done = 0; whole && done < total;) {
      const size_t want = std::min(kReadRecords, total - done);
      const size_t got = std::fread(chunk.data(), sizeof(HitRecord), want, hitFile);
      for (size_t r = 0; r < got; ++r) {
        const size_t piece = fPieceOf(chunk[r].pos, length, strand.pieces);
        if (reading == 0) {
          ++strand.starts[piece + 1];
        } else {
          strand.records[fill[piece]++] = chunk[r];
        }
      }
      done += got;
      whole = got == want;
    }
  }
  std::fclose(hitFile);
  if (!whole) {
    fSay(kHitFileShort);
    fSay(hitPath.c_str());
    fPause();
    outcome.fFail(RunStatus::kOutputFailed, hitPath);
    return false;
  }
  if (deleteHitFile) fPlatformRemove(hitPath.c_str());
  return true;
}

// What writing a strand's sites needs besides its records.
struct StrandText {
  char sign;                  // '+' or '-' in the strand column
  const unsigned char* text;  // the strand text, numbered from 1
  bool lower;                 // lower-strand sites print L - p + 1
  int32_t L;
  int32_t immutSz;
  int32_t tipSz;
};

// The rows and entropies of one piece's sites, in position order.
struct PieceRows {
  std::vector<char> text;
  std::vector<double> entropies;
  std::vector<TipCount> tally;
};

char* fPutNumber(char* at, int32_t value) { return std::to_chars(at, at + 12, value).ptr; }

// Sorts one piece's records by position and writes a row for every distinct
// tip of each site (a position of two records or more, up to L).
void fWritePiece(const StrandText& strand, HitRecord* records, size_t n, PieceRows& rows) {
  rows.text.clear();
  rows.entropies.clear();
  std::sort(records, records + n, [](const HitRecord& a, const HitRecord& b) { return a.pos < b.pos; });
  const uint32_t lastPosition = static_cast<uint32_t>(strand.L);
  // The longest row: two numbers, the entropy, the letters and the tip count.
  const size_t rowRoom = 3 * 12 + 32 + 8 + static_cast<size_t>(strand.immutSz) + static_cast<size_t>(strand.tipSz);
  for (size_t start = 0; start < n && records[start].pos <= lastPosition;) {
    size_t end = start + 1;
    while (end < n && records[end].pos == records[start].pos) ++end;
    const int32_t size = static_cast<int32_t>(end - start);
    if (size >= 2) {
      const int32_t position = static_cast<int32_t>(records[start].pos);
      const double entropy = fTipEntropy(records + start, size, rows.tally);
      rows.entropies.push_back(entropy);
      char entropyText[32];
      const int entropyLength = std::snprintf(entropyText, sizeof entropyText, "%6.4f", entropy);
      // The immutable letters from the site on (near the genome's end they
      // run on into the circular continuation), as far as a string goes.
      const unsigned char* letters = strand.text + position;
      const void* stop = std::memchr(letters, 0, static_cast<size_t>(strand.immutSz));
      const size_t letterCount = stop != nullptr ? static_cast<size_t>(static_cast<const unsigned char*>(stop) - letters)
                                                 : static_cast<size_t>(strand.immutSz);
      const int32_t posInSq = strand.lower ? strand.L - position + 1 : position;
      for (const TipCount& tip : rows.tally) {
        const size_t used = rows.text.size();
        rows.text.resize(used + rowRoom);
        char* at = rows.text.data() + used;
        *at++ = '\n';
        at = fPutNumber(at, posInSq);
        *at++ = '\t';
        at = fPutNumber(at, size);
        *at++ = '\t';
        std::memcpy(at, entropyText, static_cast<size_t>(entropyLength));
        at += entropyLength;
        *at++ = '\t';
        *at++ = strand.sign;
        *at++ = '\t';
        std::memcpy(at, letters, letterCount);
        at += letterCount;
        fKeyToLetters(tip.tip, strand.tipSz, at);
        at += strand.tipSz;
        *at++ = '\t';
        at = fPutNumber(at, tip.count);
        rows.text.resize(static_cast<size_t>(at - rows.text.data()));
      }
    }
    start = end;
  }
}

// Writes one strand's sites to `table`, its pieces sorted and written on
// RunThreads threads and handed to the table in position order.
bool fReportStrand(FILE* table, const StrandText& strand, StrandPieces& pieces, const char* noMemory,
                   double* entropies, int32_t& strandSites, SiteSummary& summary, Outcome& outcome) {
  const int slots = fOrderedSlots(RunThreads);
  std::vector<PieceRows> rows(static_cast<size_t>(slots));
  for (PieceRows& slot : rows) slot.tally.reserve(kTallyRoom);
  auto work = [&](size_t k, int slot, int) {
    fWritePiece(strand, pieces.records.data() + pieces.starts[k], pieces.starts[k + 1] - pieces.starts[k],
                rows[static_cast<size_t>(slot)]);
  };
  auto emit = [&](size_t, int slot) {
    const PieceRows& piece = rows[static_cast<size_t>(slot)];
    if (!piece.text.empty()) std::fwrite(piece.text.data(), 1, piece.text.size(), table);
    for (double entropy : piece.entropies) {
      ++strandSites;
      entropies[summary.total++] = entropy;
      if (entropy < summary.minimum) summary.minimum = entropy;
      if (entropy > summary.maximum) summary.maximum = entropy;
    }
    return true;
  };
  try {
    fRunInOrder(RunThreads, pieces.pieces, slots, work, emit);
    return true;
  } catch (const std::bad_alloc&) {
  }
  fSay(noMemory);
  fPause();
  outcome.fFail(RunStatus::kNoMemory, "");
  return false;
}
}  // namespace

double fTallyEntropy(const TipCount* tally, size_t k, int32_t n) {
  // One tip is no uncertainty at all: exactly 0, never a rounding's -0.0000.
  if (k <= 1) return 0.0;
  double sumCountLogCount = 0;
  for (size_t i = 0; i < k; ++i) sumCountLogCount += tally[i].count * std::log(static_cast<double>(tally[i].count));
  double entropy = std::log(static_cast<double>(n)) - sumCountLogCount / n;
  return entropy > 0 ? entropy : 0.0;
}

bool fReportSites(FILE* table, const std::string& upperHitPath, int32_t upperCount,
                  const std::string& lowerHitPath, int32_t lowerCount, int32_t L, int32_t immutSz,
                  int32_t tipSz, const unsigned char* upperText, const unsigned char* lowerText,
                  bool deleteHitFiles, SiteSummary& summary, Outcome& outcome) {
  // At most one site per two records, so the hit counts bound the site count.
  Block<double> entropies;
  if (!entropies.fAllocate(static_cast<size_t>(upperCount) + static_cast<size_t>(lowerCount) + 1)) {
    fSay(kNoMemoryEntropies);
    fPause();
    outcome.fFail(RunStatus::kNoMemory, "");
    return false;
  }
  std::fputs(kTableHeader, table);

  summary = SiteSummary();
  summary.minimum = MaxLineLength;
  struct Strand {
    StrandText text;
    const std::string& hitPath;
    int32_t count;
    const char* noMemory;
    int32_t& sites;
  };
  const Strand strands[] = {
      {{'+', upperText, false, L, immutSz, tipSz}, upperHitPath, upperCount, kNoMemoryUpper, summary.inUpper},
      {{'-', lowerText, true, L, immutSz, tipSz}, lowerHitPath, lowerCount, kNoMemoryLower, summary.inLower}};
  for (const Strand& strand : strands) {
    if (strand.count < 1) continue;
    StrandPieces pieces;
    if (!fLoadStrand(strand.hitPath, strand.count, L, strand.noMemory, deleteHitFiles, pieces, outcome) ||
        !fReportStrand(table, strand.text, pieces, strand.noMemory, entropies.data(), strand.sites, summary,
                       outcome))
      return false;
  }

  // Sample mean and standard deviation of the reported sites' entropies, in
  // plain double arithmetic so every printed digit is reproducible.
  double sum = 0;
  double sumOfSquares = 0;
  for (int32_t i = 0; i < summary.total; ++i) {
    sum += entropies[i];
    sumOfSquares += entropies[i] * entropies[i];
  }
  int32_t n = summary.total;
  summary.mean = n > 0 ? sum / n : 0.0;
  if (n >= 2) {
    double variance = (sumOfSquares - sum * summary.mean) / (n - 1);
    summary.sigma = variance > 0 ? std::sqrt(variance) : 0.0;
  }
  return true;
}
