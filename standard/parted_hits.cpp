// The standard files of the parted-read and circular-RNA commands: every hit
// of the native table as a BED line on the bases of its segment and a TSV row
// with the read's name and where its junction lies. The notes name the reads;
// sorted as the procedure sorted its hits, they meet the table's rows one for one.
#include <algorithm>
#include <tuple>
#include <vector>

#include "parted/parted_notes.h"
#include "standard/mapping_shared.h"
#include "standard/parted_outputs.h"

namespace {
const char kBedEnding[] = ".bed";
const char kTsvEnding[] = ".tsv";
const char kScratchEnding[] = ".part";
const std::vector<const char*> kColumns = {"read_name",        "strand",           "segment_start_1based",
                                           "segment_end_1based", "left_part_length", "right_part_length",
                                           "segment_text"};
const char kTableUnreadable[] = "the run's native hit table could not be read back";
const char kTableDisagrees[] = "the run's native hit table and its notes of the hits disagree";

bool fLower(const PartedNote& note) { return note.strand == kLowerPartedNote; }

// 0-based start on the circle of a segment whose native position may lie at
// or below 0 (across the origin).
int64_t fCircleStart(int64_t pos, int64_t genomeLength) {
  if (genomeLength <= 0) return pos - 1;
  int64_t start = (pos - 1) % genomeLength;
  return start < 0 ? start + genomeLength : start;
}

// Bases of the segment before its junction: a head seed is the start of the
// searched text, so the text's tail (leftSz) lies before it; an end seed is
// the text's end, so the seed and its extension lie before the junction.
int64_t fLeftPart(const PartedNote& note) {
  return note.seed == kEndSeedNote ? int64_t(note.leftSz) + kSeedBases : int64_t(note.leftSz);
}

// Hits of one strand whose segment starts at one place of the circle, however
// the native position wrote it (a segment found from a seed past the origin
// has a position at or below 0, one from a seed before it a position near L).
class StartCounts {
 public:
  StartCounts(const std::vector<PartedNote>& notes, int64_t genomeLength) {
    Starts.reserve(notes.size());
    for (const PartedNote& note : notes) Starts.push_back({fLower(note), fCircleStart(note.pos, genomeLength)});
    std::sort(Starts.begin(), Starts.end());
  }
  int64_t fCount(bool lower, int64_t start) const {
    const auto range = std::equal_range(Starts.begin(), Starts.end(), std::make_pair(lower, start));
    return static_cast<int64_t>(range.second - range.first);
  }

 private:
  std::vector<std::pair<bool, int64_t>> Starts;
};

// Whether the table's row is the note's hit: strand, position, the segment as
// long as the read with its upper-case seed where the note puts it.
bool fSameHit(const NativeHitRow& row, const PartedNote& note) {
  if (row.lower != fLower(note) || row.pos != note.pos || row.segment.size() != size_t(note.rSz)) return false;
  const size_t seed = static_cast<size_t>(note.leftSz);
  return seed < row.segment.size() && row.segment[seed] >= 'A' && row.segment[seed] <= 'Z';
}

// The TSV rows in the order of the table, except that the segments across
// the origin (position at or below 0, first in a strand's rows) are held back
// and merged in at their place on the circle, so rows run by segment start.
class HitRows {
 public:
  HitRows(TsvFile& tsv, const ReadNames& names, int64_t genomeLength)
      : Tsv(tsv), Names(names), GenomeLength(genomeLength) {}

  void fAdd(const PartedNote& note, std::string& segment) {
    const int64_t start = fCircleStart(note.pos, GenomeLength);
    if (note.pos < 1) {
      Held.push_back({note, std::move(segment), start});
      return;
    }
    while (Next < Held.size() && Held[Next].start < start) fWrite(Held[Next++]);
    fWrite({note, std::move(segment), start});
  }
  // The end of a strand's rows.
  void fFlush() {
    while (Next < Held.size()) fWrite(Held[Next++]);
    Held.clear();
    Next = 0;
  }

 private:
  struct Row {
    PartedNote note;
    std::string segment;
    int64_t start;
  };
  void fWrite(const Row& row) {
    const PartedNote& note = row.note;
    const char strand = fLower(note) ? '-' : '+';
    const int64_t left = fLeftPart(note);
    const int64_t lastBase = row.start + note.rSz - 1;
    Tsv.fText(Names.fName(note.readNumber));
    Tsv.fText(std::string_view(&strand, 1));
    Tsv.fNumber(row.start + 1);
    Tsv.fNumber((GenomeLength > 0 ? lastBase % GenomeLength : lastBase) + 1);
    Tsv.fNumber(left);
    Tsv.fNumber(note.rSz - left);
    Tsv.fText(row.segment);
    Tsv.fEndRow();
  }

  TsvFile& Tsv;
  const ReadNames& Names;
  int64_t GenomeLength;
  std::vector<Row> Held;
  size_t Next = 0;
};

int fWrite(const StandardRun& run, const char* ending, NativeHitTable& table, Outcome& outcome,
           std::string& problem, size_t linesInMemory) {
  const Chromosome& chromosome = run.chromosome;
  std::vector<PartedNote> notes;
  if (int code = fGenomeFileAndNotes(run, outcome, notes, kNotesUnreadable, problem)) return code;
  // The native table's order: upper strand first, each by position, hits at
  // one position in the order they were found.
  std::stable_sort(notes.begin(), notes.end(), [](const PartedNote& a, const PartedNote& b) {
    return std::make_tuple(fLower(a), a.pos) < std::make_tuple(fLower(b), b.pos);
  });
  const StartCounts counts(notes, chromosome.length);

  std::vector<uint32_t> wanted;
  wanted.reserve(notes.size());
  for (const PartedNote& note : notes) wanted.push_back(note.readNumber);
  std::sort(wanted.begin(), wanted.end());
  wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
  ReadNames names;
  int code = names.fResolve(run.reads, wanted, problem);
  if (code != 0) return code;
  wanted = std::vector<uint32_t>();

  const std::string stem = run.readsStem + ending;
  const std::string tsvName = stem + kTsvEnding, bedName = stem + kBedEnding;
  TsvFile tsv;
  if (!tsv.fOpen(run.directory + tsvName, kColumns, outcome)) return fCantWrite(run, tsvName, problem);
  SortedBed bed(chromosome, run.directory + stem + kScratchEnding, linesInMemory);
  HitRows rows(tsv, names, chromosome.length);
  NativeHitRow row;
  for (size_t i = 0; i < notes.size(); ++i) {
    const PartedNote& note = notes[i];
    if (!table.fNext(row)) {
      problem = table.fBroken() ? kTableUnreadable : kTableDisagrees;
      return kStandardOutputFailed;
    }
    if (!fSameHit(row, note)) {
      problem = kTableDisagrees;
      return kStandardOutputFailed;
    }
    const char strand = fLower(note) ? '-' : '+';
    const int64_t score = counts.fCount(fLower(note), fCircleStart(note.pos, chromosome.length));
    if (!bed.fAdd(note.pos, note.rSz, names.fName(note.readNumber), score, strand))
      return fCantWrite(run, bedName, problem);
    if (i > 0 && fLower(notes[i - 1]) != fLower(note)) rows.fFlush();
    rows.fAdd(note, row.segment);
  }
  rows.fFlush();
  if (table.fNext(row) || table.fBroken()) {
    problem = table.fBroken() ? kTableUnreadable : kTableDisagrees;
    return kStandardOutputFailed;
  }
  if (!tsv.fClose(outcome)) return fCantWrite(run, tsvName, problem);
  if (!bed.fWrite(run.directory + bedName, outcome)) return fCantWrite(run, bedName, problem);
  return kStandardDone;
}
}  // namespace

bool fIsSegmentText(std::string_view text) {
  for (char c : text)
    if (std::string_view("acgtACGT").find(c) == std::string_view::npos) return false;
  return !text.empty();
}

std::string fNativeFile(const StandardRun& run, const char* ending) {
  const std::string tail = ending;
  for (const std::string& file : run.nativeFiles)
    if (file.size() >= tail.size() && file.compare(file.size() - tail.size(), tail.size(), tail) == 0) return file;
  return "";
}

int fWriteHitStandard(const StandardRun& run, const char* ending, NativeHitTable& table, Outcome& outcome,
                      std::string& problem, size_t linesInMemory) {
  return fWriteWithinMemory(problem, [&] { return fWrite(run, ending, table, outcome, problem, linesInMemory); });
}
