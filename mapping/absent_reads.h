// The run that fReadsOutOfSeq and fGetReadsThatOutOfSeq share: they load their
// own genome (codes or letters), index it, and copy every read of the size
// scope that occurs on neither strand to a file of absent reads, as codes, one
// a line, in input order. They differ in their names, their logs, and in what
// they say when the genome can't be held.
#pragma once
#include <cstdint>
#include <fstream>
#include <string>

#include "driver/outcome.h"
#include "mapping/run_steps.h"

struct AbsentReads {
  std::ifstream reads;
  ResultFile absent;
  ResultFile log;
  // Letter reads of the scope with a byte that is not a base.
  int32_t defective = 0;
};

// Runs up to the end of the reads pass, the absent reads written to `outPath`;
// false, with the failure recorded, when the run stopped before.
bool fWriteAbsentReads(const std::string& ReadsPath, const std::string& GenomePath, bool letters,
                       const char* noMemory, const std::string& outPath, AbsentReads& run, Outcome& outcome);

// The run's release path: closes what is still open, releases the index and
// the genome, and notes the reads read.
void fReleaseAbsentReads(AbsentReads& run, Outcome& outcome);
