// vantrels-prep reads: FASTQ or FASTA reads as the reads file of vantrels, one
// read per line, letters or code bytes.
#include <cinttypes>
#include <string>
#include <vector>

#include "prep/command_line.h"
#include "prep/conversion.h"
#include "prep/output_file.h"
#include "prep/prep.h"
#include "prep/prep_commands.h"
#include "prep/progress.h"
#include "prep/sequence_reader.h"

static const char* const kCommand = "reads";
static const char* const kUsage = "usage: vantrels-prep reads IN OUT [--coded] [--min-len N] [--max-len N]\n";
static const char* const kHelp =
    "Writes the reads of the FASTQ or FASTA file IN (plain, gzip or BGZF) to OUT the\n"
    "way vantrels reads them: one read per line ended by a line feed, its letters\n"
    "upper-cased and otherwise as they stand, or with --coded one code byte per base\n"
    "(A 0, C 1, G 2, T 3). Names and qualities are dropped; the order is kept.\n"
    "\n"
    "  --coded      write code bytes; a read holding anything but A, C, G, T (an N,\n"
    "               say) is left out, since a code byte cannot say N\n"
    "  --min-len N  leave out reads shorter than N letters\n"
    "  --max-len N  leave out reads longer than N letters\n"
    "  -h, --help   this text\n"
    "\n"
    "Empty reads and reads longer than 5119 letters (vantrels stops reading a reads\n"
    "file at such a line) are always left out. The counts of reads read, written and\n"
    "left out by reason are printed on standard error. OUT appears only when it is\n"
    "complete (a pipe, a device or - for standard output gets the reads as they\n"
    "come). Exit status: 0 done, 1 failed (OUT not written), 2 bad command line.\n";

static const char* const kNoRecord =
    "%s holds no FASTQ or FASTA record (a record starts with a line '@NAME' or '>NAME')";
static const char* const kCounts = "%" PRIu64 " reads read from %s, %" PRIu64 " written to %s as %s";
static const char* const kLeftOutNone = "left out: none";
static const char* const kLeftOut = "left out: %s";
static const char* const kEmpty = "%" PRIu64 " empty";
static const char* const kShort = "%" PRIu64 " shorter than %" PRId64 " letters (--min-len)";
static const char* const kLong = "%" PRIu64 " longer than %" PRId64 " letters (--max-len)";
static const char* const kOverLong = "%" PRIu64 " longer than 5119 letters (vantrels stops reading at such a line)";
static const char* const kNotCodable = "%" PRIu64 " with letters other than A, C, G, T (a code byte cannot say N)";
static const int64_t kLengthLimit = 1000000000;

static void fAppendReason(std::string& reasons, const char* format, uint64_t count, int64_t bound = 0) {
  if (count == 0) return;
  char text[160];
  std::snprintf(text, sizeof text, format, count, bound);
  if (!reasons.empty()) reasons += ", ";
  reasons += text;
}

int fPrepReads(const std::vector<std::string>& args, FILE* out, FILE* err) {
  CommandLine line;
  int ended = fParseInOutCommand(args, {"--coded"}, {"--min-len", "--max-len"}, kCommand, kUsage, kHelp, out, err, line);
  if (ended != kGoOn) return ended;
  const std::string& inPath = line.operands[0];
  const std::string& outPath = line.operands[1];
  const bool coded = line.switches.count("--coded") != 0;
  int64_t minLength = 0, maxLength = kLengthLimit;
  const bool minGiven = line.values.count("--min-len") != 0, maxGiven = line.values.count("--max-len") != 0;
  if (minGiven && !fParseCount(line.values["--min-len"], kLengthLimit, minLength))
    return fUsageProblem(err, kCommand, kUsage, "--min-len takes a whole number, not " + line.values["--min-len"]);
  if (maxGiven && !fParseCount(line.values["--max-len"], kLengthLimit, maxLength))
    return fUsageProblem(err, kCommand, kUsage, "--max-len takes a whole number, not " + line.values["--max-len"]);
  if (minLength > maxLength) return fUsageProblem(err, kCommand, kUsage, "--min-len is above --max-len");

  Progress progress(err, kCommand, fInputBytes(inPath));
  SequenceReader reader;
  if (!reader.open(inPath, &progress)) {
    fSay(err, kCommand, "%s", reader.problem().c_str());
    return kPrepFailed;
  }
  OutputFile output;
  if (!output.open(outPath, out)) {
    return fNotWritten(err, kCommand, outPath, output.problem());
  }

  ReadConverter converter(coded, minLength, maxLength, output);
  SequenceReader::Status status;
  while ((status = reader.next()) == SequenceReader::kRecord)
    converter.take(reinterpret_cast<const unsigned char*>(reader.letters()), reader.length());
  progress.finish();
  converter.finish();
  const ReadCounts& counts = converter.counts();
  if (status == SequenceReader::kEnd && counts.read == 0 && reader.sawContent()) {
    fSay(err, kCommand, kNoRecord, inPath.c_str());
    status = SequenceReader::kFailed;
  } else if (status == SequenceReader::kFailed) {
    fSay(err, kCommand, "%s", reader.problem().c_str());
  }
  if (fEndOutput(err, kCommand, output, status == SequenceReader::kFailed, outPath) != kPrepDone) return kPrepFailed;
  fSay(err, kCommand, kCounts, counts.read, inPath.c_str(), counts.written, outPath.c_str(),
       coded ? "code bytes" : "letters");
  std::string reasons;
  fAppendReason(reasons, kEmpty, counts.empty);
  fAppendReason(reasons, kShort, counts.tooShort, minLength);
  fAppendReason(reasons, kLong, counts.tooLong, maxLength);
  fAppendReason(reasons, kOverLong, counts.overLong);
  fAppendReason(reasons, kNotCodable, counts.notCodable);
  if (reasons.empty()) {
    fSay(err, kCommand, "%s", kLeftOutNone);
  } else {
    fSay(err, kCommand, kLeftOut, reasons.c_str());
  }
  return kPrepDone;
}
