#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

const std::wstring kSaveQuestion = Wide("文件内容已被修改，是否保存？");
const std::wstring kMessageTitle = Wide("信息：");

testing::AssertionResult Failure(std::string_view what) {
  return testing::AssertionFailure() << what;
}

template <typename Sequence>
testing::AssertionResult Same(const Sequence& actual, const Sequence& expected) {
  if (actual == expected)
    return testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
    ++at;
  return testing::AssertionFailure() << "length " << actual.size() << ", expected "
                                     << expected.size() << "; first difference at " << at;
}

}  // namespace

std::wstring MixedLines(std::size_t minBytes) {
  const std::wstring middle = Wide("行：加密记事本的长文档测试 mixed text, 中文与 ASCII 混排，");
  std::wstring text;
  std::size_t bytes = 0;
  for (unsigned line = 0; bytes < minBytes; ++line) {
    std::wstring row = Wide("第") + std::to_wstring(line) + middle +
                       L"0123456789 abcdefghijklmnopqrstuvwxyz " + std::to_wstring(line * 7919u) +
                       L"\r\n";
    for (wchar_t ch : row)
      bytes += ch < 0x80 ? 1 : 2;
    text += row;
  }
  return text;
}

testing::AssertionResult SameText(const std::optional<std::wstring>& shown,
                                  const std::wstring& expected) {
  if (!shown)
    return Failure("the edit box did not answer");
  return Same(*shown, expected);
}

testing::AssertionResult SameBytes(const std::optional<Bytes>& actual, const Bytes& expected) {
  if (!actual)
    return Failure("the file cannot be read");
  return Same(*actual, expected);
}

void EditorTest::SetUp() {
  editor_ = Editor::Start();
  ASSERT_TRUE(editor_ != nullptr);
  ASSERT_TRUE(editor_->WaitFocusOnEditBox()) << "the edit box never took the focus";
}

testing::AssertionResult EditorTest::Type(std::wstring_view keys, std::wstring_view expected) {
  if (!editor().Activate())
    return Failure("the main window did not come to the foreground");
  TypeText(keys);
  if (!editor().WaitText(expected)) {
    return Failure("the edit box shows \"") << Utf8(editor().Text().value_or(L"<unreadable>"))
                                            << "\", expected \"" << Utf8(expected) << "\"";
  }
  return testing::AssertionSuccess();
}

testing::AssertionResult EditorTest::SaveAs(const std::wstring& path, bool replace) {
  editor().Command(vantrel::kCmdSave);
  return ConfirmSaveDialog(path, replace);
}

testing::AssertionResult EditorTest::ConfirmSaveDialog(const std::wstring& path, bool replace) {
  HWND dialog = editor().WaitFileDialog();
  if (!dialog)
    return Failure("no save dialog");
  if (!ChooseFile(dialog, path))
    return Failure("cannot fill in the save dialog");
  if (replace && !AnswerOverwritePrompt(editor(), dialog, IDYES)) {
    return Failure("the save dialog did not ask before replacing ") << Utf8(path);
  }
  if (!WaitClosed(dialog))
    return Failure("the save dialog stayed open for ") << Utf8(path);
  editor().Sync();
  return testing::AssertionSuccess();
}

testing::AssertionResult EditorTest::OpenFile(const std::wstring& path) {
  editor().Command(vantrel::kCmdOpen);
  HWND dialog = editor().WaitFileDialog();
  if (!dialog)
    return Failure("no open dialog");
  if (!ChooseFile(dialog, path))
    return Failure("cannot fill in the open dialog");
  if (!WaitClosed(dialog))
    return Failure("the open dialog stayed open for ") << Utf8(path);
  editor().Sync();
  return testing::AssertionSuccess();
}

testing::AssertionResult EditorTest::AnswerSaveQuestion(int button) {
  auto box = editor().WaitMessageBox();
  if (!box)
    return Failure("no save question");
  if (box->title != kMessageTitle || box->text != kSaveQuestion) {
    return Failure("expected the save question, saw \"")
           << Utf8(box->title) << "\": \"" << Utf8(box->text) << "\"";
  }
  PressButton(box->window, button);
  if (!WaitClosed(box->window))
    return Failure("the save question stayed open");
  editor().Sync();
  return testing::AssertionSuccess();
}

testing::AssertionResult EditorTest::DismissMessage(std::wstring_view title,
                                                    std::wstring_view text) {
  auto box = editor().WaitMessageBox();
  if (!box)
    return Failure("no message box");
  if (box->title != title || !box->text.starts_with(text)) {
    return Failure("expected \"") << Utf8(title) << "\": \"" << Utf8(text) << "...\", saw \""
                                  << Utf8(box->title) << "\": \"" << Utf8(box->text) << "\"";
  }
  PressButton(box->window, IDOK);
  if (!WaitClosed(box->window))
    return Failure("the message box stayed open");
  editor().Sync();
  return testing::AssertionSuccess();
}

testing::AssertionResult EditorTest::GivePassword(std::wstring_view title,
                                                  std::wstring_view label,
                                                  std::wstring_view password) {
  HWND prompt = editor().WaitPasswordPrompt();
  if (!prompt)
    return Failure("no password prompt");
  auto shownTitle = WindowText(prompt);
  auto shownLabel = WindowText(GetDlgItem(prompt, vantrel::kIdPasswordLabel));
  if (shownTitle != title || shownLabel != label) {
    return Failure("expected the prompt \"") << Utf8(title) << "\": \"" << Utf8(label)
                                             << "\", saw \"" << Utf8(shownTitle.value_or(L"?"))
                                             << "\": \"" << Utf8(shownLabel.value_or(L"?")) << "\"";
  }
  if (!EnterPassword(prompt, password))
    return Failure("the password prompt did not take it");
  editor().Sync();
  return testing::AssertionSuccess();
}

testing::AssertionResult EditorTest::ExitsCleanly() {
  std::optional<DWORD> status = editor().WaitExit();
  if (!status)
    return Failure("the editor is still running");
  if (*status != 0)
    return Failure("exit status ") << *status;
  return testing::AssertionSuccess();
}

}  // namespace e2e
