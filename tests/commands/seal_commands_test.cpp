#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "editor/commands.h"
#include "sealing/seal.h"
#include "tests/commands/expected_calls.h"
#include "tests/commands/fake_platform.h"

namespace vantrel::test {
namespace {

using test::PrintTo;
using ::testing::ElementsAreArray;

const Calls kEncryptCalls = {"read edit", kEncryptPassword, "busy on", "set edit", "busy off"};
const Calls kDecryptCalls = {"read edit", kDecryptPassword, "busy on", "set edit", "busy off"};

Bytes Seal(const Bytes& text, const std::string& password) {
  return sealing::seal(text, password, 1);
}

Bytes RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  Bytes bytes(size);
  for (auto& byte : bytes)
    byte = static_cast<std::uint8_t>(random());
  return bytes;
}

class SealCommandsTest : public ::testing::Test {
 protected:
  void Start(const Bytes& text, bool modified = false) {
    platform_.content = EditContent{text, 0};
    if (modified)
      commands_.OnContentChanged();
  }

  void Run(CommandId id, const std::string& password) {
    platform_.calls.clear();
    platform_.QueuePassword(password);
    commands_.Run(id);
  }

  const Bytes& Content() const { return platform_.content.bytes; }

  FakePlatform platform_;
  Commands commands_{platform_};
};

struct RoundTrip {
  std::string name{};
  Bytes text{};
  std::string password{};  // GBK
};

class RoundTripTest : public SealCommandsTest, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(RoundTripTest, EncryptShowsTheWholeSealAndDecryptGivesTheTextBack) {
  const RoundTrip& c = GetParam();
  Start(c.text);

  Run(kCmdEncrypt, c.password);
  EXPECT_THAT(platform_.calls, ElementsAreArray(kEncryptCalls));
  EXPECT_EQ(Content(), Seal(c.text, c.password));
  EXPECT_EQ(Content().size(), sealing::SealedSize(c.text.size()));
  EXPECT_TRUE(commands_.modified());

  Run(kCmdDecrypt, c.password);
  EXPECT_THAT(platform_.calls, ElementsAreArray(kDecryptCalls));
  EXPECT_EQ(Content(), c.text);
  EXPECT_TRUE(commands_.modified());
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    RoundTripTest,
    ::testing::Values(
        RoundTrip{"LineBreaksOfEveryKind", ToBytes("a\r\nb\nc\rd\r\n\r\n\n"), "pass"},
        RoundTrip{"ChineseText", ToBytes("\xD6\xD0\xCE\xC4\xC3\xDC\xC2\xEB\r\n"), "k"},
        RoundTrip{"ChinesePassword", ToBytes("secret note"), "\xC3\xDC\xC2\xEB"},
        RoundTrip{"EmptyPassword", ToBytes("open to all"), ""},
        RoundTrip{"PasswordLongerThanKey", ToBytes("x"), "a password of many more than 8 bytes"},
        RoundTrip{"TextFillsOneBlock", ToBytes("abcd"), "p"},
        RoundTrip{"TextWithZeroBytes", Bytes{'a', 0, 'b', 0, 0}, "p"},
        RoundTrip{"KilobyteOfRandomBytes", RandomBytes(1024, 7), "p"}),
    CaseName<RoundTrip>);

// Sealed data often holds zero bytes; they go into the box and come back out with the rest.
TEST_F(SealCommandsTest, SealedZeroBytesSurviveEncryptSaveOpenDecrypt) {
  const Bytes text = ToBytes("meet at noon\r\n");
  for (bool zeroFirst : {false, true}) {
    SCOPED_TRACE(zeroFirst ? "sealed data starts with a zero byte" : "zero byte inside");
    std::string password;
    for (int i = 0; password.empty() && i < 100000; ++i) {
      const std::string candidate = "pw" + std::to_string(i);
      const Bytes sealed = Seal(text, candidate);
      if (zeroFirst ? sealed[0] == 0 : std::count(sealed.begin(), sealed.end(), 0) > 0) {
        password = candidate;
      }
    }
    ASSERT_FALSE(password.empty());

    Start(text);
    Run(kCmdEncrypt, password);
    EXPECT_EQ(Content(), Seal(text, password));
    platform_.paths = {"C:\\sealed.txt", "C:\\sealed.txt"};
    commands_.Run(kCmdSave);
    Start({});
    commands_.Run(kCmdOpen);
    Run(kCmdDecrypt, password);
    EXPECT_EQ(Content(), text);
  }
}

struct EmptyBox {
  std::string name{};
  CommandId command{};
  Calls calls{};
};

class EmptyBoxTest : public SealCommandsTest, public ::testing::WithParamInterface<EmptyBox> {};

TEST_P(EmptyBoxTest, PromptsAndLeavesTheBoxEmptyWithTheFlagSet) {
  Start({});
  Run(GetParam().command, "p");
  EXPECT_THAT(platform_.calls, ElementsAreArray(GetParam().calls));
  EXPECT_TRUE(Content().empty());
  EXPECT_TRUE(commands_.modified());
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         EmptyBoxTest,
                         ::testing::Values(EmptyBox{"Encrypt", kCmdEncrypt, kEncryptCalls},
                                           EmptyBox{"Decrypt", kCmdDecrypt, kDecryptCalls}),
                         CaseName<EmptyBox>);

// Runs that must leave the text and the flag exactly as they were.
struct Untouched {
  std::string name{};
  CommandId command{};
  Bytes text{};
  // The prompt's answer: nothing is Cancel.
  std::optional<std::string> password{};
  std::size_t unrepresentable = 0;  // of the password
  Calls calls{};
};

class UntouchedTest : public SealCommandsTest, public ::testing::WithParamInterface<Untouched> {};

TEST_P(UntouchedTest, KeepsTextAndFlag) {
  const Untouched& c = GetParam();
  for (bool modified : {false, true}) {
    SCOPED_TRACE(modified ? "flag set" : "flag clear");
    FakePlatform platform;
    Commands commands(platform);
    platform.content = EditContent{c.text, 0};
    if (modified)
      commands.OnContentChanged();
    if (c.password) {
      platform.QueuePassword(*c.password, c.unrepresentable);
    } else {
      platform.passwords.push_back(std::nullopt);
    }
    commands.Run(c.command);
    EXPECT_THAT(platform.calls, ElementsAreArray(c.calls));
    EXPECT_EQ(platform.content.bytes, c.text);
    EXPECT_EQ(commands.modified(), modified);
  }
}

const Bytes kPlain = ToBytes("line one\r\nline two");

// kPlain sealed under "right".
Bytes Sealed() {
  return Seal(kPlain, "right");
}

Bytes CutAtFirstZero(Bytes bytes) {
  bytes.erase(std::find(bytes.begin(), bytes.end(), 0), bytes.end());
  return bytes;
}

Bytes DropLastBlock(Bytes bytes) {
  bytes.resize(bytes.size() - 8);
  return bytes;
}

const Calls kDecryptFailedCalls = {"read edit", kDecryptPassword, "busy on", "busy off",
                                   DecryptFailed()};

INSTANTIATE_TEST_SUITE_P(
    Cases,
    UntouchedTest,
    ::testing::Values(Untouched{.name = "EncryptCancelled",
                                .command = kCmdEncrypt,
                                .text = kPlain,
                                .calls = {"read edit", kEncryptPassword}},
                      Untouched{.name = "DecryptCancelled",
                                .command = kCmdDecrypt,
                                .text = Sealed(),
                                .calls = {"read edit", kDecryptPassword}},
                      Untouched{.name = "EncryptPasswordOutsideGbk",
                                .command = kCmdEncrypt,
                                .text = kPlain,
                                .password = "a?",
                                .unrepresentable = 1,
                                .calls = {"read edit", kEncryptPassword, PasswordRefused()}},
                      Untouched{.name = "DecryptPasswordOutsideGbk",
                                .command = kCmdDecrypt,
                                .text = Sealed(),
                                .password = "right?",
                                .unrepresentable = 1,
                                .calls = {"read edit", kDecryptPassword, PasswordRefused()}},
                      Untouched{.name = "WrongPassword",
                                .command = kCmdDecrypt,
                                .text = Sealed(),
                                .password = "wrong",
                                .calls = kDecryptFailedCalls},
                      Untouched{.name = "EmptyPasswordForSealedText",
                                .command = kCmdDecrypt,
                                .text = Sealed(),
                                .password = "",
                                .calls = kDecryptFailedCalls},
                      Untouched{.name = "NeverSealedOddLength",
                                .command = kCmdDecrypt,
                                .text = ToBytes("hello"),
                                .password = "right",
                                .calls = kDecryptFailedCalls},
                      Untouched{.name = "NeverSealedWholeBlocks",
                                .command = kCmdDecrypt,
                                .text = ToBytes("plain text, 24 bytes...."),
                                .password = "right",
                                .calls = kDecryptFailedCalls},
                      Untouched{.name = "SealedTextCutAtZero",
                                .command = kCmdDecrypt,
                                .text = CutAtFirstZero(Seal(RandomBytes(1024, 3), "right")),
                                .password = "right",
                                .calls = kDecryptFailedCalls},
                      Untouched{.name = "SealedTextLostItsLastBlock",
                                .command = kCmdDecrypt,
                                .text = DropLastBlock(Sealed()),
                                .password = "right",
                                .calls = kDecryptFailedCalls}),
    CaseName<Untouched>);

// Text that GBK cannot fully hold is sealed with "?" in place of those characters, and only
// after the user agrees.
TEST_F(SealCommandsTest, EncryptWarnsBeforeSealingLossyText) {
  platform_.content = EditContent{ToBytes("a?b"), 1};
  platform_.answers = {Answer::kCancel};
  commands_.Run(kCmdEncrypt);
  EXPECT_THAT(platform_.calls, ElementsAreArray(Calls{"read edit", LossyWarning(1)}));
  EXPECT_EQ(Content(), ToBytes("a?b"));
  EXPECT_FALSE(commands_.modified());

  platform_.content.unrepresentable = 1;
  platform_.answers = {Answer::kOk};
  Run(kCmdEncrypt, "p");
  EXPECT_THAT(platform_.calls,
              ElementsAreArray(Calls{"read edit", LossyWarning(1), kEncryptPassword, "busy on",
                                     "set edit", "busy off"}));
  EXPECT_EQ(Content(), Seal(ToBytes("a?b"), "p"));
  EXPECT_TRUE(commands_.modified());
}

TEST_F(SealCommandsTest, LayersComeOffInReverseOrder) {
  Start(kPlain);
  Run(kCmdEncrypt, "p1");
  const Bytes once = Content();
  Run(kCmdEncrypt, "p2");
  EXPECT_EQ(Content(), Seal(once, "p2"));

  Run(kCmdDecrypt, "p1");  // the outer layer is p2's: refused, nothing lost
  EXPECT_THAT(platform_.calls, ElementsAreArray(kDecryptFailedCalls));
  EXPECT_EQ(Content(), Seal(once, "p2"));

  Run(kCmdDecrypt, "p2");
  EXPECT_EQ(Content(), once);
  Run(kCmdDecrypt, "p1");
  EXPECT_EQ(Content(), kPlain);
}

}  // namespace
}  // namespace vantrel::test
