// Reads taken from a reads file a batch at a time, so that the seeds of a
// whole batch are looked up in the 12-mer index before the first read of it
// is searched: the cache misses of the root table and the genome overlap
// instead of following one another read by read.
#pragma once
#include <cstdint>
#include <istream>
#include <vector>

struct ReadBatch {
  static constexpr int kDepth = 16;
  std::vector<unsigned char> bases;  // kDepth slots of MaxLineLength bytes
  int32_t length[kDepth] = {};
  int32_t count = 0;
  bool ended = false;  // the reads file has no further read

  ReadBatch();
  unsigned char* fSlot(int32_t i) { return bases.data() + static_cast<size_t>(i) * slotSize; }
  const unsigned char* fSlot(int32_t i) const { return bases.data() + static_cast<size_t>(i) * slotSize; }

 private:
  size_t slotSize;
};

// Takes up to kDepth further reads with fNextRead (each counted in InputReads).
// Returns the number taken; 0 once the reads file has ended.
int32_t fFillBatch(ReadBatch& batch, std::istream& reads, bool letterReads);

// Puts read i of the batch into InputLine, where the searches expect it.
void fTakeFromBatch(ReadBatch& batch, int32_t i);
