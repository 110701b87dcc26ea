#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/outcome.h"
#include "driver/run_state.h"
#include "endreplace/endreplace.h"
#include "endreplace/replaced_end.h"
#include "index/index12both.h"
#include "platform/platform.h"

namespace {
const char kProcedureName[] = "RandExtTaskList";
const char kLogHeader[] = "proc=Vantrels::fCutRnaReplacedEnd_BaseTaskList\ngenome=";
const char kExecuting[] = "\nexecuting...";
const char kTasksHeader[] = "\nimmutSz\tmutTipSz\tmisNu";
const char kListTooShort[] = "\ntask list has fewer than 8 lines (6 free lines, the identity, 1 free line): ";
const char kBrokenTaskLine[] =
    "\ntask line refused: it must hold immutSz, mutTipSz and misNu separated by single TABs, in fewer than "
    "100 characters: ";

// Lines before the identity, and the identity's line number.
constexpr int kIdentityLine = 7;
// Fields and the line end must lie before this position of a task line.
constexpr int32_t kTaskLineLimit = 100;

// What every task of a list shares.
struct ListSettings {
  std::string D, genomePath, readsPath, identity;
};

// What a list holds at any moment; released in one place however it ends.
struct Held {
  std::ifstream list;
  GenomeTexts texts;
  ExperimentFiles files;  // of the task in process
  std::string hitFilesDirectory;  // set once tasks may have left hit files
};

// Reads the next list line into InputLine without its line end and a
// carriage return before it; false at the end of the list.
bool fNextListLine(std::istream& list, int32_t& length) {
  int32_t taken = 0;
  if (!fGetLine(list, InputLine, MaxLineLength, taken)) return false;
  length = static_cast<int32_t>(std::strlen(InputLine));
  if (length > 0 && InputLine[length - 1] == '\r') InputLine[--length] = '\0';
  return true;
}

int32_t fFindTab(int32_t from, int32_t end) {
  for (int32_t i = from; i < end; ++i)
    if (InputLine[i] == '\t') return i;
  return -1;
}

// One experiment of the list, for the task line in InputLine of `length`
// characters, over the genome texts and index already in place. Its files
// are left closed.
void fRunTask(const ListSettings& settings, Held& held, int32_t length, Outcome& task) {
  // Fields: immutSz TAB mutTipSz TAB misNu, everything before position 100.
  int32_t scanEnd = std::min(length, kTaskLineLimit);
  int32_t firstTab = fFindTab(0, scanEnd);
  int32_t secondTab = firstTab < 0 ? -1 : fFindTab(firstTab + 1, scanEnd);
  if (secondTab < 0 || length >= kTaskLineLimit) {
    fSay(kBrokenTaskLine);
    fSayf("%.*s", static_cast<int>(length), InputLine);
    fPause();
    task.fFail(RunStatus::kRefusedParameter, std::string(InputLine, static_cast<size_t>(length)));
    return;
  }
  const std::string immutText(InputLine, static_cast<size_t>(firstTab));
  const std::string tipText(InputLine + firstTab + 1, static_cast<size_t>(secondTab - firstTab - 1));
  const std::string misNuText(InputLine + secondTab + 1, static_cast<size_t>(length - secondTab - 1));
  if (!fTakeSize("immutSz", immutText, ImmutSz, task) || !fTakeSize("mutTipSz", tipText, MutTipSz, task) ||
      !fTakeSize("misNu", misNuText, MisNu, task) || !fSizesAccepted(ImmutSz, MutTipSz, task))
    return;
  AimedSz = ImmutSz + MutTipSz;
  const std::string base =
      settings.D + settings.identity + "_" + immutText + "!" + tipText + "!" + misNuText + "!";

  // Hit files are created anew for every task and deleted once, after the list.
  if (fOpenExperimentFiles(settings.D, base, held.files, task) &&
      fMatchExperimentReads(settings.readsPath, held.files, task))
    fSaveExperiment(held.files, false, kLogHeader, settings.genomePath, settings.readsPath, task);
  fCloseExperimentFiles(held.files);
}

// Reads the list's head, prepares the genome texts and the index once, and
// runs the tasks until one fails or finds nothing, or `onTask` says stop.
void fRunList(const std::string& ParamFilePath, const TaskDone& onTask, Held& held, Outcome& list) {
  // An unreadable parameter file leaves every path empty; the task list then can't be opened.
  ParamMap params;
  if (!fReadParamFile(params, ParamFilePath)) list.fFail(RunStatus::kInputMissing, ParamFilePath);
  ListSettings settings;
  settings.D = params["diRes"] + PlatformSeparator;
  settings.genomePath = params["pthGnm"];
  settings.readsPath = params["pthReads"];
  const std::string taskListPath = params["pthTaskList"];

  if (!fOpenReadStream(taskListPath, held.list)) {
    list.fFail(RunStatus::kInputMissing, taskListPath);
    return;
  }
  int32_t length = 0;
  for (int line = 1; line <= kIdentityLine + 1; ++line) {
    if (!fNextListLine(held.list, length)) {
      fSay(kListTooShort);
      fSay(taskListPath.c_str());
      fPause();
      list.fFail(RunStatus::kRefusedParameter, taskListPath);
      return;
    }
    if (line != kIdentityLine) continue;
    // No "blank" form here: the identity is the line as it stands, "." made "_".
    std::replace(InputLine, InputLine + length, '.', '_');
    settings.identity.assign(InputLine, static_cast<size_t>(length));
  }

  fSayf("procedure  %s", kProcedureName);
  fSayf("\ngenome        %s", settings.genomePath.c_str());
  fSayf("\nreads         %s", settings.readsPath.c_str());
  fSayf("\ntaskList  =%s", taskListPath.c_str());
  fSayf("\nexperimentId=%s", settings.identity.c_str());
  fPause();
  fSay(kExecuting);

  // The texts are prepared before any task is read: their continuation
  // covers the longest read a line can hold, so every task's aimed size fits.
  fStage(Stage::kLoading);
  if (!fLoadGenomeTexts(settings.genomePath, kLongestRead - 1, held.texts, list)) return;
  fStage(Stage::kIndex);
  if (!fBuild12RootChainBoth(GenomeLength)) {
    list.fFail(RunStatus::kNoMemory, "");
    return;
  }

  fSay(kTasksHeader);
  held.hitFilesDirectory = settings.D;
  int index = 0;
  while (fNextListLine(held.list, length)) {
    if (length == 0) continue;
    fSay("\n");
    fSayf("%.*s", static_cast<int>(length), InputLine);
    Outcome task;
    InputReads = 0;
    fRunTask(settings, held, length, task);
    task.readsRead = InputReads;
    for (const std::string& path : task.written)
      if (std::find(list.written.begin(), list.written.end(), path) == list.written.end())
        list.written.push_back(path);
    // "no detected reads" ends the list as a failure does.
    if (task.status != RunStatus::kCompleted) list.fFail(task.status, task.file);
    bool goOn = onTask ? onTask(task, index) : true;
    ++index;
    if (task.status != RunStatus::kCompleted || !goOn) break;
  }
  list.fCount("tasks_run", index);
}
}  // namespace

Outcome fRunTaskList(const std::string& ParamFilePath, const TaskDone& onTask) {
  Outcome list;
  Held held;
  InputReads = 0;
  fRunList(ParamFilePath, onTask, held, list);
  fRelease12RootChainBoth();
  fReleaseGenomeTexts(held.texts);
  fCloseExperimentFiles(held.files);
  fReleaseLineBuffer(WorkLine);
  fReleaseLineBuffer(InputLine);
  if (!held.hitFilesDirectory.empty()) fRemoveHitFiles(held.hitFilesDirectory);
  list.readsRead = InputReads;
  return list;
}

Outcome fCutRnaReplacedEnd_BaseTaskList(std::string ParamFilePath) { return fRunTaskList(ParamFilePath, nullptr); }
