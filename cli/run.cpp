#include "cli/run.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>

#include "cli/exit_codes.h"
#include "cli/progress.h"
#include "cli/version.h"
#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/loaders.h"
#include "driver/notes.h"
#include "driver/run_state.h"
#include "platform/platform.h"

namespace {

const char kPrivatePrefix[] = ".vantrels-";
const char kParamFileName[] = "params.txt";
const char kStandardInput[] = "-";
const char kStandardInputCopy[] = "stdin";  // its stem is the one "-" gives
const char kNotesFolder[] = "notes";
const char kNotesFile[] = "reads.bin";
constexpr size_t kLongestParamValue = 499;  // a parameter file's line keeps 499 characters
constexpr int kPrivateFolderTries = 16;
constexpr int kRemoveTries = 100;
constexpr size_t kShownCounts = 4;

// The private folder of the run, for the signal thread. Held while results are
// renamed into --out and while the folder is made or removed, so that an
// interrupt never sees half a commit.
std::mutex FolderGuard;
std::string CurrentPrivateFolder;
ProgressLine* CurrentProgress = nullptr;
// Set once an interrupt is being handled: the run then says nothing more and
// waits for the interrupt to end the process with its own exit code.
std::atomic<bool> Interrupted{false};

void fYieldToInterrupt() {
  if (!Interrupted.load()) return;
  std::lock_guard<std::mutex> never(FolderGuard);  // held by the interrupt until the process ends
}

// Removes the folder even while the procedure still makes files in it: once the
// folder itself is gone, no file can be made there any more.
void fRemovePrivateFolder(const std::string& folder) {
  for (int tries = 0; tries < kRemoveTries && fPlatformIsDirectory(folder.c_str()); ++tries)
    fPlatformRemoveTree(folder.c_str());
}

void fOnInterrupt(int signal) {
  Interrupted.store(true);
  std::lock_guard<std::mutex> lock(FolderGuard);
  ProgressLine::fClear();
  if (!CurrentPrivateFolder.empty()) fRemovePrivateFolder(CurrentPrivateFolder);
  std::fprintf(stderr, "%sstopped by signal %d; what this run had not finished was removed\n", kMessagePrefix,
               signal);
  std::fflush(stderr);
  std::_Exit(kExitSignalBase + signal);
}

std::string fWithoutTrailingSeparator(std::string path) {
  while (path.size() > 1 && fIsPathSeparator(path.back())) path.pop_back();
  return path;
}

std::string fBaseName(const std::string& path) {
  size_t start = path.size();
  while (start > 0 && !fIsPathSeparator(path[start - 1])) --start;
  return path.substr(start);
}

// Whether a file can be opened for reading, with the reason when not.
bool fReadable(const std::string& path, std::string& why) {
  if (fPlatformIsDirectory(path.c_str())) {
    why = "is a directory, not a file";
    return false;
  }
  errno = 0;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    why = errno == ENOENT ? "not found" : std::string("can't be read: ") + std::strerror(errno);
    return false;
  }
  std::fclose(file);
  return true;
}

const char* fKindName(InputKind kind) {
  switch (kind) {
    case InputKind::kRawCoded: return "raw code bytes";
    case InputKind::kRawLetters: return "raw letters";
    case InputKind::kFasta: return "FASTA";
    case InputKind::kFastq: return "FASTQ";
  }
  return "";
}

// A word of the command line as a shell would take it back.
std::string fQuoted(const std::string& word) {
  bool plain = !word.empty();
  for (unsigned char c : word)
    if (!(std::isalnum(c) || std::strchr("_./=:,+-@%", c) != nullptr)) plain = false;
  if (plain) return word;
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A summary value on one line of its own.
std::string fOneLine(std::string text) {
  for (char& c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return text;
}

// Standard input, a pipe or a device: what is read from it is gone.
bool fIsStream(const std::string& path) {
  if (path == kStandardInput) return true;
  std::error_code failure;
  std::filesystem::file_status status = std::filesystem::status(path, failure);
  return !failure && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
         !std::filesystem::is_directory(status);
}

std::string fReplacedAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); !from.empty() && at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// Copies a finished result into an output that is not a plain file (a link is
// followed to its target, a FIFO or device is written), then drops the result.
bool fWriteThrough(const std::string& from, const std::string& to) {
  if (!fPlatformCopyFile(from.c_str(), to.c_str())) return false;
  fPlatformRemove(from.c_str());
  return true;
}

}  // namespace

CommandRun::CommandRun(const RunSettings& settings) : Settings(settings) {
  Started = std::chrono::steady_clock::now();
}

CommandRun::~CommandRun() {
  ReadNotes.fClose();
  if (CurrentProgress != nullptr) {
    CurrentProgress->fStop();
    delete CurrentProgress;
    CurrentProgress = nullptr;
  }
  {
    // Waits here for an interrupt that is removing the folder to end the process.
    std::lock_guard<std::mutex> lock(FolderGuard);
    if (!PrivateFolder.empty()) fRemovePrivateFolder(PrivateFolder);
    CurrentPrivateFolder.clear();
  }
  if (GenomeStore != nullptr) fReleaseGenome();
  std::free(InputLine);
  InputLine = nullptr;
  std::free(WorkLine);
  WorkLine = nullptr;
}

void CommandRun::fSayProblem(const std::string& text) {
  fYieldToInterrupt();
  ProgressLine::fClear();
  std::fprintf(stderr, "%s%s\n", kMessagePrefix, text.c_str());
}

int CommandRun::fOpen() {
  // Every input is there before anything is made.
  std::string why;
  const std::pair<const char*, const std::string*> files[] = {
      {"--genome", &Settings.genome}, {"--reads", &Settings.reads}, {"--tasks", &Settings.tasks},
      {"--list", &Settings.list}};
  for (const auto& file : files) {
    const std::string& path = *file.second;
    if (path.empty() || (path == "-" && std::strcmp(file.first, "--reads") == 0)) continue;
    if (!fReadable(path, why)) {
      fSayProblem(std::string(file.first) + " " + path + ": " + why);
      return kExitInput;
    }
  }
  if (!Settings.readsDir.empty() && !fPlatformIsDirectory(Settings.readsDir.c_str())) {
    fSayProblem("--reads-dir " + Settings.readsDir + ": not a directory");
    return kExitInput;
  }

  OutDirectory = fWithoutTrailingSeparator(Settings.out);
  if (!fPlatformMakeDirectories(OutDirectory.c_str())) {
    fSayProblem("--out " + Settings.out + ": can't be made as a directory; check the path and its permissions");
    return kExitOutput;
  }

  // An interrupt must find the private folder to remove before there is one.
  static bool interruptsCaught = false;
  if (!interruptsCaught) {
    fPlatformIgnoreFileSizeSignal();
    if (!fPlatformCatchInterrupts(fOnInterrupt)) {
      fSayProblem("out of memory for the thread that cleans up after an interrupt");
      return kExitNoMemory;
    }
    interruptsCaught = true;
  }
  {
    std::lock_guard<std::mutex> lock(FolderGuard);
    std::random_device entropy;
    std::mt19937_64 random((static_cast<uint64_t>(entropy()) << 32) ^ entropy() ^
                           static_cast<uint64_t>(Started.time_since_epoch().count()));
    for (int tries = 0; tries < kPrivateFolderTries && PrivateFolder.empty(); ++tries) {
      char name[64];
      std::snprintf(name, sizeof name, "%s%" PRId64 "-%08" PRIx64, kPrivatePrefix, fPlatformProcessId(),
                    random() & 0xFFFFFFFFu);
      std::string folder = OutDirectory + PlatformSeparator + name;
      if (fPlatformMakeDirectory(folder.c_str())) PrivateFolder = folder;
    }
    CurrentPrivateFolder = PrivateFolder;
  }
  if (PrivateFolder.empty()) {
    fSayProblem("--out " + Settings.out + ": can't be written; check its permissions");
    return kExitOutput;
  }
  ResultDirectory = PrivateFolder + PlatformSeparator;

  // The run state as the selection-file run sets it, with the size scope known.
  fInitCodingTables();
  MaxLineLength = kLineBufferSize;
  MinReadSize = Settings.minSize;
  MaxReadSize = Settings.maxSize;
  SizeScopeWidth = fSizeScopeWidth(MinReadSize, MaxReadSize);
  HitStopLimit = Settings.maxHits;
  RunThreads = Settings.threads > 0 ? Settings.threads : fPlatformUsableCores();
  InputReads = 0;
  InputLine = static_cast<char*>(std::malloc(kLineBufferSize));
  WorkLine = static_cast<char*>(std::malloc(kLineBufferSize));
  if (InputLine == nullptr || WorkLine == nullptr) {
    fSayProblem("out of memory for the line buffers");
    return kExitNoMemory;
  }
  if (!Settings.quiet && fPlatformStderrIsTerminal()) {
    CurrentProgress = new ProgressLine();
    if (!CurrentProgress->fStart(Settings.command->name)) {
      delete CurrentProgress;  // a run without a progress line is still a run
      CurrentProgress = nullptr;
    }
  }
  return kExitDone;
}

std::string CommandRun::fWorkFolder(const std::string& name) {
  std::string folder = PrivateFolder + PlatformSeparator + name;
  if (!fPlatformIsDirectory(folder.c_str())) fPlatformMakeDirectory(folder.c_str());
  return folder + PlatformSeparator;
}

int CommandRun::fPrepareGenome(Encoding want, PreparedInput& genome) {
  fStage(Stage::kLoading);
  std::string problem;
  std::string folder = fWithoutTrailingSeparator(fWorkFolder("genome"));
  int code = ::fPrepareGenome(Settings.genome, Settings.record, want, folder, genome, problem);
  if (code != 0) {
    fSayProblem(problem);
    return code;
  }
  if (genome.path != genome.shownPath) fShowPathAs(genome.path, genome.shownPath);
  fNoteInput("genome", genome);
  // The length of the genome as the procedures load it: one byte per base.
  GenomeStem = genome.stem;
  Chrom.name = genome.recordName.empty() ? genome.stem : genome.recordName;
  Chrom.length = fPlatformFileSize(genome.path.c_str());
  InputLines.emplace_back("chromosome", Chrom.name);
  InputLines.emplace_back("genome_length", std::to_string(Chrom.length));
  return kExitDone;
}

int CommandRun::fPrepareReads(const std::string& userPath, Encoding want, PreparedInput& reads,
                              const std::string& folder) {
  fStage(Stage::kLoading);
  std::string source;
  int code = fReadsSource(userPath, source);
  if (code != 0) return code;
  std::string problem;
  std::string work = fWithoutTrailingSeparator(fWorkFolder(folder));
  code = ::fPrepareReads(source, want, work, reads, problem);
  if (code != 0) {
    fSayProblem(fReplacedAll(problem, source, userPath));
    return code;
  }
  reads.shownPath = userPath;
  if (reads.path != reads.shownPath) fShowPathAs(reads.path, reads.shownPath);
  return kExitDone;
}

int CommandRun::fReadsSource(const std::string& userPath, std::string& source) {
  source = userPath;
  for (const auto& kept : KeptStreams)
    if (kept.first == userPath) source = kept.second;
  if (source != userPath || !fIsStream(userPath)) return kExitDone;
  const bool standardInput = userPath == kStandardInput;
  source = fWorkFolder("stream") + (standardInput ? kStandardInputCopy : fBaseName(userPath));
  errno = 0;
  FILE* in = standardInput ? stdin : std::fopen(userPath.c_str(), "rb");
  if (in == nullptr) {
    fSayProblem("--reads " + userPath + ": can't be read: " + std::strerror(errno));
    return kExitInput;
  }
  FILE* out = std::fopen(source.c_str(), "wb");
  bool written = out != nullptr;
  std::vector<char> chunk(size_t(1) << 16);
  size_t got;
  while (written && (got = std::fread(chunk.data(), 1, chunk.size(), in)) > 0)
    written = std::fwrite(chunk.data(), 1, got, out) == got;
  const bool readWhole = std::ferror(in) == 0;
  if (!standardInput) std::fclose(in);
  if (out != nullptr && std::fclose(out) != 0) written = false;
  if (!readWhole || !written) {
    fPlatformRemove(source.c_str());
    fSayProblem(readWhole ? "--out " + Settings.out + ": can't keep a copy of --reads " + userPath +
                                " (disk full, file-size limit or no permission)"
                          : "--reads " + userPath + ": can't be read to its end");
    return readWhole ? kExitOutput : kExitInput;
  }
  KeptStreams.emplace_back(userPath, source);
  return kExitDone;
}

int CommandRun::fOpenNotes() {
  if (!fStandardWanted()) return kExitDone;
  NotesPath = fWorkFolder(kNotesFolder) + kNotesFile;
  if (ReadNotes.fOpen(NotesPath)) return kExitDone;
  fSayProblem("--out " + Settings.out + ": can't be written (disk full or no permission)");
  return kExitOutput;
}

ReadsOrigin CommandRun::fReadsOrigin(const PreparedInput& reads, Encoding handed) const {
  std::string source = reads.shownPath;
  for (const auto& kept : KeptStreams)
    if (kept.first == reads.shownPath) source = kept.second;
  return ::fReadsOrigin(reads, handed, source);
}

StandardRun CommandRun::fStandardRun(const std::string& readsStem, const ReadsOrigin& reads,
                                     const Outcome& outcome) const {
  StandardRun run;
  run.directory = ResultDirectory;
  run.shownOut = Settings.out;
  run.genomeStem = GenomeStem;
  run.chromosome = Chrom;
  run.readsStem = readsStem;
  run.reads = reads;
  run.notesPath = NotesPath;
  run.nativeFiles = outcome.written;
  return run;
}

int CommandRun::fWriteStandard(const StandardRun& standard, const StandardWriter& writer, Outcome& outcome) {
  const bool notesWhole = ReadNotes.fClose();
  if (!fStandardWanted() || !outcome.fSucceeded()) return kExitDone;
  if (!notesWhole) {
    fSayProblem("--out " + Settings.out + ": writing the notes of the reads failed (disk full, file-size limit or "
                "no permission); results of earlier runs are kept");
    return kExitOutput;
  }
  fStage(Stage::kWriting);
  std::string problem;
  int code = writer(standard, outcome, problem);
  if (code != kExitDone) {
    fSayProblem(problem);
    return code;
  }
  // G.genome comes with every command's files, whether its writer made it or not.
  const std::string genomeFile = standard.directory + standard.genomeStem + ".genome";
  for (const std::string& written : outcome.written)
    if (written == genomeFile) return kExitDone;
  if (!fWriteGenomeFile(standard.directory, standard.genomeStem, standard.chromosome, outcome).empty())
    return kExitDone;
  fSayProblem("--out " + Settings.out + ": writing " + standard.genomeStem +
              ".genome failed (disk full, file-size limit or no permission); results of earlier runs are kept");
  return kExitOutput;
}

std::string CommandRun::fHandOver(const PreparedInput& input, const std::string& folder, bool inPrivate) {
  bool private_ = input.path.compare(0, ResultDirectory.size(), ResultDirectory) == 0;
  if (fFileStem(input.path) == input.stem && (private_ || !inPrivate)) return input.path;
  // The stem with an extension of its own, so that the procedures' names,
  // built by cutting at the last ".", end up with the user's stem.
  std::string named = fWorkFolder(folder + "-named") + input.stem + ".txt";
  if (!fPlatformLinkOrCopy(input.path.c_str(), named.c_str())) {
    fSayProblem("--out " + Settings.out + ": can't place a copy of " + input.shownPath + " in its work folder");
    return std::string();
  }
  fShowPathAs(named, input.shownPath);
  return named;
}

std::string CommandRun::fWriteParamFile(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string text;
  for (const auto& entry : entries) {
    const std::string& value = entry.second;
    if (value.find_first_of("\r\n") != std::string::npos || value.size() > kLongestParamValue) {
      fSayProblem("the value of " + entry.first + " (" + fOneLine(value) +
                  ") holds a line break or is longer than 499 characters; use a shorter path or name");
      return std::string();
    }
    text += "#\n#\n" + entry.first + "\n" + value + "\n";
  }
  std::string path = ResultDirectory + kParamFileName;
  FILE* file = std::fopen(path.c_str(), "wb");
  bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (file != nullptr && std::fclose(file) != 0) written = false;
  if (!written) {
    fSayProblem("--out " + Settings.out + ": can't be written (disk full or no permission)");
    return std::string();
  }
  return path;
}

bool CommandRun::fLoadGenome(const std::string& path, Outcome& outcome) {
  fStage(Stage::kLoading);
  // The tail copy covers the longest read in scope; no read is longer than a line.
  int32_t tail = MaxReadSize < MaxLineLength ? MaxReadSize : MaxLineLength;
  int32_t length = 0;
  GenomeLoad load = fLoadCodedGenome(path, false, tail, 0, length);
  if (load == GenomeLoad::kNoMemory) outcome = fFailure(RunStatus::kNoMemory, path);
  if (load == GenomeLoad::kFailed) outcome = fFailure(RunStatus::kBadInput, path);
  if (load != GenomeLoad::kLoaded) return false;
  GenomeLength = length;
  return true;
}

void CommandRun::fNoteInput(const std::string& role, const PreparedInput& input) {
  InputLines.emplace_back(role, input.shownPath);
  InputLines.emplace_back(role + "_format", std::string(fKindName(input.kind)) + (input.compressed ? ", gzip" : ""));
  if (input.kind == InputKind::kFasta && !input.recordName.empty())
    InputLines.emplace_back(role + "_record", input.recordName);
  // The conversion names its counts "genome_..." or "reads_..."; the role takes that place.
  for (const auto& count : input.counts) {
    std::string key = count.first;
    for (const char* kind : {"genome_", "reads_"})
      if (key.compare(0, std::strlen(kind), kind) == 0) key.erase(0, std::strlen(kind));
    InputLines.emplace_back(role + "_" + key, count.second);
  }
}

std::string CommandRun::fShownOutPath(const std::string& name) const { return fOutPath(name); }

std::string CommandRun::fRefusedSetting(const std::string& key) const {
  // The procedures name a refused setting by its parameter key; the user gave an option.
  const struct {
    const char* key;
    const char* option;
    int32_t value;
  } settings[] = {{"rMinSz", "--min", Settings.minSize},       {"rMaxSz", "--max", Settings.maxSize},
                  {"immutSz", "--immut", Settings.immut},      {"mutTipSz", "--tip", Settings.tip},
                  {"misNu", "--mismatches", Settings.mismatches}};
  for (const auto& setting : settings)
    if (key == setting.key) return std::string(setting.option) + " " + std::to_string(setting.value);
  return key.empty() ? "its sizes" : key;
}

std::string CommandRun::fOutPath(const std::string& name) const {
  return OutDirectory + PlatformSeparator + name;
}

std::string CommandRun::fShownFile(const std::string& path) const {
  if (!ResultDirectory.empty() && path.compare(0, ResultDirectory.size(), ResultDirectory) == 0)
    return fOutPath(fBaseName(path));
  return fShownPath(path);
}

SummaryLines CommandRun::fSummary(const Outcome& outcome) const {
  SummaryLines lines;
  std::string words;
  for (const std::string& word : Settings.words) words += (words.empty() ? "" : " ") + fQuoted(word);
  lines.emplace_back("version", kVantrelsVersion);
  lines.emplace_back("command", Settings.command->name);
  lines.emplace_back("procedure", Procedure != nullptr ? Procedure : Settings.command->procedure);
  lines.emplace_back("command_line", words);
  for (const auto& line : InputLines) lines.push_back(line);
  lines.emplace_back("reads_read", std::to_string(outcome.readsRead));
  if (outcome.status == RunStatus::kStoppedAtHitLimit)
    lines.emplace_back("stopped_after_reads", std::to_string(outcome.readsRead));
  if (outcome.status == RunStatus::kNothingFound) lines.emplace_back("nothing_found", "yes");
  for (const auto& count : outcome.counts) lines.push_back(count);
  std::string files;
  for (const std::string& path : outcome.written) files += (files.empty() ? "" : ",") + fBaseName(path);
  lines.emplace_back("files", files);
  for (auto& line : lines) line.second = fOneLine(line.second);
  return lines;
}

bool CommandRun::fWriteSummary(const Outcome& outcome, const std::string& name, std::string& path) {
  path = ResultDirectory + name;
  std::string text;
  for (const auto& line : fSummary(outcome)) text += line.first + "\t" + line.second + "\n";
  FILE* file = std::fopen(path.c_str(), "wb");
  bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (file != nullptr && std::fclose(file) != 0) written = false;
  if (!written) fSayProblem("--out " + Settings.out + ": writing " + name + " failed (disk full, file-size limit "
                            "or no permission); results of earlier runs are kept");
  return written;
}

bool CommandRun::fCommit(const std::vector<std::string>& files) {
  std::lock_guard<std::mutex> lock(FolderGuard);
  std::vector<std::string> done;
  for (const std::string& path : files) {
    // Only what lies in the private folder moves; scratch files the procedure
    // wrote and removed again are gone.
    if (path.compare(0, ResultDirectory.size(), ResultDirectory) != 0) continue;
    FILE* probe = std::fopen(path.c_str(), "rb");
    if (probe == nullptr) continue;
    std::fclose(probe);
    std::string name = fBaseName(path);
    // Hit and record scratch files ("Rna_fiUp.tmp", "CycledUp.tmp") stay behind with the folder.
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0) continue;
    std::string target = fOutPath(name);
    bool placed = fPlatformIsPlainOrMissing(target.c_str()) ? fPlatformReplace(path.c_str(), target.c_str())
                                                             : fWriteThrough(path, target);
    if (!placed) {
      fSayProblem("--out " + Settings.out + ": can't put " + name + " in place (" + std::strerror(errno) + ")");
      return false;
    }
    Committed.push_back(name);
  }
  return true;
}

bool CommandRun::fCommitPart(const Outcome& part, const std::string& summaryName) {
  std::string summaryPath;
  if (!fWriteSummary(part, summaryName, summaryPath)) return false;
  std::vector<std::string> files = part.written;
  files.push_back(summaryPath);
  return fCommit(files);
}

int CommandRun::fFinish(const Outcome& outcome, const std::string& summaryName) {
  if (CurrentProgress != nullptr) CurrentProgress->fStop();
  if (outcome.fSucceeded() && !fCommitPart(outcome, summaryName)) return kExitOutput;
  return fReport(outcome);
}

int CommandRun::fReport(const Outcome& outcome) {
  if (CurrentProgress != nullptr) CurrentProgress->fStop();
  const std::string& command = Settings.command->name;
  switch (outcome.status) {
    case RunStatus::kCompleted:
      break;
    case RunStatus::kNothingFound:
      fSayProblem("warning: " + command + " found no read to report; its results say so");
      break;
    case RunStatus::kStoppedAtHitLimit:
      fSayProblem("warning: reading stopped after " + std::to_string(outcome.readsRead) +
                  " reads, when the upper-strand hits passed " + std::to_string(Settings.maxHits) +
                  " (--max-hits); --max-hits 0 reads every read");
      break;
    case RunStatus::kRefusedParameter:
      fSayProblem(command + " refuses " + fRefusedSetting(outcome.file) + "; " + fHelpHint(Settings.command) +
                  " and their limits");
      return kExitUsage;
    case RunStatus::kInputMissing:
      fSayProblem(fShownFile(outcome.file) + ": can't be opened or read; check the path and its permissions");
      return kExitInput;
    case RunStatus::kBadInput:
      fSayProblem(fShownFile(outcome.file) + ": holds a byte that is not a base; a genome holds A, C, G, T "
                  "(or code bytes 0 to 3) only");
      return kExitInput;
    case RunStatus::kNoMemory:
      fSayProblem("out of memory" + (outcome.file.empty() ? std::string() : " (" + fShownFile(outcome.file) + ")") +
                  "; the genome, its index and the hit tables need more memory than the system gives");
      return kExitNoMemory;
    case RunStatus::kOutputFailed:
      fSayProblem("--out " + Settings.out + ": writing " + fBaseName(outcome.file) +
                  " failed (disk full, file-size limit or no permission); results of earlier runs are kept");
      return kExitOutput;
  }
  fYieldToInterrupt();
  if (!Settings.quiet) {
    std::string counts;
    for (size_t i = 0; i < outcome.counts.size() && i < kShownCounts; ++i)
      counts += (i == 0 ? "" : ", ") + outcome.counts[i].first + " " + outcome.counts[i].second;
    // Reads the conversion left out never reached the procedure: say so beside its counts.
    int64_t leftOut = 0;
    for (const auto& line : InputLines)
      if (line.first.find("left_out") != std::string::npos) leftOut += std::atoll(line.second.c_str());
    if (leftOut > 0) counts += "; " + std::to_string(leftOut) + " reads left out in conversion";
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - Started).count();
    std::fprintf(stderr, "%s%s: %" PRId64 " reads read%s%s; %zu files in %s; %.1f s; peak memory %" PRId64 " MB\n",
                 kMessagePrefix, command.c_str(), outcome.readsRead, counts.empty() ? "" : "; ", counts.c_str(),
                 Committed.size(), Settings.out.c_str(), seconds, fPlatformPeakMemory() >> 20);
  }
  return kExitDone;
}
