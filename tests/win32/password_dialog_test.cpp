#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/command_ids.h"
#include "editor/platform/password_dialog.h"
#include "editor/platform/win32_platform.h"
#include "tests/win32/test_window.h"

namespace vantrel {
namespace {

using test::FindOwnedDialog;
using test::TestWindow;

// The DLGTEMPLATE fields read back independently of the builder.
struct ParsedItem {
  DWORD style;
  DWORD exStyle;
  short x, y, cx, cy;
  WORD id;
  WORD windowClass;
  std::wstring text;
};

struct ParsedDialog {
  DWORD style;
  DWORD exStyle;
  short x, y, cx, cy;
  WORD menu;
  WORD windowClass;
  std::wstring title;
  WORD points;
  std::wstring font;
  std::vector<ParsedItem> items;
};

class Reader {
 public:
  explicit Reader(const std::vector<WORD>& words) : words_(words) {}
  WORD Word() { return words_.at(at_++); }
  DWORD Dword() {
    const WORD low = Word();
    return static_cast<DWORD>(Word()) << 16 | low;
  }
  short Short() { return static_cast<short>(Word()); }
  std::wstring String() {
    std::wstring text;
    for (WORD c = Word(); c != 0; c = Word()) {
      text += static_cast<wchar_t>(c);
    }
    return text;
  }
  void AlignDword() { at_ += at_ % 2; }
  bool AtEnd() const { return at_ == words_.size(); }

 private:
  const std::vector<WORD>& words_;
  std::size_t at_ = 0;
};

ParsedDialog Parse(const std::vector<WORD>& words) {
  Reader in(words);
  ParsedDialog dialog{};
  dialog.style = in.Dword();
  dialog.exStyle = in.Dword();
  const WORD count = in.Word();
  dialog.x = in.Short();
  dialog.y = in.Short();
  dialog.cx = in.Short();
  dialog.cy = in.Short();
  dialog.menu = in.Word();
  dialog.windowClass = in.Word();
  dialog.title = in.String();
  dialog.points = in.Word();
  dialog.font = in.String();
  for (WORD i = 0; i < count; ++i) {
    in.AlignDword();
    ParsedItem item{};
    item.style = in.Dword();
    item.exStyle = in.Dword();
    item.x = in.Short();
    item.y = in.Short();
    item.cx = in.Short();
    item.cy = in.Short();
    item.id = in.Word();
    EXPECT_EQ(in.Word(), 0xFFFF) << "class given by atom";
    item.windowClass = in.Word();
    item.text = in.String();
    EXPECT_EQ(in.Word(), 0) << "no creation data";
    dialog.items.push_back(item);
  }
  EXPECT_TRUE(in.AtEnd());
  return dialog;
}

TEST(PasswordDialogTest, TemplateHoldsThePromptAsLaidOut) {
  const std::vector<WORD> words = BuildPasswordDialogTemplate(
      L"\u8BF7\u8F93\u5165\u52A0\u5BC6\u5BC6\u7801\uFF1A",  // 请输入加密密码：
      L"\u8F93\u5165\u52A0\u5BC6\u5BC6\u7801");             // 输入加密密码
  const ParsedDialog dialog = Parse(words);
  EXPECT_EQ(dialog.style, static_cast<DWORD>(DS_CENTER | DS_MODALFRAME | DS_SETFONT | WS_CAPTION |
                                             WS_SYSMENU | WS_POPUP));
  EXPECT_EQ(dialog.exStyle, 0u);
  EXPECT_EQ(dialog.cx, 252);
  EXPECT_EQ(dialog.cy, 92);
  EXPECT_EQ(dialog.menu, 0);
  EXPECT_EQ(dialog.windowClass, 0);
  EXPECT_EQ(dialog.title, L"\u8F93\u5165\u52A0\u5BC6\u5BC6\u7801");
  EXPECT_EQ(dialog.points, 9);
  EXPECT_EQ(dialog.font, L"\u5B8B\u4F53");  // 宋体

  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  const ParsedItem expected[] = {
      {kChild | SS_SUNKEN, 0, 7, 7, 238, 35, 0xFFFF, 0x0082, L""},
      {kChild | SS_LEFT, 0, 12, 11, 229, 27, kIdPasswordLabel, 0x0082,
       L"\u8BF7\u8F93\u5165\u52A0\u5BC6\u5BC6\u7801\uFF1A"},
      {kChild | ES_LEFT | ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 7, 45, 238, 12,
       kIdPasswordEntry, 0x0081, L""},
      {kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 63, 66, 55, 19, IDOK, 0x0080,
       L"\u786E\u8BA4\u8F93\u5165(&O)"},  // 确认输入(&O)
      {kChild | BS_PUSHBUTTON | WS_TABSTOP, 0, 134, 66, 55, 19, IDCANCEL, 0x0080,
       L"\u53D6\u6D88(&C)"},  // 取消(&C)
  };
  ASSERT_EQ(dialog.items.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const ParsedItem& got = dialog.items[i];
    const ParsedItem& want = expected[i];
    EXPECT_EQ(got.style, want.style) << "item " << i;
    EXPECT_EQ(got.exStyle, want.exStyle) << "item " << i;
    EXPECT_EQ((std::vector<short>{got.x, got.y, got.cx, got.cy}),
              (std::vector<short>{want.x, want.y, want.cx, want.cy}))
        << "item " << i;
    EXPECT_EQ(got.id, want.id) << "item " << i;
    EXPECT_EQ(got.windowClass, want.windowClass) << "item " << i;
    EXPECT_EQ(got.text, want.text) << "item " << i;
  }
}

// Drives the real prompt: once it is up, checks its opening state, types `typed` and closes
// it with `close`. A prompt that does not close is cancelled after a deadline and fails.
std::optional<PasswordEntry> RunPrompt(const std::wstring& typed,
                                       const std::function<void(HWND dialog)>& close) {
  TestWindow window;
  Win32Platform platform(window.window(), window.edit());
  HWND handled = nullptr;
  int ticks = 0;
  window.onTimer = [&] {
    const HWND dialog = FindOwnedDialog(window.window());
    if (dialog == nullptr) {
      return;
    }
    if (dialog != handled) {
      handled = dialog;
      const HWND entry = GetDlgItem(dialog, kIdPasswordEntry);
      EXPECT_EQ(GetFocus(), entry);
      wchar_t label[64] = {};
      GetDlgItemTextW(dialog, kIdPasswordLabel, label, 64);
      EXPECT_STREQ(label, L"\u8BF7\u8F93\u5165\u89E3\u5BC6\u5BC6\u7801\uFF1A");
      wchar_t caption[64] = {};
      GetWindowTextW(dialog, caption, 64);
      EXPECT_STREQ(caption, L"\u8F93\u5165\u89E3\u5BC6\u5BC6\u7801");
      SetWindowTextW(entry, typed.c_str());
      close(dialog);
    } else if (++ticks > 100) {
      ADD_FAILURE() << "the prompt did not close";
      EndDialog(dialog, IDCANCEL);
    }
  };
  std::optional<PasswordEntry> entry;
  window.WithTimer(20, [&] { entry = platform.AskPassword("请输入解密密码：", "输入解密密码"); });
  EXPECT_NE(handled, nullptr) << "the prompt never showed";
  return entry;
}

void PressKey(HWND dialog, WPARAM key) {
  const HWND entry = GetDlgItem(dialog, kIdPasswordEntry);
  PostMessageW(entry, WM_KEYDOWN, key, 1);
  PostMessageW(entry, WM_KEYUP, key, 0xC0000001);
}

void ClickButton(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

TEST(PasswordDialogTest, ConfirmingGivesTheTypedTextInGbk) {
  const struct {
    const char* how;
    std::wstring typed;
    std::function<void(HWND)> close;
    std::vector<std::uint8_t> bytes;
    std::size_t unrepresentable;
  } cases[] = {
      {"Enter",
       L"\u5BC6\u7801abc",
       [](HWND d) { PressKey(d, VK_RETURN); },
       {0xC3, 0xDC, 0xC2, 0xEB, 'a', 'b', 'c'},
       0},
      {"OK button, empty entry", L"", [](HWND d) { ClickButton(d, IDOK); }, {}, 0},
      {"OK button, Thai", L"a\u0E01", [](HWND d) { ClickButton(d, IDOK); }, {'a', '?'}, 1},
  };
  for (const auto& c : cases) {
    const std::optional<PasswordEntry> entry = RunPrompt(c.typed, c.close);
    ASSERT_TRUE(entry.has_value()) << c.how;
    const auto bytes = entry->bytes.bytes();
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), c.bytes) << c.how;
    EXPECT_EQ(entry->unrepresentable, c.unrepresentable) << c.how;
  }
}

TEST(PasswordDialogTest, CancelEscAndCloseGiveNothing) {
  const struct {
    const char* how;
    std::function<void(HWND)> close;
  } cases[] = {
      {"Esc", [](HWND d) { PressKey(d, VK_ESCAPE); }},
      {"Cancel button", [](HWND d) { ClickButton(d, IDCANCEL); }},
      {"close box", [](HWND d) { PostMessageW(d, WM_CLOSE, 0, 0); }},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(RunPrompt(L"secret", c.close).has_value()) << c.how;
  }
}

}  // namespace
}  // namespace vantrel
