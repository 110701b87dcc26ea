// The writers every standard output shares: BED6 and bedGraph on the circular
// genome, TSV with one header line, FASTQ and FASTA records, and the genome
// file of bedtools. Every line ends with a line feed; files are opened and
// closed through fOpenOutput/fCloseOutput, so a failed write lands in the
// outcome like that of any result.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "driver/outcome.h"

// The one sequence every standard file names: the FASTA record's id, or the
// genome file's stem for a raw genome, and its length in bases.
struct Chromosome {
  std::string name;
  int64_t length = 0;
};

// A stretch of the circle in 0-based half-open coordinates, at most two of
// them: a stretch over the genome's end is split there, the part from 0 on
// coming second. `first` is a native 1-based position, which may lie off the
// circle (0, negative, beyond L): it is brought onto 1..L first. A stretch as
// long as the genome or longer covers it all, once.
struct CirclePieces {
  int64_t start[2];
  int64_t end[2];
  int count;
};
CirclePieces fOnCircle(int64_t first, int64_t length, int64_t genomeLength);

// BED6 lines collected and written sorted by start, then end, then name (then
// strand and score, so equal lines always come in one order).
class BedFile {
 public:
  explicit BedFile(const Chromosome& chromosome) : Chrom(chromosome) {}
  // A feature of `length` bases from the native 1-based position `first`;
  // split in two lines of the same name where it crosses the genome's end.
  void fAdd(int64_t first, int64_t length, std::string_view name, int64_t score, char strand);
  size_t fLines() const { return Lines.size(); }
  // Sorts and writes every line; false (recorded in `outcome`) on failure.
  bool fWrite(const std::string& path, Outcome& outcome);

 private:
  struct Line {
    int64_t start, end;
    uint64_t nameAt;
    uint32_t nameLength;
    char strand;
    int64_t score;
  };
  Chromosome Chrom;
  std::vector<Line> Lines;
  std::string Names;  // every name back to back: no allocation per line
};

// bedGraph lines: non-overlapping stretches with a value, zero left out.
// Stretches may come in any order; they are written sorted by start, and
// touching stretches of equal value are merged into one line.
class BedGraphFile {
 public:
  // `format` prints one value (printf, one double), e.g. "%.2f" to keep the
  // digits of a native table.
  explicit BedGraphFile(const Chromosome& chromosome, const char* format = "%.10g")
      : Chrom(chromosome), Format(format) {}
  // `length` bases from the native 1-based position `first` carry `value`.
  void fAdd(int64_t first, int64_t length, double value);
  bool fWrite(const std::string& path, Outcome& outcome);

 private:
  struct Line {
    int64_t start, end;
    double value;
  };
  Chromosome Chrom;
  const char* Format;
  std::vector<Line> Lines;
};

// A tab-separated table with one header line naming its columns. Positions
// in such tables are 1-based, as in the native tables: column names say so
// ("position_1based").
class TsvFile {
 public:
  TsvFile() = default;
  ~TsvFile();
  TsvFile(const TsvFile&) = delete;
  TsvFile& operator=(const TsvFile&) = delete;

  // Creates the file and writes the header; false (recorded) on failure.
  bool fOpen(const std::string& path, const std::vector<const char*>& columns, Outcome& outcome);
  // Fields of the current row, separated by TABs as they come.
  void fText(std::string_view text);
  void fNumber(int64_t value);
  void fReal(double value, const char* format);
  // Appends to the current field (a list of names, say) without a TAB.
  void fMore(std::string_view text);
  void fEndRow();
  bool fClose(Outcome& outcome);

 private:
  void fSeparate();
  FILE* File = nullptr;
  std::string Path;
  bool RowStarted = false;
};

// "@name\nletters\n+\nquality\n"; FASTA: ">name\nletters\n".
void fWriteFastq(FILE* file, std::string_view name, std::string_view letters, std::string_view quality);
void fWriteFasta(FILE* file, std::string_view name, std::string_view letters);

// G.genome in `directory`: "name TAB length" and a line feed, the genome
// file of bedtools (-g). Its path, or empty on failure (recorded).
std::string fWriteGenomeFile(const std::string& directory, const std::string& genomeStem,
                             const Chromosome& chromosome, Outcome& outcome);
