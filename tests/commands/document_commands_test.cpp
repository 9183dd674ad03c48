#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "editor/commands.h"
#include "tests/commands/expected_calls.h"
#include "tests/commands/fake_platform.h"

namespace vantrel::test {
namespace {

using test::PrintTo;
using ::testing::ElementsAreArray;

// "ab", CR LF, "中文" in GBK: the document most cases start from.
const Bytes kText = ToBytes("ab\r\n\xD6\xD0\xCE\xC4");
const std::string kPath = "C:\\文档\\笔记.txt";
const std::string kDenied = "拒绝访问。";

// Writing kText to kPath, under the wait cursor.
Calls WriteText() {
  return {"read edit", "busy on", "write file " + kPath, "busy off"};
}

Calls Join(std::initializer_list<Calls> parts) {
  Calls all;
  for (const Calls& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

struct DocumentCase {
  std::string name{};
  // Before.
  Bytes content = kText;
  std::size_t unrepresentable = 0;
  bool modified = true;
  std::map<std::string, Bytes> files{};
  std::map<std::string, std::string> failures{};
  // The script.
  std::vector<Answer> answers{};
  std::vector<std::optional<std::string>> paths{};
  // After.
  Calls calls{};
  Bytes contentAfter = kText;
  bool modifiedAfter = true;
  std::map<std::string, Bytes> filesAfter{};
  bool closes = false;  // QueryClose only
};

class DocumentTest : public ::testing::TestWithParam<DocumentCase> {
 protected:
  void SetUp() override {
    const DocumentCase& c = GetParam();
    platform_.content = EditContent{c.content, c.unrepresentable};
    platform_.files = c.files;
    platform_.failures = c.failures;
    platform_.answers.assign(c.answers.begin(), c.answers.end());
    platform_.paths.assign(c.paths.begin(), c.paths.end());
    if (c.modified)
      commands_.OnContentChanged();
  }

  void CheckOutcome() {
    const DocumentCase& c = GetParam();
    EXPECT_THAT(platform_.calls, ElementsAreArray(c.calls));
    EXPECT_EQ(platform_.content.bytes, c.contentAfter);
    EXPECT_EQ(commands_.modified(), c.modifiedAfter);
    EXPECT_EQ(platform_.files, c.filesAfter);
    EXPECT_TRUE(platform_.answers.empty() && platform_.paths.empty()) << "script not used up";
  }

  FakePlatform platform_;
  Commands commands_{platform_};
};

class NewTest : public DocumentTest {};

TEST_P(NewTest, AsksWhenModifiedAndEmptiesOnlyWhenNothingIsLost) {
  commands_.Run(kCmdNew);
  CheckOutcome();
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    NewTest,
    ::testing::Values(
        DocumentCase{.name = "UnmodifiedAsksNothing",
                     .modified = false,
                     .calls = {"set edit"},
                     .contentAfter = {}},
        DocumentCase{.name = "EmptyBoxStillSetsFlag",
                     .content = {},
                     .modified = false,
                     .calls = {"set edit"},
                     .contentAfter = {}},
        DocumentCase{.name = "NoDiscards",
                     .answers = {Answer::kNo},
                     .calls = {kSaveQuestion, "set edit"},
                     .contentAfter = {}},
        DocumentCase{.name = "CancelKeepsText",
                     .answers = {Answer::kCancel},
                     .calls = {kSaveQuestion}},
        DocumentCase{.name = "YesSavesThenEmpties",
                     .answers = {Answer::kYes},
                     .paths = {kPath},
                     .calls = Join({{kSaveQuestion, "dialog save"}, WriteText(), {"set edit"}}),
                     .contentAfter = {},
                     .filesAfter = {{kPath, kText}}},
        DocumentCase{.name = "YesWithSaveDialogCancelledKeepsText",
                     .answers = {Answer::kYes},
                     .paths = {std::nullopt},
                     .calls = {kSaveQuestion, "dialog save"}},
        DocumentCase{.name = "YesWithFailedWriteKeepsText",
                     .failures = {{kPath, kDenied}},
                     .answers = {Answer::kYes},
                     .paths = {kPath},
                     .calls = Join({{kSaveQuestion, "dialog save"},
                                    WriteText(),
                                    {FileError("保存", kPath, kDenied)}})},
        DocumentCase{.name = "YesWithLossyWarningCancelledKeepsText",
                     .unrepresentable = 2,
                     .answers = {Answer::kYes, Answer::kCancel},
                     .paths = {kPath},
                     .calls = {kSaveQuestion, "dialog save", "read edit", LossyWarning(2)}}),
    CaseName<DocumentCase>);

class OpenTest : public DocumentTest {};

TEST_P(OpenTest, LoadsTheBytesExactlyOrKeepsTheText) {
  commands_.Run(kCmdOpen);
  CheckOutcome();
}

const Bytes kWithZero = {0x61, 0x62, 0x00, 0x63, 0x64};

Bytes AllByteValues() {
  Bytes bytes;
  for (int i = 0; i < 256; ++i)
    bytes.push_back(static_cast<std::uint8_t>(255 - i));
  return bytes;
}

Calls ReadFile(const std::string& path, bool ok) {
  if (ok)
    return {"dialog open", "busy on", "read file " + path, "set edit", "busy off"};
  return {"dialog open", "busy on", "read file " + path, "busy off"};
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    OpenTest,
    ::testing::Values(
        DocumentCase{.name = "CancelChangesNothing",
                     .modified = false,
                     .paths = {std::nullopt},
                     .calls = {"dialog open"},
                     .modifiedAfter = false},
        DocumentCase{.name = "ReplacesUnsavedTextWithoutAsking",
                     .files = {{kPath, ToBytes("new")}},
                     .paths = {kPath},
                     .calls = ReadFile(kPath, true),
                     .contentAfter = ToBytes("new"),
                     .filesAfter = {{kPath, ToBytes("new")}}},
        DocumentCase{.name = "KeepsBytesAfterZero",
                     .modified = false,
                     .files = {{kPath, kWithZero}},
                     .paths = {kPath},
                     .calls = ReadFile(kPath, true),
                     .contentAfter = kWithZero,
                     .filesAfter = {{kPath, kWithZero}}},
        DocumentCase{.name = "KeepsEveryByteValue",
                     .modified = false,
                     .files = {{kPath, AllByteValues()}},
                     .paths = {kPath},
                     .calls = ReadFile(kPath, true),
                     .contentAfter = AllByteValues(),
                     .filesAfter = {{kPath, AllByteValues()}}},
        DocumentCase{.name = "EmptyFileGivesEmptyDocument",
                     .modified = false,
                     .files = {{kPath, {}}},
                     .paths = {kPath},
                     .calls = ReadFile(kPath, true),
                     .contentAfter = {},
                     .filesAfter = {{kPath, {}}}},
        DocumentCase{.name = "UnreadableFileKeepsTextAndClearFlag",
                     .modified = false,
                     .failures = {{kPath, kDenied}},
                     .paths = {kPath},
                     .calls = Join({ReadFile(kPath, false), {FileError("打开", kPath, kDenied)}}),
                     .modifiedAfter = false},
        DocumentCase{.name = "VanishedFileKeepsTextAndSetFlag",
                     .paths = {kPath},
                     .calls = Join({ReadFile(kPath, false),
                                    {FileError("打开", kPath, "系统找不到指定的文件。")}})}),
    CaseName<DocumentCase>);

class SaveTest : public DocumentTest {};

TEST_P(SaveTest, WritesTheBytesAndClearsTheFlagOnlyWhenWritten) {
  commands_.Run(kCmdSave);
  CheckOutcome();
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    SaveTest,
    ::testing::Values(DocumentCase{.name = "CancelWritesNothing",
                                   .paths = {std::nullopt},
                                   .calls = {"dialog save"}},
                      DocumentCase{.name = "WritesAndClearsFlag",
                                   .paths = {kPath},
                                   .calls = Join({{"dialog save"}, WriteText()}),
                                   .modifiedAfter = false,
                                   .filesAfter = {{kPath, kText}}},
                      DocumentCase{.name = "UnmodifiedStillWrites",
                                   .modified = false,
                                   .paths = {kPath},
                                   .calls = Join({{"dialog save"}, WriteText()}),
                                   .modifiedAfter = false,
                                   .filesAfter = {{kPath, kText}}},
                      DocumentCase{.name = "EmptyBoxEmptiesExistingFile",
                                   .content = {},
                                   .files = {{kPath, ToBytes("old")}},
                                   .paths = {kPath},
                                   .calls = Join({{"dialog save"}, WriteText()}),
                                   .contentAfter = {},
                                   .modifiedAfter = false,
                                   .filesAfter = {{kPath, {}}}},
                      DocumentCase{.name = "ZeroAndHighBytesWrittenWhole",
                                   .content = AllByteValues(),
                                   .paths = {kPath},
                                   .calls = Join({{"dialog save"}, WriteText()}),
                                   .contentAfter = AllByteValues(),
                                   .modifiedAfter = false,
                                   .filesAfter = {{kPath, AllByteValues()}}},
                      DocumentCase{.name = "FailedWriteToldAndFlagKept",
                                   .files = {{kPath, ToBytes("old")}},
                                   .failures = {{kPath, kDenied}},
                                   .paths = {kPath},
                                   .calls = Join({{"dialog save"},
                                                  WriteText(),
                                                  {FileError("保存", kPath, kDenied)}}),
                                   .filesAfter = {{kPath, ToBytes("old")}}},
                      DocumentCase{.name = "LossyWarningCancelledWritesNothing",
                                   .unrepresentable = 3,
                                   .answers = {Answer::kCancel},
                                   .paths = {kPath},
                                   .calls = {"dialog save", "read edit", LossyWarning(3)}},
                      DocumentCase{.name = "LossyWarningAcceptedWrites",
                                   .content = ToBytes("a?b?"),
                                   .unrepresentable = 2,
                                   .answers = {Answer::kOk},
                                   .paths = {kPath},
                                   .calls = Join({{"dialog save", "read edit", LossyWarning(2),
                                                   "busy on", "write file " + kPath, "busy off"}}),
                                   .contentAfter = ToBytes("a?b?"),
                                   .modifiedAfter = false,
                                   .filesAfter = {{kPath, ToBytes("a?b?")}}}),
    CaseName<DocumentCase>);

class QueryCloseTest : public DocumentTest {};

TEST_P(QueryCloseTest, ClosesOnlyWhenNothingIsLost) {
  EXPECT_EQ(commands_.QueryClose(), GetParam().closes);
  CheckOutcome();
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    QueryCloseTest,
    ::testing::Values(DocumentCase{.name = "UnmodifiedClosesUnasked",
                                   .modified = false,
                                   .modifiedAfter = false,
                                   .closes = true},
                      DocumentCase{.name = "NoCloses",
                                   .answers = {Answer::kNo},
                                   .calls = {kSaveQuestion},
                                   .closes = true},
                      DocumentCase{.name = "CancelStaysOpen",
                                   .answers = {Answer::kCancel},
                                   .calls = {kSaveQuestion}},
                      DocumentCase{.name = "YesSavedCloses",
                                   .answers = {Answer::kYes},
                                   .paths = {kPath},
                                   .calls = Join({{kSaveQuestion, "dialog save"}, WriteText()}),
                                   .modifiedAfter = false,
                                   .filesAfter = {{kPath, kText}},
                                   .closes = true},
                      DocumentCase{.name = "YesWithSaveDialogCancelledStaysOpen",
                                   .answers = {Answer::kYes},
                                   .paths = {std::nullopt},
                                   .calls = {kSaveQuestion, "dialog save"}},
                      DocumentCase{.name = "YesWithFailedWriteStaysOpen",
                                   .failures = {{kPath, kDenied}},
                                   .answers = {Answer::kYes},
                                   .paths = {kPath},
                                   .calls = Join({{kSaveQuestion, "dialog save"},
                                                  WriteText(),
                                                  {FileError("保存", kPath, kDenied)}})}),
    CaseName<DocumentCase>);

// The flag through a session: clear at start, set by every change and every New or Open,
// cleared only by a Save that wrote the file.
TEST(ModifiedFlagTest, FollowsEachStep) {
  FakePlatform platform;
  Commands commands(platform);
  EXPECT_FALSE(commands.modified());

  commands.Run(kCmdNew);  // no question at start, yet the emptied box counts as a change
  EXPECT_TRUE(commands.modified());
  EXPECT_THAT(platform.calls, ElementsAreArray(Calls{"set edit"}));

  platform.answers = {Answer::kNo};
  commands.Run(kCmdNew);  // a second New asks, though the box is empty
  EXPECT_THAT(platform.calls, ElementsAreArray(Calls{"set edit", kSaveQuestion, "set edit"}));

  platform.paths = {kPath};
  commands.Run(kCmdSave);
  EXPECT_FALSE(commands.modified());

  commands.OnContentChanged();  // the user types
  EXPECT_TRUE(commands.modified());

  platform.paths = {std::nullopt};
  commands.Run(kCmdSave);
  EXPECT_TRUE(commands.modified());

  platform.paths = {kPath};
  commands.Run(kCmdSave);
  platform.files[kPath] = ToBytes("x");
  platform.paths = {kPath};
  commands.Run(kCmdOpen);  // Open sets the flag even straight after a Save
  EXPECT_TRUE(commands.modified());
}

// Open then Save of the same file writes it back byte for byte, zero bytes included.
TEST(DocumentRoundTripTest, OpenThenSaveReproducesAnyFile) {
  FakePlatform platform;
  Commands commands(platform);
  Bytes original = AllByteValues();
  original.insert(original.end(), {0x00, 0x00, '\r', 'a', '\n', 0x80, 0xFF});
  platform.files = {{"C:\\in.bin", original}};
  platform.paths = {"C:\\in.bin", "C:\\out.txt"};
  commands.Run(kCmdOpen);
  commands.Run(kCmdSave);
  EXPECT_EQ(platform.files["C:\\out.txt"], original);
  EXPECT_FALSE(commands.modified());
}

}  // namespace
}  // namespace vantrel::test
