// The writers of the standard outputs: stretches brought onto the circular
// genome, BED and bedGraph lines on it, TSV tables, FASTQ and FASTA records
// and the genome file, each written into the scratch folder and read back.
//
// Input: lines of words, each line one call:
//   chrom NAME LENGTH                  the genome (the first such line; "chr" 1000 without)
//   format N                           the bedGraph value format: 0 "%.10g", 1 "%.2f", 2 "%6.4f"
//   circle FIRST LENGTH GENOME_LENGTH  a stretch onto a circle of any length
//   bed FIRST LENGTH SCORE STRAND [NAME]
//   graph FIRST LENGTH VALUE           (a stretch over one already given is left out)
//   columns NAME ...                   the TSV header (the first such line, no zero byte)
//   row ITEM ...                       a TSV row: a whole number, ~REAL, +TEXT (appended
//                                      to the field before), or text
//   fastq NAME LETTERS QUALITY         (qualities repeated or cut to the letters' length)
//   fasta NAME LETTERS
//   genomefile STEM
// Numbers lie within +-2^62: no genome comes near, and the circle's
// arithmetic needs the room above them.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/outcome.h"
#include "fuzz/harness.h"
#include "prep/sequence_reader.h"
#include "standard/formats.h"

namespace {

constexpr int64_t kLargest = int64_t(1) << 62;
// Genomes up to this length are checked base by base.
constexpr int64_t kModelledGenome = 4096;
constexpr int64_t kLargestValue = 1000000000;
const char* const kGraphFormats[] = {"%.10g", "%.2f", "%6.4f"};
const char kRealFormat[] = "%6.4f";

bool fNumber(const std::string& word, int64_t& value) {
  if (word.empty() || word.size() > 24) return false;
  char* end = nullptr;
  errno = 0;
  long long parsed = std::strtoll(word.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || parsed > kLargest || parsed < -kLargest) return false;
  value = parsed;
  return true;
}

// The 0-based place of a 1-based position brought onto the circle.
int64_t fPlace(int64_t position, int64_t genomeLength) {
  int64_t place = (position - 1) % genomeLength;
  return place < 0 ? place + genomeLength : place;
}

void fCheckCircle(int64_t first, int64_t length, int64_t genomeLength) {
  const CirclePieces pieces = fOnCircle(first, length, genomeLength);
  if (genomeLength <= 0 || length <= 0) {
    if (pieces.count != 0) fuzz::fFail("circle: pieces of nothing");
    return;
  }
  if (pieces.count != 1 && pieces.count != 2) fuzz::fFail("circle: neither one nor two pieces");
  int64_t covered = 0;
  for (int i = 0; i < pieces.count; ++i) {
    if (pieces.start[i] < 0 || pieces.start[i] >= pieces.end[i] || pieces.end[i] > genomeLength)
      fuzz::fFail("circle: a piece off the circle or empty");
    covered += pieces.end[i] - pieces.start[i];
  }
  if (covered != std::min(length, genomeLength)) fuzz::fFail("circle: the pieces cover another length");
  if (length >= genomeLength) return;
  if (pieces.start[0] != fPlace(first, genomeLength)) fuzz::fFail("circle: the stretch starts elsewhere");
  if (pieces.count == 2 && (pieces.end[0] != genomeLength || pieces.start[1] != 0 || pieces.end[1] > pieces.start[0]))
    fuzz::fFail("circle: a split not at the genome's end, or overlapping");
}

std::vector<std::string> fFields(const std::string& line) {
  std::vector<std::string> fields;
  size_t from = 0;
  for (;;) {
    size_t tab = line.find('\t', from);
    fields.push_back(line.substr(from, tab - from));
    if (tab == std::string::npos) return fields;
    from = tab + 1;
  }
}

std::string fFormatted(const char* format, double value) {
  char text[512];  // the widest double in fixed notation
  std::snprintf(text, sizeof text, format, value);
  return text;
}

void fCheckWritten(bool written, const Outcome& outcome, const std::string& path) {
  if (!written || !outcome.fSucceeded() || outcome.written.empty() || outcome.written.back() != path)
    fuzz::fFail("a file in the scratch folder was not written, or not recorded");
}

struct Feature {
  int64_t first, length;
  std::string name;
  int64_t score;
  char strand;
};

struct Stretch {
  int64_t first, length;
  double value;
};

// A TSV row as the calls make it.
struct Row {
  std::vector<std::string> items;
};

struct SequenceRecord {
  std::string name, letters, quality;
};

struct Calls {
  Chromosome chromosome{"chr", 1000};
  bool chromosomeGiven = false;
  const char* graphFormat = kGraphFormats[0];
  std::vector<Feature> features;
  std::vector<Stretch> stretches;
  bool tsv = false;
  std::vector<std::string> columns;
  bool columnsGiven = false;
  std::vector<Row> rows;
  std::vector<SequenceRecord> fastq, fasta;
  std::string genomeStem;
};

// A record's name as readers take it: one word, no blank of any kind.
bool fOneWord(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) <= ' ' || c == '\x7f') return false;
  return !text.empty();
}

bool fLettersOnly(const std::string& text) {
  for (char c : text)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
  return !text.empty();
}

// Reads the calls; checks the circle on the way.
void fReadCalls(const std::string& input, Calls& calls) {
  for (const std::string& line : fuzz::fLines(input)) {
    const std::vector<std::string> words = fuzz::fWords(line);
    if (words.empty()) continue;
    const std::string& what = words[0];
    int64_t a = 0, b = 0, c = 0;
    if (what == "chrom" && words.size() == 3 && !calls.chromosomeGiven && fNumber(words[2], a)) {
      calls.chromosome = Chromosome{words[1], a};
      calls.chromosomeGiven = true;
    } else if (what == "format" && words.size() == 2 && fNumber(words[1], a) && a >= 0 && a < 3) {
      calls.graphFormat = kGraphFormats[a];
    } else if (what == "circle" && words.size() == 4 && fNumber(words[1], a) && fNumber(words[2], b) &&
               fNumber(words[3], c)) {
      fCheckCircle(a, b, c);
    } else if (what == "bed" && (words.size() == 5 || words.size() == 6) && fNumber(words[1], a) &&
               fNumber(words[2], b) && fNumber(words[3], c) && words[4].size() == 1) {
      calls.features.push_back(Feature{a, b, words.size() == 6 ? words[5] : "", c, words[4][0]});
    } else if (what == "graph" && words.size() == 4 && fNumber(words[1], a) && fNumber(words[2], b) &&
               fNumber(words[3], c) && c >= -kLargestValue && c <= kLargestValue) {
      calls.stretches.push_back(Stretch{a, b, static_cast<double>(c)});
    } else if (what == "columns" && !calls.columnsGiven && line.find('\0') == std::string::npos) {
      // Column names are texts that end at a zero byte.
      calls.columns.assign(words.begin() + 1, words.end());
      calls.columnsGiven = calls.tsv = true;
    } else if (what == "row") {
      calls.rows.push_back(Row{std::vector<std::string>(words.begin() + 1, words.end())});
      calls.tsv = true;
    } else if (what == "fastq" && words.size() == 4 && fOneWord(words[1]) && fLettersOnly(words[2])) {
      std::string quality;
      for (char q : words[3])
        if (q >= '!' && q <= '~') quality += q;
      if (quality.empty()) quality = "I";
      std::string cycled;
      while (cycled.size() < words[2].size()) cycled += quality;
      cycled.resize(words[2].size());
      calls.fastq.push_back(SequenceRecord{words[1], words[2], cycled});
    } else if (what == "fasta" && words.size() == 3 && fOneWord(words[1]) && fLettersOnly(words[2])) {
      calls.fasta.push_back(SequenceRecord{words[1], words[2], ""});
    } else if (what == "genomefile" && words.size() == 2 && fuzz::fStaysInScratch(words[1])) {
      calls.genomeStem = words[1];
    }
  }
}

void fCheckBed(const Calls& calls) {
  const Chromosome& chromosome = calls.chromosome;
  const int64_t genomeLength = chromosome.length;
  BedFile bed(chromosome);
  size_t expectedLines = 0;
  int64_t expectedBases = 0;
  for (const Feature& feature : calls.features) {
    bed.fAdd(feature.first, feature.length, feature.name, feature.score, feature.strand);
    fCheckCircle(feature.first, feature.length, genomeLength);
    const CirclePieces pieces = fOnCircle(feature.first, feature.length, genomeLength);
    expectedLines += static_cast<size_t>(pieces.count);
    if (pieces.count > 0) expectedBases += std::min(feature.length, genomeLength);
  }
  if (bed.fLines() != expectedLines) fuzz::fFail("bed: another number of lines than of pieces");
  Outcome outcome;
  const std::string path = fuzz::fPath("f.bed");
  fCheckWritten(bed.fWrite(path, outcome), outcome, path);

  const std::vector<std::string> lines = fuzz::fLines(fuzz::fRead("f.bed"));
  if (lines.size() != expectedLines) fuzz::fFail("bed: another number of lines written");
  const bool modelled = genomeLength > 0 && genomeLength <= kModelledGenome;
  std::vector<int> depth(modelled ? static_cast<size_t>(genomeLength) : 0, 0);
  int64_t bases = 0, lastStart = -1, lastEnd = -1;
  std::string lastName;
  for (const std::string& line : lines) {
    const std::vector<std::string> fields = fFields(line);
    int64_t start = 0, end = 0, score = 0;
    if (fields.size() != 6 || fields[0] != chromosome.name || !fNumber(fields[1], start) || !fNumber(fields[2], end) ||
        !fNumber(fields[4], score) || fields[5].size() != 1 || fields[3].empty())
      fuzz::fFail("bed: a line that is not six fields of the genome");
    if (start < 0 || start >= end || end > genomeLength) fuzz::fFail("bed: a line off the circle or empty");
    if (start < lastStart || (start == lastStart && end < lastEnd) ||
        (start == lastStart && end == lastEnd && fields[3] < lastName))
      fuzz::fFail("bed: lines out of order");
    lastStart = start;
    lastEnd = end;
    lastName = fields[3];
    bases += end - start;
    for (int64_t place = start; modelled && place < end; ++place) ++depth[static_cast<size_t>(place)];
  }
  if (bases != expectedBases) fuzz::fFail("bed: the lines cover another number of bases");
  if (!modelled) return;
  // Base by base: a feature covers the bases from its first position on, round the circle.
  for (const Feature& feature : calls.features) {
    if (feature.length <= 0) continue;
    const int64_t span = std::min(feature.length, genomeLength);
    for (int64_t k = 0; k < span; ++k)
      --depth[static_cast<size_t>(fPlace(fPlace(feature.first, genomeLength) + 1 + k, genomeLength))];
  }
  for (int count : depth)
    if (count != 0) fuzz::fFail("bed: the lines cover other bases than the features");
}

void fCheckBedGraph(const Calls& calls) {
  const Chromosome& chromosome = calls.chromosome;
  const int64_t genomeLength = chromosome.length;
  BedGraphFile graph(chromosome, calls.graphFormat);
  // The writer takes stretches that do not overlap: one over a stretch already
  // taken is left out here.
  struct Piece {
    int64_t start, end;
  };
  std::vector<Piece> taken;
  std::vector<Stretch> kept;
  for (const Stretch& stretch : calls.stretches) {
    const CirclePieces pieces = fOnCircle(stretch.first, stretch.length, genomeLength);
    bool overlaps = false;
    for (int i = 0; i < pieces.count; ++i)
      for (const Piece& piece : taken) overlaps |= pieces.start[i] < piece.end && piece.start < pieces.end[i];
    if (overlaps) continue;
    if (stretch.value != 0)
      for (int i = 0; i < pieces.count; ++i) taken.push_back(Piece{pieces.start[i], pieces.end[i]});
    graph.fAdd(stretch.first, stretch.length, stretch.value);
    kept.push_back(stretch);
  }
  Outcome outcome;
  const std::string path = fuzz::fPath("f.bedgraph");
  fCheckWritten(graph.fWrite(path, outcome), outcome, path);

  const bool modelled = genomeLength > 0 && genomeLength <= kModelledGenome;
  std::vector<double> values(modelled ? static_cast<size_t>(genomeLength) : 0, 0.0);
  for (const Stretch& stretch : kept) {
    if (!modelled || stretch.length <= 0) continue;
    const int64_t span = std::min(stretch.length, genomeLength);
    for (int64_t k = 0; k < span; ++k)
      values[static_cast<size_t>(fPlace(fPlace(stretch.first, genomeLength) + 1 + k, genomeLength))] = stretch.value;
  }
  int64_t lastEnd = 0;
  std::string lastValue;
  for (const std::string& line : fuzz::fLines(fuzz::fRead("f.bedgraph"))) {
    const std::vector<std::string> fields = fFields(line);
    int64_t start = 0, end = 0;
    if (fields.size() != 4 || fields[0] != chromosome.name || !fNumber(fields[1], start) || !fNumber(fields[2], end))
      fuzz::fFail("bedgraph: a line that is not four fields of the genome");
    if (start < lastEnd || start >= end || end > genomeLength) fuzz::fFail("bedgraph: lines overlap, or lie off the circle");
    if (start == lastEnd && fields[3] == lastValue) fuzz::fFail("bedgraph: touching lines of one value not merged");
    if (fields[3] == fFormatted(calls.graphFormat, 0.0)) fuzz::fFail("bedgraph: a zero written");
    for (int64_t place = start; modelled && place < end; ++place) {
      double& value = values[static_cast<size_t>(place)];
      if (fFormatted(calls.graphFormat, value) != fields[3] || value == 0)
        fuzz::fFail("bedgraph: a base with another value than its stretch");
      value = 0;
    }
    lastEnd = end;
    lastValue = fields[3];
  }
  for (double value : values)
    if (value != 0) fuzz::fFail("bedgraph: a stretch not written");
}

void fCheckTsv(const Calls& calls) {
  TsvFile table;
  Outcome outcome;
  const std::string path = fuzz::fPath("f.tsv");
  std::vector<const char*> columns;
  for (const std::string& column : calls.columns) columns.push_back(column.c_str());
  if (!table.fOpen(path, columns, outcome)) fuzz::fFail("tsv: a table in the scratch folder can't be opened");
  std::string expected;
  for (size_t i = 0; i < calls.columns.size(); ++i) expected += (i == 0 ? "" : "\t") + calls.columns[i];
  expected += '\n';
  for (const Row& row : calls.rows) {
    bool started = false;
    for (const std::string& item : row.items) {
      int64_t number = 0;
      if (item[0] == '+') {
        table.fMore(std::string_view(item).substr(1));
        expected += item.substr(1);
        continue;
      }
      expected += started ? "\t" : "";
      started = true;
      if (fNumber(item, number)) {
        table.fNumber(number);
        expected += std::to_string(number);
      } else if (item[0] == '~') {
        double real = std::strtod(item.c_str() + 1, nullptr);
        if (!std::isfinite(real)) real = 0;
        table.fReal(real, kRealFormat);
        expected += fFormatted(kRealFormat, real);
      } else {
        table.fText(item);
        expected += item;
      }
    }
    table.fEndRow();
    expected += '\n';
  }
  fCheckWritten(table.fClose(outcome), outcome, path);
  if (fuzz::fRead("f.tsv") != expected) fuzz::fFail("tsv: the table is not its header and rows");
}

// Records written, then read back with the reader of vantrels-prep.
void fCheckRecords(const std::vector<SequenceRecord>& records, bool fastq) {
  const std::string name = fastq ? "r.fq" : "r.fa";
  const std::string path = fuzz::fPath(name);
  Outcome outcome;
  FILE* file = fOpenOutput(path, outcome);
  if (file == nullptr) fuzz::fFail("records: a file in the scratch folder can't be opened");
  std::string expected;
  for (const SequenceRecord& record : records) {
    if (fastq) {
      fWriteFastq(file, record.name, record.letters, record.quality);
      expected += "@" + record.name + "\n" + record.letters + "\n+\n" + record.quality + "\n";
    } else {
      fWriteFasta(file, record.name, record.letters);
      expected += ">" + record.name + "\n" + record.letters + "\n";
    }
  }
  fCheckWritten(fCloseOutput(file, path, outcome), outcome, path);
  if (fuzz::fRead(name) != expected) fuzz::fFail("records: the file is not its records");

  SequenceReader reader;
  if (!reader.open(path, nullptr)) fuzz::fFail("records: the written file can't be read");
  for (const SequenceRecord& record : records) {
    if (reader.next() != SequenceReader::kRecord) fuzz::fFail("records: fewer records read back than written");
    if (reader.name() != record.name || std::string(reader.letters(), reader.length()) != record.letters)
      fuzz::fFail("records: a record reads back otherwise");
  }
  if (reader.next() != SequenceReader::kEnd) fuzz::fFail("records: more records read back than written");
}

void fCheckGenomeFile(const Calls& calls) {
  Outcome outcome;
  const std::string path = fWriteGenomeFile(fuzz::fScratch() + "/", calls.genomeStem, calls.chromosome, outcome);
  const std::string expectedPath = fuzz::fPath(calls.genomeStem + ".genome");
  fCheckWritten(path == expectedPath, outcome, expectedPath);
  if (fuzz::fRead(calls.genomeStem + ".genome") !=
      calls.chromosome.name + "\t" + std::to_string(calls.chromosome.length) + "\n")
    fuzz::fFail("genome file: not the name and length of the genome");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::fStart(false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Calls calls;
  fReadCalls(std::string(reinterpret_cast<const char*>(data), size), calls);
  fuzz::fClearScratch();
  if (!calls.features.empty()) fCheckBed(calls);
  if (!calls.stretches.empty()) fCheckBedGraph(calls);
  if (calls.tsv) fCheckTsv(calls);
  if (!calls.fastq.empty()) fCheckRecords(calls.fastq, true);
  if (!calls.fasta.empty()) fCheckRecords(calls.fasta, false);
  if (!calls.genomeStem.empty()) fCheckGenomeFile(calls);
  return 0;
}
