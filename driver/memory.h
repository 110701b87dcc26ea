// Large tables and cache hints. A table is a Block: it owns its memory, knows
// its size, and gives it back when it goes out of scope or is released, so no
// procedure keeps a size around only to free what it allocated.
#pragma once
#include <cstddef>
#include <cstdint>
#include <utility>

#include "platform/platform.h"

// Asks the processor to bring an address into the cache ahead of its use.
inline void fPrefetch(const void* address) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(address);
#else
  (void)address;
#endif
}

// A zero-filled array of T from fAllocateLarge (huge pages where offered).
template <class T>
class Block {
 public:
  Block() = default;
  ~Block() { fRelease(); }
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;
  Block(Block&& other) noexcept : Data(std::exchange(other.Data, nullptr)), Count(std::exchange(other.Count, 0)) {}
  Block& operator=(Block&& other) noexcept {
    if (this != &other) {
      fRelease();
      Data = std::exchange(other.Data, nullptr);
      Count = std::exchange(other.Count, 0);
    }
    return *this;
  }

  // Replaces the contents by `count` zeroed elements; false (and empty) if they can't be had.
  bool fAllocate(size_t count) {
    fRelease();
    if (count > SIZE_MAX / sizeof(T)) return false;
    Data = static_cast<T*>(fAllocateLarge(count * sizeof(T)));
    if (Data == nullptr) return false;
    Count = count;
    return true;
  }
  void fRelease() {
    fReleaseLarge(Data, Count * sizeof(T));
    Data = nullptr;
    Count = 0;
  }

  T* data() const { return Data; }
  size_t size() const { return Count; }
  size_t bytes() const { return Count * sizeof(T); }
  T& operator[](size_t i) const { return Data[i]; }
  explicit operator bool() const { return Data != nullptr; }

 private:
  T* Data = nullptr;
  size_t Count = 0;
};
