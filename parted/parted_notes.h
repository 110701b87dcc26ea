// What the parted-read and circular-RNA procedures tell the standard outputs
// beyond their native tables: which read each kept hit came from, and which
// end of the read held its seed. One note per hit through ReadNotes
// (driver/notes.h), in the order the hits join their strand's list, so that
// sorted as the native table sorts them they meet its rows one for one. With
// no sink open, as in the selection-file run, a note costs the test of a pointer.
#pragma once
#include <cstdint>

#include "driver/notes.h"
#include "parted/parted_hit.h"

struct PartedNote {
  int32_t pos;          // the hit's pos: 1-based on the upper strand, 0 or below across the origin
  uint32_t readNumber;  // the read's line in the reads file the procedure read
  int16_t rSz;
  int16_t leftSz;
  int16_t rightSz;
  uint8_t strand;  // kUpperPartedNote: the read itself; kLowerPartedNote: its reverse complement
  uint8_t seed;    // kHeadSeedNote: the searched text's first 12 bases; kEndSeedNote: its last 12
};
static_assert(sizeof(PartedNote) == 16, "parted notes are 16 bytes on disk");
constexpr uint8_t kUpperPartedNote = 0;
constexpr uint8_t kLowerPartedNote = 1;
constexpr uint8_t kHeadSeedNote = 0;
constexpr uint8_t kEndSeedNote = 1;

inline void fNotePartedHit(const PartedHit& hit, uint32_t readNumber, uint8_t strand, uint8_t seed) {
  if (!ReadNotes.fOn()) return;
  const PartedNote note{hit.pos, readNumber, hit.rSz, hit.leftSz, hit.rightSz, strand, seed};
  ReadNotes.fAdd(&note, sizeof note);
}
