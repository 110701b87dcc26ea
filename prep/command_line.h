// Options of the vantrels-prep commands, and the shared ways of speaking.
#pragma once
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

struct CommandLine {
  std::vector<std::string> operands;          // IN, OUT
  std::map<std::string, std::string> values;  // "--record" -> "chr1"
  std::set<std::string> switches;             // "--coded"
  bool help = false;
};

// Options may stand before, between or after the operands, as "--key value" or
// "--key=value"; "--" ends the options. False with `problem` set on an unknown
// option or a missing value.
bool fParseCommandLine(const std::vector<std::string>& args, const std::set<std::string>& switches,
                       const std::set<std::string>& valued, CommandLine& line, std::string& problem);

// "vantrels-prep COMMAND: " + text + "\n" on `err`.
void fSay(FILE* err, const char* command, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

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

// A whole decimal number of at most `limit`; false for anything else.
bool fParseCount(const std::string& text, int64_t limit, int64_t& value);

// Byte classes of sequence letters.
constexpr unsigned char kBlank = 0xFE;    // blank or carriage return inside a sequence: dropped
constexpr unsigned char kNotBase = 0xFF;  // anything but A, C, G, T in either case
struct LetterTables {
  unsigned char code[256];    // A 0, C 1, G 2, T 3 (either case), kBlank, kNotBase
  unsigned char letter[256];  // upper case; other bytes as they stand; 0 for blanks
};
const LetterTables& fLetterTables();

// The longest line vantrels reads: a line of 5120 characters or more ends its reading.
constexpr size_t kLongestRead = 5119;
