#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace vantrel::test {

// A hidden top-level window holding an EDIT child styled like the editor's edit box. The
// parent reports EN_CHANGE and WM_TIMER to the callbacks the test sets.
class TestWindow {
 public:
  TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  ~TestWindow();

  HWND window() const { return window_; }
  HWND edit() const { return edit_; }
  std::wstring EditText() const;

  std::function<void()> onEditChange;
  std::function<void()> onTimer;

  // Runs onTimer every `periodMs` while the calls made by `body` run their modal loops.
  void WithTimer(UINT periodMs, const std::function<void()>& body);

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  HWND edit_ = nullptr;
};

// The first visible dialog (#32770) of this thread owned by `owner`, or nullptr.
HWND FindOwnedDialog(HWND owner);

}  // namespace vantrel::test
