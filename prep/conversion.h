// How sequence letters become the genome and reads files vantrels reads, and
// code bytes become letters again: one set of policies for vantrels-prep and for
// the inputs of the command line. Nothing here reads a file or needs htslib:
// callers hand over records, read whatever way they read them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "prep/output_file.h"

// ---- Genome: one record taken whole ---------------------------------------

// What happens to letters other than A, C, G, T (N and the other IUPAC letters).
enum class NonAcgt { kFail, kSkip, kReplace };

struct GenomeChoice {
  bool coded = false;             // code bytes 0..3 instead of upper-case letters
  NonAcgt policy = NonAcgt::kFail;
  char replacement = 0;           // the base put in their place under kReplace
  bool named = false;             // take the record named `record`, else the only one
  std::string record;
};

struct RecordSummary {
  std::string name;
  size_t letters;
};

// The genome as it will be written, and what the translation met on the way.
struct GenomeLetters {
  std::string bases;                  // letters or codes
  uint64_t others = 0;                // letters other than A, C, G, T
  std::vector<uint64_t> firstOthers;  // their first positions, counting from 1
  uint64_t lowerCase = 0;             // lower-case letters, written upper-case or coded
  uint64_t blanks = 0;                // blanks and carriage returns dropped
};

enum class GenomeStatus {
  kTaken,
  kNoRecord,        // the input held no record
  kSeveralRecords,  // several records and none named
  kNoSuchRecord,    // the named record is not there
  kTwiceNamed,      // two records bear the name
  kTooLong,         // 2^31 letters or more
  kNonAcgt,         // other letters under NonAcgt::kFail
  kEmptyRecord,     // the record holds no letters
  kNothingLeft      // no letters are left once the other letters are skipped
};

constexpr uint64_t kGenomeLimit = uint64_t(1) << 31;

// Translates letters into `genome` under the policy, replacing what it held;
// blanks and carriage returns are no positions.
void fTakeRecord(const char* letters, size_t length, const GenomeChoice& choice, GenomeLetters& genome);

// Takes the genome from a run of records (FASTA, or a raw genome as one record):
// offer() each in order, then finish() tells whether a genome was taken.
class GenomeChooser {
 public:
  explicit GenomeChooser(const GenomeChoice& choice) : choice_(choice) {}
  // False once the records can't give a genome (a name met twice): stop offering.
  bool offer(const char* name, const char* letters, size_t length);
  GenomeStatus finish();

  const std::vector<RecordSummary>& records() const { return records_; }
  const std::string& takenName() const { return takenName_; }
  uint64_t letters() const { return letters_; }  // of the taken record, blanks not counted
  const GenomeLetters& genome() const { return genome_; }

 private:
  GenomeChoice choice_;
  std::vector<RecordSummary> records_;
  GenomeLetters genome_;
  std::string takenName_;
  uint64_t takenLength_ = 0;
  uint64_t letters_ = 0;
  bool taken_ = false;
  bool twice_ = false;
};

// ---- Reads: one line per read ------------------------------------------------

struct ReadCounts {
  uint64_t read = 0, written = 0;
  uint64_t empty = 0, tooShort = 0, tooLong = 0, overLong = 0, notCodable = 0;
  uint64_t lowerCase = 0;  // written reads that held lower-case letters
};

// Writes reads one per line: letters upper-cased, or code bytes, where a read
// that a code byte cannot say (an N) is left out, as are empty reads, reads
// outside [minLength, maxLength] and reads longer than vantrels reads.
class ReadConverter {
 public:
  ReadConverter(bool coded, int64_t minLength, int64_t maxLength, OutputFile& output);
  // One read's letters as they stand; blanks and carriage returns are dropped.
  void take(const unsigned char* letters, size_t length);
  // Writes what is still buffered.
  void finish();
  const ReadCounts& counts() const { return counts_; }

 private:
  bool coded_;
  int64_t minLength_, maxLength_;
  OutputFile& output_;
  std::vector<char> buffer_;
  size_t used_ = 0;
  ReadCounts counts_;
};

// ---- Code bytes back into letters -------------------------------------------

// Turns code bytes 0..3 into A, C, G, T in place, line feeds kept. Returns
// `count`, or the index of the first byte that is neither; `lineFeeds` grows by
// the line feeds met before it.
size_t fDecodeCodes(unsigned char* bytes, size_t count, uint64_t& lineFeeds);
