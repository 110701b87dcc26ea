// FASTA and FASTQ records from a plain, gzip or BGZF file, one at a time.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class Progress;

class SequenceReader {
 public:
  enum Status { kRecord, kEnd, kFailed };

  SequenceReader();
  ~SequenceReader();
  SequenceReader(const SequenceReader&) = delete;
  SequenceReader& operator=(const SequenceReader&) = delete;

  // Opens IN; false with problem() set when it can't be read. Progress, if
  // given, is told how far into the file (compressed bytes) reading has come.
  bool open(const std::string& path, Progress* progress);

  // The next record. kFailed leaves a sentence in problem(): a damaged or
  // truncated compressed stream, a read error, or a FASTQ quality line of the
  // wrong length. kEnd also follows a clean end of input.
  Status next();

  // The current record: name (header up to the first blank), letters as they
  // stand (line breaks removed; other blanks and carriage returns may remain).
  const char* name() const;
  const char* letters() const;
  size_t length() const;

  // Whether the input held any byte at all (after decompression).
  bool sawContent() const;

  const std::string& problem() const { return problem_; }

 public:
  struct Source;  // the open file, for the chunk reader

 private:
  std::unique_ptr<Source> source_;
  std::string path_;
  std::string problem_;
};

// Input size in bytes on disk, or 0 when it can't be told.
uint64_t fInputBytes(const std::string& path);
