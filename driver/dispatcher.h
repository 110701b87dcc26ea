// The program's entry: finds the executable's directory, reads the procedure
// selection file "_ParamsOfFunc.txt" beside it and runs the one procedure it names.
#pragma once
#include <string>

// The directory of the executable with its trailing separator, from the
// program's own path (at most its first 500 characters); empty when the path
// holds no separator.
std::string fExeDirectory(const char* programPath);

// Runs the whole program; returns the exit code (always 0).
int ProcedureDispatcher(int argc, char** argv);
