// The large tables (index roots and chains, per-position counts) come from
// the kernel's pages in the program itself. Under the address checker they
// come from malloc instead, so that a read or write past a table's end is
// reported where it happens. The link diverts every call of fAllocateLarge and
// fReleaseLarge here (-Wl,--wrap on their mangled names, see CMakeLists.txt).
//
// A run builds its 4^12-entry root tables anew: 64 MiB of fresh pages each
// time, whose first touches cost a run more than all its reads. A released
// table of that size is kept and cleared for the next run that asks for
// exactly that size, so the checker still knows where each table ends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

int64_t PlainTableBlocks = 0;

namespace {
constexpr size_t kKeptFrom = size_t{1} << 20;
constexpr int kKeptBlocks = 8;

struct KeptBlock {
  void* block;
  size_t bytes;
};
KeptBlock Kept[kKeptBlocks];
}  // namespace

extern "C" {

// void* fAllocateLarge(size_t)
void* __wrap__Z14fAllocateLargem(size_t bytes) {
  ++PlainTableBlocks;
  if (bytes == 0) bytes = 1;
  for (KeptBlock& kept : Kept) {
    if (kept.block == nullptr || kept.bytes != bytes) continue;
    void* block = kept.block;
    kept.block = nullptr;
    return std::memset(block, 0, bytes);
  }
  return std::calloc(bytes, 1);
}

// void fReleaseLarge(void*, size_t)
void __wrap__Z13fReleaseLargePvm(void* block, size_t bytes) {
  if (block == nullptr) return;
  if (bytes == 0) bytes = 1;
  if (bytes >= kKeptFrom) {
    for (KeptBlock& kept : Kept) {
      if (kept.block != nullptr) continue;
      kept = {block, bytes};
      return;
    }
  }
  std::free(block);
}

}
