// FASTA and FASTQ records, or just the bytes, of a plain, gzip or BGZF file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class Progress;

// The bytes of a file as they stand or, for gzip and BGZF, decompressed.
class ByteReader {
 public:
  ByteReader();
  ~ByteReader();
  ByteReader(const ByteReader&) = delete;
  ByteReader& operator=(const ByteReader&) = delete;

  // False with problem() set when the file can't be opened. `name` is how
  // messages call the file (the path itself when empty).
  bool open(const std::string& path, const std::string& name = "");
  // Up to `size` bytes; 0 at the end; -1 with problem() set when the
  // compressed data is damaged or cut short, or the file can't be read.
  int64_t read(void* buffer, size_t size);
  // How far into the file itself (compressed bytes) reading has come.
  uint64_t consumed() const;
  const std::string& problem() const { return problem_; }

 private:
  struct Stream;
  std::unique_ptr<Stream> stream_;
  std::string name_;
  std::string problem_;
};

class SequenceReader {
 public:
  enum Status { kRecord, kEnd, kFailed };

  SequenceReader();
  ~SequenceReader();
  SequenceReader(const SequenceReader&) = delete;
  SequenceReader& operator=(const SequenceReader&) = delete;

  // Opens IN; false with problem() set when it can't be read. Progress, if
  // given, is told how far into the file (compressed bytes) reading has come.
  // `name` is how messages call the file (the path itself when empty).
  bool open(const std::string& path, Progress* progress, const std::string& name = "");

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
  std::string problem_;
};

// Input size in bytes on disk, or 0 when it can't be told.
uint64_t fInputBytes(const std::string& path);
