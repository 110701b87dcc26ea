#include "standard/read_names.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "driver/run_state.h"
#ifdef VANTRELS_HAVE_HTSLIB
#include <htslib/kseq.h>

#include "prep/command_line.h"
#include "prep/sequence_reader.h"
#endif

namespace {
const char kRawReadPrefix[] = "read";
const char kCantOpen[] = "cannot be opened again for the read names (%s)";
const char kBroken[] = "could not be read again for the read names: %s";
const char kFewerReads[] =
    "holds fewer reads than the run read (read %llu is missing); was it changed during the run?";
const char kNoHtslib[] =
    "is FASTA, FASTQ or reads converted to code bytes, and this vantrels was built without htslib, which "
    "reads them again for the read names";

constexpr size_t kChunk = size_t(1) << 20;

std::string fSentence(const char* format, const char* detail) {
  char text[512];
  std::snprintf(text, sizeof text, format, detail);
  return text;
}

// How read numbers follow the input.
enum class Numbering {
  kEveryLine,    // raw reads handed over line for line (as they stand, decompressed or decoded)
  kKeptLines,    // raw letters converted to code bytes: the lines the conversion kept
  kKeptRecords,  // FASTA/FASTQ converted: the records the conversion kept
};

// What the conversion's rule needs of a whole line, counted piece by piece.
struct LineCount {
  uint64_t letters = 0;  // bytes that are not blanks
  bool codable = true;   // every letter is A, C, G or T (either case)
};

#ifdef VANTRELS_HAVE_HTSLIB
void fCountLetters(const unsigned char* bytes, size_t count, LineCount& line) {
  const LetterTables& tables = fLetterTables();
  for (size_t i = 0; i < count; ++i) {
    unsigned char code = tables.code[bytes[i]];
    if (code == kBlank) continue;
    ++line.letters;
    line.codable &= code != kNotBase;
  }
}

// The conversion's rule for one read (ReadConverter with no length bounds):
// a read is written unless it is longer than vantrels reads, empty once its
// blanks are dropped, or, for code bytes, holds a letter other than A, C, G, T.
bool fConversionKeeps(const unsigned char* letters, size_t raw, bool coded) {
  const LetterTables& tables = fLetterTables();
  LineCount line;
  fCountLetters(letters, raw, line);
  if (raw > static_cast<size_t>(kLongestRead) && line.letters > static_cast<uint64_t>(kLongestRead)) return false;
  if (coded) return line.letters > 0 && line.codable;
  for (size_t i = 0; i < raw; ++i)
    if (tables.letter[letters[i]] != 0) return true;
  return false;
}

// kseq over the decompressed bytes; a read error is kept aside (kseq takes a
// read of 0 as the end of input).
struct RecordStream {
  ByteReader bytes;
  bool failed = false;
};
int fReadRecordBytes(RecordStream* stream, unsigned char* buffer, int size) {
  int64_t got = stream->bytes.read(buffer, static_cast<size_t>(size));
  if (got < 0) {
    stream->failed = true;
    return 0;
  }
  return static_cast<int>(got);
}
KSEQ_INIT(RecordStream*, fReadRecordBytes)
#endif

// Lines of a file, decompressed where htslib is at hand; a line keeps at most
// `cap` bytes, the rest of it is only counted.
class LineReader {
 public:
  ~LineReader() {
#ifndef VANTRELS_HAVE_HTSLIB
    if (File != nullptr) std::fclose(File);
#endif
  }
  bool fOpen(const std::string& path, std::string& problem) {
    Chunk.resize(kChunk);
#ifdef VANTRELS_HAVE_HTSLIB
    if (!Bytes.open(path, "it")) {
      problem = Bytes.problem();
      return false;
    }
#else
    File = std::fopen(path.c_str(), "rb");
    if (File == nullptr) {
      problem = fSentence(kCantOpen, std::strerror(errno));
      return false;
    }
#endif
    return true;
  }

  // False at the end of input, or when it breaks (`problem` set).
  bool fNext(std::string& line, size_t cap, bool count, LineCount& counted, std::string& problem) {
    line.clear();
    counted = LineCount();
    bool started = false;
    for (;;) {
      if (At == End && !fFill(problem)) return started && problem.empty();
      const unsigned char* from = Chunk.data() + At;
      const unsigned char* lineEnd = static_cast<const unsigned char*>(std::memchr(from, '\n', End - At));
      size_t piece = (lineEnd != nullptr ? lineEnd : Chunk.data() + End) - from;
      started = true;
      if (line.size() < cap) line.append(reinterpret_cast<const char*>(from), std::min(piece, cap - line.size()));
#ifdef VANTRELS_HAVE_HTSLIB
      if (count) fCountLetters(from, piece, counted);
#else
      (void)count;
#endif
      At += piece;
      if (lineEnd != nullptr) {
        ++At;
        return true;
      }
    }
  }

 private:
  bool fFill(std::string& problem) {
    At = End = 0;
#ifdef VANTRELS_HAVE_HTSLIB
    int64_t got = Bytes.read(Chunk.data(), Chunk.size());
    if (got < 0) problem = Bytes.problem();
    if (got <= 0) return false;
    End = static_cast<size_t>(got);
#else
    End = std::fread(Chunk.data(), 1, Chunk.size(), File);
    if (End == 0 && std::ferror(File)) problem = fSentence(kBroken, std::strerror(errno));
#endif
    return End > 0;
  }

#ifdef VANTRELS_HAVE_HTSLIB
  ByteReader Bytes;
#else
  FILE* File = nullptr;
#endif
  std::vector<unsigned char> Chunk;
  size_t At = 0, End = 0;
};

// A raw line as the outputs show it: code bytes as letters, letters upper
// case, blanks and the carriage return of a CR LF file dropped.
void fShowRawLine(const std::string& line, std::string& letters) {
  static const char kCodeLetters[] = "ACGT";
  letters.clear();
  for (unsigned char byte : line) {
    if (byte <= 3) {
      letters.push_back(kCodeLetters[byte]);
    } else if (byte == ' ' || byte == '\t' || byte == '\r' || byte == '\v' || byte == '\f') {
      continue;
    } else {
      letters.push_back(static_cast<char>(byte >= 'a' && byte <= 'z' ? byte - 'a' + 'A' : byte));
    }
  }
}
}  // namespace

struct ReadNameResolver::Source {
  Numbering numbering = Numbering::kEveryLine;
  bool coded = false;      // the conversion wrote code bytes
  bool qualities = false;  // FASTQ
  uint64_t unit = 0;       // lines or records taken so far: a raw read's line number
  LineReader lines;
  std::string line;
#ifdef VANTRELS_HAVE_HTSLIB
  RecordStream stream;
  kseq_t* records = nullptr;
  ~Source() {
    if (records != nullptr) kseq_destroy(records);
  }
#endif
  std::string name, letters;

  // The next line or record, whether or not it bears a read number.
  bool fNextUnit(bool& numbered, std::string& problem) {
    if (numbering == Numbering::kKeptRecords) {
#ifdef VANTRELS_HAVE_HTSLIB
      int got = kseq_read(records);
      if (stream.failed) problem = stream.bytes.problem();
      if (got < -1 && problem.empty()) problem = "a record breaks off before its qualities end";
      if (got < 0) return false;
      ++unit;
      numbered = fConversionKeeps(reinterpret_cast<const unsigned char*>(records->seq.s), records->seq.l, coded);
      return true;
#endif
    }
    // A line a read can be: the longest read, and a carriage return after it.
    const size_t cap = static_cast<size_t>(kLongestRead) + 1;
    LineCount counted;
    const bool count = numbering == Numbering::kKeptLines;
    if (!lines.fNext(line, cap, count, counted, problem)) return false;
    ++unit;
    numbered = !count || (counted.letters > 0 && counted.letters <= static_cast<uint64_t>(kLongestRead) &&
                          counted.codable);
    return true;
  }

  // Makes the current unit's name and letters; only for the reads asked for.
  void fShow() {
#ifdef VANTRELS_HAVE_HTSLIB
    if (numbering == Numbering::kKeptRecords) {
      name.assign(records->name.s, records->name.l);
      letters.assign(records->seq.s, records->seq.l);
      return;
    }
#endif
    name = kRawReadPrefix + std::to_string(unit);
    fShowRawLine(line, letters);
  }

  std::string_view fQuality() const {
#ifdef VANTRELS_HAVE_HTSLIB
    if (numbering == Numbering::kKeptRecords && qualities) return std::string_view(records->qual.s, records->qual.l);
#endif
    return std::string_view();
  }
};

ReadsOrigin fReadsOrigin(const PreparedInput& reads, Encoding handed, const std::string& sourcePath) {
  ReadsOrigin origin;
  origin.path = sourcePath;
  origin.kind = reads.kind;
  origin.handed = handed;
  return origin;
}

ReadNameResolver::ReadNameResolver() = default;
ReadNameResolver::~ReadNameResolver() = default;

int ReadNameResolver::fOpen(const ReadsOrigin& origin, std::string& problem) {
  Input = std::make_unique<Source>();
  Current = 0;
  Problem.clear();
  Source& input = *Input;
  const bool raw = origin.kind == InputKind::kRawCoded || origin.kind == InputKind::kRawLetters;
  // The command line hands raw reads over line for line, except letters that
  // a procedure reads as code bytes: those are converted, and lose reads.
  if (raw && !(origin.kind == InputKind::kRawLetters && origin.handed == Encoding::kCodes)) {
    input.numbering = Numbering::kEveryLine;
  } else {
    input.numbering = raw ? Numbering::kKeptLines : Numbering::kKeptRecords;
    input.coded = origin.handed == Encoding::kCodes;
    input.qualities = origin.kind == InputKind::kFastq;
#ifndef VANTRELS_HAVE_HTSLIB
    problem = kNoHtslib;
    return 1;
#endif
  }
#ifdef VANTRELS_HAVE_HTSLIB
  if (input.numbering == Numbering::kKeptRecords) {
    if (!input.stream.bytes.open(origin.path, "it")) {
      problem = input.stream.bytes.problem();
      return 2;
    }
    input.records = kseq_init(&input.stream);
    return 0;
  }
#endif
  if (!input.lines.fOpen(origin.path, problem)) return 2;
  return 0;
}

bool ReadNameResolver::fSeek(uint64_t readNumber) {
  if (!Input || readNumber < Current || readNumber == 0) return false;
  if (readNumber == Current) return true;
  while (Current < readNumber) {
    bool numbered = false;
    if (!Input->fNextUnit(numbered, Problem)) {
      if (Problem.empty()) {
        char text[256];
        std::snprintf(text, sizeof text, kFewerReads, static_cast<unsigned long long>(readNumber));
        Problem = text;
      } else {
        Problem = fSentence(kBroken, Problem.c_str());
      }
      Input.reset();
      return false;
    }
    if (numbered) ++Current;
  }
  Input->fShow();
  return true;
}

std::string_view ReadNameResolver::fName() const { return Input ? std::string_view(Input->name) : std::string_view(); }
std::string_view ReadNameResolver::fLetters() const {
  return Input ? std::string_view(Input->letters) : std::string_view();
}
std::string_view ReadNameResolver::fQuality() const { return Input ? Input->fQuality() : std::string_view(); }
bool ReadNameResolver::fHasQualities() const { return Input && Input->qualities; }

int ReadNames::fResolve(const ReadsOrigin& origin, const std::vector<uint32_t>& numbers, std::string& problem) {
  Numbers.clear();
  Starts.clear();
  Text.clear();
  if (numbers.empty()) return 0;
  ReadNameResolver resolver;
  int code = resolver.fOpen(origin, problem);
  if (code != 0) return code;
  Starts.reserve(numbers.size() + 1);
  for (uint32_t number : numbers) {
    if (!resolver.fSeek(number)) {
      problem = resolver.problem();
      return 2;
    }
    Starts.push_back(Text.size());
    Text.append(resolver.fName());
  }
  Starts.push_back(Text.size());
  Numbers = numbers;
  return 0;
}

std::string_view ReadNames::fName(uint32_t readNumber) const {
  auto found = std::lower_bound(Numbers.begin(), Numbers.end(), readNumber);
  if (found == Numbers.end() || *found != readNumber) return std::string_view();
  size_t i = static_cast<size_t>(found - Numbers.begin());
  return std::string_view(Text).substr(Starts[i], Starts[i + 1] - Starts[i]);
}
