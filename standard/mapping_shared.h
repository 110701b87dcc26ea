// What the writers of the read-mapping commands share: the read notes read
// back in their order, the reads of the input found again by number, FASTQ or
// FASTA files of chosen reads, and BED files too large to sort in memory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "standard/standard.h"

// The notes of one record type, in the order the procedure wrote them.
template <class Note>
class NoteStream {
 public:
  NoteStream() = default;
  ~NoteStream() {
    if (File != nullptr) std::fclose(File);
  }
  NoteStream(const NoteStream&) = delete;
  NoteStream& operator=(const NoteStream&) = delete;

  // An empty path is a run without notes; false when the file can't be opened.
  bool fOpen(const std::string& path) {
    if (path.empty()) return true;
    File = std::fopen(path.c_str(), "rb");
    return File != nullptr;
  }
  // The next note; false at the end, or when the file breaks (fBroken()).
  bool fNext(Note& note) {
    if (At == Batch.size() && !fFill()) return false;
    note = Batch[At++];
    return true;
  }
  bool fBroken() const { return Broken; }

 private:
  bool fFill() {
    if (File == nullptr) return false;
    Batch.resize(kBatch);
    const size_t bytes = std::fread(Batch.data(), 1, kBatch * sizeof(Note), File);
    // A partial record at the end would be a note cut short.
    if (std::ferror(File) != 0 || bytes % sizeof(Note) != 0) Broken = true;
    Batch.resize(bytes / sizeof(Note));
    At = 0;
    return !Batch.empty();
  }
  static constexpr size_t kBatch = size_t(1) << 16;
  FILE* File = nullptr;
  std::vector<Note> Batch;
  size_t At = 0;
  bool Broken = false;
};

extern const char kNotesUnreadable[];

// `name` (a file of the run) could not be written: the sentence and the exit code.
int fCantWrite(const StandardRun& run, const std::string& name, std::string& problem);

// The reads of the input, taken again in ascending read numbers; opened at
// the first read asked for, so that a run that names no read never reads them.
class ReadsAgain {
 public:
  explicit ReadsAgain(const ReadsOrigin& origin) : Origin(origin) {}
  // 0, or the exit code with `problem` set.
  int fSeek(uint32_t readNumber, std::string& problem);
  const ReadNameResolver& fRead() const { return Resolver; }

 private:
  const ReadsOrigin& Origin;
  ReadNameResolver Resolver;
  bool Opened = false;
};

// Chosen reads as FASTQ when the input has qualities, else as FASTA: the file
// S + `part` + ".fastq" or ".fasta".
class ChosenReadsFile {
 public:
  ChosenReadsFile() = default;
  ~ChosenReadsFile();
  ChosenReadsFile(const ChosenReadsFile&) = delete;
  ChosenReadsFile& operator=(const ChosenReadsFile&) = delete;

  bool fOpen(const StandardRun& run, const char* part, Outcome& outcome);
  // The read the reads are at.
  void fAdd(const ReadNameResolver& read);
  bool fClose(Outcome& outcome);
  const std::string& fName() const { return Name; }

 private:
  FILE* File = nullptr;
  std::string Name, Path;
  bool Qualities = false;
};

// BED6 lines of any number, written as BedFile writes them (sorted by start,
// end, name, strand, score): up to `linesInMemory` at a time are sorted in
// memory; beyond that, sorted runs go to scratch files and are merged.
class SortedBed {
 public:
  SortedBed(const Chromosome& chromosome, const std::string& scratchStem, size_t linesInMemory);
  ~SortedBed();
  SortedBed(const SortedBed&) = delete;
  SortedBed& operator=(const SortedBed&) = delete;

  // False when a sorted run could not be written.
  bool fAdd(int64_t first, int64_t length, std::string_view name, int64_t score, char strand);
  bool fWrite(const std::string& path, Outcome& outcome);

 private:
  bool fSpill();
  bool fMerge(const std::string& path, Outcome& outcome);

  Chromosome Chrom;
  std::string ScratchStem;
  size_t Limit;
  BedFile Lines;
  size_t NameBytes = 0;
  std::vector<std::string> Runs;
};
