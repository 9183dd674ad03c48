#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "editor/commands.h"
#include "tests/commands/expected_calls.h"
#include "tests/commands/fake_platform.h"

namespace vantrel::test {
namespace {

using test::PrintTo;
using ::testing::ElementsAreArray;

const Bytes kText = ToBytes("keep me");

struct HelpBox {
  std::string name{};
  CommandId command{};
  std::string call{};  // the one box shown
};

class HelpTest : public ::testing::TestWithParam<HelpBox> {};

TEST_P(HelpTest, ShowsOneBoxAndTouchesNothingElse) {
  for (bool modified : {false, true}) {
    SCOPED_TRACE(modified ? "flag set" : "flag clear");
    FakePlatform platform;
    Commands commands(platform);
    platform.content = EditContent{kText, 0};
    if (modified)
      commands.OnContentChanged();
    commands.Run(GetParam().command);
    EXPECT_THAT(platform.calls, ElementsAreArray(Calls{GetParam().call}));
    EXPECT_EQ(platform.content.bytes, kText);
    EXPECT_EQ(commands.modified(), modified);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    HelpTest,
    ::testing::Values(HelpBox{"About", kCmdAbout,
                              "message OK Vantrel工作室-记事本1.0 "
                              "Vantrel加密记事本1.0 Vantrel工作室 www.vantrel.example 版权所有"},
                      HelpBox{
                          "EncryptionNote", kCmdEncryptionNote,
                          "message OK 加密方法说明 "
                          "点击[高级]-[加密]"
                          "菜单，可以对当前编辑内容加密。您可以将加密后的内容保存到一个文件内！"},
                      HelpBox{"DecryptionNote", kCmdDecryptionNote,
                              "message OK 加密方法说明 "
                              "如果当前显示内容为密文，点击[高级]-[解密]菜单，可以实现解密！"}),
    CaseName<HelpBox>);

// Exit belongs to the window (through QueryClose); as a command it does nothing.
TEST(ExitCommandTest, DoesNothing) {
  FakePlatform platform;
  Commands commands(platform);
  platform.content = EditContent{kText, 0};
  commands.OnContentChanged();
  commands.Run(kCmdExit);
  EXPECT_TRUE(platform.calls.empty());
  EXPECT_EQ(platform.content.bytes, kText);
  EXPECT_TRUE(commands.modified());
}

// A command posted while a modal box of another one is up.
struct Reentry {
  std::string name{};
  std::function<void(FakePlatform&)> script{};  // answers the outer run
  bool viaQueryClose = false;
  CommandId command = kCmdNew;
  Calls calls{};  // of the outer run alone
};

class ReentryTest : public ::testing::TestWithParam<Reentry> {};

TEST_P(ReentryTest, IsIgnoredUntilTheRunningCommandEnds) {
  const Reentry& c = GetParam();
  FakePlatform platform;
  Commands commands(platform);
  platform.content = EditContent{kText, 0};
  commands.OnContentChanged();
  c.script(platform);
  platform.duringModal = [&] {
    for (CommandId id : {kCmdNew, kCmdOpen, kCmdSave, kCmdEncrypt, kCmdDecrypt, kCmdAbout,
                         kCmdEncryptionNote, kCmdDecryptionNote}) {
      commands.Run(id);
    }
    EXPECT_FALSE(commands.QueryClose());
  };
  if (c.viaQueryClose) {
    commands.QueryClose();
  } else {
    commands.Run(c.command);
  }
  EXPECT_THAT(platform.calls, ElementsAreArray(c.calls));

  // Once it has ended, commands run again.
  platform.calls.clear();
  commands.Run(kCmdAbout);
  EXPECT_EQ(platform.calls.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    ReentryTest,
    ::testing::Values(
        Reentry{.name = "DuringSaveQuestionOfNew",
                .script = [](FakePlatform& p) { p.answers = {Answer::kNo}; },
                .command = kCmdNew,
                .calls = {kSaveQuestion, "set edit"}},
        Reentry{.name = "DuringSaveDialog",
                .script = [](FakePlatform& p) { p.paths = {std::nullopt}; },
                .command = kCmdSave,
                .calls = {"dialog save"}},
        Reentry{.name = "DuringOpenDialog",
                .script = [](FakePlatform& p) { p.paths = {std::nullopt}; },
                .command = kCmdOpen,
                .calls = {"dialog open"}},
        Reentry{.name = "DuringPasswordPrompt",
                .script = [](FakePlatform& p) { p.passwords.push_back(std::nullopt); },
                .command = kCmdEncrypt,
                .calls = {"read edit", kEncryptPassword}},
        Reentry{.name = "DuringHelpBox",
                .script = [](FakePlatform&) {},
                .command = kCmdDecryptionNote,
                .calls = {"message OK 加密方法说明 "
                          "如果当前显示内容为密文，点击[高级]-[解密]菜单，可以实现解密！"}},
        Reentry{.name = "DuringCloseQuestion",
                .script = [](FakePlatform& p) { p.answers = {Answer::kCancel}; },
                .viaQueryClose = true,
                .calls = {kSaveQuestion}}),
    CaseName<Reentry>);

}  // namespace
}  // namespace vantrel::test
