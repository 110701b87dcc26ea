// vantrels-prep genome: one FASTA record as the raw genome file of vantrels.
#include <cinttypes>
#include <string>
#include <vector>

#include "prep/command_line.h"
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
    "letters or more is refused. OUT appears only when it is complete. Exit status:\n"
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
static const char* const kNotWritten = "%s not written";
static const char* const kWritten = "record %s: %" PRIu64 " bases written to %s as %s";
static const char* const kPolicyReport = "letters other than A, C, G, T: %" PRIu64 "%s";
static const size_t kListedRecords = 20;
static const size_t kListedPositions = 5;
static const uint64_t kGenomeLimit = uint64_t(1) << 31;

namespace {

enum class Policy { kFail, kSkip, kReplace };

struct RecordSummary {
  std::string name;
  size_t letters;
};

struct GenomeLetters {
  std::string bases;                  // letters or codes, as they will be written
  uint64_t others = 0;                // letters other than A, C, G, T
  std::vector<uint64_t> firstOthers;  // their first positions, counting from 1
};

}  // namespace

// Translates one record into bases under the policy; blanks are not positions.
static void fTakeRecord(const char* letters, size_t length, bool coded, Policy policy, char replacement,
                        GenomeLetters& genome) {
  const LetterTables& tables = fLetterTables();
  genome.bases.clear();
  genome.bases.reserve(length);
  uint64_t position = 0;
  for (size_t i = 0; i < length; ++i) {
    unsigned char byte = static_cast<unsigned char>(letters[i]);
    unsigned char code = tables.code[byte];
    if (code == kBlank) continue;
    ++position;
    if (code == kNotBase) {
      ++genome.others;
      if (genome.firstOthers.size() < kListedPositions) genome.firstOthers.push_back(position);
      if (policy != Policy::kReplace) continue;
      code = tables.code[static_cast<unsigned char>(replacement)];
    }
    genome.bases.push_back(coded ? static_cast<char>(code) : "ACGT"[code]);
  }
}

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
  bool coded = line.switches.count("--coded") != 0;

  Policy policy = Policy::kFail;
  char replacement = 0;
  if (line.values.count("--non-acgt") != 0) {
    const std::string& choice = line.values["--non-acgt"];
    if (choice == "fail") {
      policy = Policy::kFail;
    } else if (choice == "skip") {
      policy = Policy::kSkip;
    } else if (choice.size() == 1 && fLetterTables().code[static_cast<unsigned char>(choice[0])] < 4) {
      policy = Policy::kReplace;
      replacement = fLetterTables().letter[static_cast<unsigned char>(choice[0])];
    } else {
      return fUsageProblem(err, kCommand, kUsage, "--non-acgt takes fail, skip, A, C, G or T, not " + choice);
    }
  }
  bool named = line.values.count("--record") != 0;
  const std::string wanted = named ? line.values["--record"] : std::string();

  Progress progress(err, kCommand, fInputBytes(inPath));
  SequenceReader reader;
  if (!reader.open(inPath, &progress)) {
    fSay(err, kCommand, "%s", reader.problem().c_str());
    return kPrepFailed;
  }
  std::vector<RecordSummary> records;
  GenomeLetters genome;
  std::string takenName;
  uint64_t takenLength = 0;
  bool taken = false;
  auto refuse = [&]() {
    fSay(err, kCommand, kNotWritten, outPath.c_str());
    return kPrepFailed;
  };

  SequenceReader::Status status;
  while ((status = reader.next()) == SequenceReader::kRecord) {
    records.push_back({reader.name(), reader.length()});
    bool wantedHere = named ? wanted == reader.name() : records.size() == 1;
    if (!wantedHere) continue;
    if (taken) {
      progress.finish();
      fSay(err, kCommand, kTwiceNamed, inPath.c_str(), wanted.c_str());
      return refuse();
    }
    taken = true;
    takenName = reader.name();
    takenLength = reader.length();
    if (reader.length() >= kGenomeLimit) continue;  // refused below, after the listing
    fTakeRecord(reader.letters(), reader.length(), coded, policy, replacement, genome);
  }
  progress.finish();
  if (status == SequenceReader::kFailed) {
    fSay(err, kCommand, "%s", reader.problem().c_str());
    return refuse();
  }
  if (records.empty()) {
    fSay(err, kCommand, kNoRecord, inPath.c_str());
    return refuse();
  }
  if (!named && records.size() > 1) {
    fSay(err, kCommand, kSeveralRecords, inPath.c_str(), records.size());
    fListRecords(err, records);
    return refuse();
  }
  if (!taken) {
    fSay(err, kCommand, kNoSuchRecord, inPath.c_str(), wanted.c_str());
    fListRecords(err, records);
    return refuse();
  }

  uint64_t letters = takenLength >= kGenomeLimit ? takenLength : genome.bases.size();
  if (letters >= kGenomeLimit) {
    fSay(err, kCommand, kTooLong, takenName.c_str(), letters);
    return refuse();
  }
  if (genome.others > 0 && policy == Policy::kFail) {
    std::string positions;
    for (uint64_t position : genome.firstOthers)
      positions += (positions.empty() ? "" : ", ") + std::to_string(position);
    fSay(err, kCommand, kNonAcgt, takenName.c_str(), genome.others, positions.c_str());
    return refuse();
  }
  if (letters == 0) {
    fSay(err, kCommand, genome.others > 0 ? kNothingLeft : kEmptyRecord, takenName.c_str());
    return refuse();
  }

  OutputFile output;
  if (output.open(outPath)) output.write(genome.bases.data(), genome.bases.size());
  if (!output.commit()) {
    fSay(err, kCommand, "%s", output.problem().c_str());
    return refuse();
  }
  fSay(err, kCommand, kWritten, takenName.c_str(), letters, outPath.c_str(), coded ? "code bytes" : "letters");
  std::string handled = genome.others == 0          ? ""
                        : policy == Policy::kSkip ? ", skipped"
                                                  : std::string(", replaced by ") + replacement;
  fSay(err, kCommand, kPolicyReport, genome.others, handled.c_str());
  return kPrepDone;
}
