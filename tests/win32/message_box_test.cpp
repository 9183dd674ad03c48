#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "editor/platform/wide_text.h"
#include "editor/platform/win32_platform.h"
#include "tests/win32/test_window.h"

namespace vantrel {
namespace {

constexpr int kIconControl = 1088;  // the icon of a system message box
constexpr int kTextControl = 0xFFFF;

struct SeenBox {
  std::wstring title;
  std::wstring text;
  int defaultButton = 0;
  bool hasIcon = false;
  bool ownerEnabled = true;
};

void PressKey(WPARAM key) {
  const HWND focus = GetFocus();
  PostMessageW(focus, WM_KEYDOWN, key, 1);
  PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
}

void Click(HWND box, int id) {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

// The button drawn as the default one (DM_GETDEFID is not reliable for message boxes).
int DefaultButton(HWND box) {
  for (const int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
    const HWND button = GetDlgItem(box, id);
    if (button != nullptr &&
        (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      return id;
    }
  }
  return 0;
}

// Shows a real box, records how it looks, then closes it with `close`.
Answer Show(const std::string& title,
            Buttons buttons,
            const std::function<void(HWND)>& close,
            SeenBox& seen) {
  test::TestWindow window;
  ShowWindow(window.window(), SW_SHOWNA);
  Win32Platform platform(window.window(), window.edit());
  HWND handled = nullptr;
  int ticks = 0;
  window.onTimer = [&] {
    const HWND box = test::FindOwnedDialog(nullptr);
    if (box == nullptr) {
      return;
    }
    if (box != handled) {
      handled = box;
      wchar_t text[256] = {};
      GetWindowTextW(box, text, 256);
      seen.title = text;
      GetDlgItemTextW(box, kTextControl, text, 256);
      seen.text = text;
      seen.defaultButton = DefaultButton(box);
      const HWND icon = GetDlgItem(box, kIconControl);
      seen.hasIcon = icon != nullptr && SendMessageW(icon, STM_GETICON, 0, 0) != 0;
      seen.ownerEnabled = IsWindowEnabled(window.window()) != FALSE;
      close(box);
    } else if (++ticks > 100) {
      ADD_FAILURE() << "the box did not close";
      EndDialog(box, IDCANCEL);
    }
  };
  Answer answer = Answer::kOk;
  window.WithTimer(20, [&] { answer = platform.ShowMessage("第一行\n第二行", title, buttons); });
  EXPECT_NE(handled, nullptr) << "the box never showed";
  return answer;
}

TEST(MessageBoxTest, ButtonsKeysAndCloseBoxGiveTheirAnswers) {
  const struct {
    const char* how;
    Buttons buttons;
    std::function<void(HWND)> close;
    Answer answer;
    int defaultButton;
  } cases[] = {
      {"Yes", Buttons::kYesNoCancel, [](HWND b) { Click(b, IDYES); }, Answer::kYes, IDYES},
      {"No", Buttons::kYesNoCancel, [](HWND b) { Click(b, IDNO); }, Answer::kNo, IDYES},
      {"Cancel", Buttons::kYesNoCancel, [](HWND b) { Click(b, IDCANCEL); }, Answer::kCancel, IDYES},
      {"Enter", Buttons::kYesNoCancel, [](HWND) { PressKey(VK_RETURN); }, Answer::kYes, IDYES},
      {"Esc", Buttons::kYesNoCancel, [](HWND) { PressKey(VK_ESCAPE); }, Answer::kCancel, IDYES},
      {"close box", Buttons::kYesNoCancel, [](HWND b) { PostMessageW(b, WM_CLOSE, 0, 0); },
       Answer::kCancel, IDYES},
      {"OK", Buttons::kOk, [](HWND b) { Click(b, IDOK); }, Answer::kOk, IDOK},
      {"Esc on OK/Cancel", Buttons::kOkCancel, [](HWND) { PressKey(VK_ESCAPE); }, Answer::kCancel,
       IDOK},
      {"Enter on OK/Cancel", Buttons::kOkCancel, [](HWND) { PressKey(VK_RETURN); }, Answer::kOk,
       IDOK},
  };
  for (const auto& c : cases) {
    SeenBox seen;
    EXPECT_EQ(Show("标题", c.buttons, c.close, seen), c.answer) << c.how;
    EXPECT_EQ(seen.title, Utf8ToWide("标题")) << c.how;
    EXPECT_EQ(seen.text, Utf8ToWide("第一行\n第二行")) << c.how;
    EXPECT_EQ(seen.defaultButton, c.defaultButton) << c.how;
    EXPECT_FALSE(seen.hasIcon) << c.how;
    EXPECT_FALSE(seen.ownerEnabled) << c.how << ": task-modal disables the thread's windows";
  }
}

TEST(MessageBoxTest, NoTitleMeansTheDefaultTitle) {
  SeenBox seen;
  Show(
      "", Buttons::kOk, [](HWND b) { Click(b, IDOK); }, seen);
  EXPECT_EQ(seen.title, Utf8ToWide("信息："));
}

}  // namespace
}  // namespace vantrel
