#include "prep/command_line.h"

#include <cstdarg>

#include "prep/output_file.h"
#include "prep/prep.h"

void fSay(FILE* err, const char* command, const char* format, ...) {
  std::fprintf(err, "vantrels-prep %s: ", command);
  va_list rest;
  va_start(rest, format);
  std::vfprintf(err, format, rest);
  va_end(rest);
  std::fputc('\n', err);
}

int fUsageProblem(FILE* err, const char* command, const char* usage, const std::string& problem) {
  fSay(err, command, "%s", problem.c_str());
  std::fprintf(err, "%s(vantrels-prep %s --help tells more)\n", usage, command);
  return kPrepUsage;
}

int fParseInOutCommand(const std::vector<std::string>& args, const std::set<std::string>& switches,
                       const std::set<std::string>& valued, const char* command, const char* usage,
                       const char* help, FILE* out, FILE* err, CommandLine& line) {
  std::string problem;
  if (!fParseCommandLine(args, switches, valued, line, problem)) return fUsageProblem(err, command, usage, problem);
  if (line.help) {
    std::fputs(usage, out);
    std::fputs(help, out);
    return kPrepDone;
  }
  if (line.operands.size() != 2) return fUsageProblem(err, command, usage, "needs IN and OUT");
  if (line.operands[0] == line.operands[1])
    return fUsageProblem(err, command, usage, "IN and OUT must be different files");
  return kGoOn;
}

static LetterTables fBuildLetterTables() {
  LetterTables tables{};
  for (int c = 0; c < 256; ++c) {
    tables.code[c] = kNotBase;
    tables.letter[c] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  }
  const char* bases = "ACGT";
  for (int code = 0; code < 4; ++code) {
    tables.code[static_cast<unsigned char>(bases[code])] = static_cast<unsigned char>(code);
    tables.code[static_cast<unsigned char>(bases[code] - 'A' + 'a')] = static_cast<unsigned char>(code);
  }
  for (unsigned char blank : {' ', '\t', '\r', '\v', '\f'}) {
    tables.code[blank] = kBlank;
    tables.letter[blank] = 0;
  }
  return tables;
}

const LetterTables& fLetterTables() {
  static const LetterTables tables = fBuildLetterTables();
  return tables;
}

int fNotWritten(FILE* err, const char* command, const std::string& outPath, const std::string& why) {
  if (!why.empty()) fSay(err, command, "%s", why.c_str());
  fSay(err, command, "%s not written", outPath.c_str());
  return kPrepFailed;
}

int fEndOutput(FILE* err, const char* command, OutputFile& output, bool failed, const std::string& outPath) {
  if (failed) {
    output.abandon();
    return fNotWritten(err, command, outPath);
  }
  if (!output.commit()) return fNotWritten(err, command, outPath, output.problem());
  return kPrepDone;
}
