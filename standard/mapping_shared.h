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
#include "standard/writing.h"

extern const char kNotesUnreadable[];

// The run's notes opened; false, with `problem` set, when they can't be.
template <class Note>
bool fOpenNotes(NoteStream<Note>& notes, const StandardRun& run, std::string& problem) {
  if (notes.fOpen(run.notesPath)) return true;
  problem = kNotesUnreadable;
  return false;
}

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

// Each note in turn with the input read it names: onRead(note, read) gives 0
// to go on, or an exit code with `problem` set. 0 once every note is taken.
template <class Note, class OnRead>
int fForEachNotedRead(NoteStream<Note>& notes, const ReadsOrigin& origin, std::string& problem, OnRead onRead) {
  ReadsAgain reads(origin);
  Note note;
  while (notes.fNext(note)) {
    int code = reads.fSeek(note.readNumber, problem);
    if (code == 0) code = onRead(note, reads.fRead());
    if (code != 0) return code;
  }
  if (!notes.fBroken()) return kStandardDone;
  problem = kNotesUnreadable;
  return kStandardOutputFailed;
}

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
