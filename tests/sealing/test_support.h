#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sealing/des.h"

namespace sealing::testing {

using Bytes = std::vector<std::uint8_t>;
using Block = std::array<std::uint8_t, 8>;

inline Bytes AsBytes(std::string_view text) {
  return {text.begin(), text.end()};
}

inline Block BlockFromHex(std::string_view hex) {
  Block block{};
  for (std::size_t i = 0; i < 8; ++i) {
    block[i] =
        static_cast<std::uint8_t>(std::stoul(std::string(hex.substr(2 * i, 2)), nullptr, 16));
  }
  return block;
}

// A standard DES key turned into this cipher's key: each byte's bits in reverse order.
inline Block ReverseBitsOfEachByte(Block key) {
  for (auto& b : key) {
    std::uint8_t r = 0;
    for (int i = 0; i < 8; ++i)
      r = static_cast<std::uint8_t>(r | (((b >> i) & 1) << (7 - i)));
    b = r;
  }
  return key;
}

inline Bytes RandomBytes(std::mt19937& rng, std::size_t size) {
  Bytes bytes(size);
  for (auto& b : bytes)
    b = static_cast<std::uint8_t>(rng());
  return bytes;
}

inline Block RandomBlock(std::mt19937& rng) {
  Block block;
  for (auto& b : block)
    b = static_cast<std::uint8_t>(rng());
  return block;
}

// The slow reference path: every block by itself through TransformBlock.
inline Bytes TransformOneByOne(const des::KeySchedule& schedule, Bytes data) {
  for (std::size_t i = 0; i + 8 <= data.size(); i += 8) {
    std::span<std::uint8_t, 8> block(data.data() + i, 8);
    des::TransformBlock(schedule, block, block);
  }
  return data;
}

}  // namespace sealing::testing
