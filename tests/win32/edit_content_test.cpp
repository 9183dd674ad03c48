#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "editor/platform/win32_platform.h"
#include "tests/win32/test_window.h"

namespace vantrel {
namespace {

using test::TestWindow;

// Records the platform's settingContent() whenever the EDIT control receives WM_SETTEXT.
class SetTextSpy {
 public:
  SetTextSpy(HWND edit, const Win32Platform& platform) : edit_(edit), platform_(platform) {
    SetWindowSubclassLike();
  }
  SetTextSpy(const SetTextSpy&) = delete;
  SetTextSpy& operator=(const SetTextSpy&) = delete;
  ~SetTextSpy() {
    SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    RemovePropW(edit_, kProp);
  }

  std::vector<bool> seen;

 private:
  static constexpr wchar_t kProp[] = L"VantrelSetTextSpy";

  void SetWindowSubclassLike() {
    SetPropW(edit_, kProp, this);
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
  }

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<SetTextSpy*>(GetPropW(window, kProp));
    if (message == WM_SETTEXT) {
      self->seen.push_back(self->platform_.settingContent());
    }
    return CallWindowProcW(self->original_, window, message, wParam, lParam);
  }

  HWND edit_;
  const Win32Platform& platform_;
  WNDPROC original_ = nullptr;
};

TEST(EditContentTest, ChangeNotificationsDuringSettingAreMarked) {
  TestWindow window;
  Win32Platform platform(window.window(), window.edit());
  std::vector<bool> changes;
  window.onEditChange = [&] { changes.push_back(platform.settingContent()); };
  SetTextSpy spy(window.edit(), platform);

  platform.SetEditContent(Bytes{'a', 'b', 0xC4, 0xE3});
  EXPECT_EQ(spy.seen, std::vector<bool>{true});
  EXPECT_FALSE(platform.settingContent());
  for (const bool duringSetting : changes) {
    EXPECT_TRUE(duringSetting);
  }

  // A change the user makes is not marked.
  changes.clear();
  SendMessageW(window.edit(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"x"));
  EXPECT_EQ(changes, std::vector<bool>{false});
}

TEST(EditContentTest, EmptyBytesEmptyTheBox) {
  TestWindow window;
  Win32Platform platform(window.window(), window.edit());
  platform.SetEditContent(Bytes{'a', 'b'});
  platform.SetEditContent(Bytes{});
  EXPECT_EQ(window.EditText(), L"");
  const EditContent content = platform.ReadEditContent();
  EXPECT_TRUE(content.bytes.empty());
  EXPECT_EQ(content.unrepresentable, 0u);
}

TEST(EditContentTest, TypedCharactersGbkCannotHoldAreCounted) {
  TestWindow window;
  Win32Platform platform(window.window(), window.edit());
  SetWindowTextW(window.edit(), L"\u4F60\u0E01\r\nz");
  const EditContent content = platform.ReadEditContent();
  EXPECT_EQ(content.bytes, (Bytes{0xC4, 0xE3, '?', '\r', '\n', 'z'}));
  EXPECT_EQ(content.unrepresentable, 1u);
}

}  // namespace
}  // namespace vantrel

namespace vantrel {
namespace {

TEST(BusyScopeTest, ShowsTheWaitCursorUntilDestroyed) {
  Win32Platform platform(nullptr, nullptr);
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  SetCursor(arrow);
  {
    const auto busy = platform.ShowBusy();
    ASSERT_NE(busy, nullptr);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
  }
  EXPECT_EQ(GetCursor(), arrow);
}

}  // namespace
}  // namespace vantrel
