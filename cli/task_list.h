// The task list of randext-tasks, checked before any genome is read: the
// experiment name of line 7 and, from line 9 on, one task per line.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct TaskSizes {
  int32_t immut = 0;
  int32_t tip = 0;
  int32_t mismatches = 0;
};

struct TaskList {
  std::string identity;          // line 7 without its carriage return, every "." made "_"
  std::vector<TaskSizes> tasks;  // lines 9 on, empty lines skipped
  std::string text;              // the list to hand the procedure: empty lines at the end dropped
};

// Result names are built from the task fields' text, so a field must be a
// whole number written as the number itself ("20", not "020", "+20" or "20x"):
// then a name holds only converted numbers and stays inside --out. False with
// `problem` naming the line and what is wrong.
bool fCheckTaskList(const std::string& text, TaskList& list, std::string& problem);
