#include "standard/mapping_shared.h"

#include <cstdlib>
#include <cstring>
#include <queue>
#include <tuple>

namespace {
const char kFastqEnding[] = ".fastq";
const char kFastaEnding[] = ".fasta";
const char kRunEnding[] = ".bed";

// Names of typical reads are a few tens of bytes; a run holds this many per line at most.
constexpr size_t kNameBytesPerLine = 64;
constexpr size_t kOutputBuffer = size_t(1) << 20;

// One line of a sorted run, with the fields it sorts by.
struct RunLine {
  std::string text;
  int64_t start = 0, end = 0, score = 0;
  std::string_view name;
  char strand = '.';
};

// "chrom TAB start TAB end TAB name TAB score TAB strand": false for anything else.
bool fParse(RunLine& line) {
  const std::string& text = line.text;
  size_t field[6];
  size_t at = 0;
  for (size_t& start : field) {
    start = at;
    size_t tab = text.find('\t', at);
    at = tab == std::string::npos ? text.size() + 1 : tab + 1;
  }
  if (at != text.size() + 1 || field[5] >= text.size()) return false;
  char* after = nullptr;
  line.start = std::strtoll(text.c_str() + field[1], &after, 10);
  line.end = std::strtoll(text.c_str() + field[2], &after, 10);
  line.score = std::strtoll(text.c_str() + field[4], &after, 10);
  line.name = std::string_view(text).substr(field[3], field[4] - field[3] - 1);
  line.strand = text[field[5]];
  return true;
}

// One line without its line feed; false at the end of the file.
bool fReadLine(FILE* file, std::string& line) {
  line.clear();
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, file) != nullptr) {
    size_t got = std::strlen(buffer);
    if (got > 0 && buffer[got - 1] == '\n') {
      line.append(buffer, got - 1);
      return true;
    }
    line.append(buffer, got);
  }
  return !line.empty();
}

struct OpenRun {
  FILE* file;
  RunLine line;
};

// Greater, for a queue whose top is the smallest line.
struct LaterLine {
  bool operator()(const OpenRun* a, const OpenRun* b) const {
    return std::tie(a->line.start, a->line.end, a->line.name, a->line.strand, a->line.score) >
           std::tie(b->line.start, b->line.end, b->line.name, b->line.strand, b->line.score);
  }
};
}  // namespace

const char kNotesUnreadable[] = "the run's notes of its reads could not be read back";

int ReadsAgain::fSeek(uint32_t readNumber, std::string& problem) {
  if (!Opened) {
    Opened = true;
    int code = Resolver.fOpen(Origin, problem);
    if (code != 0) return code;
  }
  if (Resolver.fSeek(readNumber)) return 0;
  problem = Resolver.problem().empty() ? "the reads could not be read again for their names" : Resolver.problem();
  return kStandardInputFailed;
}

ChosenReadsFile::~ChosenReadsFile() {
  if (File != nullptr) std::fclose(File);
}

bool ChosenReadsFile::fOpen(const StandardRun& run, const char* part, Outcome& outcome) {
  Qualities = run.reads.kind == InputKind::kFastq;
  Name = run.readsStem + part + (Qualities ? kFastqEnding : kFastaEnding);
  Path = run.directory + Name;
  File = fOpenOutput(Path, outcome);
  if (File != nullptr) std::setvbuf(File, nullptr, _IOFBF, kOutputBuffer);
  return File != nullptr;
}

void ChosenReadsFile::fAdd(const ReadNameResolver& read) {
  if (Qualities)
    fWriteFastq(File, read.fName(), read.fLetters(), read.fQuality());
  else
    fWriteFasta(File, read.fName(), read.fLetters());
}

bool ChosenReadsFile::fClose(Outcome& outcome) {
  FILE* file = File;
  File = nullptr;
  return fCloseOutput(file, Path, outcome);
}

SortedBed::SortedBed(const Chromosome& chromosome, const std::string& scratchStem, size_t linesInMemory)
    : Chrom(chromosome), ScratchStem(scratchStem), Limit(linesInMemory < 1 ? 1 : linesInMemory), Lines(chromosome) {}

SortedBed::~SortedBed() {
  for (const std::string& run : Runs) std::remove(run.c_str());
}

bool SortedBed::fAdd(int64_t first, int64_t length, std::string_view name, int64_t score, char strand) {
  Lines.fAdd(first, length, name, score, strand);
  NameBytes += name.size();
  if (Lines.fLines() >= Limit || NameBytes >= Limit * kNameBytesPerLine) return fSpill();
  return true;
}

bool SortedBed::fSpill() {
  // Scratch runs are not results: their outcome stays here.
  Outcome scratch;
  Runs.push_back(ScratchStem + std::to_string(Runs.size() + 1) + kRunEnding);
  const bool written = Lines.fWrite(Runs.back(), scratch);
  Lines = BedFile(Chrom);
  NameBytes = 0;
  return written;
}

bool SortedBed::fWrite(const std::string& path, Outcome& outcome) {
  if (Runs.empty()) return Lines.fWrite(path, outcome);
  if (Lines.fLines() > 0 && !fSpill()) {
    outcome.fFail(RunStatus::kOutputFailed, path);
    return false;
  }
  return fMerge(path, outcome);
}

bool SortedBed::fMerge(const std::string& path, Outcome& outcome) {
  std::vector<OpenRun> runs(Runs.size(), OpenRun{nullptr, RunLine()});
  std::priority_queue<OpenRun*, std::vector<OpenRun*>, LaterLine> next;
  bool readable = true;
  for (size_t i = 0; i < Runs.size(); ++i) {
    runs[i].file = std::fopen(Runs[i].c_str(), "rb");
    if (runs[i].file == nullptr) {
      readable = false;
      continue;
    }
    if (!fReadLine(runs[i].file, runs[i].line.text)) continue;
    if (!fParse(runs[i].line)) readable = false;
    next.push(&runs[i]);
  }
  FILE* out = readable ? fOpenOutput(path, outcome) : nullptr;
  if (out != nullptr) std::setvbuf(out, nullptr, _IOFBF, kOutputBuffer);
  while (out != nullptr && readable && !next.empty()) {
    OpenRun* run = next.top();
    next.pop();
    std::fwrite(run->line.text.data(), 1, run->line.text.size(), out);
    std::fputc('\n', out);
    if (!fReadLine(run->file, run->line.text)) continue;
    if (!fParse(run->line)) readable = false;
    next.push(run);
  }
  for (OpenRun& run : runs) {
    if (run.file == nullptr) continue;
    if (std::ferror(run.file) != 0) readable = false;
    std::fclose(run.file);
  }
  if (out == nullptr) {
    outcome.fFail(RunStatus::kOutputFailed, path);
    return false;
  }
  if (!readable) {
    std::fclose(out);
    outcome.fFail(RunStatus::kOutputFailed, path);
    return false;
  }
  return fCloseOutput(out, path, outcome);
}
