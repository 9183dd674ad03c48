#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Constant tables of the cipher, from FIPS 46-3. Internal to the sealing library.
namespace sealing::des::tables {

// Mask of the key bit at position p within a key byte: least significant bit first, so bit 7
// takes the standard's parity place.
inline constexpr std::array<std::uint16_t, 8> kKeyBitMask = {1, 2, 4, 8, 16, 32, 64, 128};

// Permuted choice 1 (FIPS 46-3, PC-1), entries less one: key bits numbered 0 to 63.
inline constexpr std::array<std::uint8_t, 56> kPermutedChoice1 = {
    56, 48, 40, 32, 24, 16, 8,  0,  57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42,
    34, 26, 18, 10, 2,  59, 51, 43, 35, 62, 54, 46, 38, 30, 22, 14, 6,  61, 53,
    45, 37, 29, 21, 13, 5,  60, 52, 44, 36, 28, 20, 12, 4,  27, 19, 11, 3};

// Running sums of the left-shift schedule (FIPS 46-3, key schedule table).
inline constexpr std::array<std::uint8_t, 16> kRotationTotals = {1,  2,  4,  6,  8,  10, 12, 14,
                                                                 15, 17, 19, 21, 23, 25, 27, 28};

// Permuted choice 2 (FIPS 46-3, PC-2), entries less one: bits numbered 0 to 55.
inline constexpr std::array<std::uint8_t, 48> kPermutedChoice2 = {
    13, 16, 10, 23, 0,  4,  2,  27, 14, 5,  20, 9,  22, 18, 11, 3,  25, 7,  15, 6,  26, 19, 12, 1,
    40, 51, 30, 36, 46, 54, 29, 39, 50, 44, 32, 47, 43, 48, 38, 55, 33, 52, 45, 41, 49, 35, 28, 31};

// Bit j of a raw subkey word, the lowest-numbered subkey bit in bit 23.
constexpr std::uint32_t SubkeyBitMask(std::size_t j) {
  return 0x800000u >> j;
}

// S-boxes S1 to S8 (FIPS 46-3), each 4 rows of 16 columns.
inline constexpr std::uint8_t kSBoxes[8][64] = {
    {14, 4,  13, 1, 2,  15, 11, 8, 3, 10, 6, 12, 5,  9,  0,  7,  0,  15, 7,  4,  14, 2,
     13, 1,  10, 6, 12, 11, 9,  5, 3, 8,  4, 1,  14, 8,  13, 6,  2,  11, 15, 12, 9,  7,
     3,  10, 5,  0, 15, 12, 8,  2, 4, 9,  1, 7,  5,  11, 3,  14, 10, 0,  6,  13},
    {15, 1,  8,  14, 6,  11, 3,  4, 9,  7,  2, 13, 12, 0,  5,  10, 3,  13, 4,  7, 15, 2,
     8,  14, 12, 0,  1,  10, 6,  9, 11, 5,  0, 14, 7,  11, 10, 4,  13, 1,  5,  8, 12, 6,
     9,  3,  2,  15, 13, 8,  10, 1, 3,  15, 4, 2,  11, 6,  7,  12, 0,  5,  14, 9},
    {10, 0,  9,  14, 6, 3,  15, 5,  1,  13, 12, 7, 11, 4,  2,  8,  13, 7, 0,  9, 3, 4,
     6,  10, 2,  8,  5, 14, 12, 11, 15, 1,  13, 6, 4,  9,  8,  15, 3,  0, 11, 1, 2, 12,
     5,  10, 14, 7,  1, 10, 13, 0,  6,  9,  8,  7, 4,  15, 14, 3,  11, 5, 2,  12},
    {7, 13, 14, 3, 0, 6,  9, 10, 1,  2, 8,  5, 11, 12, 4,  15, 13, 8,  11, 5, 6, 15,
     0, 3,  4,  7, 2, 12, 1, 10, 14, 9, 10, 6, 9,  0,  12, 11, 7,  13, 15, 1, 3, 14,
     5, 2,  8,  4, 3, 15, 0, 6,  10, 1, 13, 8, 9,  4,  5,  11, 12, 7,  2,  14},
    {2,  12, 4, 1,  7,  10, 11, 6, 8, 5,  3, 15, 13, 0,  14, 9,  14, 11, 2,  12, 4,  7,
     13, 1,  5, 0,  15, 10, 3,  9, 8, 6,  4, 2,  1,  11, 10, 13, 7,  8,  15, 9,  12, 5,
     6,  3,  0, 14, 11, 8,  12, 7, 1, 14, 2, 13, 6,  15, 0,  9,  10, 4,  5,  3},
    {12, 1,  10, 15, 9,  2,  6, 8,  0, 13, 3,  4,  14, 7,  5, 11, 10, 15, 4, 2, 7, 12,
     9,  5,  6,  1,  13, 14, 0, 11, 3, 8,  9,  14, 15, 5,  2, 8,  12, 3,  7, 0, 4, 10,
     1,  13, 11, 6,  4,  3,  2, 12, 9, 5,  15, 10, 11, 14, 1, 7,  6,  0,  8, 13},
    {4, 11, 2,  14, 15, 0,  8,  13, 3, 12, 9,  7, 5,  10, 6,  1,  13, 0,  11, 7,  4, 9,
     1, 10, 14, 3,  5,  12, 2,  15, 8, 6,  1,  4, 11, 13, 12, 3,  7,  14, 10, 15, 6, 8,
     0, 5,  9,  2,  6,  11, 13, 8,  1, 4,  10, 7, 9,  5,  0,  15, 14, 2,  3,  12},
    {13, 2, 8,  4, 6, 15, 11, 1,  10, 9,  3, 14, 5,  0,  12, 7,  1,  15, 13, 8, 10, 3,
     7,  4, 12, 5, 6, 11, 0,  14, 9,  2,  7, 11, 4,  1,  9,  12, 14, 2,  0,  6, 10, 13,
     15, 3, 5,  8, 2, 1,  14, 7,  4,  10, 8, 13, 15, 12, 9,  0,  3,  5,  6,  11}};

// Permutation P (FIPS 46-3): output position i (1 = most significant) takes input position
// kPermutation[i - 1].
inline constexpr std::array<std::uint8_t, 32> kPermutation = {
    16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
    2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25};

using SpTables = std::array<std::array<std::uint32_t, 64>, 8>;

// Each S-box merged with P: entry x of table k is S-box k at input x (bits b1..b6, most
// significant first; row b1b6, column b2..b5), placed in its four output positions, put through
// P and rotated left by one bit to match the rotated halves the transform keeps.
constexpr SpTables BuildSpTables() {
  SpTables result{};
  for (std::size_t k = 0; k < 8; ++k) {
    for (std::uint32_t x = 0; x < 64; ++x) {
      const std::uint32_t row = ((x >> 4) & 2u) | (x & 1u);
      const std::uint32_t column = (x >> 1) & 15u;
      const std::uint32_t placed = std::uint32_t{kSBoxes[k][row * 16 + column]} << (28 - 4 * k);
      std::uint32_t permuted = 0;
      for (std::size_t i = 0; i < 32; ++i) {
        if ((placed >> (32 - kPermutation[i])) & 1u)
          permuted |= 0x80000000u >> i;
      }
      result[k][x] = (permuted << 1) | (permuted >> 31);
    }
  }
  return result;
}

inline constexpr SpTables kSpTables = BuildSpTables();
static_assert(kSpTables[0][0] == 0x01010400u);

}  // namespace sealing::des::tables
