// Compares the cipher and the sealed frame with OpenSSL's standard DES (a test-only
// dependency): the key given to OpenSSL is the cipher's key with each byte bit-reversed.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/des.h>

#include <gtest/gtest.h>

#include "sealing/seal.h"
#include "tests/sealing/test_support.h"

namespace sealing::testing {
namespace {

using des::Direction;

class StandardDes {
 public:
  explicit StandardDes(const Block& standardKey) {
    DES_cblock key;
    std::copy(standardKey.begin(), standardKey.end(), key);
    DES_set_key_unchecked(&key, &schedule_);
  }
  Block Transform(const Block& in, Direction direction) {
    DES_cblock input;
    DES_cblock output;
    std::copy(in.begin(), in.end(), input);
    DES_ecb_encrypt(&input, &output, &schedule_,
                    direction == Direction::kEncipher ? DES_ENCRYPT : DES_DECRYPT);
    Block out;
    std::copy(std::begin(output), std::end(output), out.begin());
    return out;
  }

 private:
  DES_key_schedule schedule_;
};

// The frame built by hand and enciphered by OpenSSL block by block.
Bytes SealWithStandardDes(const Bytes& payload, std::string_view password) {
  Bytes frame(4 + payload.size());
  const auto length = static_cast<std::uint32_t>(payload.size());
  for (int i = 0; i < 4; ++i)
    frame[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(length >> (8 * i));
  std::copy(payload.begin(), payload.end(), frame.begin() + 4);
  frame.resize((frame.size() + 7) / 8 * 8, 0);
  Block key{};
  for (std::size_t i = 0; i < password.size() && password[i] != '\0'; ++i) {
    key[i % 8] = static_cast<std::uint8_t>(key[i % 8] ^ static_cast<std::uint8_t>(password[i]));
  }
  StandardDes des(ReverseBitsOfEachByte(key));
  for (std::size_t i = 0; i < frame.size(); i += 8) {
    Block block;
    std::copy_n(frame.begin() + static_cast<std::ptrdiff_t>(i), 8, block.begin());
    block = des.Transform(block, Direction::kEncipher);
    std::copy(block.begin(), block.end(), frame.begin() + static_cast<std::ptrdiff_t>(i));
  }
  return frame;
}

std::string RandomPassword(std::mt19937& rng) {
  std::string password(rng() % 24, '\0');
  for (auto& c : password)
    c = static_cast<char>(1 + rng() % 255);
  return password;
}

TEST(OpenSslCompareTest, RandomKeysAndBlocksBothDirections) {
  std::mt19937 rng(42);
  for (int i = 0; i < 20000; ++i) {
    const Block key = RandomBlock(rng);
    const Block block = RandomBlock(rng);
    StandardDes reference(ReverseBitsOfEachByte(key));
    for (const Direction direction : {Direction::kEncipher, Direction::kDecipher}) {
      Block ours{};
      des::TransformBlock(des::SetKey(key, direction), block, ours);
      ASSERT_EQ(ours, reference.Transform(block, direction)) << "case " << i;
    }
  }
}

TEST(OpenSslCompareTest, ManyBlocksAtOnceBothDirections) {
  std::mt19937 rng(43);
  for (int i = 0; i < 200; ++i) {
    const Block key = RandomBlock(rng);
    const Bytes data = RandomBytes(rng, 8 * (1 + rng() % 40));
    StandardDes reference(ReverseBitsOfEachByte(key));
    for (const Direction direction : {Direction::kEncipher, Direction::kDecipher}) {
      Bytes ours = data;
      des::TransformBlocks(des::SetKey(key, direction), ours);
      for (std::size_t b = 0; b < data.size(); b += 8) {
        Block in;
        Block out;
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(b), 8, in.begin());
        std::copy_n(ours.begin() + static_cast<std::ptrdiff_t>(b), 8, out.begin());
        ASSERT_EQ(out, reference.Transform(in, direction)) << "case " << i << " block " << b / 8;
      }
    }
  }
}

TEST(OpenSslCompareTest, SealMatchesFrameEncipheredByStandardDes) {
  std::mt19937 rng(44);
  for (int i = 0; i < 500; ++i) {
    const Bytes payload = RandomBytes(rng, 1 + rng() % 100);
    const std::string password = RandomPassword(rng);
    const Bytes expected = SealWithStandardDes(payload, password);
    ASSERT_EQ(seal(payload, password), expected) << "case " << i;
    ASSERT_EQ(unseal(expected, password), payload) << "case " << i;
  }
}

TEST(OpenSslCompareTest, LargeSealOnAllCoresMatchesStandardDes) {
  std::mt19937 rng(45);
  const Bytes payload = RandomBytes(rng, 3 * kParallelMinSize + 5);
  const Bytes expected = SealWithStandardDes(payload, "large");
  EXPECT_EQ(seal(payload, "large"), expected);
  EXPECT_EQ(unseal(expected, "large"), payload);
}

}  // namespace
}  // namespace sealing::testing
