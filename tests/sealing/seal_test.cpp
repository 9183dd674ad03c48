#include "sealing/seal.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "tests/sealing/test_support.h"

namespace sealing::testing {
namespace {

using des::Direction;

// The plain frame inside sealed data, deciphered one block at a time.
Bytes Decipher(const Bytes& sealed, std::string_view password) {
  return TransformOneByOne(des::SetKey(FoldPassword(password), Direction::kDecipher), sealed);
}

// Sealed data built from an arbitrary plain frame (any prefix, any fill).
Bytes Encipher(const Bytes& frame, std::string_view password) {
  return TransformOneByOne(des::SetKey(FoldPassword(password), Direction::kEncipher), frame);
}

Bytes FrameWithPrefix(std::int32_t prefix, std::size_t size, std::uint8_t fill = 0x5A) {
  Bytes frame(size, fill);
  std::uint32_t value;
  std::memcpy(&value, &prefix, 4);
  for (std::size_t i = 0; i < 4; ++i)
    frame[i] = static_cast<std::uint8_t>(value >> (8 * i));
  return frame;
}

TEST(SealTest, SealedSizeRoundsLengthPlusFourUpToEight) {
  struct Case {
    std::uint64_t payload;
    std::uint64_t sealed;
  };
  for (const auto c : {Case{1, 8}, Case{4, 8}, Case{5, 16}, Case{12, 16}, Case{13, 24},
                       Case{20, 24}, Case{21, 32}, Case{kMaxPayloadSize, 2'147'483'640},
                       Case{std::uint64_t{1} << 40, (std::uint64_t{1} << 40) + 8}}) {
    EXPECT_EQ(SealedSize(c.payload), c.sealed) << c.payload;
  }
  EXPECT_LE(SealedSize(kMaxPayloadSize), std::uint64_t{INT32_MAX});
}

TEST(SealTest, FrameHoldsPrefixPayloadAndZeroFillForLengthsOneToForty) {
  std::mt19937 rng(10);
  for (std::size_t length = 1; length <= 40; ++length) {
    SCOPED_TRACE(length);
    const Bytes payload = RandomBytes(rng, length);
    const Bytes sealed = seal(payload, "frame");
    ASSERT_EQ(sealed.size(), SealedSize(length));
    const Bytes frame = Decipher(sealed, "frame");
    EXPECT_EQ(frame[0], length);
    EXPECT_EQ(frame[1] | frame[2] | frame[3], 0);
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), frame.begin() + 4));
    EXPECT_TRUE(std::all_of(frame.begin() + 4 + static_cast<std::ptrdiff_t>(length), frame.end(),
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(unseal(sealed, "frame"), payload);
  }
}

TEST(SealTest, PrefixIsLittleEndianForLargerPayloads) {
  const Bytes payload(0x010203, 0x77);
  const Bytes frame = Decipher(seal(payload, "pw"), "pw");
  EXPECT_EQ((Bytes{frame.begin(), frame.begin() + 4}), (Bytes{0x03, 0x02, 0x01, 0x00}));
}

TEST(SealTest, AllThreadCountsGiveTheOneBlockResult) {
  std::mt19937 rng(11);
  const auto schedule = des::SetKey(FoldPassword("threads"), Direction::kEncipher);
  // Sealed sizes just under, exactly at and well over the size that turns threads on.
  for (const std::size_t length :
       {kParallelMinSize - 12, kParallelMinSize - 4, kParallelMinSize + 8 * 1001 + 5}) {
    SCOPED_TRACE(length);
    const Bytes payload = RandomBytes(rng, length);
    Bytes frame(SealedSize(length), 0);
    for (std::size_t i = 0; i < 4; ++i)
      frame[i] = static_cast<std::uint8_t>(length >> (8 * i));
    std::copy(payload.begin(), payload.end(), frame.begin() + 4);
    const Bytes expected = TransformOneByOne(schedule, frame);
    for (const unsigned threads : {1u, 3u, kAllCores}) {
      SCOPED_TRACE(threads);
      const Bytes sealed = seal(payload, "threads", 1, threads);
      ASSERT_EQ(sealed, expected);
      ASSERT_EQ(unseal(sealed, "threads", 1, threads), payload);
    }
  }
}

TEST(SealTest, BlockTransformerMatchesOneBlockPathOnLargeSpans) {
  std::mt19937 rng(12);
  const Bytes data = RandomBytes(rng, kParallelMinSize + 8 * 1001);
  for (const Direction direction : {Direction::kEncipher, Direction::kDecipher}) {
    const Bytes expected = TransformOneByOne(des::SetKey(FoldPassword("stream"), direction), data);
    for (const unsigned threads : {kAllCores, 2u, 5u}) {
      Bytes work = data;
      BlockTransformer("stream", direction, threads).Transform(work);
      EXPECT_EQ(work, expected) << threads;
    }
  }
}

TEST(SealTest, AcceptanceWindowOfTheLengthPrefix) {
  struct Case {
    std::size_t sealedSize;
    std::int32_t prefix;
    bool accepted;
  };
  const Case cases[] = {
      {8, 0, false},   {8, 1, true},   {8, 4, true},           {8, 5, false},
      {8, -1, false},  {16, 4, false}, {16, 5, true},          {16, 12, true},
      {16, 13, false}, {16, 0, false}, {16, INT32_MIN, false}, {16, INT32_MAX, false},
      {24, 12, false}, {24, 13, true}, {24, 20, true},         {24, 21, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.sealedSize << " bytes, prefix " << c.prefix);
    const Bytes frame = FrameWithPrefix(c.prefix, c.sealedSize);
    const Bytes unsealed = unseal(Encipher(frame, "window"), "window");
    EXPECT_EQ(AcceptsLength(c.prefix, c.sealedSize), c.accepted);
    if (c.accepted) {
      // The fill bytes (0x5A here, not zero) are not examined.
      EXPECT_EQ(unsealed, (Bytes{frame.begin() + 4, frame.begin() + 4 + c.prefix}));
    } else {
      EXPECT_TRUE(unsealed.empty());
    }
  }
}

TEST(SealTest, AcceptanceNeverOverflowsNearTheSizeLimit) {
  EXPECT_TRUE(AcceptsLength(2'147'483'636, 2'147'483'640));
  EXPECT_TRUE(AcceptsLength(2'147'483'629, 2'147'483'640));
  EXPECT_FALSE(AcceptsLength(2'147'483'628, 2'147'483'640));
  // Beyond the payload limit nothing is accepted, whatever the data's size.
  EXPECT_FALSE(AcceptsLength(2'147'483'637, 2'147'483'648));
  EXPECT_FALSE(AcceptsLength(INT32_MAX, 2'147'483'656));
  EXPECT_FALSE(AcceptsLength(INT32_MAX, 2'147'483'648));
}

#if defined(__linux__)
TEST(SealTest, PayloadOverTheLimitSealsToEmpty) {
  // Reserved, never touched: seal must refuse before reading or allocating.
  const std::size_t size = kMaxPayloadSize + 1;
  void* memory = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(memory, MAP_FAILED);
  const std::span<const std::uint8_t> huge(static_cast<const std::uint8_t*>(memory), size);
  EXPECT_TRUE(seal(huge, "big").empty());
  munmap(memory, size);
}
#endif

TEST(SealTest, ZeroBytesInAndAtTheEndComeBackWithTheirLength) {
  const Bytes payloads[] = {
      {0},          {0, 0, 0, 0}, {0, 0, 0, 0, 0}, {'a', 0, 'b'}, {1, 2, 3, 0, 0, 0, 0, 0, 0},
      Bytes(12, 0), Bytes(13, 0),
  };
  for (const auto& payload : payloads) {
    const Bytes unsealed = unseal(seal(payload, "zeros"), "zeros");
    EXPECT_EQ(unsealed, payload) << payload.size();
  }
}

TEST(SealTest, EqualPlainBlocksGiveEqualSealedBlocks) {
  // Frame blocks 1 and 2 are both "ABCDEFGH"; block 0 holds the prefix and "xxxx".
  const Bytes payload = AsBytes("xxxxABCDEFGHABCDEFGH");
  const Bytes sealed = seal(payload, "ecb");
  EXPECT_EQ(sealed, seal(payload, "ecb"));
  EXPECT_TRUE(std::equal(sealed.begin() + 8, sealed.begin() + 16, sealed.begin() + 16));
}

TEST(SealTest, PasswordFolding) {
  EXPECT_EQ(FoldPassword(""), FoldedKey{});
  EXPECT_EQ(FoldPassword("abc"), (FoldedKey{'a', 'b', 'c', 0, 0, 0, 0, 0}));
  EXPECT_EQ(FoldPassword("0123456789"),
            (FoldedKey{'0' ^ '8', '1' ^ '9', '2', '3', '4', '5', '6', '7'}));
  EXPECT_EQ(FoldPassword(std::string_view("abc\0def", 7)), FoldPassword("abc"));
  EXPECT_EQ(FoldPassword("\xB0\xE5\xC2\xEB"), (FoldedKey{0xB0, 0xE5, 0xC2, 0xEB, 0, 0, 0, 0}));
}

TEST(SealTest, EquivalentPasswordsUnsealEachOthersData) {
  struct Pair {
    std::string_view a;
    std::string_view b;
  };
  const Pair pairs[] = {
      {"", "abcdefghabcdefgh"},            // folds to the all-zero key
      {"", std::string_view("\0xyz", 4)},  // nothing after a zero byte counts
      {"ab", "\xE1\xE2"},                  // differ only in the ignored top bits
      {"0123456789",
       "\x08\x08"
       "234567"},  // bytes 8 and 9 fold onto bytes 0 and 1
  };
  const Bytes payload = AsBytes("same key, same data");
  for (const auto& p : pairs) {
    const Bytes sealed = seal(payload, p.a);
    EXPECT_EQ(sealed, seal(payload, p.b));
    EXPECT_EQ(unseal(sealed, p.b), payload);
  }
}

TEST(SealTest, WrongPasswordGivesEmpty) {
  const Bytes sealed = seal(AsBytes("secret text"), "right");
  EXPECT_TRUE(unseal(sealed, "wrong").empty());
  EXPECT_TRUE(unseal(sealed, "righT").empty());
}

TEST(SealTest, UnfitInputsGiveEmpty) {
  const Bytes payload = AsBytes("twenty bytes of text");
  const Bytes sealed = seal(payload, "pw");
  ASSERT_EQ(sealed.size(), 24u);
  EXPECT_TRUE(seal({}, "pw").empty());
  EXPECT_TRUE(unseal({}, "pw").empty());
  for (std::size_t cut = 1; cut < 8; ++cut) {
    EXPECT_TRUE(unseal({sealed.data(), sealed.size() - cut}, "pw").empty()) << cut;
  }
  // Whole blocks lost or added make the prefix disagree with the size.
  EXPECT_TRUE(unseal({sealed.data(), 16}, "pw").empty());
  Bytes longer = sealed;
  longer.insert(longer.end(), sealed.begin(), sealed.begin() + 8);
  EXPECT_TRUE(unseal(longer, "pw").empty());
  longer.push_back(0);
  EXPECT_TRUE(unseal(longer, "pw").empty());
}

TEST(SealTest, OnlyAlgorithmOneIsKnown) {
  const Bytes payload = AsBytes("algorithm");
  const Bytes sealed = seal(payload, "pw", 1);
  for (const int algorithm : {0, 2, -1, INT_MAX}) {
    EXPECT_TRUE(seal(payload, "pw", algorithm).empty()) << algorithm;
    EXPECT_TRUE(unseal(sealed, "pw", algorithm).empty()) << algorithm;
  }
  EXPECT_EQ(unseal(sealed, "pw", 1), payload);
}

TEST(SealTest, InputsAreNotChanged) {
  const Bytes payload = AsBytes("keep me");
  Bytes input = payload;
  const Bytes sealed = seal(input, "pw");
  EXPECT_EQ(input, payload);
  Bytes sealedInput = sealed;
  unseal(sealedInput, "pw");
  EXPECT_EQ(sealedInput, sealed);
}

}  // namespace
}  // namespace sealing::testing
