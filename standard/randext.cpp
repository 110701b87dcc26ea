// The standard files of an end-replacement experiment: its sites as BED and
// its tips with the names of their reads as TSV, from the hit notes the
// matcher wrote beside its hit files.
#include <algorithm>
#include <cstdio>
#include <tuple>
#include <vector>

#include "endreplace/replaced_end.h"
#include "endreplace/site_table.h"
#include "standard/writing.h"

namespace {
const char kSitesEnding[] = ".sites.bed";
const char kTipsEnding[] = ".tips.tsv";
// The native table prints entropies so; the same format keeps the digits alike.
const char kEntropyFormat[] = "%6.4f";
const std::vector<const char*> kTipsColumns = {"position_1based", "strand", "reads_at_site", "entropy",
                                               "tip", "reads_with_tip", "read_names"};
const char kNotesUnreadable[] = "the run's notes of its hits could not be read back";

// A site: the hits of one strand position reached by two reads or more.
struct Site {
  int64_t posInSq;  // as the native table: 1-based, L - p + 1 on the lower strand
  uint32_t strand;
  size_t begin, end;  // its notes, sorted by tip, then read
  double entropy;
};

void fTipLetters(uint32_t tip, int32_t tipSz, std::string& letters) {
  static const char kLetters[] = "ACGT";
  letters.assign(static_cast<size_t>(tipSz), 'A');
  for (int32_t j = tipSz - 1; j >= 0; --j) {
    letters[static_cast<size_t>(j)] = kLetters[tip & 3];
    tip >>= 2;
  }
}

// Groups the sorted notes into sites, with the entropy the native table gives them.
std::vector<Site> fFindSites(const std::vector<HitNote>& notes, int64_t L) {
  std::vector<Site> sites;
  std::vector<TipCount> tally;
  for (size_t begin = 0; begin < notes.size();) {
    size_t end = begin + 1;
    while (end < notes.size() && notes[end].strand == notes[begin].strand && notes[end].pos == notes[begin].pos) ++end;
    const size_t size = end - begin;
    if (size >= 2) {
      tally.clear();
      for (size_t i = begin; i < end; ++i) {
        if (tally.empty() || tally.back().tip != notes[i].tip) tally.push_back(TipCount{notes[i].tip, 0});
        ++tally.back().count;
      }
      const int64_t p = notes[begin].pos;
      const bool lower = notes[begin].strand == kLowerStrandNote;
      sites.push_back(Site{lower ? L - p + 1 : p, notes[begin].strand, begin, end,
                           fTallyEntropy(tally.data(), tally.size(), static_cast<int32_t>(size))});
    }
    begin = end;
  }
  return sites;
}

// The site's bases on the genome, 1-based first base: the immutable part is
// immutSz letters of the strand text from p. On the lower strand that text
// is the reverse complement, W[L + 1 - i] pairing with genome base i, so its
// letters p .. p + immutSz - 1 are genome bases L + 1 - p down to
// L + 2 - p - immutSz: the native position L - p + 1 is the site's right end.
int64_t fFirstBase(const Site& site, int32_t immutSz) {
  return site.strand == kLowerStrandNote ? site.posInSq - immutSz + 1 : site.posInSq;
}

int fWrite(const StandardRun& run, Outcome& outcome, std::string& problem) {
  const Chromosome& chromosome = run.chromosome;
  std::vector<HitNote> notes;
  if (int code = fGenomeFileAndNotes(run, outcome, notes, kNotesUnreadable, problem)) return code;
  std::sort(notes.begin(), notes.end(), [](const HitNote& a, const HitNote& b) {
    return std::tie(a.strand, a.pos, a.tip, a.readNumber) < std::tie(b.strand, b.pos, b.tip, b.readNumber);
  });
  std::vector<Site> sites = fFindSites(notes, chromosome.length);
  std::sort(sites.begin(), sites.end(),
            [](const Site& a, const Site& b) { return std::tie(a.posInSq, a.strand) < std::tie(b.posInSq, b.strand); });

  // Only the reads at reported sites are named.
  std::vector<uint32_t> wanted;
  for (const Site& site : sites)
    for (size_t i = site.begin; i < site.end; ++i) wanted.push_back(notes[i].readNumber);
  std::sort(wanted.begin(), wanted.end());
  wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
  ReadNames names;
  int code = names.fResolve(run.reads, wanted, problem);
  if (code != 0) return code;
  wanted = std::vector<uint32_t>();

  const std::string base = fRandextStandardBase(run);
  BedFile bed(chromosome);
  TsvFile tips;
  if (!tips.fOpen(run.directory + base + kTipsEnding, kTipsColumns, outcome))
    return fCantWrite(run, base + kTipsEnding, problem);
  std::string tipText, siteTips;
  for (const Site& site : sites) {
    const char strand = site.strand == kLowerStrandNote ? '-' : '+';
    const int64_t size = static_cast<int64_t>(site.end - site.begin);
    siteTips.clear();
    for (size_t begin = site.begin; begin < site.end;) {
      size_t end = begin + 1;
      while (end < site.end && notes[end].tip == notes[begin].tip) ++end;
      fTipLetters(notes[begin].tip, run.tipSz, tipText);
      if (!siteTips.empty()) siteTips += ',';
      siteTips += tipText;
      tips.fNumber(site.posInSq);
      tips.fText(std::string_view(&strand, 1));
      tips.fNumber(size);
      tips.fReal(site.entropy, kEntropyFormat);
      tips.fText(tipText);
      tips.fNumber(static_cast<int64_t>(end - begin));
      tips.fText(names.fName(notes[begin].readNumber));
      for (size_t i = begin + 1; i < end; ++i) {
        tips.fMore(",");
        tips.fMore(names.fName(notes[i].readNumber));
      }
      tips.fEndRow();
      begin = end;
    }
    bed.fAdd(fFirstBase(site, run.immutSz), run.immutSz, siteTips, size, strand);
  }
  if (!tips.fClose(outcome)) return fCantWrite(run, base + kTipsEnding, problem);
  if (!bed.fWrite(run.directory + base + kSitesEnding, outcome)) return fCantWrite(run, base + kSitesEnding, problem);
  return kStandardDone;
}
}  // namespace

std::string fRandextStandardBase(const StandardRun& run) {
  return run.readsStem + ".randext." + run.experiment + "_" + std::to_string(run.immutSz) + "-" +
         std::to_string(run.tipSz) + "-" + std::to_string(run.misNu);
}

int fWriteRandextStandard(const StandardRun& run, Outcome& outcome, std::string& problem) {
  return fWriteWithinMemory(problem, [&] { return fWrite(run, outcome, problem); });
}
