// Checks of a BED or bedGraph file by the real bedtools, for the tests of
// every standard output: `bedtools sort` keeps its first three columns in
// their order, `bedtools merge` takes it, and `bedtools complement` against
// the genome file finds no line on another sequence or past the genome's end.
#pragma once
#include <string>

#include "support/run_folder.h"

// Whether bedtools can be run; tests skip their bedtools checks otherwise.
bool fHaveBedtools();

// Adds a test failure for every check the file fails.
void fCheckWithBedtools(const RunFolder& folder, const std::string& name, const std::string& genomeFile);

#define SKIP_WITHOUT_BEDTOOLS()                                                                       \
  if (!fHaveBedtools())                                                                               \
  GTEST_SKIP() << "bedtools is not installed (Debian: apt-get install bedtools); its checks are skipped"
