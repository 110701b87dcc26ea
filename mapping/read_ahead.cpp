#include "mapping/read_ahead.h"

#include <cstring>

#include "driver/file_helpers.h"
#include "driver/run_state.h"
#include "index/index16.h"

ReadAhead::ReadAhead(std::istream& reads, bool letterReads, KeysOf keysOf)
    : reads_(reads), letterReads_(letterReads), keysOf_(keysOf),
      bases_(static_cast<size_t>(kSlots) * MaxLineLength) {}

// Takes one more read from the file into the ring and asks for its run starts.
void ReadAhead::fFill() {
  int32_t length = 0;
  if (ended_ || !fNextRead(reads_, letterReads_, length)) {
    ended_ = true;
    return;
  }
  Slot& slot = slots_[filled_ % kSlots];
  unsigned char* bases = &bases_[(filled_ % kSlots) * MaxLineLength];
  std::memcpy(bases, InputLine, static_cast<size_t>(length));
  slot.length = length;
  slot.keyCount = keysOf_(bases, length, slot.keys);
  for (int k = 0; k < slot.keyCount; ++k) Root16.fPrefetchRun(slot.keys[k]);
  ++filled_;
}

void ReadAhead::fPrefetchEntries(uint64_t read) const {
  if (read >= filled_) return;
  const Slot& slot = slots_[read % kSlots];
  for (int k = 0; k < slot.keyCount; ++k) Root16.fPrefetchEntries(slot.keys[k]);
}

// The highest site of each key: its genome bases and its chain link.
void ReadAhead::fPrefetchSites(uint64_t read) const {
  if (read >= filled_) return;
  const Slot& slot = slots_[read % kSlots];
  for (int k = 0; k < slot.keyCount; ++k) {
    int32_t p = Root16[slot.keys[k]];
    if (p > 0) {
      fPrefetch(Genome + p + 16);
      fPrefetch(Chain16 + p);
    }
  }
}

bool ReadAhead::fNext(int32_t& length) {
  while (!ended_ && filled_ < handed_ + kAhead + 1) fFill();
  if (handed_ == filled_) return false;
  fPrefetchEntries(handed_ + kEntriesAt);
  fPrefetchSites(handed_ + kSitesAt);
  const Slot& slot = slots_[handed_ % kSlots];
  length = slot.length;
  std::memcpy(InputLine, &bases_[(handed_ % kSlots) * MaxLineLength], static_cast<size_t>(length));
  InputLine[length] = '\0';
  ++handed_;
  return true;
}

namespace {
template <bool kLetters>
int fKeysOfWholeRead(const unsigned char* read, int32_t length, uint32_t* keys) {
  if (length < 16) return 0;
  uint32_t upper = 0;
  uint32_t lower = 0;
  for (int i = 0; i < 16; ++i) {
    unsigned first = kLetters ? NucleotideCode[read[i]] : read[i];
    unsigned last = kLetters ? NucleotideCode[read[length - 1 - i]] : read[length - 1 - i];
    upper = (upper << 2) + (first & 3);
    lower = (lower << 2) + (3 - (last & 3));
  }
  keys[0] = upper;
  keys[1] = lower;
  return 2;
}
}  // namespace

int fWholeReadKeys(const unsigned char* read, int32_t length, uint32_t* keys) {
  return fKeysOfWholeRead<false>(read, length, keys);
}

int fWholeLetterReadKeys(const unsigned char* read, int32_t length, uint32_t* keys) {
  return fKeysOfWholeRead<true>(read, length, keys);
}
