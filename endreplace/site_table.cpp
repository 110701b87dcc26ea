#include "endreplace/site_table.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "driver/file_helpers.h"
#include "driver/run_state.h"
#include "platform/platform.h"

namespace {
const char kTableHeader[] = "posInSq\treadsAtPos\tentropy\tstrand\tread's text\ttipNu";
const char kUpperRow[] = "\n%d\t%d\t%6.4f\t+\t%s%s\t%d";
const char kLowerRow[] = "\n%d\t%d\t%6.4f\t-\t%s%s\t%d";
const char kNoMemoryEntropies[] = "\nno memory for shenArr";
const char kNoMemoryUpper[] = "\nno memory for resDataUp";
const char kNoMemoryLower[] = "\nno memory for resDataLw";
const char kHitFileShort[] = "\nhit file could not be read whole: ";
const char kTableNotWritten[] = "\nsite table could not be written whole";

// The tally starts with room for this many tips and grows for busier sites.
constexpr size_t kTallyRoom = 1000;

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
                   bool deleteHitFile) {
  FILE* hitFile = fOpenFile(hitPath, "rb");
  if (hitFile == nullptr) return false;
  // One record more than the file holds: an end record past the genome closes the last site.
  HitRecord* records = static_cast<HitRecord*>(std::malloc((static_cast<size_t>(count) + 1) * sizeof(HitRecord)));
  if (records == nullptr) {
    std::fclose(hitFile);
    std::fputs(noMemory, stdout);
    fWaitKey();
    return false;
  }
  size_t got = std::fread(records, sizeof(HitRecord), static_cast<size_t>(count), hitFile);
  std::fclose(hitFile);
  if (got != static_cast<size_t>(count)) {
    std::free(records);
    std::fputs(kHitFileShort, stdout);
    std::fputs(hitPath.c_str(), stdout);
    fWaitKey();
    return false;
  }
  if (deleteHitFile) fPlatformRemove(hitPath.c_str());
  records[count].pos = static_cast<uint32_t>(strand.L) + 1;
  std::sort(records, records + count, [](const HitRecord& a, const HitRecord& b) { return a.pos < b.pos; });

  const uint32_t lastPosition = static_cast<uint32_t>(strand.L);
  uint32_t current = records[0].pos;
  int32_t start = 0;
  int32_t size = 1;
  for (int32_t i = 1; i <= count && current <= lastPosition; ++i) {
    if (records[i].pos == current) {
      ++size;
      continue;
    }
    if (size >= 2) fReportSite(strand, static_cast<int32_t>(current), records + start, size);
    start = i;
    current = records[i].pos;
    size = 1;
  }
  std::free(records);
  return true;
}
}  // namespace

double fTipEntropy(HitRecord* site, int32_t n, std::vector<TipCount>& tally) {
  std::sort(site, site + n, [](const HitRecord& a, const HitRecord& b) { return a.tip < b.tip; });
  tally.clear();
  double sumCountLogCount = 0;
  for (int32_t runStart = 0; runStart < n;) {
    int32_t runEnd = runStart + 1;
    while (runEnd < n && site[runEnd].tip == site[runStart].tip) ++runEnd;
    int32_t count = runEnd - runStart;
    tally.push_back(TipCount{site[runStart].tip, count});
    sumCountLogCount += count * std::log(static_cast<double>(count));
    runStart = runEnd;
  }
  // One tip is no uncertainty at all: exactly 0, never a rounding's -0.0000.
  if (tally.size() == 1) return 0.0;
  double entropy = std::log(static_cast<double>(n)) - sumCountLogCount / n;
  return entropy > 0 ? entropy : 0.0;
}

bool fReportSites(FILE* table, const std::string& upperHitPath, int32_t upperCount,
                  const std::string& lowerHitPath, int32_t lowerCount, int32_t L, int32_t immutSz,
                  int32_t tipSz, const unsigned char* upperText, const unsigned char* lowerText,
                  bool deleteHitFiles, SiteSummary& summary) {
  // At most one site per two records, so the hit counts bound the site count.
  size_t entropyRoom = static_cast<size_t>(upperCount) + static_cast<size_t>(lowerCount) + 1;
  double* entropies = static_cast<double*>(std::malloc(entropyRoom * sizeof(double)));
  char* siteLetters = static_cast<char*>(std::malloc(static_cast<size_t>(immutSz) + 1));
  if (entropies == nullptr || siteLetters == nullptr) {
    std::free(entropies);
    std::free(siteLetters);
    std::fclose(table);
    std::fputs(kNoMemoryEntropies, stdout);
    fWaitKey();
    return false;
  }
  siteLetters[immutSz] = '\0';
  WorkLine[tipSz] = '\0';
  std::fputs(kTableHeader, table);

  summary = SiteSummary();
  summary.minimum = MaxLineLength;
  std::vector<TipCount> tally;
  tally.reserve(kTallyRoom);

  StrandReport strand{table, kUpperRow, upperText, false, L, immutSz, tipSz, siteLetters,
                      &tally, entropies, &summary.inUpper, &summary};
  bool reported = true;
  if (upperCount >= 1) reported = fReportStrand(strand, upperHitPath, upperCount, kNoMemoryUpper, deleteHitFiles);
  if (reported && lowerCount >= 1) {
    strand.rowFormat = kLowerRow;
    strand.text = lowerText;
    strand.lower = true;
    strand.strandSites = &summary.inLower;
    reported = fReportStrand(strand, lowerHitPath, lowerCount, kNoMemoryLower, deleteHitFiles);
  }
  std::free(siteLetters);
  if (!reported) {
    std::fclose(table);
    std::free(entropies);
    return false;
  }
  if (std::fclose(table) != 0) {
    std::free(entropies);
    std::fputs(kTableNotWritten, stdout);
    fWaitKey();
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
  std::free(entropies);
  int32_t n = summary.total;
  summary.mean = n > 0 ? sum / n : 0.0;
  if (n >= 2) {
    double variance = (sumOfSquares - sum * summary.mean) / (n - 1);
    summary.sigma = variance > 0 ? std::sqrt(variance) : 0.0;
  }
  return true;
}
