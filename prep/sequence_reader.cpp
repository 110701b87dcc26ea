#include "prep/sequence_reader.h"

#include <htslib/bgzf.h>
#include <htslib/hfile.h>
#include <htslib/hts_log.h>
#include <htslib/kseq.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>

#include "prep/progress.h"

static const char* const kCantOpen = "cannot open %s: %s";
static const char* const kDamagedStream =
    "%s is damaged or cut short: its compressed data breaks off before the end";
static const char* const kBadQuality =
    "record %s: the quality line is missing or differs in length from the letters";
static const char* const kTooLong = "record %s is too long to be read (2^31 letters or more)";

static std::string fFormat(const char* format, const std::string& first, const char* second = "") {
  char text[8192];
  std::snprintf(text, sizeof text, format, first.c_str(), second);
  return text;
}

struct ByteReader::Stream {
  BGZF* file = nullptr;
};

ByteReader::ByteReader() = default;

ByteReader::~ByteReader() {
  if (stream_ && stream_->file != nullptr) bgzf_close(stream_->file);
}

bool ByteReader::open(const std::string& path, const std::string& name) {
  // htslib would print its own lines about a damaged stream; this reader says it once, in its words.
  hts_set_log_level(HTS_LOG_OFF);
  name_ = name.empty() ? path : name;
  stream_ = std::make_unique<Stream>();
  std::error_code failure;
  if (std::filesystem::is_directory(path, failure)) {
    problem_ = fFormat(kCantOpen, name_, std::strerror(EISDIR));
    return false;
  }
  errno = 0;
  stream_->file = bgzf_open(path.c_str(), "r");
  if (stream_->file == nullptr) {
    problem_ = fFormat(kCantOpen, name_, errno != 0 ? std::strerror(errno) : "not a readable file");
    return false;
  }
  return true;
}

int64_t ByteReader::read(void* buffer, size_t size) {
  ssize_t got = bgzf_read(stream_->file, buffer, size);
  if (got < 0) {
    problem_ = fFormat(kDamagedStream, name_);
    return -1;
  }
  return static_cast<int64_t>(got);
}

uint64_t ByteReader::consumed() const { return static_cast<uint64_t>(htell(stream_->file->fp)); }

struct SequenceReader::Source {
  ByteReader bytes;
  Progress* progress = nullptr;
  bool streamFailed = false;
  uint64_t contentBytes = 0;  // after decompression
  bool fastq = false;         // the first record starts with '@': every record needs its qualities
  bool firstSeen = false;     // the first byte that is not blank has been seen
  void* records = nullptr;    // kseq_t, whose type exists only below
};

// kseq takes a read of 0 as the end of input; an error is kept aside and told
// apart from the end afterwards (a negative count would make kseq read again
// for ever).
static int fReadChunk(SequenceReader::Source* source, unsigned char* buffer, int size) {
  int64_t got = source->bytes.read(buffer, static_cast<size_t>(size));
  if (got < 0) {
    source->streamFailed = true;
    return 0;
  }
  for (int64_t at = 0; !source->firstSeen && at < got; ++at) {
    if (std::isspace(buffer[at])) continue;
    source->firstSeen = true;
    source->fastq = buffer[at] == '@';
  }
  source->contentBytes += static_cast<uint64_t>(got);
  if (source->progress != nullptr) source->progress->update(source->bytes.consumed());
  return static_cast<int>(got);
}

namespace {
KSEQ_INIT(SequenceReader::Source*, fReadChunk)
}

static kseq_t* fRecords(const std::unique_ptr<SequenceReader::Source>& source) {
  return static_cast<kseq_t*>(source->records);
}

SequenceReader::SequenceReader() = default;

SequenceReader::~SequenceReader() {
  if (source_ && source_->records != nullptr) kseq_destroy(fRecords(source_));
}

bool SequenceReader::open(const std::string& path, Progress* progress, const std::string& name) {
  source_ = std::make_unique<Source>();
  source_->progress = progress;
  if (!source_->bytes.open(path, name)) {
    problem_ = source_->bytes.problem();
    return false;
  }
  source_->records = kseq_init(source_.get());
  return true;
}

SequenceReader::Status SequenceReader::next() {
  kseq_t* records = fRecords(source_);
  int got = kseq_read(records);
  if (source_->streamFailed) {
    problem_ = source_->bytes.problem();
    return kFailed;
  }
  // A record of a FASTQ file without a quality line would come out of a
  // FASTQ writer without qualities.
  if (got >= 0 && source_->fastq && records->seq.l > 0 && records->qual.l == 0) {
    problem_ = fFormat(kBadQuality, records->name.s);
    return kFailed;
  }
  if (got >= 0) return kRecord;
  if (got == -1) return kEnd;
  if (records->seq.l > static_cast<size_t>(INT_MAX)) {
    problem_ = fFormat(kTooLong, records->name.s);
  } else {
    problem_ = fFormat(kBadQuality, records->name.s);
  }
  return kFailed;
}

const char* SequenceReader::name() const { return fRecords(source_)->name.s; }
const char* SequenceReader::letters() const { return fRecords(source_)->seq.s; }
size_t SequenceReader::length() const { return fRecords(source_)->seq.l; }
bool SequenceReader::sawContent() const { return source_->contentBytes > 0; }

uint64_t fInputBytes(const std::string& path) {
  std::error_code failure;
  uintmax_t bytes = std::filesystem::file_size(path, failure);
  return failure ? 0 : static_cast<uint64_t>(bytes);
}
