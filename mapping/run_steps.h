// The steps the read-mapping procedures share, each recording in the run's
// Outcome why it failed. The operator has been told on the console already
// (by fOpenFile, fOpenReadStream, the genome loader or the index).
#pragma once
#include <cstdint>
#include <cstdio>
#include <fstream>
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

// A reads file that can't be opened is an input missing.
bool fOpenReads(const std::string& path, std::ifstream& reads, Outcome& outcome);

// Loads the genome file of a procedure that reads its own, with a tail copy
// for the longest read in scope. When GenomeStore can't be had, `noMemory` is
// said with a key wait (null: nothing is said).
bool fLoadOwnGenome(const std::string& path, bool letterFile, const char* noMemory, int32_t& L,
                    Outcome& outcome);

// Builds the 16-mer index over Genome[1 .. L] (with the 8-mer roots when
// `with8` and reads below 16 bases are in scope).
bool fIndexGenome(int32_t L, bool with8, Outcome& outcome);
