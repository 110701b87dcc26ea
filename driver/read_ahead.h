// Reads looked at some reads ahead of the one being matched, so that the
// index entries their seeds lead to are on their way from memory while the
// reads before them are matched: one lookup costs a few cache misses, and
// taken one read at a time they would follow one another. The batches of the
// read pass (driver/read_batches.h, fWalkShare) walk their reads this way.
//
// A procedure says what to ask for through a hook, a class with
//   struct Seeds;  what it notes of a read when it is taken (its seed keys)
//   bool fTake(HeldRead<Seeds>& read);
//       the read has just been taken, kTakeAhead reads before its turn: note
//       its seeds (the hook may code the read in place) and ask for their root
//       entries. False drops the read: it is never handed out.
//   void fFollow(const HeldRead<Seeds>& read);    kFollowAt reads before its turn
//   void fFollowOn(const HeldRead<Seeds>& read);  kFollowOnAt reads before its turn
//       the entries asked for a step earlier have come: ask for what they lead
//       to (a run's entries, a site's genome bases and chain link).
// Every read handed out has been through each step once, in file order. The
// hook is a template argument, so its steps are inlined: no indirect call per read.
#pragma once
#include <cstdint>

// A read held ahead.
template <class Seeds>
struct HeldRead {
  unsigned char* bases;  // the line as taken, in its batch
  int32_t length;        // the line's length, as the batch took it
  int32_t number;        // InputReads once it was taken: its line in the reads file
  Seeds seeds;
};

// How far ahead of its turn a read goes through each step of its hook; the
// reads held ahead fit a ring of kAheadSlots.
constexpr uint32_t kAheadSlots = 32;  // a power of two, above kTakeAhead
constexpr uint32_t kTakeAhead = 24;
constexpr uint32_t kFollowAt = 12;
constexpr uint32_t kFollowOnAt = 4;
