// New, Open, Save and closing, through the real menu commands, message boxes and file dialogs,
// with the files checked byte for byte.
#include <vector>

#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

using vantrel::kCmdAbout;
using vantrel::kCmdExit;
using vantrel::kCmdNew;
using vantrel::kCmdOpen;
using vantrel::kCmdSave;

const std::wstring kMessageTitle = Wide("信息：");
const std::wstring kOpenFailed = Wide("无法打开文件：");
const std::wstring kSaveFailed = Wide("无法保存文件：");

using Document = EditorTest;

// New on an untouched document asks nothing; its own emptying counts as a change, so the next
// New asks. (A question from the first New would hold back the About box.)
TEST_F(Document, FirstNewAsksNothingAndTheSecondAsks) {
  editor().Command(kCmdNew);
  editor().Command(kCmdAbout);
  ASSERT_TRUE(DismissMessage(Wide("Vantrel工作室-记事本1.0"), Wide("Vantrel加密记事本1.0")));
  EXPECT_EQ(editor().Text(), L"");

  editor().Command(kCmdNew);
  EXPECT_TRUE(AnswerSaveQuestion(IDNO));
  EXPECT_EQ(editor().Text(), L"");
}

enum class SaveDialog { kNone, kConfirm, kCancel };

struct NewAnswer {
  const char* name;
  int button;
  SaveDialog dialog;
  bool emptied;
  bool written;
};

class NewQuestion : public EditorTest, public testing::WithParamInterface<NewAnswer> {};

TEST_P(NewQuestion, EachAnswerDoesWhatItSays) {
  const NewAnswer& answer = GetParam();
  const std::wstring text = Wide("草稿 draft\r\n第二行");
  const std::wstring path = dir_.File(L"draft.txt");
  ASSERT_TRUE(Type(Wide("草稿 draft\n第二行"), text));

  editor().Command(kCmdNew);
  ASSERT_TRUE(AnswerSaveQuestion(answer.button));
  if (answer.dialog == SaveDialog::kConfirm) {
    ASSERT_TRUE(ConfirmSaveDialog(path));
  } else if (answer.dialog == SaveDialog::kCancel) {
    HWND dialog = editor().WaitFileDialog();
    ASSERT_TRUE(dialog);
    PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitClosed(dialog));
    editor().Sync();
  }

  EXPECT_TRUE(editor().WaitText(answer.emptied ? L"" : text))
      << Utf8(editor().Text().value_or(L"?"));
  if (answer.written) {
    EXPECT_EQ(ReadFileBytes(path), Gbk(text));
  } else {
    EXPECT_FALSE(FileExists(path));
  }
  // Whatever the answer, the document counts as changed now: closing asks.
  editor().Post(WM_CLOSE);
  EXPECT_TRUE(AnswerSaveQuestion(IDNO));
  EXPECT_TRUE(ExitsCleanly());
}

const NewAnswer kNewAnswers[] = {
    {"Yes", IDYES, SaveDialog::kConfirm, true, true},
    {"YesThenCancelTheSaveDialog", IDYES, SaveDialog::kCancel, false, false},
    {"No", IDNO, SaveDialog::kNone, true, false},
    {"Cancel", IDCANCEL, SaveDialog::kNone, false, false},
};

INSTANTIATE_TEST_SUITE_P(New, NewQuestion, testing::ValuesIn(kNewAnswers), RowName<NewAnswer>);

// Typed Chinese and ASCII with line breaks reach the disk as their GBK bytes; a name without an
// extension gets ".txt" (a Chinese one too); a confirmed Save clears the modified flag.
TEST_F(Document, SaveWritesTheGbkBytesOfTheTypedText) {
  const std::wstring text = Wide("第一行 line one\r\n第二行：二〇二四年，ok!\r\n\r\nend ~");
  ASSERT_TRUE(Type(Wide("第一行 line one\n第二行：二〇二四年，ok!\n\nend ~"), text));
  ASSERT_TRUE(SaveAs(dir_.File(Wide("笔记"))));

  std::optional<Bytes> written = ReadFileBytes(dir_.File(Wide("笔记.txt")));
  ASSERT_TRUE(written) << "no file named 笔记.txt";
  EXPECT_EQ(*written, Gbk(text)) << Utf8(Printable(*written));
  EXPECT_EQ(FilesIn(dir_.path()), std::vector<std::wstring>{Wide("笔记.txt")});
  EXPECT_EQ(editor().Text(), text);

  ASSERT_TRUE(editor().Activate());
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(ExitsCleanly());
}

// The save dialog offers the path of the last Save; the open dialog offers only its own.
TEST_F(Document, SecondSaveOffersTheFirstPathAndOpenDoesNot) {
  const std::wstring path = dir_.File(L"first.txt");
  ASSERT_TRUE(Type(L"one", L"one"));
  ASSERT_TRUE(SaveAs(path));
  ASSERT_TRUE(Type(L" two", L"one two"));

  editor().Command(kCmdSave);
  HWND dialog = editor().WaitFileDialog();
  ASSERT_TRUE(dialog);
  std::optional<std::wstring> offered = FileNameField(dialog);
  EXPECT_TRUE(offered == L"first.txt" || offered == path) << Utf8(offered.value_or(L"?"));
  // Confirming what is offered replaces the first file, so the folder was offered too.
  PressButton(dialog, IDOK);
  ASSERT_TRUE(AnswerOverwritePrompt(editor(), dialog, IDYES));
  ASSERT_TRUE(WaitClosed(dialog));
  editor().Sync();
  EXPECT_EQ(ReadFileBytes(path), Gbk(L"one two"));

  editor().Command(kCmdOpen);
  dialog = editor().WaitFileDialog();
  ASSERT_TRUE(dialog);
  EXPECT_EQ(FileNameField(dialog), L"");
  PressButton(dialog, IDCANCEL);
  ASSERT_TRUE(WaitClosed(dialog));
  editor().Sync();
  EXPECT_EQ(editor().Text(), L"one two");
}

// Any file comes back byte for byte: zero bytes, bytes that are no GBK, lone CR and LF.
TEST_F(Document, OpenThenSaveKeepsEveryByte) {
  Bytes bytes = Gbk(Wide("中文开头 "));
  for (int b = 0; b < 256; ++b)
    bytes.push_back(static_cast<std::uint8_t>(b));
  const Bytes tricky = {'a',  0,    'b',  '\r', 'c',  '\n', 'd',  '\r', '\r', '\n', 0x81,
                        0x20, 0xFF, 0xFF, 0x80, 0xA1, 0x7F, 0xD6, 0xD0, 0,    0,    0x81};
  bytes.insert(bytes.end(), tricky.begin(), tricky.end());
  const std::wstring source = dir_.File(L"bytes.bin");
  const std::wstring copy = dir_.File(L"copy.txt");
  ASSERT_TRUE(WriteFileBytes(source, bytes));

  ASSERT_TRUE(Type(L"replaced without a question", L"replaced without a question"));
  ASSERT_TRUE(OpenFile(source));
  ASSERT_TRUE(WaitUntil([&] {
    return editor().Text().value_or(L"").starts_with(Wide("中文开头 "));
  })) << Utf8(editor().Text().value_or(L"?"));
  ASSERT_TRUE(SaveAs(copy));

  std::optional<Bytes> written = ReadFileBytes(copy);
  ASSERT_TRUE(written);
  EXPECT_EQ(*written, bytes) << Utf8(Printable(*written));
  EXPECT_EQ(ReadFileBytes(source), bytes);
}

// A file the editor cannot read (here held open without sharing) is reported with its name;
// the text stays, and so does a clear modified flag.
TEST_F(Document, OpenOfAnUnreadableFileKeepsTheText) {
  ASSERT_TRUE(Type(L"keep me", L"keep me"));
  ASSERT_TRUE(SaveAs(dir_.File(L"kept.txt")));
  const std::wstring locked = dir_.File(L"locked.txt");
  ASSERT_TRUE(WriteFileBytes(locked, Gbk(L"locked content")));
  Handle lock(CreateFileW(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(lock);

  ASSERT_TRUE(OpenFile(locked));
  auto box = editor().WaitMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->title, kMessageTitle);
  EXPECT_TRUE(box->text.starts_with(kOpenFailed)) << Utf8(box->text);
  EXPECT_NE(box->text.find(L"locked.txt"), std::wstring::npos) << Utf8(box->text);
  PressButton(box->window, IDOK);
  ASSERT_TRUE(WaitClosed(box->window));
  editor().Sync();
  EXPECT_EQ(editor().Text(), L"keep me");

  ASSERT_TRUE(editor().Activate());
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(ExitsCleanly());
}

// A read-only file is refused and reported; it keeps its bytes and its attribute, no temporary
// file is left beside it, and the document stays modified.
TEST_F(Document, SaveOntoAReadOnlyFileIsRefused) {
  const std::wstring path = dir_.File(L"readonly.txt");
  const Bytes old = Gbk(Wide("旧内容 old"));
  ASSERT_TRUE(WriteFileBytes(path, old));
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(Type(L"new text", L"new text"));

  ASSERT_TRUE(SaveAs(path, true));
  auto box = editor().WaitMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->title, kMessageTitle);
  EXPECT_TRUE(box->text.starts_with(kSaveFailed)) << Utf8(box->text);
  EXPECT_NE(box->text.find(L"readonly.txt"), std::wstring::npos) << Utf8(box->text);
  PressButton(box->window, IDOK);
  ASSERT_TRUE(WaitClosed(box->window));
  editor().Sync();

  EXPECT_EQ(ReadFileBytes(path), old);
  EXPECT_NE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(FilesIn(dir_.path()), std::vector<std::wstring>{L"readonly.txt"});
  EXPECT_EQ(editor().Text(), L"new text");
  editor().Post(WM_CLOSE);
  EXPECT_TRUE(AnswerSaveQuestion(IDNO));
  EXPECT_TRUE(ExitsCleanly());
}

// Text GBK cannot hold is saved only after a warning, as "?".
TEST_F(Document, SaveWarnsBeforeCharactersGbkCannotHold) {
  const std::wstring path = dir_.File(L"lossy.txt");
  const std::wstring text = L"a\u0E01b\uD55Cc";  // a Thai letter and a Hangul syllable
  ASSERT_TRUE(Type(text, text));

  for (int button : {IDCANCEL, IDOK}) {
    ASSERT_TRUE(SaveAs(path));
    auto box = editor().WaitMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->title, kMessageTitle);
    EXPECT_NE(box->text.find(L"?"), std::wstring::npos) << Utf8(box->text);
    EXPECT_TRUE(IsWindow(GetDlgItem(box->window, IDCANCEL)));
    PressButton(box->window, button);
    ASSERT_TRUE(WaitClosed(box->window));
    editor().Sync();
    if (button == IDCANCEL) {
      EXPECT_FALSE(FileExists(path));
    }
  }
  EXPECT_EQ(ReadFileBytes(path), Gbk(L"a?b?c"));
}

// Every way of closing: with nothing changed it ends at once with status 0; with unsaved
// changes it asks first.
struct ClosePath {
  const char* name;
  void (*close)(const Editor&);
};

const ClosePath kClosePaths[] = {
    {"EscKey",
     [](const Editor& editor) {
       ASSERT_TRUE(editor.Activate());
       PressKey(VK_ESCAPE);
     }},
    {"CloseBox", [](const Editor& editor) { editor.Post(WM_SYSCOMMAND, SC_CLOSE); }},
    {"AltF4",
     [](const Editor& editor) {
       ASSERT_TRUE(editor.Activate());
       INPUT keys[4] = {};
       const WORD order[4] = {VK_MENU, VK_F4, VK_F4, VK_MENU};
       for (int i = 0; i < 4; ++i) {
         keys[i].type = INPUT_KEYBOARD;
         keys[i].ki.wVk = order[i];
         keys[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0u;
       }
       SendInput(4, keys, sizeof(INPUT));
     }},
    {"ExitCommand", [](const Editor& editor) { editor.Command(kCmdExit); }},
};

class Closing : public EditorTest, public testing::WithParamInterface<ClosePath> {};

TEST_P(Closing, WithNothingChangedEndsAtOnce) {
  GetParam().close(editor());
  EXPECT_TRUE(ExitsCleanly());
}

TEST_P(Closing, WithUnsavedChangesAsksFirst) {
  ASSERT_TRUE(Type(L"unsaved", L"unsaved"));
  GetParam().close(editor());
  ASSERT_TRUE(AnswerSaveQuestion(IDNO));
  EXPECT_TRUE(ExitsCleanly());
}

INSTANTIATE_TEST_SUITE_P(Close, Closing, testing::ValuesIn(kClosePaths), RowName<ClosePath>);

TEST_F(Document, ClosingAnsweredCancelOrWithACancelledSaveKeepsTheWindow) {
  ASSERT_TRUE(Type(L"unsaved", L"unsaved"));
  editor().Post(WM_CLOSE);
  ASSERT_TRUE(AnswerSaveQuestion(IDCANCEL));

  editor().Post(WM_CLOSE);
  ASSERT_TRUE(AnswerSaveQuestion(IDYES));
  HWND dialog = editor().WaitFileDialog();
  ASSERT_TRUE(dialog);
  PressButton(dialog, IDCANCEL);
  ASSERT_TRUE(WaitClosed(dialog));
  editor().Sync();

  EXPECT_FALSE(editor().WaitExit(std::chrono::milliseconds(300)));
  EXPECT_TRUE(IsWindowVisible(editor().window()));
  EXPECT_EQ(editor().Text(), L"unsaved");
}

TEST_F(Document, ClosingAnsweredYesSavesThenEnds) {
  const std::wstring path = dir_.File(L"closing.txt");
  ASSERT_TRUE(Type(Wide("关闭前保存"), Wide("关闭前保存")));
  editor().Post(WM_CLOSE);
  ASSERT_TRUE(AnswerSaveQuestion(IDYES));
  ASSERT_TRUE(ConfirmSaveDialog(path));
  EXPECT_TRUE(ExitsCleanly());
  EXPECT_EQ(ReadFileBytes(path), Gbk(Wide("关闭前保存")));
}

}  // namespace
}  // namespace e2e
