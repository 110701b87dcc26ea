// The steps the read-mapping procedures share, each recording in the run's
// Outcome why it failed. The operator has been told on the console already
// (by fOpenFile or the index). Opening the reads and loading a genome are the
// driver's (driver/loaders.h).
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "driver/outcome.h"

// A result file from its opening to its close in the run's release path.
struct ResultFile {
  FILE* file = nullptr;
  std::string path;

  // False, with the failure recorded, when the file can't be created.
  bool fOpen(const std::string& name, Outcome& outcome);
  // Records the file as written, or its failed write; nothing for a file not open.
  void fClose(Outcome& outcome);
};

// Builds the 16-mer index over Genome[1 .. L] (with the 8-mer roots when
// `with8` and reads below 16 bases are in scope).
bool fIndexGenome(int32_t L, bool with8, Outcome& outcome);
