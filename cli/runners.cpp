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
  PreparedInput genome;
  PreparedInput reads;
  int code = run.fPrepareGenome(Encoding::kCodes, genome);
  if (code == 0) code = run.fPrepareReads(run.settings().reads, Encoding::kCodes, reads);
  if (code != 0) return code;
  run.fNoteInput("reads", reads);
  fNoteScope(run);
  std::string readsPath = run.fHandOver(reads, "reads", readsInPrivate);
  std::string genomePath = run.fHandOver(genome, "genome", false);
  if (readsPath.empty() || genomePath.empty()) return kExitOutput;
  if (readsInPrivate)
    fShowPathAs(fStripExtension(readsPath) + besideReads, run.fShownOutPath(reads.stem + besideReads));
  if (standard.notes && (code = run.fOpenNotes()) != 0) return code;
  Outcome outcome;
  if (run.fLoadGenome(genomePath, outcome))
    outcome = procedure(run.fResultDirectory(), readsPath, genomePath, GenomeLength);
  code = run.fWriteStandard(run.fStandardRun(reads.stem, run.fReadsOrigin(reads, Encoding::kCodes), outcome),
                            standard.writer, outcome);
  if (code != 0) return code;
  return run.fFinish(outcome, fSummaryName(reads.stem, run));
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
  std::string readsPath = run.fHandOver(reads, "reads", false);
  std::string genomePath = run.fHandOver(genome, "genome", false);
  if (readsPath.empty() || genomePath.empty()) return kExitOutput;
  if ((code = run.fOpenNotes()) != 0) return code;
  Outcome outcome = coded ? fReadsOutOfSeq(run.fResultDirectory(), readsPath, genomePath)
                          : fGetReadsThatOutOfSeq(run.fResultDirectory(), readsPath, genomePath);
  const ReadsOrigin origin = run.fReadsOrigin(reads, coded ? Encoding::kCodes : Encoding::kLetters);
  code = run.fWriteStandard(run.fStandardRun(reads.stem, origin, outcome), fWriteAbsentStandard, outcome);
  if (code != 0) return code;
  return run.fFinish(outcome, fSummaryName(reads.stem, run));
}

int fRunParted(CommandRun& run) {
  PreparedInput genome;
  PreparedInput reads;
  int code = run.fPrepareGenome(Encoding::kCodes, genome);
  if (code == 0) code = run.fPrepareReads(run.settings().reads, Encoding::kCodes, reads);
  if (code != 0) return code;
  run.fNoteInput("reads", reads);
  fNoteScope(run);
  run.fNote("max_hits", std::to_string(HitStopLimit));
  std::string readsPath = run.fHandOver(reads, "reads", false);
  std::string genomePath = run.fHandOver(genome, "genome", false);
  if (readsPath.empty() || genomePath.empty()) return kExitOutput;
  if ((code = run.fOpenNotes()) != 0) return code;
  Outcome outcome = fMatchReadsT_VarSzParted(run.fResultDirectory(), readsPath, genomePath, GenomeLength);
  auto writer = [](const StandardRun& standard, Outcome& written, std::string& problem) {
    return fWritePartedStandard(standard, written, problem);
  };
  code = run.fWriteStandard(run.fStandardRun(reads.stem, run.fReadsOrigin(reads, Encoding::kCodes), outcome), writer,
                            outcome);
  if (code != 0) return code;
  return run.fFinish(outcome, fSummaryName(reads.stem, run));
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
  std::string listPath = run.fResultDirectory() + "rate-list.txt";
  std::ofstream listFile(listPath, std::ios::binary);
  listFile << handedList;
  listFile.close();
  if (!listFile) {
    CommandRun::fSayProblem("--out " + settings.out + ": can't be written (disk full or no permission)");
    return kExitOutput;
  }
  fShowPathAs(rateFolder, readsDir);
  fShowPathAs(listPath, settings.list);
  std::string genomePath = run.fHandOver(genome, "genome", false);
  if (genomePath.empty()) return kExitOutput;
  Outcome outcome = fMatchReadsT_VarSzPartedRate(run.fResultDirectory(), rateFolder, genomePath, GenomeLength,
                                                 listPath);
  // The ratings are of the list, not of one reads file: T is the list's stem.
  const std::string listStem = fInputStem(settings.list);
  code = run.fWriteStandard(run.fStandardRun(listStem, ReadsOrigin(), outcome), fWritePartedRateStandard, outcome);
  if (code != 0) return code;
  return run.fFinish(outcome, fSummaryName(listStem, run));
}

int fRunCircularRna(CommandRun& run) {
  PreparedInput genome;
  PreparedInput reads;
  int code = run.fPrepareGenome(Encoding::kLetters, genome);
  if (code == 0) code = run.fPrepareReads(run.settings().reads, Encoding::kLetters, reads);
  if (code != 0) return code;
  run.fNoteInput("reads", reads);
  fNoteScope(run);
  run.fNote("max_hits", std::to_string(HitStopLimit));
  std::string readsPath = run.fHandOver(reads, "reads", false);
  std::string genomePath = run.fHandOver(genome, "genome", false);
  if (readsPath.empty() || genomePath.empty()) return kExitOutput;
  std::string resultDirectory = run.fResultDirectory();
  resultDirectory.pop_back();
  std::string params = run.fWriteParamFile({{"diRes", resultDirectory},
                                            {"pthGnm", genomePath},
                                            {"pthReads", readsPath},
                                            {"rMinSz", std::to_string(MinReadSize)},
                                            {"rMaxSz", std::to_string(MaxReadSize)}});
  if (params.empty()) return kExitUsage;
  if ((code = run.fOpenNotes()) != 0) return code;
  Outcome outcome = fIdentifyCircularRna(params);
  auto writer = [](const StandardRun& standard, Outcome& written, std::string& problem) {
    return fWriteCircrnaStandard(standard, written, problem);
  };
  code = run.fWriteStandard(run.fStandardRun(reads.stem, run.fReadsOrigin(reads, Encoding::kLetters), outcome),
                            writer, outcome);
  if (code != 0) return code;
  return run.fFinish(outcome, fSummaryName(reads.stem, run));
}

int fRunRandExt(CommandRun& run) {
  const RunSettings& settings = run.settings();
  PreparedInput genome;
  PreparedInput reads;
  int code = run.fPrepareGenome(Encoding::kLetters, genome);
  if (code == 0) code = run.fPrepareReads(settings.reads, Encoding::kLetters, reads);
  if (code != 0) return code;
  run.fNoteInput("reads", reads);
  run.fNote("experiment_id", settings.id);
  run.fNote("immut_size", std::to_string(settings.immut));
  run.fNote("tip_size", std::to_string(settings.tip));
  run.fNote("mismatches", std::to_string(settings.mismatches));
  // "blank" names the results after the reads' stem, taken from the path handed over.
  std::string readsPath = run.fHandOver(reads, "reads", false);
  std::string genomePath = run.fHandOver(genome, "genome", false);
  if (readsPath.empty() || genomePath.empty()) return kExitOutput;
  std::string resultDirectory = run.fResultDirectory();
  resultDirectory.pop_back();
  // The sizes go in as the numbers themselves, so the names hold converted numbers only.
  std::string params = run.fWriteParamFile({{"diRes", resultDirectory},
                                            {"pthGnm", genomePath},
                                            {"pthReads", readsPath},
                                            {"experimentId", settings.id},
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
  PreparedInput genome;
  PreparedInput reads;
  int code = run.fPrepareGenome(Encoding::kLetters, genome);
  if (code == 0) code = run.fPrepareReads(settings.reads, Encoding::kLetters, reads);
  if (code != 0) return code;
  run.fNoteInput("reads", reads);
  run.fNote("tasks", settings.tasks);
  run.fNote("experiment_id", tasks.identity);
  std::string readsPath = run.fHandOver(reads, "reads", false);
  std::string genomePath = run.fHandOver(genome, "genome", false);
  if (readsPath.empty() || genomePath.empty()) return kExitOutput;

  std::string taskPath = run.fResultDirectory() + "tasks.txt";
  std::ofstream taskFile(taskPath, std::ios::binary);
  taskFile << tasks.text;
  taskFile.close();
  if (!taskFile) {
    CommandRun::fSayProblem("--out " + settings.out + ": can't be written (disk full or no permission)");
    return kExitOutput;
  }
  fShowPathAs(taskPath, settings.tasks);
  std::string resultDirectory = run.fResultDirectory();
  resultDirectory.pop_back();
  std::string params = run.fWriteParamFile({{"diRes", resultDirectory},
                                            {"pthGnm", genomePath},
                                            {"pthReads", readsPath},
                                            {"pthTaskList", taskPath}});
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
