#include "cli/inputs.h"

#include <cerrno>
#include <cinttypes>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <vector>

#include "driver/file_helpers.h"
#include "platform/platform.h"
#ifdef VANTRELS_HAVE_HTSLIB
#include "prep/command_line.h"
#include "prep/conversion.h"
#include "prep/output_file.h"
#include "prep/sequence_reader.h"
#endif

static const size_t kHeadBytes = size_t(64) << 10;  // content looked at to tell the format
static const size_t kChunk = size_t(1) << 20;
static const size_t kListedRecords = 20;
static const char* const kStandardInput = "-";
static const char* const kStandardInputStem = "stdin";
static const char* const kGenomeFolder = "genome";
static const char* const kLettersEnding = ".txt";
static const char* const kCodesEnding = ".bin";
// How a reader's messages call the file, after "--reads NAME: ".
static const char* const kItself = "it";

static const char* const kNotFound = "not found";
static const char* const kUnreadable = "cannot be read (%s)";
static const char* const kDirectory = "is a directory, not a file";
static const char* const kTwiceCompressed = "is compressed twice; decompress it once and give that file";
static const char* const kNoHtslib = "is %s, and this vantrels was built without FASTA/FASTQ support (htslib); %s";
static const char* const kDecompressFirst = "decompress it and give that file";
static const char* const kGiveRaw = "give a raw file of letters or code bytes";
static const char* const kNoConversion =
    "holds %s, the procedure reads %s, and this vantrels was built without FASTA/FASTQ support (htslib), "
    "which converts them; give a raw %s file of %s";
static const char* const kEmptyGenome = "is empty; give a genome of at least one base";
static const char* const kRecordOfRaw = "is a raw genome without FASTA records; leave out --record";
static const char* const kSeveralRecords =
    "holds %zu records (%s); vantrels holds one genome: choose one with --record NAME";
static const char* const kNoSuchRecord = "holds no record named %s (--record); its records are: %s";
static const char* const kTwiceNamed = "holds more than one record named %s; give a genome in which the name is unique";
static const char* const kNoRecord = "holds no FASTA record (a record starts with a line '>NAME')";
static const char* const kEmptyRecord = "record %s holds no letters";
static const char* const kTooLong = "%s has %" PRIu64 " letters; vantrels holds genomes of fewer than 2^31 letters";
static const char* const kTooLarge = "is larger than any genome vantrels holds (fewer than 2^31 bases)";
static const char* const kNonAcgt =
    "%s has %" PRIu64 " letters other than A, C, G, T, the first at %s (counting from 1); %s";
static const char* const kNonAcgtFasta =
    "write the genome without them with vantrels prep genome --non-acgt skip (or A, C, G, T) and give that file";
static const char* const kNonAcgtRaw = "remove or replace them";
static const char* const kNotACode =
    "byte %u at offset %" PRIu64 " (counting from 0) is neither a base code 0..3 nor a line feed, "
    "though the file starts as code bytes; check the file";
static const char* const kCantCopy = "cannot copy it to %s (%s)";
static const char* const kCantCreate = "cannot create %s (%s)";
static const char* const kNoMemory = "out of memory while converting it";

// Keys of the run summary: what a conversion read, wrote, left out or changed.
static const char* const kKeyGenomeRecords = "genome_records_in_file";
static const char* const kKeyGenomeBases = "genome_bases";
static const char* const kKeyGenomeLowerCase = "genome_lower_case_letters";
static const char* const kKeyGenomeBlanks = "genome_blanks_dropped";
static const char* const kKeyGenomeLineFeeds = "genome_line_feeds_dropped";
static const char* const kKeyReadsRecords = "reads_records_in_file";
static const char* const kKeyReadsWritten = "reads_written";
static const char* const kKeyReadsEmpty = "reads_left_out_empty";
static const char* const kKeyReadsOverLong = "reads_left_out_over_5119_letters";
static const char* const kKeyReadsNotAcgt = "reads_left_out_not_acgt";
static const char* const kKeyReadsLowerCase = "reads_with_lower_case_letters";

namespace {

enum Exit { kDone = 0, kUsage = 1, kInput = 2, kOutput = 3, kMemory = 4 };

// Where an input is read from: the user's file, or the copy of standard input.
struct Source {
  std::string option;  // "--genome", "--reads"
  std::string path;
  bool copied = false;
  Recognition found;
};

}  // namespace

static std::string fFormat(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
static std::string fFormat(const char* format, ...) {
  char text[8192];
  va_list rest;
  va_start(rest, format);
  std::vsnprintf(text, sizeof text, format, rest);
  va_end(rest);
  return text;
}

static std::string fJoin(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return fIsPathSeparator(folder.back()) ? folder + name : folder + PlatformSeparator + name;
}

static bool fEndsWith(const std::string& text, const std::string& ending) {
  if (text.size() <= ending.size()) return false;
  for (size_t i = 0; i < ending.size(); ++i) {
    char c = text[text.size() - ending.size() + i];
    if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != ending[i]) return false;
  }
  return true;
}

std::string fInputStem(const std::string& userPath) {
  if (userPath == kStandardInput) return kStandardInputStem;
  size_t end = userPath.size();
  while (end > 0 && fIsPathSeparator(userPath[end - 1])) --end;
  size_t start = end;
  while (start > 0 && !fIsPathSeparator(userPath[start - 1])) --start;
  std::string name = userPath.substr(start, end - start);
  for (const char* ending : {".gz", ".bgz", ".bgzf"}) {
    if (fEndsWith(name, ending)) {
      name.resize(name.size() - std::strlen(ending));
      break;
    }
  }
  // A leading dot belongs to the name (".reads"), not to an extension.
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

static bool fIsGzip(const unsigned char* head, size_t count) {
  return count >= 2 && head[0] == 0x1f && head[1] == 0x8b;
}

InputKind fRecogniseContent(const unsigned char* head, size_t count) {
  if (count > 0 && head[0] == '>') return InputKind::kFasta;
  if (count > 0 && head[0] == '@') return InputKind::kFastq;
  for (size_t i = 0; i < count; ++i) {
    if (head[i] > 3 && head[i] != '\n') return InputKind::kRawLetters;
  }
  return InputKind::kRawCoded;
}

static bool fIsRaw(InputKind kind) { return kind == InputKind::kRawCoded || kind == InputKind::kRawLetters; }
static Encoding fRawEncoding(InputKind kind) { return kind == InputKind::kRawCoded ? Encoding::kCodes : Encoding::kLetters; }
static const char* fEnding(Encoding encoding) { return encoding == Encoding::kCodes ? kCodesEnding : kLettersEnding; }

int fRecogniseInput(const std::string& path, Recognition& found, std::string& why) {
  found = Recognition();
  if (fPlatformIsDirectory(path.c_str())) {
    why = kDirectory;
    return kInput;
  }
  errno = 0;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    why = errno == ENOENT ? kNotFound : fFormat(kUnreadable, std::strerror(errno));
    return kInput;
  }
  std::vector<unsigned char> head(kHeadBytes);
  size_t got = std::fread(head.data(), 1, head.size(), file);
  bool failed = std::ferror(file) != 0;
  int readError = errno;
  std::fclose(file);
  if (failed) {
    why = fFormat(kUnreadable, std::strerror(readError));
    return kInput;
  }
  if (fIsGzip(head.data(), got)) {
    found.compressed = true;
#ifdef VANTRELS_HAVE_HTSLIB
    ByteReader content;
    if (!content.open(path, kItself)) {
      why = content.problem();
      return kInput;
    }
    got = 0;
    while (got < head.size()) {
      int64_t more = content.read(head.data() + got, head.size() - got);
      if (more < 0) {
        why = content.problem();
        return kInput;
      }
      if (more == 0) break;
      got += static_cast<size_t>(more);
    }
    if (fIsGzip(head.data(), got)) {
      why = kTwiceCompressed;
      return kInput;
    }
#else
    why = fFormat(kNoHtslib, "gzip-compressed", kDecompressFirst);
    return kUsage;
#endif
  }
  found.kind = fRecogniseContent(head.data(), got);
  found.empty = got == 0;
#ifndef VANTRELS_HAVE_HTSLIB
  if (!fIsRaw(found.kind)) {
    why = fFormat(kNoHtslib, found.kind == InputKind::kFasta ? "FASTA" : "FASTQ", kGiveRaw);
    return kUsage;
  }
#endif
  return kDone;
}

// Copies all of `input` to `to`; 0, or 2 (reading failed) or 3 (writing failed) with `why` set.
static int fCopyStream(FILE* input, const std::string& to, std::string& why) {
  errno = 0;
  FILE* output = std::fopen(to.c_str(), "wb");
  if (output == nullptr) {
    why = fFormat(kCantCreate, to.c_str(), std::strerror(errno));
    return kOutput;
  }
  std::vector<char> chunk(kChunk);
  size_t got;
  bool written = true;
  while (written && (got = std::fread(chunk.data(), 1, chunk.size(), input)) > 0)
    written = std::fwrite(chunk.data(), 1, got, output) == got;
  int code = kDone;
  if (std::ferror(input)) {
    why = fFormat(kUnreadable, std::strerror(errno));
    code = kInput;
  }
  written = std::fclose(output) == 0 && written;
  if (code == kDone && !written) {
    why = fFormat(kCantCopy, to.c_str(), std::strerror(errno));
    code = kOutput;
  }
  if (code != kDone) fPlatformRemove(to.c_str());
  return code;
}

// The user's raw file under the user's stem in the private folder, when its own
// name would give result names another stem: a link where the file system
// allows one, a copy otherwise.
static int fLinkOrCopy(const std::string& from, const std::string& to, std::string& why) {
  std::error_code failure;
  std::filesystem::create_hard_link(from, to, failure);
  if (!failure) return kDone;
  FILE* input = std::fopen(from.c_str(), "rb");
  if (input == nullptr) {
    why = fFormat(kUnreadable, std::strerror(errno));
    return kInput;
  }
  int code = fCopyStream(input, to, why);
  std::fclose(input);
  return code;
}

static std::string fLabel(const Source& source, const std::string& userPath) { return source.option + " " + userPath; }

// A pipe, a device or standard input: what is read from it is gone.
static bool fIsStream(const std::string& userPath) {
  if (userPath == kStandardInput) return true;
  std::error_code failure;
  std::filesystem::file_status status = std::filesystem::status(userPath, failure);
  return !failure && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
         !std::filesystem::is_directory(status);
}

// Opens the input for reading. Standard input and pipes are copied into the
// private folder first: they can be read only once, and the format is told
// before the reading.
static int fOpenSource(const std::string& userPath, const char* option, const char* role, const std::string& workDir,
                       Source& source, std::string& problem) {
  source.option = option;
  source.path = userPath;
  std::string why;
  if (fIsStream(userPath)) {
    source.path = fJoin(workDir, std::string(".") + role + "-stream.copy");
    source.copied = true;
    errno = 0;
    FILE* input = userPath == kStandardInput ? stdin : std::fopen(userPath.c_str(), "rb");
    int code = kInput;
    if (input == nullptr) {
      why = fFormat(kUnreadable, std::strerror(errno));
    } else {
      code = fCopyStream(input, source.path, why);
      if (input != stdin) std::fclose(input);
    }
    if (code != kDone) {
      problem = fLabel(source, userPath) + ": " + why;
      return code;
    }
  }
  int code = fRecogniseInput(source.path, source.found, why);
  if (code != kDone) {
    problem = fLabel(source, userPath) + ": " + why;
    if (source.copied) fPlatformRemove(source.path.c_str());
  }
  return code;
}

// Hands over a raw file in the wanted encoding: the user's file itself when its
// name gives the user's stem, otherwise a link or copy named with the stem.
static int fHandOver(const Source& source, const std::string& userPath, const std::string& target,
                     PreparedInput& out, std::string& problem) {
  if (!source.copied && fFileStem(userPath) == out.stem) {
    out.path = userPath;
    return kDone;
  }
  std::string why;
  int code = kDone;
  std::error_code failure;
  std::filesystem::path folder = std::filesystem::path(target).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, failure);
  if (failure) {
    why = fFormat(kCantCreate, folder.string().c_str(), failure.message().c_str());
    code = kOutput;
  } else if (source.copied) {
    fPlatformRemove(target.c_str());
    if (std::rename(source.path.c_str(), target.c_str()) != 0) {
      why = fFormat(kCantCopy, target.c_str(), std::strerror(errno));
      code = kOutput;
    }
  } else {
    code = fLinkOrCopy(userPath, target, why);
  }
  if (code != kDone && source.copied) fPlatformRemove(source.path.c_str());
  if (code != kDone) {
    problem = fLabel(source, userPath) + ": " + why;
    return code;
  }
  out.path = target;
  return kDone;
}

#ifdef VANTRELS_HAVE_HTSLIB

static void fCount(PreparedInput& out, const char* key, uint64_t value) {
  out.counts.emplace_back(key, std::to_string(value));
}

// Raw content copied as it stands (decompressed) or decoded from code bytes
// into letters; `records` counts its lines. 0, 2 or 3 with `why` set.
static int fCopyContent(const Source& source, bool decode, OutputFile& output, uint64_t& records, std::string& why) {
  ByteReader content;
  if (!content.open(source.path, kItself)) {
    why = content.problem();
    return kInput;
  }
  std::vector<unsigned char> chunk(kChunk);
  uint64_t offset = 0, lineFeeds = 0;
  bool endsInLineFeed = true;
  int64_t got;
  while ((got = content.read(chunk.data(), chunk.size())) > 0) {
    size_t count = static_cast<size_t>(got);
    if (decode) {
      size_t decoded = fDecodeCodes(chunk.data(), count, lineFeeds);
      if (decoded < count) {
        why = fFormat(kNotACode, chunk[decoded], offset + decoded);
        return kInput;
      }
    } else {
      for (size_t i = 0; i < count; ++i) lineFeeds += chunk[i] == '\n';
    }
    output.write(reinterpret_cast<const char*>(chunk.data()), count);
    endsInLineFeed = chunk[count - 1] == '\n';
    offset += count;
  }
  if (got < 0) {
    why = content.problem();
    return kInput;
  }
  records = lineFeeds + (endsInLineFeed ? 0 : 1);
  return kDone;
}

// Raw letter reads, one per line, through the reads policies of vantrels-prep.
static int fConvertRawReads(const Source& source, ReadConverter& converter, std::string& why) {
  ByteReader content;
  if (!content.open(source.path, kItself)) {
    why = content.problem();
    return kInput;
  }
  const LetterTables& tables = fLetterTables();
  std::vector<unsigned char> chunk(kChunk);
  // A line that runs over the end of a chunk; once it holds more letters than
  // any read can, the rest of it can't change its fate and is not kept.
  std::string carried;
  size_t carriedLetters = 0;
  auto carry = [&](const unsigned char* bytes, size_t count) {
    if (carriedLetters > static_cast<size_t>(kLongestRead)) return;
    carried.append(reinterpret_cast<const char*>(bytes), count);
    for (size_t i = 0; i < count; ++i) carriedLetters += tables.code[bytes[i]] != kBlank;
  };
  int64_t got;
  while ((got = content.read(chunk.data(), chunk.size())) > 0) {
    const unsigned char* at = chunk.data();
    const unsigned char* end = at + got;
    while (at < end) {
      const unsigned char* lineEnd = static_cast<const unsigned char*>(std::memchr(at, '\n', end - at));
      if (lineEnd == nullptr) {
        carry(at, end - at);
        break;
      }
      if (carried.empty()) {
        converter.take(at, lineEnd - at);
      } else {
        carry(at, lineEnd - at);
        converter.take(reinterpret_cast<const unsigned char*>(carried.data()), carried.size());
        carried.clear();
        carriedLetters = 0;
      }
      at = lineEnd + 1;
    }
  }
  if (got < 0) {
    why = content.problem();
    return kInput;
  }
  // A last line without a line feed is a read all the same.
  if (!carried.empty()) converter.take(reinterpret_cast<const unsigned char*>(carried.data()), carried.size());
  return kDone;
}

static int fConvertReads(const Source& source, Encoding want, const std::string& target, PreparedInput& out,
                         std::string& problem) {
  const std::string label = fLabel(source, out.shownPath);
  OutputFile output;
  if (!output.open(target)) {
    problem = label + ": " + output.problem();
    return kOutput;
  }
  std::string why;
  int code = kDone;
  const InputKind kind = source.found.kind;
  const bool lettersToCodes = kind == InputKind::kRawLetters && want == Encoding::kCodes && !source.found.empty;
  if (fIsRaw(kind) && !lettersToCodes) {
    // Decompressed as it stands, or code bytes decoded into letters.
    uint64_t records = 0;
    code = fCopyContent(source, kind == InputKind::kRawCoded && want == Encoding::kLetters, output, records, why);
    out.length = static_cast<int64_t>(records);
    fCount(out, kKeyReadsRecords, records);
    fCount(out, kKeyReadsWritten, records);
  } else {
    ReadConverter converter(want == Encoding::kCodes, 0, INT64_MAX, output);
    if (kind == InputKind::kRawLetters) {
      code = fConvertRawReads(source, converter, why);
    } else {
      SequenceReader reader;
      SequenceReader::Status status = SequenceReader::kFailed;
      if (reader.open(source.path, nullptr, kItself)) {
        while ((status = reader.next()) == SequenceReader::kRecord)
          converter.take(reinterpret_cast<const unsigned char*>(reader.letters()), reader.length());
      }
      if (status == SequenceReader::kFailed) {
        why = reader.problem();
        code = kInput;
      }
    }
    converter.finish();
    const ReadCounts& counts = converter.counts();
    out.length = static_cast<int64_t>(counts.written);
    fCount(out, kKeyReadsRecords, counts.read);
    fCount(out, kKeyReadsWritten, counts.written);
    fCount(out, kKeyReadsEmpty, counts.empty);
    fCount(out, kKeyReadsOverLong, counts.overLong);
    if (want == Encoding::kCodes) fCount(out, kKeyReadsNotAcgt, counts.notCodable);
    fCount(out, kKeyReadsLowerCase, counts.lowerCase);
  }
  if (code != kDone) {
    output.abandon();
    out.counts.clear();
    problem = label + ": " + why;
    return code;
  }
  if (!output.commit()) {
    problem = label + ": " + output.problem();
    return kOutput;
  }
  out.path = target;
  return kDone;
}

static std::string fNameList(const std::vector<RecordSummary>& records) {
  std::string names;
  for (size_t i = 0; i < records.size() && i < kListedRecords; ++i) names += (i == 0 ? "" : ", ") + records[i].name;
  if (records.size() > kListedRecords) names += fFormat(" and %zu more", records.size() - kListedRecords);
  return names;
}

static std::string fPositions(const GenomeLetters& genome) {
  std::string positions;
  for (uint64_t position : genome.firstOthers) positions += (positions.empty() ? "" : ", ") + std::to_string(position);
  return positions;
}

// The sentence and exit code of a genome that could not be taken.
static int fRefuseGenome(GenomeStatus status, const GenomeChooser& chooser, const GenomeChoice& choice, bool raw,
                         std::string& why) {
  const std::string what = raw ? std::string("the genome") : "record " + chooser.takenName();
  switch (status) {
    case GenomeStatus::kTaken:
      return kDone;
    case GenomeStatus::kSeveralRecords:
      why = fFormat(kSeveralRecords, chooser.records().size(), fNameList(chooser.records()).c_str());
      return kUsage;
    case GenomeStatus::kNoSuchRecord:
      why = fFormat(kNoSuchRecord, choice.record.c_str(), fNameList(chooser.records()).c_str());
      return kUsage;
    case GenomeStatus::kTwiceNamed:
      why = fFormat(kTwiceNamed, choice.record.c_str());
      return kInput;
    case GenomeStatus::kNoRecord:
      why = kNoRecord;
      return kInput;
    case GenomeStatus::kEmptyRecord:
    case GenomeStatus::kNothingLeft:
      why = raw ? kEmptyGenome : fFormat(kEmptyRecord, chooser.takenName().c_str());
      return kInput;
    case GenomeStatus::kTooLong:
      why = fFormat(kTooLong, what.c_str(), chooser.letters());
      return kInput;
    case GenomeStatus::kNonAcgt:
      why = fFormat(kNonAcgt, what.c_str(), chooser.genome().others, fPositions(chooser.genome()).c_str(),
                    raw ? kNonAcgtRaw : kNonAcgtFasta);
      return kInput;
  }
  return kInput;
}

// A raw genome read whole: code bytes become letters first, line feeds are
// line breaks, then it is one record under the genome policies of vantrels-prep.
static int fReadRawGenome(const Source& source, GenomeChooser& chooser, const std::string& stem, uint64_t& lineFeeds,
                          std::string& why) {
  ByteReader content;
  if (!content.open(source.path, kItself)) {
    why = content.problem();
    return kInput;
  }
  // Line breaks may make a file of fewer than 2^31 bases somewhat larger.
  const uint64_t kLargestFile = kGenomeLimit + kGenomeLimit / 8;
  std::string genome;
  int64_t got;
  do {
    size_t before = genome.size();
    genome.resize(before + kChunk);
    got = content.read(&genome[before], kChunk);
    genome.resize(before + (got > 0 ? static_cast<size_t>(got) : 0));
  } while (got > 0 && genome.size() < kLargestFile);
  if (got < 0) {
    why = content.problem();
    return kInput;
  }
  if (genome.size() >= kLargestFile) {
    why = kTooLarge;
    return kInput;
  }
  if (source.found.kind == InputKind::kRawCoded) {
    uint64_t unused = 0;
    size_t decoded = fDecodeCodes(reinterpret_cast<unsigned char*>(&genome[0]), genome.size(), unused);
    if (decoded < genome.size()) {
      why = fFormat(kNotACode, static_cast<unsigned char>(genome[decoded]), static_cast<uint64_t>(decoded));
      return kInput;
    }
  }
  size_t kept = 0;
  for (char byte : genome) {
    if (byte != '\n') genome[kept++] = byte;
  }
  lineFeeds = genome.size() - kept;
  genome.resize(kept);
  chooser.offer(stem.c_str(), genome.data(), genome.size());
  return kDone;
}

static int fConvertGenome(const Source& source, const std::string& record, Encoding want, const std::string& workDir,
                          PreparedInput& out, std::string& problem) {
  const std::string label = fLabel(source, out.shownPath);
  const bool raw = fIsRaw(source.found.kind);
  GenomeChoice choice;
  choice.coded = want == Encoding::kCodes;
  choice.named = !record.empty();
  choice.record = record;
  GenomeChooser chooser(choice);
  std::string why;
  int code = kDone;
  uint64_t lineFeeds = 0;
  if (raw) {
    code = fReadRawGenome(source, chooser, out.stem, lineFeeds, why);
  } else {
    SequenceReader reader;
    SequenceReader::Status status = SequenceReader::kFailed;
    if (reader.open(source.path, nullptr, kItself)) {
      while ((status = reader.next()) == SequenceReader::kRecord) {
        if (!chooser.offer(reader.name(), reader.letters(), reader.length())) break;
      }
    }
    if (status == SequenceReader::kFailed) {
      why = reader.problem();
      code = kInput;
    }
  }
  if (code == kDone) code = fRefuseGenome(chooser.finish(), chooser, choice, raw, why);
  if (code != kDone) {
    problem = label + ": " + why;
    return code;
  }
  const GenomeLetters& genome = chooser.genome();
  // A record without a name (a bare ">" line) is called after its file, as a raw genome is.
  out.recordName = raw || chooser.takenName().empty() ? out.stem : chooser.takenName();
  out.length = static_cast<int64_t>(genome.bases.size());
  const bool asItStands = raw && !source.found.compressed && fRawEncoding(source.found.kind) == want &&
                          lineFeeds == 0 && genome.blanks == 0;
  const std::string folder = fJoin(workDir, kGenomeFolder);
  const std::string target = fJoin(folder, out.stem + fEnding(want));
  if (asItStands) return fHandOver(source, out.shownPath, target, out, problem);

  std::error_code failure;
  std::filesystem::create_directories(folder, failure);
  OutputFile output;
  if (failure || !output.open(target)) {
    problem = label + ": " + (failure ? fFormat(kCantCreate, folder.c_str(), failure.message().c_str()) : output.problem());
    return kOutput;
  }
  output.write(genome.bases.data(), genome.bases.size());
  if (!output.commit()) {
    problem = label + ": " + output.problem();
    return kOutput;
  }
  if (!raw) fCount(out, kKeyGenomeRecords, chooser.records().size());
  fCount(out, kKeyGenomeBases, genome.bases.size());
  fCount(out, kKeyGenomeLowerCase, genome.lowerCase);
  fCount(out, kKeyGenomeBlanks, genome.blanks);
  if (raw) fCount(out, kKeyGenomeLineFeeds, lineFeeds);
  out.path = target;
  return kDone;
}

#else  // without htslib nothing is converted: raw files in the wanted encoding only

static const char* fEncodingWords(Encoding encoding) { return encoding == Encoding::kCodes ? "code bytes" : "letters"; }

static int fRefuseConversion(const Source& source, Encoding want, const char* role, PreparedInput& out,
                             std::string& problem) {
  problem = fLabel(source, out.shownPath) + ": " +
            fFormat(kNoConversion, fEncodingWords(fRawEncoding(source.found.kind)), fEncodingWords(want), role,
                    fEncodingWords(want));
  return kUsage;
}

#endif

static void fStart(const std::string& userPath, PreparedInput& out) {
  out = PreparedInput();
  out.shownPath = userPath;
  out.stem = fInputStem(userPath);
  if (out.stem.empty()) out.stem = kStandardInputStem;
}

static void fDescribe(const Recognition& found, Encoding want, PreparedInput& out) {
  out.kind = found.empty ? (want == Encoding::kCodes ? InputKind::kRawCoded : InputKind::kRawLetters) : found.kind;
  out.compressed = found.compressed;
  out.hadQualities = found.kind == InputKind::kFastq;
}

static int fPrepareReadsOf(const std::string& userPath, Encoding want, const std::string& workDir,
                           PreparedInput& out, std::string& problem) {
  fStart(userPath, out);
  Source source;
  int code = fOpenSource(userPath, "--reads", "reads", workDir, source, problem);
  if (code != kDone) return code;
  const Recognition& found = source.found;
  fDescribe(found, want, out);
  const std::string target = fJoin(workDir, out.stem + fEnding(want));
  if (fIsRaw(found.kind) && !found.compressed && (found.empty || fRawEncoding(found.kind) == want)) {
    out.length = -1;
    return fHandOver(source, userPath, target, out, problem);
  }
#ifdef VANTRELS_HAVE_HTSLIB
  code = fConvertReads(source, want, target, out, problem);
#else
  code = fRefuseConversion(source, want, "reads", out, problem);
#endif
  if (source.copied) fPlatformRemove(source.path.c_str());
  return code;
}

static int fPrepareGenomeOf(const std::string& userPath, const std::string& record, Encoding want,
                            const std::string& workDir, PreparedInput& out, std::string& problem) {
  fStart(userPath, out);
  Source source;
  int code = fOpenSource(userPath, "--genome", "genome", workDir, source, problem);
  if (code != kDone) return code;
  const Recognition& found = source.found;
  fDescribe(found, want, out);
  if (found.empty) {
    code = kInput;
    problem = fLabel(source, userPath) + ": " + kEmptyGenome;
  } else if (fIsRaw(found.kind) && !record.empty()) {
    code = kUsage;
    problem = fLabel(source, userPath) + ": " + kRecordOfRaw;
  } else {
#ifdef VANTRELS_HAVE_HTSLIB
    code = fConvertGenome(source, record, want, workDir, out, problem);
#else
    // A raw genome is checked by the procedure's own loader, which refuses a byte that is not a base.
    out.recordName = out.stem;
    out.length = -1;
    if (fRawEncoding(found.kind) == want) {
      code = fHandOver(source, userPath, fJoin(fJoin(workDir, kGenomeFolder), out.stem + fEnding(want)), out,
                       problem);
    } else {
      code = fRefuseConversion(source, want, "genome", out, problem);
    }
#endif
  }
  if (source.copied) fPlatformRemove(source.path.c_str());
  return code;
}

int fPrepareGenome(const std::string& userPath, const std::string& record, Encoding want,
                   const std::string& workDir, PreparedInput& out, std::string& problem) {
  try {
    return fPrepareGenomeOf(userPath, record, want, workDir, out, problem);
  } catch (const std::bad_alloc&) {
    problem = std::string("--genome ") + userPath + ": " + kNoMemory;
    return kMemory;
  }
}

int fPrepareReads(const std::string& userPath, Encoding want, const std::string& workDir,
                  PreparedInput& out, std::string& problem) {
  try {
    return fPrepareReadsOf(userPath, want, workDir, out, problem);
  } catch (const std::bad_alloc&) {
    problem = std::string("--reads ") + userPath + ": " + kNoMemory;
    return kMemory;
  }
}
