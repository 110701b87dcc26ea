#include "cli/runners.h"

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/exit_codes.h"
#include "cli/run.h"
#include "cli/task_list.h"
#include "driver/file_helpers.h"
#include "driver/run_state.h"
#include "endreplace/endreplace.h"
#include "mapping/mapping.h"
#include "parted/parted.h"
#include "platform/platform.h"
#include "standard/mapping_outputs.h"
#include "standard/parted_outputs.h"
#include "standard/standard.h"

namespace {

using GenomeProcedure = Outcome (*)(std::string, std::string, std::string, int32_t);
using ParamEntries = std::vector<std::pair<std::string, std::string>>;

std::string fSummaryName(const std::string& stem, const CommandRun& run) {
  return stem + "." + run.settings().command->name + ".summary.tsv";
}

void fNoteScope(CommandRun& run) {
  run.fNote("min_read_size", std::to_string(MinReadSize));
  run.fNote("max_read_size", std::to_string(MaxReadSize));
}

// The experiment part of the end-replacement names: "." made "_", and "blank"
// standing for the reads' stem, as the selection-file run names them.
std::string fExperimentName(const std::string& id, const std::string& readsStem) {
  if (id == "blank") return "RnaCut_" + readsStem;
  std::string name = id;
  for (char& c : name)
    if (c == '.') c = '_';
  return name;
}

std::string fSizesName(int32_t immut, int32_t tip, int32_t mismatches) {
  return "_" + std::to_string(immut) + "!" + std::to_string(tip) + "!" + std::to_string(mismatches) + "!";
}

bool fReadWhole(const std::string& path, std::string& text) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream whole;
  whole << file.rdbuf();
  text = whole.str();
  return !file.bad();
}

// The genome and the reads of --reads prepared in the encoding the procedure
// reads, the reads noted in the summary. 0, or the exit code.
int fPrepareInputs(CommandRun& run, Encoding encoding, PreparedInput& genome, PreparedInput& reads) {
  int code = run.fPrepareGenome(encoding, genome);
  if (code == 0) code = run.fPrepareReads(run.settings().reads, encoding, reads);
  if (code == 0) run.fNoteInput("reads", reads);
  return code;
}

// Both inputs handed over to the procedure; false when they can't be.
bool fHandOverInputs(CommandRun& run, const PreparedInput& genome, const PreparedInput& reads, std::string& genomePath,
                     std::string& readsPath, bool readsInPrivate = false) {
  readsPath = run.fHandOver(reads, "reads", readsInPrivate);
  genomePath = run.fHandOver(genome, "genome", false);
  return !readsPath.empty() && !genomePath.empty();
}

// The parameter file of a procedure that takes one: the result directory and
// both inputs, then `more`. Empty when it can't be written.
std::string fParamFileFor(CommandRun& run, const std::string& genomePath, const std::string& readsPath,
                          const ParamEntries& more) {
  std::string resultDirectory = run.fResultDirectory();
  resultDirectory.pop_back();
  ParamEntries entries = {{"diRes", resultDirectory}, {"pthGnm", genomePath}, {"pthReads", readsPath}};
  entries.insert(entries.end(), more.begin(), more.end());
  return run.fWriteParamFile(entries);
}

// A file the run writes for its procedure into the private folder, shown as `shownAs`.
bool fWriteRunFile(CommandRun& run, const std::string& name, const std::string& text, const std::string& shownAs,
                   std::string& path) {
  path = run.fResultDirectory() + name;
  std::ofstream file(path, std::ios::binary);
  file << text;
  file.close();
  if (!file) {
    CommandRun::fSayProblem("--out " + run.settings().out + ": can't be written (disk full or no permission)");
    return false;
  }
  fShowPathAs(path, shownAs);
  return true;
}

// The standard files of a run of reads named `stem`, then the files moved into --out.
int fWriteAndFinish(CommandRun& run, const std::string& stem, const ReadsOrigin& origin, const StandardWriter& writer,
                    Outcome& outcome) {
  int code = run.fWriteStandard(run.fStandardRun(stem, origin, outcome), writer, outcome);
  if (code != 0) return code;
  return run.fFinish(outcome, fSummaryName(stem, run));
}

// How a command's standard files come about: whether its procedure notes its
// reads (ReadNotes) while it runs, and the writer that runs after it.
struct StandardStep {
  bool notes;
  StandardWriter writer;
};

// The procedures that find the coded genome already loaded (coverage,
// stretches, once, assembly-test). `besideReads`: the ending of a file the
// procedure writes beside its reads, which must come to lie in the private
// folder; a log that names it names it in --out.
int fRunOnLoadedGenome(CommandRun& run, GenomeProcedure procedure, const StandardStep& standard,
                       const char* besideReads = nullptr) {
  const bool readsInPrivate = besideReads != nullptr;
  PreparedInput genome, reads;
  int code = fPrepareInputs(run, Encoding::kCodes, genome, reads);
  if (code != 0) return code;
  fNoteScope(run);
  std::string genomePath, readsPath;
  if (!fHandOverInputs(run, genome, reads, genomePath, readsPath, readsInPrivate)) return kExitOutput;
  if (readsInPrivate)
    fShowPathAs(fStripExtension(readsPath) + besideReads, run.fShownOutPath(reads.stem + besideReads));
  if (standard.notes && (code = run.fOpenNotes()) != 0) return code;
  Outcome outcome;
  if (run.fLoadGenome(genomePath, outcome))
    outcome = procedure(run.fResultDirectory(), readsPath, genomePath, GenomeLength);
  return fWriteAndFinish(run, reads.stem, run.fReadsOrigin(reads, Encoding::kCodes), standard.writer, outcome);
}

// Reads told by their content: raw code bytes (also gzip'd) go to the coded
// procedure, everything else to the letter one. Standard input is looked at in
// the copy the run keeps of it.
int fPrepareAbsentReads(CommandRun& run, PreparedInput& reads, bool& coded) {
  const std::string& userPath = run.settings().reads;
  std::string source;
  int code = run.fReadsSource(userPath, source);
  if (code != 0) return code;
  Recognition found;
  std::string why;
  code = fRecogniseInput(source, found, why);
  if (code != 0) {
    CommandRun::fSayProblem("--reads " + userPath + ": " + why);
    return code;
  }
  coded = found.kind == InputKind::kRawCoded;
  return run.fPrepareReads(userPath, coded ? Encoding::kCodes : Encoding::kLetters, reads);
}

}  // namespace

// The coverage files come from the procedure's tables, taken before it releases them.
int fRunCoverage(CommandRun& run) {
  std::unique_ptr<CoverageCapture> capture;
  if (run.fStandardWanted()) capture = std::make_unique<CoverageCapture>(run.settings().depth);
  auto writer = [&capture](const StandardRun& standard, Outcome& outcome, std::string& problem) {
    return fWriteCoverageStandard(standard, *capture, outcome, problem);
  };
  return fRunOnLoadedGenome(run, fMatchReadsT_VarSzO, {false, writer});
}

// The kept stretches go beside the reads, as "_In.bin": the reads are handed
// over inside the private folder, and the log names the file in --out.
int fRunStretches(CommandRun& run) {
  return fRunOnLoadedGenome(run, fMapReadsOnToSeq, {true, fWriteStretchesStandard}, "_In.bin");
}

// The reads found many times go beside the reads, as "Many.bin".
int fRunOnce(CommandRun& run) {
  auto writer = [](const StandardRun& standard, Outcome& outcome, std::string& problem) {
    return fWriteOnceStandard(standard, outcome, problem);
  };
  return fRunOnLoadedGenome(run, fMapReadsOneInSeq, {true, writer}, "Many.bin");
}

int fRunAssemblyTest(CommandRun& run) {
  return fRunOnLoadedGenome(run, fTestGenomeSborka, {true, fWriteAssemblyTestStandard});
}

int fRunAbsent(CommandRun& run) {
  PreparedInput reads;
  bool coded = false;
  int code = fPrepareAbsentReads(run, reads, coded);
  PreparedInput genome;
  if (code == 0) code = run.fPrepareGenome(coded ? Encoding::kCodes : Encoding::kLetters, genome);
  if (code != 0) return code;
  run.fNoteInput("reads", reads);
  run.fNoteProcedure(coded ? "fReadsOutOfSeq" : "fGetReadsThatOutOfSeq");
  fNoteScope(run);
  std::string genomePath, readsPath;
  if (!fHandOverInputs(run, genome, reads, genomePath, readsPath)) return kExitOutput;
  if ((code = run.fOpenNotes()) != 0) return code;
  Outcome outcome = coded ? fReadsOutOfSeq(run.fResultDirectory(), readsPath, genomePath)
                          : fGetReadsThatOutOfSeq(run.fResultDirectory(), readsPath, genomePath);
  const ReadsOrigin origin = run.fReadsOrigin(reads, coded ? Encoding::kCodes : Encoding::kLetters);
  return fWriteAndFinish(run, reads.stem, origin, fWriteAbsentStandard, outcome);
}

int fRunParted(CommandRun& run) {
  PreparedInput genome, reads;
  int code = fPrepareInputs(run, Encoding::kCodes, genome, reads);
  if (code != 0) return code;
  fNoteScope(run);
  run.fNote("max_hits", std::to_string(HitStopLimit));
  std::string genomePath, readsPath;
  if (!fHandOverInputs(run, genome, reads, genomePath, readsPath)) return kExitOutput;
  if ((code = run.fOpenNotes()) != 0) return code;
  Outcome outcome = fMatchReadsT_VarSzParted(run.fResultDirectory(), readsPath, genomePath, GenomeLength);
  auto writer = [](const StandardRun& standard, Outcome& written, std::string& problem) {
    return fWritePartedStandard(standard, written, problem);
  };
  return fWriteAndFinish(run, reads.stem, run.fReadsOrigin(reads, Encoding::kCodes), writer, outcome);
}

// Every reads file of the list is prepared on its own, into a numbered folder
// of the private folder; the procedure gets a list of those.
int fRunPartedRate(CommandRun& run) {
  const RunSettings& settings = run.settings();
  PreparedInput genome;
  int code = run.fPrepareGenome(Encoding::kCodes, genome);
  if (code != 0) return code;
  std::string listText;
  if (!fReadWhole(settings.list, listText)) {
    CommandRun::fSayProblem("--list " + settings.list + ": can't be read");
    return kExitInput;
  }
  // As the selection-file run joins them: the directory, a separator, the listed name.
  const std::string readsDir = settings.readsDir + PlatformSeparator;
  const std::string rateFolder = run.fWorkFolder("rate");
  std::string handedList;
  int listed = 0;
  std::istringstream lines(listText);
  std::string name;
  while (std::getline(lines, name)) {
    if (!name.empty() && name.back() == '\r') name.pop_back();
    ++listed;
    PreparedInput reads;
    code = run.fPrepareReads(readsDir + name, Encoding::kCodes, reads, "rate/" + std::to_string(listed));
    if (code != 0) return code;
    std::string handed = run.fHandOver(reads, "rate/" + std::to_string(listed), true);
    if (handed.empty()) return kExitOutput;
    run.fNoteInput("reads_" + std::to_string(listed), reads);
    handedList += handed.substr(rateFolder.size()) + "\n";
  }
  run.fNote("reads_dir", settings.readsDir);
  run.fNote("list", settings.list);
  run.fNote("listed_files", std::to_string(listed));
  fNoteScope(run);
  std::string listPath;
  if (!fWriteRunFile(run, "rate-list.txt", handedList, settings.list, listPath)) return kExitOutput;
  fShowPathAs(rateFolder, readsDir);
  std::string genomePath = run.fHandOver(genome, "genome", false);
  if (genomePath.empty()) return kExitOutput;
  Outcome outcome = fMatchReadsT_VarSzPartedRate(run.fResultDirectory(), rateFolder, genomePath, GenomeLength,
                                                 listPath);
  // The ratings are of the list, not of one reads file: T is the list's stem.
  const std::string listStem = fInputStem(settings.list);
  return fWriteAndFinish(run, listStem, ReadsOrigin(), fWritePartedRateStandard, outcome);
}

int fRunCircularRna(CommandRun& run) {
  PreparedInput genome, reads;
  int code = fPrepareInputs(run, Encoding::kLetters, genome, reads);
  if (code != 0) return code;
  fNoteScope(run);
  run.fNote("max_hits", std::to_string(HitStopLimit));
  std::string genomePath, readsPath;
  if (!fHandOverInputs(run, genome, reads, genomePath, readsPath)) return kExitOutput;
  const ParamEntries scope = {{"rMinSz", std::to_string(MinReadSize)}, {"rMaxSz", std::to_string(MaxReadSize)}};
  std::string params = fParamFileFor(run, genomePath, readsPath, scope);
  if (params.empty()) return kExitUsage;
  if ((code = run.fOpenNotes()) != 0) return code;
  Outcome outcome = fIdentifyCircularRna(params);
  auto writer = [](const StandardRun& standard, Outcome& written, std::string& problem) {
    return fWriteCircrnaStandard(standard, written, problem);
  };
  return fWriteAndFinish(run, reads.stem, run.fReadsOrigin(reads, Encoding::kLetters), writer, outcome);
}

int fRunRandExt(CommandRun& run) {
  const RunSettings& settings = run.settings();
  PreparedInput genome, reads;
  int code = fPrepareInputs(run, Encoding::kLetters, genome, reads);
  if (code != 0) return code;
  run.fNote("experiment_id", settings.id);
  run.fNote("immut_size", std::to_string(settings.immut));
  run.fNote("tip_size", std::to_string(settings.tip));
  run.fNote("mismatches", std::to_string(settings.mismatches));
  // "blank" names the results after the reads' stem, taken from the path handed over.
  std::string genomePath, readsPath;
  if (!fHandOverInputs(run, genome, reads, genomePath, readsPath)) return kExitOutput;
  // The sizes go in as the numbers themselves, so the names hold converted numbers only.
  std::string params = fParamFileFor(run, genomePath, readsPath,
                                     {{"experimentId", settings.id},
                                      {"immutSz", std::to_string(settings.immut)},
                                      {"mutTipSz", std::to_string(settings.tip)},
                                      {"misNu", std::to_string(settings.mismatches)}});
  if (params.empty()) return kExitUsage;
  if ((code = run.fOpenNotes()) != 0) return code;
  Outcome outcome = fCutRnaWithReplacedEnd(params);
  // Also when no read was detected: the standard files then hold no site.
  StandardRun standard = run.fStandardRun(reads.stem, run.fReadsOrigin(reads, Encoding::kLetters), outcome);
  standard.experiment = fExperimentName(settings.id, reads.stem);
  standard.immutSz = settings.immut;
  standard.tipSz = settings.tip;
  standard.misNu = settings.mismatches;
  code = run.fWriteStandard(standard, fWriteRandextStandard, outcome);
  if (code != 0) return code;
  std::string experiment = fExperimentName(settings.id, reads.stem) +
                           fSizesName(settings.immut, settings.tip, settings.mismatches);
  return run.fFinish(outcome, experiment + ".randext.summary.tsv");
}

// Each task's files are put into --out as soon as the task has ended; a task
// that fails leaves none of its own, and stops the list.
int fRunRandExtTasks(CommandRun& run) {
  const RunSettings& settings = run.settings();
  std::string listText;
  if (!fReadWhole(settings.tasks, listText)) {
    CommandRun::fSayProblem("--tasks " + settings.tasks + ": can't be read");
    return kExitInput;
  }
  TaskList tasks;
  std::string problem;
  if (!fCheckTaskList(listText, tasks, problem)) {
    CommandRun::fSayProblem("--tasks " + settings.tasks + ": " + problem);
    return kExitUsage;
  }
  PreparedInput genome, reads;
  int code = fPrepareInputs(run, Encoding::kLetters, genome, reads);
  if (code != 0) return code;
  run.fNote("tasks", settings.tasks);
  run.fNote("experiment_id", tasks.identity);
  std::string genomePath, readsPath;
  if (!fHandOverInputs(run, genome, reads, genomePath, readsPath)) return kExitOutput;

  std::string taskPath;
  if (!fWriteRunFile(run, "tasks.txt", tasks.text, settings.tasks, taskPath)) return kExitOutput;
  std::string params = fParamFileFor(run, genomePath, readsPath, {{"pthTaskList", taskPath}});
  if (params.empty()) return kExitUsage;

  // Each task's notes are closed when it ends, turned into its standard files
  // with its own files, and begun anew for the next task.
  const ReadsOrigin origin = run.fReadsOrigin(reads, Encoding::kLetters);
  int taskCode = 0;
  auto onTask = [&](const Outcome& task, int index) {
    const TaskSizes& sizes = tasks.tasks[static_cast<size_t>(index) < tasks.tasks.size() ? index : 0];
    Outcome part = task;
    StandardRun standard = run.fStandardRun(reads.stem, origin, part);
    standard.experiment = tasks.identity;
    standard.immutSz = sizes.immut;
    standard.tipSz = sizes.tip;
    standard.misNu = sizes.mismatches;
    taskCode = run.fWriteStandard(standard, fWriteRandextStandard, part);
    if (taskCode != 0 || !part.fSucceeded()) return false;
    std::string name = tasks.identity + fSizesName(sizes.immut, sizes.tip, sizes.mismatches);
    if (!run.fCommitPart(part, name + ".randext-tasks.summary.tsv")) taskCode = kExitOutput;
    if (taskCode == 0 && part.status == RunStatus::kCompleted) taskCode = run.fOpenNotes();
    return taskCode == 0 && part.status == RunStatus::kCompleted;
  };
  if ((code = run.fOpenNotes()) != 0) return code;
  Outcome outcome = fRunTaskList(params, onTask);
  if (taskCode != 0) return taskCode;
  return run.fReport(outcome);
}
