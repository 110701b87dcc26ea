// Options of the vantrels-prep commands, and the shared ways of speaking. The
// option parser itself is the command line's (cli/options.h); the longest read
// is the one vantrels reads (kLongestRead of driver/run_state.h).
#pragma once
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/options.h"
#include "driver/run_state.h"

// "vantrels-prep COMMAND: " + text + "\n" on `err`.
void fSay(FILE* err, const char* command, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

class OutputFile;

// "OUT not written" on `err`, after `why` when there is one; kPrepFailed.
int fNotWritten(FILE* err, const char* command, const std::string& outPath, const std::string& why = "");

// OUT committed after a run that did not fail, else abandoned. kPrepDone, or
// kPrepFailed with the reason and "OUT not written" said on `err`.
int fEndOutput(FILE* err, const char* command, OutputFile& output, bool failed, const std::string& outPath);

// A usage problem: the message, then the command's usage line, exit code 2.
int fUsageProblem(FILE* err, const char* command, const char* usage, const std::string& problem);

// Parses the command line of a command that reads IN and writes OUT. Returns
// kGoOn when the command goes on, with IN and OUT (two different files) in
// line.operands; otherwise the exit code to end with: help printed on `out`, or
// a usage problem said on `err`.
constexpr int kGoOn = -1;
int fParseInOutCommand(const std::vector<std::string>& args, const std::set<std::string>& switches,
                       const std::set<std::string>& valued, const char* command, const char* usage,
                       const char* help, FILE* out, FILE* err, CommandLine& line);

// Byte classes of sequence letters.
constexpr unsigned char kBlank = 0xFE;    // blank or carriage return inside a sequence: dropped
constexpr unsigned char kNotBase = 0xFF;  // anything but A, C, G, T in either case
struct LetterTables {
  unsigned char code[256];    // A 0, C 1, G 2, T 3 (either case), kBlank, kNotBase
  unsigned char letter[256];  // upper case; other bytes as they stand; 0 for blanks
};
const LetterTables& fLetterTables();
