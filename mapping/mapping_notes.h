// What the read-mapping procedures tell the standard outputs beyond their
// native files: which read each kept stretch, absent read, placement or
// non-correct read was (a record per read through ReadNotes, driver/notes.h),
// and fMatchReadsT_VarSzO's tables while they are still held. With no sink
// open, as in the selection-file run, each costs the test of one pointer.
#pragma once
#include <cstddef>
#include <cstdint>

#include "driver/notes.h"

// Read numbers count the reads the procedure took from its reads file, from
// 1, whether in scope or not: the line of the read in that file.

// fMapReadsOnToSeq: a read whose stretch went to the "_In.bin" file, in the
// order of that file.
struct StretchNote {
  uint32_t readNumber;
  int32_t readLength;
  int32_t stretchLength;
};

// fReadsOutOfSeq, fGetReadsThatOutOfSeq: a read of the scope found on neither strand.
struct AbsentNote {
  uint32_t readNumber;
};

// fMapReadsOneInSeq: a read placed once on the upper strand (at `position`,
// 1-based, its first base), or at many places (position 0).
struct PlacementNote {
  uint32_t readNumber;
  int32_t position;
  int32_t readLength;
  uint32_t places;  // kPlacedOnce or kPlacedMany
};
constexpr uint32_t kPlacedOnce = 1;
constexpr uint32_t kPlacedMany = 2;

// fTestGenomeSborka: a read counted as not correct, and the position (1-based,
// upper strand) at which it was.
struct NonCorrectNote {
  uint32_t readNumber;
  int32_t position;
};

template <class Note>
inline void fNoteRead(const Note& note) {
  ReadNotes.fAdd(&note, sizeof note);
}

// fMatchReadsT_VarSzO's tables once its native files are written: row p
// (genome position 1 .. L) and column c (read length minimal + c) at p * width + c.
struct CoverageTables {
  const int32_t* upper;
  const int32_t* lower;
  const int32_t* hitCount;
  int32_t width;
  int32_t minReadSize;
  int32_t genomeLength;
};

// The weight of the reads starting at a row: each read counts one over its
// number of places. The native tables print it, the standard ones too.
inline double fStartWeight(const int32_t* table, const int32_t* hitCount, size_t row, int32_t width) {
  double weight = 0;
  for (int32_t c = 0; c < width; ++c)
    if (table[row + c] > 0) weight += static_cast<double>(table[row + c]) / hitCount[row + c];
  return weight;
}

// Who takes the tables; none in the selection-file run.
class CoverageTablesTaker {
 public:
  virtual void fTake(const CoverageTables& tables) = 0;

 protected:
  ~CoverageTablesTaker() = default;
};
extern CoverageTablesTaker* CoverageTaker;
