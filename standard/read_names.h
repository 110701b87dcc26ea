// Who a read is: its name (and letters and qualities) by read number, the
// 1-based line of the reads file the procedure read. Names come from a
// forward-only pass over the user's own input, never held for all reads:
// a caller sorts the read numbers it needs and asks for them in ascending
// order. A FASTQ or FASTA read is named by its header's first word, a read of
// a raw reads file "read" + its 1-based line in that file. Reads that the
// conversion for the procedure left out (an N under code bytes, an empty read)
// have no read number: the pass skips them by the conversion's own rule.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/inputs.h"

struct ReadsOrigin {
  // The reads as the user gave them; for standard input, the copy the command
  // line kept of it (standard input can't be read twice).
  std::string path;
  // The format recognised from the content.
  InputKind kind = InputKind::kRawLetters;
  // What the procedure read: decides which reads the conversion kept.
  Encoding handed = Encoding::kLetters;
};

// The origin of reads the command line prepared: `sourcePath` is the file to
// read again (the user's path, or the kept copy of standard input).
ReadsOrigin fReadsOrigin(const PreparedInput& reads, Encoding handed, const std::string& sourcePath);

class ReadNameResolver {
 public:
  ReadNameResolver();
  ~ReadNameResolver();
  ReadNameResolver(const ReadNameResolver&) = delete;
  ReadNameResolver& operator=(const ReadNameResolver&) = delete;

  // 0, or 2 with `problem` set when the reads can't be opened again, or 1 when
  // this build can't read their format (FASTA/FASTQ or gzip without htslib).
  int fOpen(const ReadsOrigin& origin, std::string& problem);
  // Moves on to the read numbered `readNumber`, at or after the current one.
  // False when the input ends before it or breaks (problem() says which).
  bool fSeek(uint64_t readNumber);
  // The current read: name, letters as the input holds them (a raw read's
  // code bytes as letters), qualities (empty for FASTA and raw reads).
  std::string_view fName() const;
  std::string_view fLetters() const;
  std::string_view fQuality() const;
  // Whether the input holds qualities (FASTQ): FASTQ outputs, else FASTA.
  bool fHasQualities() const;
  const std::string& problem() const { return Problem; }

  struct Source;  // a line or record reader over the input

 private:
  std::unique_ptr<Source> Input;
  uint64_t Current = 0;  // read number of the current read, 0 before the first
  std::string Problem;
};

// The names of chosen reads, held for as long as an output needs them.
class ReadNames {
 public:
  // Resolves the names of `numbers` (ascending, no repeats). 0, or the exit
  // code of ReadNameResolver with `problem` set.
  int fResolve(const ReadsOrigin& origin, const std::vector<uint32_t>& numbers, std::string& problem);
  // The name of a resolved read; empty for a number that was not asked for.
  std::string_view fName(uint32_t readNumber) const;

 private:
  std::vector<uint32_t> Numbers;
  std::vector<uint64_t> Starts;  // of each name in Text, and one past the last
  std::string Text;
};
