#include "prep/conversion.h"

#include "driver/run_state.h"
#include "prep/command_line.h"

static const size_t kListedPositions = 5;
static const size_t kOutputBuffer = size_t(1) << 20;
static const size_t kReadLimit = static_cast<size_t>(kLongestRead);

static bool fIsLowerCase(unsigned char byte) { return static_cast<unsigned char>(byte - 'a') < 26u; }

void fTakeRecord(const char* letters, size_t length, const GenomeChoice& choice, GenomeLetters& genome) {
  const LetterTables& tables = fLetterTables();
  genome = GenomeLetters();
  genome.bases.reserve(length);
  const unsigned char replacementCode = tables.code[static_cast<unsigned char>(choice.replacement)];
  uint64_t position = 0;
  for (size_t i = 0; i < length; ++i) {
    unsigned char byte = static_cast<unsigned char>(letters[i]);
    unsigned char code = tables.code[byte];
    if (code == kBlank) {
      ++genome.blanks;
      continue;
    }
    ++position;
    if (code == kNotBase) {
      ++genome.others;
      if (genome.firstOthers.size() < kListedPositions) genome.firstOthers.push_back(position);
      if (choice.policy != NonAcgt::kReplace) continue;
      code = replacementCode;
    } else {
      genome.lowerCase += fIsLowerCase(byte);
    }
    genome.bases.push_back(choice.coded ? static_cast<char>(code) : "ACGT"[code]);
  }
}

bool GenomeChooser::offer(const char* name, const char* letters, size_t length) {
  records_.push_back({name, length});
  bool wantedHere = choice_.named ? choice_.record == name : records_.size() == 1;
  if (!wantedHere) return true;
  if (taken_) {
    twice_ = true;
    return false;
  }
  taken_ = true;
  takenName_ = name;
  takenLength_ = length;
  if (length >= kGenomeLimit) return true;  // refused by finish(), once every name is known
  fTakeRecord(letters, length, choice_, genome_);
  return true;
}

GenomeStatus GenomeChooser::finish() {
  if (twice_) return GenomeStatus::kTwiceNamed;
  if (records_.empty()) return GenomeStatus::kNoRecord;
  if (!choice_.named && records_.size() > 1) return GenomeStatus::kSeveralRecords;
  if (!taken_) return GenomeStatus::kNoSuchRecord;
  letters_ = takenLength_ >= kGenomeLimit ? takenLength_ : genome_.bases.size();
  if (letters_ >= kGenomeLimit) return GenomeStatus::kTooLong;
  if (genome_.others > 0 && choice_.policy == NonAcgt::kFail) return GenomeStatus::kNonAcgt;
  if (letters_ == 0) return genome_.others > 0 ? GenomeStatus::kNothingLeft : GenomeStatus::kEmptyRecord;
  return GenomeStatus::kTaken;
}

ReadConverter::ReadConverter(bool coded, int64_t minLength, int64_t maxLength, OutputFile& output)
    : coded_(coded), minLength_(minLength), maxLength_(maxLength), output_(output), buffer_(kOutputBuffer) {}

// Letters of a read without its blanks; only asked for reads too long at first sight.
static size_t fLettersWithoutBlanks(const unsigned char* letters, size_t length) {
  const LetterTables& tables = fLetterTables();
  size_t count = 0;
  for (size_t i = 0; i < length; ++i) count += tables.code[letters[i]] != kBlank;
  return count;
}

void ReadConverter::take(const unsigned char* letters, size_t raw) {
  // The per-read path: no allocation, no stream formatting; the read is
  // translated straight into the output buffer and dropped again by rewinding.
  ++counts_.read;
  if (raw > kReadLimit && fLettersWithoutBlanks(letters, raw) > kReadLimit) {
    ++counts_.overLong;
    return;
  }
  if (buffer_.size() - used_ < kReadLimit + 1) {
    output_.write(buffer_.data(), used_);
    used_ = 0;
  }
  const LetterTables& tables = fLetterTables();
  char* read = buffer_.data() + used_;
  size_t length = 0;
  bool codable = true, lower = false;
  if (coded_) {
    for (size_t i = 0; i < raw; ++i) {
      unsigned char code = tables.code[letters[i]];
      if (code == kBlank) continue;
      codable &= code != kNotBase;
      lower |= fIsLowerCase(letters[i]);
      read[length++] = static_cast<char>(code);
    }
  } else {
    for (size_t i = 0; i < raw; ++i) {
      unsigned char letter = tables.letter[letters[i]];
      if (letter == 0) continue;
      lower |= letter != letters[i];
      read[length++] = static_cast<char>(letter);
    }
  }
  if (length == 0) {
    ++counts_.empty;
  } else if (static_cast<int64_t>(length) < minLength_) {
    ++counts_.tooShort;
  } else if (static_cast<int64_t>(length) > maxLength_) {
    ++counts_.tooLong;
  } else if (!codable) {
    ++counts_.notCodable;
  } else {
    read[length] = '\n';
    used_ += length + 1;
    ++counts_.written;
    counts_.lowerCase += lower;
  }
}

void ReadConverter::finish() {
  output_.write(buffer_.data(), used_);
  used_ = 0;
}

size_t fDecodeCodes(unsigned char* bytes, size_t count, uint64_t& lineFeeds) {
  static const unsigned char kLetterOf[256] = {'A', 'C', 'G', 'T', 0, 0, 0, 0, 0, 0, '\n'};
  for (size_t i = 0; i < count; ++i) {
    unsigned char letter = kLetterOf[bytes[i]];
    if (letter == 0) return i;
    bytes[i] = letter;
    lineFeeds += letter == '\n';
  }
  return count;
}
