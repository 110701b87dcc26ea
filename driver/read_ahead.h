// Reads taken from a reads file some reads ahead of the one being matched, so
// that the index entries their seeds lead to are on their way from memory
// while the reads before them are matched: one lookup costs a few cache
// misses, and taken one read at a time they would follow one another.
//
// A procedure says what to ask for through a hook, a class with
//   struct Seeds;  what it notes of a read when it is taken (its seed keys)
//   bool fTake(HeldRead<Seeds>& read);
//       the read has just been taken, kTakeAhead reads before its turn: note
//       its seeds (the hook may code the read in place) and ask for their root
//       entries. False drops the read: it counts in InputReads, as every line
//       taken does, but is never handed out.
//   void fFollow(const HeldRead<Seeds>& read);    kFollowAt reads before its turn
//   void fFollowOn(const HeldRead<Seeds>& read);  kFollowOnAt reads before its turn
//       the entries asked for a step earlier have come: ask for what they lead
//       to (a run's entries, a site's genome bases and chain link).
// Every read handed out has been through each step once, in file order. The
// hook is a template argument, so its steps are inlined: no indirect call per read.
#pragma once
#include <cstdint>
#include <cstring>
#include <istream>

#include "driver/file_helpers.h"
#include "driver/memory.h"
#include "driver/run_state.h"

// A read held ahead.
template <class Seeds>
struct HeldRead {
  unsigned char* bases;  // the line as taken, in a slot of the ring
  int32_t length;        // as fNextRead gives it
  int32_t number;        // InputReads once it was taken: its line in the reads file
  Seeds seeds;
};

template <class Hook>
class ReadAhead {
 public:
  using Read = HeldRead<typename Hook::Seeds>;

  static constexpr uint32_t kSlots = 32;  // a power of two, above kTakeAhead
  static constexpr uint32_t kTakeAhead = 24;
  static constexpr uint32_t kFollowAt = 12;
  static constexpr uint32_t kFollowOnAt = 4;
  static constexpr size_t kCacheLine = 64;

  explicit ReadAhead(Hook hook = Hook()) : hook_(hook) {}

  // Room for the reads held ahead, a line each; false when it can't be had.
  // A line and one cache line more apart, so that the slots' first bytes
  // don't all fall into the same few cache sets.
  bool fAllocate() {
    const size_t stride = static_cast<size_t>(MaxLineLength) + kCacheLine;
    if (!lines_.fAllocate(kSlots * stride)) return false;
    for (uint32_t i = 0; i < kSlots; ++i) slots_[i].bases = lines_.data() + i * stride;
    return true;
  }

  // Reads `reads` from its start (the rating reads one file after another).
  void fStart(std::istream& reads, bool letterReads) {
    reads_ = &reads;
    letterReads_ = letterReads;
    ended_ = false;
    taken_ = followed_ = followedOn_ = handed_ = 0;
  }

  // The next read in file order, its bases also copied into InputLine with a
  // terminating 0 after them; null at the end of the file or at a line too
  // long for InputLine. The read stays valid until the next call.
  const Read* fNext() {
    while (!ended_ && taken_ - handed_ <= kTakeAhead) fTakeOne();
    if (handed_ == taken_) return nullptr;
    const uint64_t last = taken_ - 1;
    for (const uint64_t upTo = fAtMost(handed_ + kFollowAt, last); followed_ <= upTo; ++followed_)
      hook_.fFollow(slots_[followed_ % kSlots]);
    for (const uint64_t upTo = fAtMost(handed_ + kFollowOnAt, last); followedOn_ <= upTo; ++followedOn_)
      hook_.fFollowOn(slots_[followedOn_ % kSlots]);
    const Read& read = slots_[handed_++ % kSlots];
    std::memcpy(InputLine, read.bases, static_cast<size_t>(read.length));
    InputLine[read.length] = '\0';
    return &read;
  }

 private:
  static uint64_t fAtMost(uint64_t a, uint64_t b) { return a < b ? a : b; }

  void fTakeOne() {
    int32_t length = 0;
    if (!fNextRead(*reads_, letterReads_, length)) {
      ended_ = true;
      return;
    }
    Read& read = slots_[taken_ % kSlots];
    std::memcpy(read.bases, InputLine, static_cast<size_t>(length));
    read.length = length;
    read.number = InputReads;
    if (hook_.fTake(read)) ++taken_;
  }

  Hook hook_;
  std::istream* reads_ = nullptr;
  bool letterReads_ = false;
  bool ended_ = true;
  uint64_t taken_ = 0, followed_ = 0, followedOn_ = 0, handed_ = 0;
  Read slots_[kSlots] = {};
  Block<unsigned char> lines_;
};
