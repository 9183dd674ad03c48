#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "editor/platform/gbk_codec.h"
#include "editor/platform/win32_platform.h"
#include "tests/win32/test_window.h"

namespace vantrel {
namespace {

using test::TestWindow;

// What code page 936 itself says a sequence is: its character when it decodes to exactly one
// character that encodes back to the same bytes, else 0. Independent of the codec's tables.
wchar_t SystemGbkCharacter(const std::vector<std::uint8_t>& bytes) {
  const auto* data = reinterpret_cast<const char*>(bytes.data());
  const int size = static_cast<int>(bytes.size());
  wchar_t c = 0;
  if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, data, size, &c, 1) != 1) {
    return 0;
  }
  char back[4] = {};
  BOOL usedDefault = FALSE;
  const int backSize =
      WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, &c, 1, back, 4, nullptr, &usedDefault);
  if (usedDefault || backSize != size ||
      std::string(back, 4).substr(0, bytes.size()) != std::string(data, bytes.size())) {
    return 0;
  }
  return c;
}

wchar_t Placeholder(std::uint8_t byte) {
  return static_cast<wchar_t>(0xF700 + byte);
}

class EditBoxCodecTest : public ::testing::Test {
 protected:
  // Puts bytes into the real EDIT control and returns what reading it back gives.
  Bytes RoundTrip(const Bytes& bytes) {
    platform_.SetEditContent(bytes);
    const EditContent content = platform_.ReadEditContent();
    EXPECT_EQ(content.unrepresentable, 0u);
    return content.bytes;
  }

  TestWindow window_;
  Win32Platform platform_{window_.window(), window_.edit()};
};

TEST_F(EditBoxCodecTest, RandomBytesOfManyLengthsRoundTripExactly) {
  std::mt19937 random(20261211);
  std::uniform_int_distribution<int> byte(0, 255);
  for (const std::size_t length :
       {0u, 1u, 2u, 3u, 7u, 8u, 9u, 31u, 64u, 255u, 1000u, 4097u, 20000u}) {
    // Random bytes hold almost no CR LF pair: one long wrapped line, which Wine's EDIT lays
    // out slowly, so the lengths stay moderate.
    for (int round = 0; round < 2; ++round) {
      Bytes bytes(length);
      for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(byte(random));
      }
      ASSERT_EQ(RoundTrip(bytes), bytes) << "length " << length << " round " << round;
    }
  }
}

// Valid GBK pairs mixed with stray lead bytes, NULs and line breaks: the boundaries where an
// invalid byte could swallow or split its neighbour.
TEST_F(EditBoxCodecTest, MixedTextRoundTripsExactly) {
  std::mt19937 random(7);
  const std::vector<Bytes> pieces = {{0xC4, 0xE3}, {0xBA, 0xC3}, {'a'},  {'\r', '\n'}, {'\r'},
                                     {'\n'},       {0x00},       {0x81}, {0xFE},       {0xFF},
                                     {0x80},       {0x7F},       {'\t'}, {0xA1, 0xA1}};
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  for (int round = 0; round < 50; ++round) {
    Bytes bytes;
    for (int i = 0; i < 200; ++i) {
      const Bytes& piece = pieces[pick(random)];
      bytes.insert(bytes.end(), piece.begin(), piece.end());
    }
    ASSERT_EQ(RoundTrip(bytes), bytes) << "round " << round;
  }
}

TEST_F(EditBoxCodecTest, EveryValidPairShowsAsItsCharacterAndRoundTrips) {
  Bytes bytes;
  std::wstring expected;
  std::size_t pairs = 0;
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      const Bytes pair = {static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(trail)};
      const wchar_t c = SystemGbkCharacter(pair);
      if (c == 0) {
        continue;
      }
      ASSERT_FALSE(c >= kPlaceholderFirst && c <= kPlaceholderLast)
          << "GBK decodes into the placeholder range: " << lead << "," << trail;
      bytes.insert(bytes.end(), pair.begin(), pair.end());
      expected += c;
      // Short lines: the word-wrapping EDIT control is slow on very long ones.
      if (++pairs % 64 == 0) {
        bytes.insert(bytes.end(), {'\r', '\n'});
        expected += L"\r\n";
      }
    }
  }
  EXPECT_GT(pairs, 21000u);  // GBK proper holds 21886 two-byte characters
  platform_.SetEditContent(bytes);
  EXPECT_EQ(window_.EditText(), expected);
  EXPECT_EQ(platform_.ReadEditContent().bytes, bytes);
}

TEST_F(EditBoxCodecTest, EachSingleByteShowsAsItsCharacterOrAPlaceholder) {
  for (unsigned b = 0; b <= 0xFF; ++b) {
    const Bytes bytes = {static_cast<std::uint8_t>(b)};
    const wchar_t c = b == 0 ? 0 : SystemGbkCharacter(bytes);
    platform_.SetEditContent(bytes);
    const std::wstring shown = window_.EditText();
    EXPECT_EQ(shown, std::wstring(1, c != 0 ? c : Placeholder(static_cast<std::uint8_t>(b))))
        << "byte " << b;
    EXPECT_EQ(platform_.ReadEditContent().bytes, bytes) << "byte " << b;
  }
}

TEST(GbkCodecTest, InvalidBytesNeverSwallowTheirNeighbour) {
  const struct {
    Bytes bytes;
    std::wstring shown;
  } cases[] = {
      {{0x00}, {Placeholder(0x00)}},
      {{'a', 0x00, 'b'}, {L'a', Placeholder(0x00), L'b'}},
      {{0x81, 0x7F}, {Placeholder(0x81), 0x7F}},  // 0x7F is no trail byte
      {{0x81, 0x0A}, {Placeholder(0x81), L'\n'}},
      {{0x81}, {Placeholder(0x81)}},  // lead byte at the end
      {{0xFF, 'a'}, {Placeholder(0xFF), L'a'}},
      {{0x81, 0x30}, {Placeholder(0x81), L'0'}},          // 0x30 is no trail byte either
      {{0xB0, 0xA1, 0xB0}, {0x554A, Placeholder(0xB0)}},  // 啊 then a lone lead byte
      {{0xC4, 0xE3, 0xBA, 0xC3}, L"\u4F60\u597D"},        // 你好
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeGbk(c.bytes), c.shown);
    EXPECT_EQ(EncodeGbk(c.shown).bytes, c.bytes);
  }
}

TEST(GbkCodecTest, CharactersGbkCannotHoldBecomeQuestionMarksAndAreCounted) {
  const struct {
    std::wstring text;
    Bytes bytes;
    std::size_t unrepresentable;
  } cases[] = {
      {L"a\u0E01b", {'a', '?', 'b'}, 1},  // Thai
      {L"\U0001F600", {'?'}, 1},          // a surrogate pair counts once
      {L"x\xD800y", {'x', '?', 'y'}, 1},  // lone surrogate
      {L"\u4F60\u0E01\u0E02", {0xC4, 0xE3, '?', '?'}, 2},
      {L"\xF741\xF700", {0x41, 0x00}, 0},  // typed placeholders are their bytes
  };
  for (const auto& c : cases) {
    const EditContent content = EncodeGbk(c.text);
    EXPECT_EQ(content.bytes, c.bytes);
    EXPECT_EQ(content.unrepresentable, c.unrepresentable);
  }
}

TEST(GbkCodecTest, PasswordsTreatPlaceholdersAsUnrepresentable) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(16);
  EXPECT_EQ(EncodeGbkPassword(L"\u5BC6\u7801a\xF741", bytes), 1u);  // 密码a + placeholder
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xC3, 0xDC, 0xC2, 0xEB, 'a', '?'}));
}

}  // namespace
}  // namespace vantrel
