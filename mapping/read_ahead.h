// Reading a reads file some reads ahead of the one being matched, so that the
// index entries of the coming reads are on their way from memory while the
// current read is matched: a lookup costs a few memory misses, and taken one
// read at a time they don't overlap.
#pragma once
#include <cstdint>
#include <istream>
#include <vector>

class ReadAhead {
 public:
  // The 16-mer keys a read will be looked up by (at most two); returns their count.
  using KeysOf = int (*)(const unsigned char* read, int32_t length, uint32_t* keys);

  ReadAhead(std::istream& reads, bool letterReads, KeysOf keysOf);
  // Puts the next read into InputLine, as fNextRead does (InputReads counts the
  // reads taken from the file, which run ahead of the ones handed out).
  bool fNext(int32_t& length);

 private:
  static constexpr int kSlots = 32;  // power of two
  static constexpr int kAhead = 24;  // reads in flight beyond the current one
  static constexpr int kEntriesAt = 12;
  static constexpr int kSitesAt = 4;

  struct Slot {
    int32_t length;
    int keyCount;
    uint32_t keys[2];
  };

  void fFill();
  void fPrefetchEntries(uint64_t read) const;
  void fPrefetchSites(uint64_t read) const;

  std::istream& reads_;
  bool letterReads_;
  KeysOf keysOf_;
  bool ended_ = false;
  uint64_t filled_ = 0;
  uint64_t handed_ = 0;
  Slot slots_[kSlots];
  std::vector<unsigned char> bases_;
};

// Keys for the whole-read tests: the first 16 codes and, for the lower strand,
// the reverse complement of the last 16.
int fWholeReadKeys(const unsigned char* read, int32_t length, uint32_t* keys);
// The same for letter reads.
int fWholeLetterReadKeys(const unsigned char* read, int32_t length, uint32_t* keys);
