// vantrels COMMAND [options]: the command line for people, scripts and
// pipelines, beside the selection-file run (vantrels with no argument).
#pragma once
#include <string>
#include <vector>

// Runs one command line; `words` holds the program's name first. Help and the
// version go to standard output, messages to standard error. Returns the exit code.
int fCommandLineMain(const std::vector<std::string>& words);

// The same, for the program started under the name vantrels-prep: the words
// after the name are prep's.
int fPrepByName(const std::vector<std::string>& words);
