// The vantrels-prep command line: one command per run.
#include <string>
#include <vector>

#include "prep/command_line.h"
#include "prep/prep.h"
#include "prep/prep_commands.h"

static const char* const kUsage =
    "usage: vantrels-prep genome IN OUT [--coded] [--record NAME] [--non-acgt fail|skip|A|C|G|T]\n"
    "       vantrels-prep reads IN OUT [--coded] [--min-len N] [--max-len N]\n"
    "       vantrels-prep decode IN OUT\n";
static const char* const kHelp =
    "\n"
    "Prepares input for vantrels and makes its coded results readable.\n"
    "  genome  one FASTA record (plain, gzip or BGZF) as a genome file: letters or code\n"
    "          bytes, no header, no line break\n"
    "  reads   FASTQ or FASTA reads as a reads file: one read per line, letters or codes\n"
    "  decode  code bytes 0..3 back into the letters A, C, G, T\n"
    "\n"
    "vantrels-prep COMMAND --help tells more about a command.\n";

int fPrepMain(const std::vector<std::string>& args, FILE* out, FILE* err) {
  if (args.empty()) {
    std::fputs(kUsage, err);
    return kPrepUsage;
  }
  const std::string& command = args[0];
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "genome") return fPrepGenome(rest, out, err);
  if (command == "reads") return fPrepReads(rest, out, err);
  if (command == "decode") return fPrepDecode(rest, out, err);
  if (command == "-h" || command == "--help" || command == "help") {
    std::fputs(kUsage, out);
    std::fputs(kHelp, out);
    return kPrepDone;
  }
  std::fprintf(err, "vantrels-prep: unknown command %s\n", command.c_str());
  std::fputs(kUsage, err);
  return kPrepUsage;
}
