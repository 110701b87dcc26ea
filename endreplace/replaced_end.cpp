#include "endreplace/replaced_end.h"

#include <cstdlib>
#include <fstream>

#include "driver/file_helpers.h"
#include "driver/run_state.h"
#include "endreplace/site_table.h"
#include "platform/platform.h"

int32_t ImmutSz = 0;
int32_t MutTipSz = 0;
int32_t MisNu = 0;
int32_t AimedSz = 0;
int32_t TheseReads = 0;
int32_t DefectedReads = 0;
int32_t LongTracks = 0;
int32_t AnalyzedReads = 0;
int32_t FellIntoGenome = 0;

namespace {
const char kSizesRefused[] =
    "\nsizes refused: immutSz=%d, mutTipSz=%d; the aimed read size immutSz + mutTipSz must lie in "
    "12..5119, the tip in 0..15 letters and immutSz must not be negative";
const char kNoMemoryForTexts[] = "\nno memory for SqMem";
const char kGenomeEmpty[] = "\ngenome file is empty: ";
const char kGenomeTooLarge[] = "\ngenome file too large to number its positions in 32 bits: ";
const char kGenomeShortRead[] = "\ngenome file could not be read whole: ";
const char kNonNucleotide[] = "\ngenome: in seq position = %d is non{ACGT)-symbol = %c";
const char kCountReport[] =
    "\ninput=%d; required read size=%d; these reads=%d: defected=%d, longTracks=%d\nanalyzed=%d, fell into "
    "genome=%d;\noccupied sites in strand:: inUpper(+)=%d; inLower(-)=%d; on both strand=%d.";
const char kEntropyReport[] =
    "\nentropy statistic report:\nrange=[%6.4f,%6.4f];\tmean=%6.4f;\tsigma=%6.4f;\nmean+3sigma=%6.4f;";
const char kLogNotWritten[] = "\nlog could not be written whole";
const char kUpperHitFile[] = "Rna_fiUp.tmp";
const char kLowerHitFile[] = "Rna_fiLw.tmp";
const char kNoDetectedReads[] = "\nno detected reads";

constexpr int32_t kShortestAimed = 12;  // a read's first 12 letters are its index key
constexpr int32_t kLongestTip = 15;     // tip codes stay below 2^30

void fSayAndWait(const char* message, const std::string& path) {
  std::fputs(message, stdout);
  std::fputs(path.c_str(), stdout);
  fWaitKey();
}
}  // namespace

bool fSizesAccepted(int32_t immutSz, int32_t mutTipSz) {
  int64_t aimed = static_cast<int64_t>(immutSz) + mutTipSz;
  if (immutSz >= 0 && mutTipSz >= 0 && mutTipSz <= kLongestTip && aimed >= kShortestAimed && aimed <= kLongestRead)
    return true;
  std::printf(kSizesRefused, immutSz, mutTipSz);
  fWaitKey();
  return false;
}

bool fLoadGenomeTexts(const std::string& path, int32_t continuation, HitBuffer& hits) {
  int32_t L = fFileSize(path);
  if (L < 1) {
    // Missing (fOpenFile says so), empty, or too large to number.
    FILE* probe = fOpenFile(path, "rb");
    if (probe == nullptr) return false;
    std::fclose(probe);
    fSayAndWait(L == 0 ? kGenomeEmpty : kGenomeTooLarge, path);
    return false;
  }
  // Positions past the genome's end, up to L + continuation, must still be 32-bit numbers.
  if (L > INT32_MAX - continuation - 1) {
    fSayAndWait(kGenomeTooLarge, path);
    return false;
  }
  // Position 0 unused, letters 1..L, the continuation, one byte for a string end.
  size_t textBytes = static_cast<size_t>(L) + static_cast<size_t>(continuation) + 2;
  unsigned char* upper = static_cast<unsigned char*>(std::malloc(textBytes));
  unsigned char* lower = static_cast<unsigned char*>(std::malloc(textBytes));
  // floor(L / 2) records; a genome of one letter still gets room for one.
  int32_t capacity = L / 2 > 0 ? L / 2 : 1;
  HitRecord* records = static_cast<HitRecord*>(std::malloc(static_cast<size_t>(capacity) * sizeof(HitRecord)));
  if (upper == nullptr || lower == nullptr || records == nullptr) {
    std::free(upper);
    std::free(lower);
    std::free(records);
    std::fputs(kNoMemoryForTexts, stdout);
    fWaitKey();
    return false;
  }
  Genome = upper;
  GenomeLower = lower;
  GenomeLength = L;
  hits.records = records;
  hits.capacity = capacity;

  FILE* file = fOpenFile(path, "rb");
  if (file == nullptr) {
    fReleaseGenomeTexts(hits);
    return false;
  }
  size_t got = std::fread(upper + 1, 1, static_cast<size_t>(L), file);
  std::fclose(file);
  if (got != static_cast<size_t>(L)) {
    fReleaseGenomeTexts(hits);
    fSayAndWait(kGenomeShortRead, path);
    return false;
  }
  // Upper-case the genome and write its reverse complement: W[L + 1 - i] pairs with U[i].
  for (int32_t i = 1; i <= L; ++i) {
    unsigned char byte = upper[i];
    unsigned char letter = (byte >= 'a' && byte <= 'z') ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
    if (NucleotideCode[letter] == 0xFF) {
      // The position printed is one more than the byte's 1-based position.
      std::printf(kNonNucleotide, i + 1, static_cast<char>(byte));
      fWaitKey();
      fReleaseGenomeTexts(hits);
      return false;
    }
    upper[i] = letter;
    lower[L + 1 - i] = static_cast<unsigned char>(ComplementTable[letter]);
  }
  // The circle: both strands continue with their own first letters, so reads
  // and keys run over the genome's end.
  for (int32_t k = 1; k <= continuation; ++k) {
    upper[L + k] = upper[k];
    lower[L + k] = lower[k];
  }
  upper[0] = lower[0] = 0;
  upper[L + continuation + 1] = lower[L + continuation + 1] = 0;
  return true;
}

void fReleaseGenomeTexts(HitBuffer& hits) {
  std::free(Genome);
  std::free(GenomeLower);
  std::free(hits.records);
  Genome = nullptr;
  GenomeLower = nullptr;
  hits.records = nullptr;
  hits.capacity = 0;
}

bool fOpenExperimentFiles(const std::string& D, const std::string& base, ExperimentFiles& files) {
  files.upperHitPath = D + kUpperHitFile;
  files.lowerHitPath = D + kLowerHitFile;
  files.upperHits = fOpenFile(files.upperHitPath, "wb");
  files.lowerHits = files.upperHits ? fOpenFile(files.lowerHitPath, "wb") : nullptr;
  files.table = files.lowerHits ? fOpenFile(base + ".txt", "wb") : nullptr;
  files.log = files.table ? fOpenFile(base + "Log.txt", "wb") : nullptr;
  if (files.log != nullptr) return true;
  fCloseExperimentFiles(files);
  return false;
}

void fCloseExperimentFiles(ExperimentFiles& files) {
  for (FILE** file : {&files.upperHits, &files.lowerHits, &files.table, &files.log}) {
    if (*file != nullptr) std::fclose(*file);
    *file = nullptr;
  }
}

void fRemoveHitFiles(const std::string& D) {
  fPlatformRemove((D + kUpperHitFile).c_str());
  fPlatformRemove((D + kLowerHitFile).c_str());
}

bool fMatchExperimentReads(const std::string& readsPath, HitBuffer& hits, ExperimentFiles& files) {
  std::ifstream reads;
  bool opened = fOpenReadStream(readsPath, reads);
  if (opened) fRunReadPass(reads, hits, files.upperHits, files.lowerHits);
  std::fclose(files.upperHits);
  std::fclose(files.lowerHits);
  files.upperHits = files.lowerHits = nullptr;
  if (!opened) return false;
  if (FellIntoGenome == 0) {
    // The hit files stay, and so do the empty table and log.
    std::fputs(kNoDetectedReads, stdout);
    fWaitKey();
    return false;
  }
  return true;
}

void fReleaseLineBuffer(char*& line) {
  std::free(line);
  line = nullptr;
}

bool fWriteRunLog(FILE* log, const char* header, const std::string& genomePath, const std::string& readsPath,
                  const SiteSummary& summary) {
  std::fputs(header, log);
  std::fputs(genomePath.c_str(), log);
  std::fputs("\nreads=", log);
  std::fputs(readsPath.c_str(), log);
  std::fprintf(log, kCountReport, InputReads, AimedSz, TheseReads, DefectedReads, LongTracks, AnalyzedReads,
               FellIntoGenome, summary.inUpper, summary.inLower, summary.total);
  std::fprintf(log, kEntropyReport, summary.minimum, summary.maximum, summary.mean, summary.sigma,
               summary.mean + 3 * summary.sigma);
  if (std::fclose(log) != 0) {
    std::fputs(kLogNotWritten, stdout);
    fWaitKey();
    return false;
  }
  return true;
}
