#include "sealing/des.h"

#include <gtest/gtest.h>

#include "tests/sealing/test_support.h"

namespace sealing::testing {
namespace {

using des::Direction;

struct KnownAnswer {
  std::string_view standardKey;
  std::string_view plain;
  std::string_view cipher;
};

// Published DES known-answer values; the cipher takes each key with its bytes bit-reversed.
constexpr KnownAnswer kKnownAnswers[] = {
    {"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
    {"0E329232EA6D0D73", "8787878787878787", "0000000000000000"},
    {"0123456789ABCDEF", "4E6F772069732074", "3FA40E8A984D4815"},
    {"0000000000000000", "0000000000000000", "8CA64DE9C1B123A7"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "7359B2163E4EDC58"},
    {"3000000000000000", "1000000000000001", "958E6E627A05557B"},
    {"1111111111111111", "1111111111111111", "F40379AB9E0EC533"},
    {"0123456789ABCDEF", "1111111111111111", "17668DFC7292532D"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "ED39D950FA74BCC4"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "690F5B0D9A26939B"},
};

Block Transform(const Block& key, Direction direction, const Block& in) {
  Block out{};
  des::TransformBlock(des::SetKey(key, direction), in, out);
  return out;
}

TEST(DesTest, KnownAnswersWithBitReversedKeysBothDirections) {
  for (const auto& v : kKnownAnswers) {
    SCOPED_TRACE(v.standardKey);
    const Block key = ReverseBitsOfEachByte(BlockFromHex(v.standardKey));
    EXPECT_EQ(Transform(key, Direction::kEncipher, BlockFromHex(v.plain)), BlockFromHex(v.cipher));
    EXPECT_EQ(Transform(key, Direction::kDecipher, BlockFromHex(v.cipher)), BlockFromHex(v.plain));
  }
}

TEST(DesTest, StandardKeyIsNotTakenAsIs) {
  // The first vector's key is not a bit palindrome, so using it unreversed must differ.
  const auto& v = kKnownAnswers[0];
  EXPECT_NE(Transform(BlockFromHex(v.standardKey), Direction::kEncipher, BlockFromHex(v.plain)),
            BlockFromHex(v.cipher));
}

TEST(DesTest, InPlaceEqualsOutOfPlace) {
  std::mt19937 rng(1);
  for (const Direction direction : {Direction::kEncipher, Direction::kDecipher}) {
    for (int i = 0; i < 100; ++i) {
      const auto schedule = des::SetKey(RandomBlock(rng), direction);
      Block block = RandomBlock(rng);
      Block separate{};
      des::TransformBlock(schedule, block, separate);
      des::TransformBlock(schedule, block, block);
      EXPECT_EQ(block, separate);
    }
  }
}

TEST(DesTest, OnlyTheTopBitOfEachKeyByteIsIgnored) {
  std::mt19937 rng(2);
  for (int i = 0; i < 50; ++i) {
    const Block key = RandomBlock(rng);
    const auto words = des::SetKey(key, Direction::kEncipher).words;
    for (std::size_t byte = 0; byte < 8; ++byte) {
      for (int bit = 0; bit < 8; ++bit) {
        Block flipped = key;
        flipped[byte] = static_cast<std::uint8_t>(flipped[byte] ^ (1 << bit));
        const auto flippedWords = des::SetKey(flipped, Direction::kEncipher).words;
        if (bit == 7) {
          EXPECT_EQ(flippedWords, words) << "byte " << byte;
        } else {
          EXPECT_NE(flippedWords, words) << "byte " << byte << " bit " << bit;
        }
      }
    }
  }
}

TEST(DesTest, DecipherScheduleHoldsTheSubkeysInReverseOrder) {
  std::mt19937 rng(3);
  const Block key = RandomBlock(rng);
  const auto encipher = des::SetKey(key, Direction::kEncipher).words;
  const auto decipher = des::SetKey(key, Direction::kDecipher).words;
  for (std::size_t s = 0; s < 16; ++s) {
    EXPECT_EQ(decipher[2 * s], encipher[2 * (15 - s)]);
    EXPECT_EQ(decipher[2 * s + 1], encipher[2 * (15 - s) + 1]);
  }
  // Cooked words keep the top two bits of every byte clear.
  for (const auto word : encipher)
    EXPECT_EQ(word & 0xC0C0C0C0u, 0u);
}

TEST(DesTest, ManyBlocksMatchOneAtATimeForEveryCount) {
  std::mt19937 rng(4);
  for (const Direction direction : {Direction::kEncipher, Direction::kDecipher}) {
    const auto schedule = des::SetKey(RandomBlock(rng), direction);
    for (std::size_t count = 0; count <= 13; ++count) {
      SCOPED_TRACE(count);
      const Bytes data = RandomBytes(rng, 8 * count);
      Bytes fast = data;
      des::TransformBlocks(schedule, fast);
      EXPECT_EQ(fast, TransformOneByOne(schedule, data));
    }
  }
}

TEST(DesTest, DecipherUndoesEncipherOverManyBlocks) {
  std::mt19937 rng(5);
  const Block key = RandomBlock(rng);
  const Bytes data = RandomBytes(rng, 8 * 37);
  Bytes work = data;
  des::TransformBlocks(des::SetKey(key, Direction::kEncipher), work);
  EXPECT_NE(work, data);
  des::TransformBlocks(des::SetKey(key, Direction::kDecipher), work);
  EXPECT_EQ(work, data);
}

}  // namespace
}  // namespace sealing::testing
