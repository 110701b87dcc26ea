// vantrels-prep: turns FASTA and FASTQ files (plain, gzip or BGZF) into the
// genome and reads files that vantrels reads, and coded results back into
// letters. Unlike vantrels it follows the usual command-line conventions:
// --help, messages on standard error, an exit code that tells failure.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

enum PrepExit { kPrepDone = 0, kPrepFailed = 1, kPrepUsage = 2 };

// Runs one command line (args without the program name). Help goes to `out`;
// messages, counts and progress go to `err`. Returns the exit code.
int fPrepMain(const std::vector<std::string>& args, FILE* out, FILE* err);
