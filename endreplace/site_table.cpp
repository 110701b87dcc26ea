#include "endreplace/site_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/memory.h"
#include "driver/run_state.h"
#include "endreplace/replaced_end.h"
#include "platform/platform.h"

namespace {
const char kTableHeader[] = "posInSq\treadsAtPos\tentropy\tstrand\tread's text\ttipNu";
const char kUpperRow[] = "\n%d\t%d\t%6.4f\t+\t%s%s\t%d";
const char kLowerRow[] = "\n%d\t%d\t%6.4f\t-\t%s%s\t%d";
const char kNoMemoryEntropies[] = "\nno memory for shenArr";
const char kNoMemoryUpper[] = "\nno memory for resDataUp";
const char kNoMemoryLower[] = "\nno memory for resDataLw";
const char kHitFileShort[] = "\nhit file could not be read whole: ";

// The tally starts with room for this many tips and grows for busier sites.
constexpr size_t kTallyRoom = 1000;

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

// What the walk over one strand's sites needs besides the records.
struct StrandReport {
  FILE* table;
  const char* rowFormat;
  const unsigned char* text;  // the strand text, numbered from 1
  bool lower;                 // lower-strand sites print L - p + 1
  int32_t L;
  int32_t immutSz;
  int32_t tipSz;
  char* siteLetters;          // immutSz letters and a string end
  std::vector<TipCount>* tally;
  double* entropies;
  int32_t* strandSites;
  SiteSummary* summary;
};

void fReportSite(StrandReport& strand, int32_t position, HitRecord* site, int32_t size) {
  double entropy = fTipEntropy(site, size, *strand.tally);
  // The immutable letters from the site on; near the genome's end they run
  // on into the circular continuation.
  std::memcpy(strand.siteLetters, strand.text + position, static_cast<size_t>(strand.immutSz));
  int32_t posInSq = strand.lower ? strand.L - position + 1 : position;
  for (const TipCount& tip : *strand.tally) {
    fKeyToLetters(tip.tip, strand.tipSz);
    std::fprintf(strand.table, strand.rowFormat, posInSq, size, entropy, strand.siteLetters, WorkLine,
                 tip.count);
  }
  ++*strand.strandSites;
  strand.entropies[strand.summary->total++] = entropy;
  if (entropy < strand.summary->minimum) strand.summary->minimum = entropy;
  if (entropy > strand.summary->maximum) strand.summary->maximum = entropy;
}

bool fReportStrand(StrandReport& strand, const std::string& hitPath, int32_t count, const char* noMemory,
                   bool deleteHitFile, Outcome& outcome) {
  FILE* hitFile = fOpenFile(hitPath, "rb");
  if (hitFile == nullptr) {
    outcome.fFail(RunStatus::kOutputFailed, hitPath);
    return false;
  }
  // One record more than the file holds: an end record past the genome closes the last site.
  Block<HitRecord> records;
  if (!records.fAllocate(static_cast<size_t>(count) + 1)) {
    std::fclose(hitFile);
    fSay(noMemory);
    fPause();
    outcome.fFail(RunStatus::kNoMemory, "");
    return false;
  }
  size_t got = std::fread(records.data(), sizeof(HitRecord), static_cast<size_t>(count), hitFile);
  std::fclose(hitFile);
  if (got != static_cast<size_t>(count)) {
    fSay(kHitFileShort);
    fSay(hitPath.c_str());
    fPause();
    outcome.fFail(RunStatus::kOutputFailed, hitPath);
    return false;
  }
  if (deleteHitFile) fPlatformRemove(hitPath.c_str());
  records[count].pos = static_cast<uint32_t>(strand.L) + 1;
  std::sort(records.data(), records.data() + count,
            [](const HitRecord& a, const HitRecord& b) { return a.pos < b.pos; });

  const uint32_t lastPosition = static_cast<uint32_t>(strand.L);
  uint32_t current = records[0].pos;
  int32_t start = 0;
  int32_t size = 1;
  for (int32_t i = 1; i <= count && current <= lastPosition; ++i) {
    if (records[i].pos == current) {
      ++size;
      continue;
    }
    if (size >= 2) fReportSite(strand, static_cast<int32_t>(current), records.data() + start, size);
    start = i;
    current = records[i].pos;
    size = 1;
  }
  return true;
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
  Block<char> siteLetters;  // zero-filled: the string end after immutSz letters is in place
  if (!entropies.fAllocate(static_cast<size_t>(upperCount) + static_cast<size_t>(lowerCount) + 1) ||
      !siteLetters.fAllocate(static_cast<size_t>(immutSz) + 1)) {
    fSay(kNoMemoryEntropies);
    fPause();
    outcome.fFail(RunStatus::kNoMemory, "");
    return false;
  }
  WorkLine[tipSz] = '\0';
  std::fputs(kTableHeader, table);

  summary = SiteSummary();
  summary.minimum = MaxLineLength;
  std::vector<TipCount> tally;
  tally.reserve(kTallyRoom);

  StrandReport strand{table, kUpperRow, upperText, false, L, immutSz, tipSz, siteLetters.data(),
                      &tally, entropies.data(), &summary.inUpper, &summary};
  if (upperCount >= 1 &&
      !fReportStrand(strand, upperHitPath, upperCount, kNoMemoryUpper, deleteHitFiles, outcome))
    return false;
  if (lowerCount >= 1) {
    strand.rowFormat = kLowerRow;
    strand.text = lowerText;
    strand.lower = true;
    strand.strandSites = &summary.inLower;
    if (!fReportStrand(strand, lowerHitPath, lowerCount, kNoMemoryLower, deleteHitFiles, outcome)) return false;
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
