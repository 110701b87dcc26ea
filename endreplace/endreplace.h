// RNA end-replacement experiments: reads whose leading part matches the genome
// while their tip was replaced, grouped into sites with the entropy of their tips.
#pragma once
#include <functional>
#include <string>

#include "driver/outcome.h"

// Run by the name "RandExt". Nothing found: kNothingFound, with the empty
// table and log among the written files.
Outcome fCutRnaWithReplacedEnd(std::string ParamFilePath);

// Told of each task of a list once it has ended, with the task's own outcome
// (its table and log among the written files, the counts of its log) and its
// number among the tasks run, from 0; returns false to stop the list.
using TaskDone = std::function<bool(const Outcome& task, int index)>;

// Runs the task list of the parameter file; `onTask` may be empty. The list's
// outcome is that of the first task that failed or found nothing (a broken
// task line is a refused parameter named by the line itself), or of what
// stopped the list before its tasks; `written` holds every task's files and
// `counts` the number of tasks run.
Outcome fRunTaskList(const std::string& ParamFilePath, const TaskDone& onTask);

// Run by the name "RandExtTaskList": the whole list.
Outcome fCutRnaReplacedEnd_BaseTaskList(std::string ParamFilePath);
