// vantrels-prep genome: one FASTA record as the raw genome file of vantrels.
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

static const char* const kCommand = "genome";
static const char* const kUsage =
    "usage: vantrels-prep genome IN OUT [--coded] [--record NAME] [--non-acgt fail|skip|A|C|G|T]\n";
static const char* const kHelp =
    "Writes one genome from the FASTA file IN (plain, gzip or BGZF) to OUT the way\n"
    "vantrels reads a genome: one run of upper-case letters A, C, G, T with no header\n"
    "and no line break, or one code byte per base (A 0, C 1, G 2, T 3) with --coded.\n"
    "\n"
    "  --coded            write code bytes 0..3 instead of letters\n"
    "  --record NAME      take the record named NAME (the header up to its first blank);\n"
    "                     needed when IN holds several records, as vantrels holds one genome\n"
    "  --non-acgt POLICY  what to do with letters other than A, C, G, T (N and the other\n"
    "                     IUPAC letters): fail (the default) refuses the genome and tells\n"
    "                     how many there are and where the first ones are; skip removes\n"
    "                     them; A, C, G or T puts that base in their place\n"
    "  -h, --help         this text\n"
    "\n"
    "Blanks and carriage returns inside the sequence are dropped. A genome of 2^31\n"
    "letters or more is refused. OUT appears only when it is complete (a pipe, a\n"
    "device or - for standard output gets the genome as it comes). Exit status:\n"
    "0 done, 1 refused or failed (OUT not written), 2 bad command line.\n";

static const char* const kSeveralRecords =
    "%s holds %zu records; vantrels holds one genome: choose one with --record NAME";
static const char* const kRecordLine = "  %s\t%zu letters\n";
static const char* const kMoreRecords = "  ... and %zu more\n";
static const char* const kNoSuchRecord = "%s holds no record named %s; its records are:";
static const char* const kTwiceNamed = "%s holds more than one record named %s";
static const char* const kNoRecord = "%s holds no FASTA record (a record starts with a line '>NAME')";
static const char* const kEmptyRecord = "record %s holds no letters";
static const char* const kNothingLeft = "record %s: no letters are left once the other letters are skipped";
static const char* const kTooLong = "record %s has %" PRIu64 " letters; vantrels holds genomes of fewer than 2^31 letters";
static const char* const kNonAcgt =
    "record %s has %" PRIu64 " letters other than A, C, G, T; the first at %s (counting from 1).\n"
    "  Choose --non-acgt skip to remove them, or --non-acgt A (C, G, T) to replace them";
static const char* const kWritten = "record %s: %" PRIu64 " bases written to %s as %s";
static const char* const kPolicyReport = "letters other than A, C, G, T: %" PRIu64 "%s";
static const size_t kListedRecords = 20;

static void fListRecords(FILE* err, const std::vector<RecordSummary>& records) {
  for (size_t i = 0; i < records.size() && i < kListedRecords; ++i)
    std::fprintf(err, kRecordLine, records[i].name.c_str(), records[i].letters);
  if (records.size() > kListedRecords) std::fprintf(err, kMoreRecords, records.size() - kListedRecords);
}

int fPrepGenome(const std::vector<std::string>& args, FILE* out, FILE* err) {
  CommandLine line;
  int ended = fParseInOutCommand(args, {"--coded"}, {"--record", "--non-acgt"}, kCommand, kUsage, kHelp, out, err, line);
  if (ended != kGoOn) return ended;
  const std::string& inPath = line.operands[0];
  const std::string& outPath = line.operands[1];

  GenomeChoice choice;
  choice.coded = line.switches.count("--coded") != 0;
  if (line.values.count("--non-acgt") != 0) {
    const std::string& policy = line.values["--non-acgt"];
    if (policy == "fail") {
      choice.policy = NonAcgt::kFail;
    } else if (policy == "skip") {
      choice.policy = NonAcgt::kSkip;
    } else if (policy.size() == 1 && fLetterTables().code[static_cast<unsigned char>(policy[0])] < 4) {
      choice.policy = NonAcgt::kReplace;
      choice.replacement = static_cast<char>(fLetterTables().letter[static_cast<unsigned char>(policy[0])]);
    } else {
      return fUsageProblem(err, kCommand, kUsage, "--non-acgt takes fail, skip, A, C, G or T, not " + policy);
    }
  }
  choice.named = line.values.count("--record") != 0;
  if (choice.named) choice.record = line.values["--record"];

  Progress progress(err, kCommand, fInputBytes(inPath));
  SequenceReader reader;
  if (!reader.open(inPath, &progress)) {
    fSay(err, kCommand, "%s", reader.problem().c_str());
    return kPrepFailed;
  }
  auto refuse = [&]() { return fNotWritten(err, kCommand, outPath); };
  GenomeChooser chooser(choice);
  SequenceReader::Status status;
  while ((status = reader.next()) == SequenceReader::kRecord) {
    if (!chooser.offer(reader.name(), reader.letters(), reader.length())) break;
  }
  progress.finish();
  if (status == SequenceReader::kFailed) {
    fSay(err, kCommand, "%s", reader.problem().c_str());
    return refuse();
  }
  const GenomeLetters& genome = chooser.genome();
  const char* takenName = chooser.takenName().c_str();
  switch (chooser.finish()) {
    case GenomeStatus::kTaken:
      break;
    case GenomeStatus::kTwiceNamed:
      fSay(err, kCommand, kTwiceNamed, inPath.c_str(), choice.record.c_str());
      return refuse();
    case GenomeStatus::kNoRecord:
      fSay(err, kCommand, kNoRecord, inPath.c_str());
      return refuse();
    case GenomeStatus::kSeveralRecords:
      fSay(err, kCommand, kSeveralRecords, inPath.c_str(), chooser.records().size());
      fListRecords(err, chooser.records());
      return refuse();
    case GenomeStatus::kNoSuchRecord:
      fSay(err, kCommand, kNoSuchRecord, inPath.c_str(), choice.record.c_str());
      fListRecords(err, chooser.records());
      return refuse();
    case GenomeStatus::kTooLong:
      fSay(err, kCommand, kTooLong, takenName, chooser.letters());
      return refuse();
    case GenomeStatus::kNonAcgt: {
      std::string positions;
      for (uint64_t position : genome.firstOthers)
        positions += (positions.empty() ? "" : ", ") + std::to_string(position);
      fSay(err, kCommand, kNonAcgt, takenName, genome.others, positions.c_str());
      return refuse();
    }
    case GenomeStatus::kEmptyRecord:
      fSay(err, kCommand, kEmptyRecord, takenName);
      return refuse();
    case GenomeStatus::kNothingLeft:
      fSay(err, kCommand, kNothingLeft, takenName);
      return refuse();
  }

  OutputFile output;
  if (output.open(outPath, out)) output.write(genome.bases.data(), genome.bases.size());
  if (!output.commit()) {
    fSay(err, kCommand, "%s", output.problem().c_str());
    return refuse();
  }
  fSay(err, kCommand, kWritten, takenName, chooser.letters(), outPath.c_str(),
       choice.coded ? "code bytes" : "letters");
  std::string handled = genome.others == 0                 ? ""
                        : choice.policy == NonAcgt::kSkip ? ", skipped"
                                                          : std::string(", replaced by ") + choice.replacement;
  fSay(err, kCommand, kPolicyReport, genome.others, handled.c_str());
  return kPrepDone;
}
