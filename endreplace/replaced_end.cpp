#include "endreplace/replaced_end.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/loaders.h"
#include "driver/run_state.h"
#include "endreplace/site_table.h"
#include "index/kmer.h"
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
    "%d..%d, the tip in 0..%d letters and immutSz must not be negative";
const char kNoMemoryForTexts[] = "\nno memory for SqMem";
const char kGenomeTooLarge[] = "\ngenome file too large to number its positions in 32 bits: ";
const char kGenomeShortRead[] = "\ngenome file could not be read whole: ";
const char kNonNucleotide[] = "\ngenome: in seq position = %d is non{ACGT)-symbol = %c";
const char kCountReport[] =
    "\ninput=%d; required read size=%d; these reads=%d: defected=%d, longTracks=%d\nanalyzed=%d, fell into "
    "genome=%d;\noccupied sites in strand:: inUpper(+)=%d; inLower(-)=%d; on both strand=%d.";
const char kEntropyReport[] =
    "\nentropy statistic report:\nrange=[%6.4f,%6.4f];\tmean=%6.4f;\tsigma=%6.4f;\nmean+3sigma=%6.4f;";
const char kEntropyValue[] = "%6.4f";
const char kTableNotWritten[] = "\nsite table could not be written whole";
const char kLogNotWritten[] = "\nlog could not be written whole";
const char kUpperHitFile[] = "Rna_fiUp.tmp";
const char kLowerHitFile[] = "Rna_fiLw.tmp";

constexpr int32_t kShortestAimed = kKey12Bases;  // a read's first letters are its index key
constexpr int32_t kLongestTip = 15;              // tip codes stay below 2^30

void fSayAndWait(const char* message, const std::string& path) {
  fSay(message);
  fSay(path.c_str());
  fPause();
}

// An entropy as the log prints it.
std::string fEntropyText(double value) {
  char text[64];
  std::snprintf(text, sizeof text, kEntropyValue, value);
  return text;
}

// The site counts and the entropy summary of the log, for the command line.
void fCountSites(const SiteSummary& summary, Outcome& outcome) {
  outcome.fCount("in_upper", summary.inUpper);
  outcome.fCount("in_lower", summary.inLower);
  outcome.fCount("on_both_strand", summary.total);
  outcome.fCount("entropy_range", "[" + fEntropyText(summary.minimum) + "," + fEntropyText(summary.maximum) + "]");
  outcome.fCount("entropy_mean", fEntropyText(summary.mean));
  outcome.fCount("entropy_sigma", fEntropyText(summary.sigma));
  outcome.fCount("entropy_mean_plus_3sigma", fEntropyText(summary.mean + 3 * summary.sigma));
}
}  // namespace

bool fTakeSize(const char* key, const std::string& text, int32_t& value, Outcome& outcome) {
  if (fParseNumber(text, value)) return true;
  if (ConsoleOn) value = fParamNumber(key, text);  // says why and ends the run
  outcome.fFail(RunStatus::kRefusedParameter, key);
  return false;
}

bool fSizesAccepted(int32_t immutSz, int32_t mutTipSz, Outcome& outcome) {
  int64_t aimed = static_cast<int64_t>(immutSz) + mutTipSz;
  bool tipFits = mutTipSz >= 0 && mutTipSz <= kLongestTip;
  if (tipFits && immutSz >= 0 && aimed >= kShortestAimed && aimed <= kLongestRead) return true;
  fSayf(kSizesRefused, immutSz, mutTipSz, kShortestAimed, kLongestRead, kLongestTip);
  fPause();
  outcome.fFail(RunStatus::kRefusedParameter, tipFits ? "immutSz" : "mutTipSz");
  return false;
}

bool fLoadGenomeTexts(const std::string& path, int32_t continuation, GenomeTexts& texts, Outcome& outcome) {
  const int32_t L = fGenomeFileSize(path);
  if (L < 0) {
    outcome.fFail(RunStatus::kInputMissing, path);
    return false;
  }
  // Positions past the genome's end, up to L + continuation, must still be 32-bit numbers.
  if (L > INT32_MAX - continuation - 1) {
    fSayAndWait(kGenomeTooLarge, path);
    outcome.fFail(RunStatus::kInputMissing, path);
    return false;
  }
  // Position 0 unused, letters 1..L, the continuation, one byte for a string
  // end; zero-filled, so both ends already hold 0. floor(L / 2) hit records,
  // and room for one even for a genome of one letter.
  const size_t textBytes = static_cast<size_t>(L) + static_cast<size_t>(continuation) + 2;
  const size_t hitRoom = L / 2 > 0 ? static_cast<size_t>(L / 2) : 1;
  if (!texts.upper.fAllocate(textBytes) || !texts.lower.fAllocate(textBytes) || !texts.hits.fAllocate(hitRoom)) {
    fSay(kNoMemoryForTexts);
    fPause();
    outcome.fFail(RunStatus::kNoMemory, "");
    return false;
  }
  unsigned char* upper = texts.upper.data();
  unsigned char* lower = texts.lower.data();

  FILE* file = fOpenFile(path, "rb");
  if (file == nullptr) {
    outcome.fFail(RunStatus::kInputMissing, path);
    return false;
  }
  size_t got = std::fread(upper + 1, 1, static_cast<size_t>(L), file);
  std::fclose(file);
  if (got != static_cast<size_t>(L)) {
    fSayAndWait(kGenomeShortRead, path);
    outcome.fFail(RunStatus::kInputMissing, path);
    return false;
  }
  // Coded in place; the first byte that is no base letter stays as it stood in the file.
  int32_t bases = fLettersToCodes(reinterpret_cast<const char*>(upper + 1), L, upper + 1);
  if (bases < L) {
    // The position printed is one more than the byte's 1-based position.
    fSayf(kNonNucleotide, bases + 2, static_cast<char>(upper[bases + 1]));
    fPause();
    outcome.fFail(RunStatus::kBadInput, path);
    return false;
  }
  // Upper-case letters, and the reverse complement: W[L + 1 - i] pairs with U[i].
  for (int32_t i = 1; i <= L; ++i) {
    unsigned char code = upper[i];
    lower[L + 1 - i] = static_cast<unsigned char>(kUpperLetters[3 - code]);
    upper[i] = static_cast<unsigned char>(kUpperLetters[code]);
  }
  // The circle: both strands continue with their own first letters, so reads
  // and keys run over the genome's end.
  for (size_t k = 1; k <= static_cast<size_t>(continuation); ++k) {
    upper[L + k] = upper[k];
    lower[L + k] = lower[k];
  }
  Genome = upper;
  GenomeLower = lower;
  GenomeLength = L;
  return true;
}

void fReleaseGenomeTexts(GenomeTexts& texts) {
  texts.upper.fRelease();
  texts.lower.fRelease();
  texts.hits.fRelease();
  Genome = nullptr;
  GenomeLower = nullptr;
}

bool fOpenExperimentFiles(const std::string& D, const std::string& base, ExperimentFiles& files,
                          Outcome& outcome) {
  files.upperHitPath = D + kUpperHitFile;
  files.lowerHitPath = D + kLowerHitFile;
  files.tablePath = base + ".txt";
  files.logPath = base + "Log.txt";
  files.upperHits = fOpenOutput(files.upperHitPath, outcome);
  files.lowerHits = files.upperHits ? fOpenOutput(files.lowerHitPath, outcome) : nullptr;
  files.table = files.lowerHits ? fOpenOutput(files.tablePath, outcome) : nullptr;
  files.log = files.table ? fOpenOutput(files.logPath, outcome) : nullptr;
  return files.log != nullptr;
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

bool fSaveExperiment(ExperimentFiles& files, bool deleteHitFiles, const char* header,
                     const std::string& genomePath, const std::string& readsPath, Outcome& outcome) {
  fStage(Stage::kSorting);
  SiteSummary summary;
  if (!fReportSites(files.table, files.upperHitPath, UpperStrandReads, files.lowerHitPath, LowerStrandReads,
                    GenomeLength, ImmutSz, MutTipSz, Genome, GenomeLower, deleteHitFiles, summary, outcome))
    return false;
  if (!fCloseOutput(std::exchange(files.table, nullptr), files.tablePath, outcome)) {
    fSay(kTableNotWritten);
    fPause();
    return false;
  }

  fStage(Stage::kWriting);
  FILE* log = std::exchange(files.log, nullptr);
  std::fputs(header, log);
  std::fputs(fShownPath(genomePath).c_str(), log);
  std::fputs("\nreads=", log);
  std::fputs(fShownPath(readsPath).c_str(), log);
  std::fprintf(log, kCountReport, InputReads, AimedSz, TheseReads, DefectedReads, LongTracks, AnalyzedReads,
               FellIntoGenome, summary.inUpper, summary.inLower, summary.total);
  std::fprintf(log, kEntropyReport, summary.minimum, summary.maximum, summary.mean, summary.sigma,
               summary.mean + 3 * summary.sigma);
  if (!fCloseOutput(log, files.logPath, outcome)) {
    fSay(kLogNotWritten);
    fPause();
    return false;
  }
  fCountSites(summary, outcome);
  return true;
}

void fReleaseLineBuffer(char*& line) {
  std::free(line);
  line = nullptr;
}
