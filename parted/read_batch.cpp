#include "parted/read_batch.h"

#include <cstring>

#include "driver/file_helpers.h"
#include "driver/run_state.h"

ReadBatch::ReadBatch()
    : bases(static_cast<size_t>(kDepth) * static_cast<size_t>(MaxLineLength)),
      slotSize(static_cast<size_t>(MaxLineLength)) {}

int32_t fFillBatch(ReadBatch& batch, std::istream& reads, bool letterReads) {
  batch.count = 0;
  while (!batch.ended && batch.count < ReadBatch::kDepth) {
    int32_t length = 0;
    if (!fNextRead(reads, letterReads, length)) {
      batch.ended = true;
      break;
    }
    std::memcpy(batch.fSlot(batch.count), InputLine, static_cast<size_t>(length));
    batch.length[batch.count++] = length;
  }
  return batch.count;
}

void fTakeFromBatch(ReadBatch& batch, int32_t i) {
  std::memcpy(InputLine, batch.fSlot(i), static_cast<size_t>(batch.length[i]));
}
