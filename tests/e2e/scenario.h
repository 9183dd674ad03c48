#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "editor/command_ids.h"
#include "tests/e2e/harness.h"

namespace e2e {

// Names a parameterised case after the `name` field of its row.
template <typename Row>
std::string RowName(const testing::TestParamInfo<Row>& row) {
  return row.param.name;
}

// A document of CRLF lines of about 80 characters, Chinese and ASCII mixed, whose GBK form is
// at least `minBytes` long. Every line differs, so a lost or repeated line shows.
std::wstring MixedLines(std::size_t minBytes);

// Comparisons that name the first difference instead of printing megabytes.
testing::AssertionResult SameText(const std::optional<std::wstring>& shown,
                                  const std::wstring& expected);
testing::AssertionResult SameBytes(const std::optional<Bytes>& actual, const Bytes& expected);

// One test against a freshly started editor, with a folder of its own for files.
class EditorTest : public testing::Test {
 protected:
  void SetUp() override;

  Editor& editor() { return *editor_; }

  // Types into the edit box (a '\n' is the Enter key) and waits until it shows `expected`.
  testing::AssertionResult Type(std::wstring_view keys, std::wstring_view expected);
  // Chooses 保存 and confirms `path` in the save dialog; `replace` answers the dialog's own
  // question about an existing file.
  testing::AssertionResult SaveAs(const std::wstring& path, bool replace = false);
  // Confirms `path` in a save dialog that is already up.
  testing::AssertionResult ConfirmSaveDialog(const std::wstring& path, bool replace = false);
  // Chooses 打开 and confirms `path` in the open dialog.
  testing::AssertionResult OpenFile(const std::wstring& path);
  // Waits for the save question and answers it.
  testing::AssertionResult AnswerSaveQuestion(int button);
  // Waits for a message box with this title whose text starts with `text`, and presses OK.
  testing::AssertionResult DismissMessage(std::wstring_view title, std::wstring_view text);
  // Waits for the password prompt with this title and label, types and confirms `password`.
  testing::AssertionResult GivePassword(std::wstring_view title,
                                        std::wstring_view label,
                                        std::wstring_view password);
  // Waits for the process to end with status 0.
  testing::AssertionResult ExitsCleanly();

  TempDir dir_;
  std::unique_ptr<Editor> editor_;
};

}  // namespace e2e
