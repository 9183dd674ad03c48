#pragma once

#include <array>
#include <cstdint>
#include <span>

// DES (FIPS 46-3) with one difference: within each key byte the first key bit is the least
// significant bit, and the most significant bit takes the parity bit's place and is ignored.
// Enciphering under key K equals standard DES under K with every byte's bit order reversed.
namespace sealing::des {

enum class Direction { kEncipher, kDecipher };

// The 16 subkeys in cooked form (two words each), stored in the order the transform uses them.
struct KeySchedule {
  std::array<std::uint32_t, 32> words{};
};

KeySchedule SetKey(std::span<const std::uint8_t, 8> key, Direction direction);

// One block through the 16 rounds; `in` and `out` may be the same storage.
void TransformBlock(const KeySchedule& schedule,
                    std::span<const std::uint8_t, 8> in,
                    std::span<std::uint8_t, 8> out);

// Every whole 8-byte block of `blocks` in place, four at a time interleaved; the same bytes as
// TransformBlock on each. Bytes after the last whole block are left as they are.
void TransformBlocks(const KeySchedule& schedule, std::span<std::uint8_t> blocks);

}  // namespace sealing::des
