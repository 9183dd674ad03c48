#include "sealing/des.h"

#include <bit>
#include <cstddef>

#include "sealing/des_tables.h"

namespace sealing::des {
namespace {

using tables::kSpTables;

std::uint32_t LoadBigEndian(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
         std::uint32_t{p[3]};
}

void StoreBigEndian(std::uint32_t value, std::uint8_t* p) {
  p[0] = static_cast<std::uint8_t>(value >> 24);
  p[1] = static_cast<std::uint8_t>(value >> 16);
  p[2] = static_cast<std::uint8_t>(value >> 8);
  p[3] = static_cast<std::uint8_t>(value);
}

// Swaps the bits of y selected by m with the bits of x selected by m << n.
inline void Exchange(std::uint32_t& x, std::uint32_t& y, int n, std::uint32_t m) {
  const std::uint32_t w = ((x >> n) ^ y) & m;
  y ^= w;
  x ^= w << n;
}

// The cipher function of one half-pass, with the expansion folded into the two cooked words.
inline std::uint32_t Feistel(std::uint32_t half, std::uint32_t keyA, std::uint32_t keyB) {
  const std::uint32_t u = std::rotr(half, 4) ^ keyA;
  const std::uint32_t v = half ^ keyB;
  return kSpTables[6][u & 63] | kSpTables[4][(u >> 8) & 63] | kSpTables[2][(u >> 16) & 63] |
         kSpTables[0][(u >> 24) & 63] | kSpTables[7][v & 63] | kSpTables[5][(v >> 8) & 63] |
         kSpTables[3][(v >> 16) & 63] | kSpTables[1][(v >> 24) & 63];
}

// `lanes` independent blocks at `data`, advanced step by step together so that their table
// lookups overlap; one lane is the plain single-block transform.
template <std::size_t lanes>
inline void TransformLanes(const KeySchedule& schedule, const std::uint8_t* in, std::uint8_t* out) {
  std::uint32_t l[lanes];
  std::uint32_t r[lanes];
#pragma GCC unroll 8
  for (std::size_t i = 0; i < lanes; ++i) {
    l[i] = LoadBigEndian(in + 8 * i);
    r[i] = LoadBigEndian(in + 8 * i + 4);
    // Initial permutation as exchange steps; the halves end up rotated left by one bit.
    Exchange(l[i], r[i], 4, 0x0F0F0F0F);
    Exchange(l[i], r[i], 16, 0x0000FFFF);
    Exchange(r[i], l[i], 2, 0x33333333);
    Exchange(r[i], l[i], 8, 0x00FF00FF);
    r[i] = std::rotl(r[i], 1);
    const std::uint32_t w = (l[i] ^ r[i]) & 0xAAAAAAAA;
    l[i] ^= w;
    r[i] ^= w;
    l[i] = std::rotl(l[i], 1);
  }
  const std::uint32_t* k = schedule.words.data();
  for (std::size_t pass = 0; pass < 8; ++pass, k += 4) {
#pragma GCC unroll 8
    for (std::size_t i = 0; i < lanes; ++i)
      l[i] ^= Feistel(r[i], k[0], k[1]);
#pragma GCC unroll 8
    for (std::size_t i = 0; i < lanes; ++i)
      r[i] ^= Feistel(l[i], k[2], k[3]);
  }
#pragma GCC unroll 8
  for (std::size_t i = 0; i < lanes; ++i) {
    r[i] = std::rotr(r[i], 1);
    const std::uint32_t w = (l[i] ^ r[i]) & 0xAAAAAAAA;
    l[i] ^= w;
    r[i] ^= w;
    l[i] = std::rotr(l[i], 1);
    Exchange(l[i], r[i], 8, 0x00FF00FF);
    Exchange(l[i], r[i], 2, 0x33333333);
    Exchange(r[i], l[i], 16, 0x0000FFFF);
    Exchange(r[i], l[i], 4, 0x0F0F0F0F);
    // The halves go out exchanged: the standard's final swap.
    StoreBigEndian(r[i], out + 8 * i);
    StoreBigEndian(l[i], out + 8 * i + 4);
  }
}

}  // namespace

KeySchedule SetKey(std::span<const std::uint8_t, 8> key, Direction direction) {
  using namespace tables;
  std::array<std::uint8_t, 56> selected{};
  for (std::size_t j = 0; j < 56; ++j) {
    const std::size_t q = kPermutedChoice1[j];
    selected[j] = (key[q / 8] & kKeyBitMask[q % 8]) != 0 ? 1 : 0;
  }

  std::array<std::uint32_t, 32> raw{};
  for (std::size_t i = 0; i < 16; ++i) {
    const std::size_t slot = direction == Direction::kDecipher ? 15 - i : i;
    const std::size_t t = kRotationTotals[i];
    // Each 28-bit half rotated left by t.
    std::array<std::uint8_t, 56> rotated{};
    for (std::size_t j = 0; j < 28; ++j) {
      rotated[j] = selected[j + t < 28 ? j + t : j + t - 28];
      rotated[j + 28] = selected[j + 28 + t < 56 ? j + 28 + t : j + t];
    }
    for (std::size_t j = 0; j < 24; ++j) {
      if (rotated[kPermutedChoice2[j]] != 0)
        raw[2 * slot] |= SubkeyBitMask(j);
      if (rotated[kPermutedChoice2[j + 24]] != 0)
        raw[2 * slot + 1] |= SubkeyBitMask(j);
    }
  }

  // Cooking: regroup each subkey's eight 6-bit groups into the bytes of two words, A for the
  // odd S-boxes and B for the even ones, to line up with the transform's lookups.
  KeySchedule schedule;
  for (std::size_t s = 0; s < 16; ++s) {
    const std::uint32_t r0 = raw[2 * s];
    const std::uint32_t r1 = raw[2 * s + 1];
    schedule.words[2 * s] = ((r0 & 0x00FC0000) << 6) | ((r0 & 0x00000FC0) << 10) |
                            ((r1 & 0x00FC0000) >> 10) | ((r1 & 0x00000FC0) >> 6);
    schedule.words[2 * s + 1] = ((r0 & 0x0003F000) << 12) | ((r0 & 0x0000003F) << 16) |
                                ((r1 & 0x0003F000) >> 4) | (r1 & 0x0000003F);
  }
  return schedule;
}

void TransformBlock(const KeySchedule& schedule,
                    std::span<const std::uint8_t, 8> in,
                    std::span<std::uint8_t, 8> out) {
  TransformLanes<1>(schedule, in.data(), out.data());
}

void TransformBlocks(const KeySchedule& schedule, std::span<std::uint8_t> blocks) {
  constexpr std::size_t kGroup = 4;
  std::uint8_t* p = blocks.data();
  std::size_t count = blocks.size() / 8;
  for (; count >= kGroup; count -= kGroup, p += 8 * kGroup) {
    TransformLanes<kGroup>(schedule, p, p);
  }
  for (; count > 0; --count, p += 8)
    TransformLanes<1>(schedule, p, p);
}

}  // namespace sealing::des
