// vantrels-prep decode: the code-byte results of vantrels ("_Out.bin",
// "_In.bin", "Many.bin", the "_Out" tables of letter runs) back into letters.
#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <string>
#include <vector>

#include "prep/command_line.h"
#include "prep/conversion.h"
#include "prep/output_file.h"
#include "prep/prep.h"
#include "prep/prep_commands.h"
#include "prep/progress.h"
#include "prep/sequence_reader.h"

static const char* const kCommand = "decode";
static const char* const kUsage = "usage: vantrels-prep decode IN OUT\n";
static const char* const kHelp =
    "Turns the code bytes of IN (A 0, C 1, G 2, T 3), as vantrels writes coded reads\n"
    "and genomes, back into the letters A, C, G, T in OUT, line by line: a line feed\n"
    "(byte 10) stays a line feed. Any other byte is refused, with its offset.\n"
    "\n"
    "  -h, --help  this text\n"
    "\n"
    "OUT appears only when it is complete (a pipe, a device or - for standard output\n"
    "gets the letters as they come). Exit status: 0 done, 1 failed (OUT not\n"
    "written), 2 bad command line.\n";

static const char* const kCantOpen = "cannot open %s: %s";
static const char* const kCantRead = "cannot read %s: %s";
static const char* const kNotACode =
    "%s: byte %u at offset %" PRIu64 " (counting from 0) is neither a base code 0..3 nor a line feed";
static const char* const kDecoded = "%" PRIu64 " bases in %" PRIu64 " lines written to %s as letters";
static const size_t kChunk = size_t(1) << 20;

int fPrepDecode(const std::vector<std::string>& args, FILE* out, FILE* err) {
  CommandLine line;
  int ended = fParseInOutCommand(args, {}, {}, kCommand, kUsage, kHelp, out, err, line);
  if (ended != kGoOn) return ended;
  const std::string& inPath = line.operands[0];
  const std::string& outPath = line.operands[1];

  errno = 0;
  FILE* input = std::fopen(inPath.c_str(), "rb");
  if (input == nullptr) {
    fSay(err, kCommand, kCantOpen, inPath.c_str(), std::strerror(errno));
    return kPrepFailed;
  }
  OutputFile output;
  if (!output.open(outPath, out)) {
    std::fclose(input);
    return fNotWritten(err, kCommand, outPath, output.problem());
  }
  Progress progress(err, kCommand, fInputBytes(inPath));
  std::vector<unsigned char> chunk(kChunk);
  uint64_t offset = 0, lineFeeds = 0;
  bool endsInLineFeed = true;
  bool failed = false;
  size_t got;
  while (!failed && (got = std::fread(chunk.data(), 1, kChunk, input)) > 0) {
    size_t decoded = fDecodeCodes(chunk.data(), got, lineFeeds);
    if (decoded < got) {
      progress.finish();
      fSay(err, kCommand, kNotACode, inPath.c_str(), chunk[decoded], offset + decoded);
      failed = true;
      break;
    }
    output.write(reinterpret_cast<const char*>(chunk.data()), got);
    endsInLineFeed = chunk[got - 1] == '\n';
    offset += got;
    progress.update(offset);
  }
  progress.finish();
  if (!failed && std::ferror(input)) {
    fSay(err, kCommand, kCantRead, inPath.c_str(), std::strerror(errno));
    failed = true;
  }
  std::fclose(input);
  if (fEndOutput(err, kCommand, output, failed, outPath) != kPrepDone) return kPrepFailed;
  uint64_t lines = lineFeeds + (endsInLineFeed ? 0 : 1);
  fSay(err, kCommand, kDecoded, offset - lineFeeds, lines, outPath.c_str());
  return kPrepDone;
}
