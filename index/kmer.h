// The k-mer lengths and root-table sizes of the genome indexes, for every
// procedure that builds or reads a key.
#pragma once
#include <cstdint>

constexpr int kKey16Bases = 16;  // a 16-mer key fills 32 bits
constexpr int kKey12Bases = 12;
constexpr int kKey8Bases = 8;    // an 8-mer key fills 16 bits

constexpr int32_t kRoot12Count = 1 << (2 * kKey12Bases);  // 4^12 keys
constexpr uint32_t kKey12Mask = (1u << (2 * kKey12Bases)) - 1;
constexpr int32_t kRoot8Count = 1 << (2 * kKey8Bases);    // 4^8 keys
