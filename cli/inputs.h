// The genome and reads a user names on the command line, made into the files a
// procedure reads. The format is told from the content, never from the name:
// gzip (BGZF is gzip) is decompressed and looked at again; '>' or '@' as the
// first byte is FASTA or FASTQ; bytes 0..3 and line feeds only are code bytes;
// anything else is letters. A file already in the encoding the procedure reads
// is handed over as it stands; everything else is converted, with the policies
// of vantrels-prep, into the run's private folder under the user's stem.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

enum class Encoding { kCodes, kLetters };  // what the procedure reads: code bytes 0..3, or letters
enum class InputKind { kRawCoded, kRawLetters, kFasta, kFastq };

struct PreparedInput {
  std::string path;        // the file to hand the procedure: the user's own file when no conversion is needed
  std::string shownPath;   // the path as the user gave it ("-" for standard input)
  std::string stem;        // stem of the user's name: "reads.fq.gz" -> "reads", "dir/ecoli.fa" -> "ecoli"
  std::string recordName;  // genome: the FASTA record's id, or the stem for a raw genome
  InputKind kind = InputKind::kRawLetters;
  bool compressed = false;
  bool hadQualities = false;
  int64_t length = 0;      // genome: bases; reads: records in `path`, -1 when handed over uncounted
  std::vector<std::pair<std::string, std::string>> counts;  // for the run summary: what was dropped/changed
};

// Both return 0, or the exit code with `problem` set to one sentence that names
// the option and the file and says what to do ("--genome ecoli.fa: not found"):
// 1 several FASTA records and no `record`, a `record` that is not there (the
//   sentence lists the names), `record` given for a raw genome, or FASTA, FASTQ
//   or gzip given to a build without htslib;
// 2 a missing, unreadable or empty genome, a directory, malformed FASTA/FASTQ
//   or gzip, a genome byte that is not a base (N included: no policy is chosen
//   for the user);
// 3 the converted copy can't be written into `workDir`; 4 out of memory.
// Converted reads go to workDir/STEM.txt (letters) or .bin (codes), a converted
// genome to workDir/genome/STEM.txt or .bin. Standard input ("-", stem "stdin")
// is always copied into workDir first.
int fPrepareGenome(const std::string& userPath, const std::string& record, Encoding want,
                   const std::string& workDir, PreparedInput& out, std::string& problem);
int fPrepareReads(const std::string& userPath, Encoding want, const std::string& workDir,
                  PreparedInput& out, std::string& problem);

// The recognition rule on the first bytes of (decompressed) content. Empty
// content counts as coded: it holds nothing but code bytes.
InputKind fRecogniseContent(const unsigned char* head, size_t count);

struct Recognition {
  InputKind kind = InputKind::kRawLetters;
  bool compressed = false;
  bool empty = false;  // no content at all, after decompression
};
// The rule on a file: 0, or 2 (missing, a directory, unreadable, damaged or
// twice compressed gzip) or 1 (gzip, FASTA or FASTQ in a build without htslib)
// with `why` set to what is wrong with it, without the file's name. It reads
// the first bytes, which a pipe then no longer holds: fPrepare* copy pipes first.
int fRecogniseInput(const std::string& path, Recognition& found, std::string& why);

// The stem result names take from an input: the last path component without a
// gzip ending (".gz", ".bgz") and then without its extension; "-" gives "stdin".
std::string fInputStem(const std::string& userPath);
