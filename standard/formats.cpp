#include "standard/formats.h"

#include <algorithm>
#include <cinttypes>
#include <tuple>

#include "driver/file_helpers.h"

namespace {
const char kGenomeFileEnding[] = ".genome";

// Output of many short lines: a large buffer instead of the default one.
constexpr size_t kOutputBuffer = size_t(1) << 20;

FILE* fOpenStandard(const std::string& path, Outcome& outcome) {
  FILE* file = fOpenOutput(path, outcome);
  if (file != nullptr) std::setvbuf(file, nullptr, _IOFBF, kOutputBuffer);
  return file;
}

void fPut(FILE* file, std::string_view text) { std::fwrite(text.data(), 1, text.size(), file); }
}  // namespace

CirclePieces fOnCircle(int64_t first, int64_t length, int64_t genomeLength) {
  CirclePieces pieces{};
  if (genomeLength <= 0 || length <= 0) return pieces;
  if (length >= genomeLength) {
    pieces.start[0] = 0;
    pieces.end[0] = genomeLength;
    pieces.count = 1;
    return pieces;
  }
  int64_t start = (first - 1) % genomeLength;
  if (start < 0) start += genomeLength;
  const int64_t end = start + length;
  pieces.start[0] = start;
  if (end <= genomeLength) {
    pieces.end[0] = end;
    pieces.count = 1;
  } else {
    pieces.end[0] = genomeLength;
    pieces.start[1] = 0;
    pieces.end[1] = end - genomeLength;
    pieces.count = 2;
  }
  return pieces;
}

void BedFile::fAdd(int64_t first, int64_t length, std::string_view name, int64_t score, char strand) {
  // BED needs a name to keep its columns; "." is its word for none.
  if (name.empty()) name = ".";
  const CirclePieces pieces = fOnCircle(first, length, Chrom.length);
  if (pieces.count == 0) return;
  const uint64_t nameAt = Names.size();
  Names.append(name.data(), name.size());
  for (int i = 0; i < pieces.count; ++i)
    Lines.push_back(Line{pieces.start[i], pieces.end[i], nameAt, static_cast<uint32_t>(name.size()), strand, score});
}

bool BedFile::fWrite(const std::string& path, Outcome& outcome) {
  const std::string& names = Names;
  auto nameOf = [&names](const Line& line) { return std::string_view(names).substr(line.nameAt, line.nameLength); };
  std::sort(Lines.begin(), Lines.end(), [&](const Line& a, const Line& b) {
    return std::make_tuple(a.start, a.end, nameOf(a), a.strand, a.score) <
           std::make_tuple(b.start, b.end, nameOf(b), b.strand, b.score);
  });
  FILE* file = fOpenStandard(path, outcome);
  if (file == nullptr) return false;
  for (const Line& line : Lines) {
    fPut(file, Chrom.name);
    std::fprintf(file, "\t%" PRId64 "\t%" PRId64 "\t", line.start, line.end);
    fPut(file, nameOf(line));
    std::fprintf(file, "\t%" PRId64 "\t%c\n", line.score, line.strand);
  }
  return fCloseOutput(file, path, outcome);
}

void BedGraphFile::fAdd(int64_t first, int64_t length, double value) {
  if (value == 0) return;
  const CirclePieces pieces = fOnCircle(first, length, Chrom.length);
  for (int i = 0; i < pieces.count; ++i) Lines.push_back(Line{pieces.start[i], pieces.end[i], value});
}

bool BedGraphFile::fWrite(const std::string& path, Outcome& outcome) {
  std::sort(Lines.begin(), Lines.end(),
            [](const Line& a, const Line& b) { return std::tie(a.start, a.end) < std::tie(b.start, b.end); });
  // Touching stretches of one value are one line, as genome browsers and
  // bedtools genomecov -bg write them.
  size_t kept = 0;
  for (size_t i = 0; i < Lines.size(); ++i) {
    if (kept > 0 && Lines[kept - 1].end == Lines[i].start && Lines[kept - 1].value == Lines[i].value) {
      Lines[kept - 1].end = Lines[i].end;
    } else {
      Lines[kept++] = Lines[i];
    }
  }
  Lines.resize(kept);
  FILE* file = fOpenStandard(path, outcome);
  if (file == nullptr) return false;
  for (const Line& line : Lines) {
    fPut(file, Chrom.name);
    std::fprintf(file, "\t%" PRId64 "\t%" PRId64 "\t", line.start, line.end);
    std::fprintf(file, Format, line.value);
    std::fputc('\n', file);
  }
  return fCloseOutput(file, path, outcome);
}

TsvFile::~TsvFile() {
  if (File != nullptr) std::fclose(File);
}

bool TsvFile::fOpen(const std::string& path, const std::vector<const char*>& columns, Outcome& outcome) {
  File = fOpenStandard(path, outcome);
  if (File == nullptr) return false;
  Path = path;
  RowStarted = false;
  for (const char* column : columns) fText(column);
  fEndRow();
  return true;
}

void TsvFile::fSeparate() {
  if (RowStarted) std::fputc('\t', File);
  RowStarted = true;
}

void TsvFile::fText(std::string_view text) {
  fSeparate();
  fPut(File, text);
}

void TsvFile::fNumber(int64_t value) {
  fSeparate();
  std::fprintf(File, "%" PRId64, value);
}

void TsvFile::fReal(double value, const char* format) {
  fSeparate();
  std::fprintf(File, format, value);
}

void TsvFile::fMore(std::string_view text) { fPut(File, text); }

void TsvFile::fEndRow() {
  std::fputc('\n', File);
  RowStarted = false;
}

bool TsvFile::fClose(Outcome& outcome) {
  FILE* file = File;
  File = nullptr;
  return fCloseOutput(file, Path, outcome);
}

void fWriteFastq(FILE* file, std::string_view name, std::string_view letters, std::string_view quality) {
  std::fputc('@', file);
  fPut(file, name);
  std::fputc('\n', file);
  fPut(file, letters);
  std::fputs("\n+\n", file);
  fPut(file, quality);
  std::fputc('\n', file);
}

void fWriteFasta(FILE* file, std::string_view name, std::string_view letters) {
  std::fputc('>', file);
  fPut(file, name);
  std::fputc('\n', file);
  fPut(file, letters);
  std::fputc('\n', file);
}

std::string fWriteGenomeFile(const std::string& directory, const std::string& genomeStem,
                             const Chromosome& chromosome, Outcome& outcome) {
  const std::string path = directory + genomeStem + kGenomeFileEnding;
  FILE* file = fOpenOutput(path, outcome);
  if (file == nullptr) return "";
  fPut(file, chromosome.name);
  std::fprintf(file, "\t%" PRId64 "\n", chromosome.length);
  return fCloseOutput(file, path, outcome) ? path : "";
}
