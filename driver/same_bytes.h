// Comparing short byte runs (the letters of a read past its key) without a
// library call per candidate position.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

// Whether the n bytes at a and b are the same.
inline bool fSameBytes(const unsigned char* a, const unsigned char* b, size_t n) {
  for (; n >= 8; a += 8, b += 8, n -= 8) {
    uint64_t x, y;
    std::memcpy(&x, a, 8);
    std::memcpy(&y, b, 8);
    if (x != y) return false;
  }
  for (; n > 0; ++a, ++b, --n)
    if (*a != *b) return false;
  return true;
}
