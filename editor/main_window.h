#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string_view>

#include "editor/commands.h"
#include "editor/platform/win32_platform.h"
#include "editor/owned_handle.h"

namespace vantrel {

inline constexpr std::string_view kMainWindowTitle = "Vantrel加密记事本1.0 ";
inline constexpr int kMainWindowWidth = 565;
inline constexpr int kMainWindowHeight = 376;
inline constexpr int kEditBoxMaxSize = 32627;

// An outer width or height for the edit box, limited to 0..kEditBoxMaxSize.
int ClampEditBoxSize(int size);

inline void DestroyIconHandle(HICON icon) {
  DestroyIcon(icon);
}
using IconHandle = OwnedHandle<HICON, DestroyIconHandle>;

// The program's one top-level window: the menu bar over the edit box, and the commands behind
// them. Its state hangs off the window itself; the owner of this object must keep it alive
// while the window exists.
class MainWindow {
 public:
  // Creates the window hidden, centred on the primary screen at its outer size, with its menu
  // bar, icons, font and edit box; then gives the edit box its size by the resize rule. No
  // command or content-changed handler runs during creation, so the modified flag is clear.
  // Null when the window cannot be created; GetLastError then tells why.
  static std::unique_ptr<MainWindow> Create(HINSTANCE instance);

  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  // Destroys the window if it still exists.
  ~MainWindow();

  // Shows the window in its normal state with the focus in the edit box.
  void Show();

  // Runs the message loop until the quit message, which is posted once the window has been
  // destroyed. Returns the quit message's value.
  int RunMessageLoop();

  // The window's own key handling, for a message about to be dispatched: true when the
  // message was consumed and must not be dispatched.
  bool PreTranslateMessage(const MSG& message);

  // Null once the window has been destroyed.
  HWND hwnd() const { return hwnd_; }
  HWND editBox() const { return editBox_; }
  // The modified flag.
  bool modified() const { return commands_ && commands_->modified(); }

 private:
  MainWindow() = default;

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  bool CreateWindows(HINSTANCE instance);
  bool CreateEditBox(HINSTANCE instance);
  void SetIconsAndFont(HINSTANCE instance);

  void ApplyResizeRule();
  void SetEditBoxOuterHeight(int height);
  void SetEditBoxOuterWidth(int width);

  void OnCommand(unsigned id, unsigned code, HWND control);
  void OnEditChanged();
  void OnClose();
  bool OnQueryEndSession();
  LRESULT OnCtlColorEdit(HDC dc, HWND control);
  void OnActivate(unsigned state);
  void OnSetFocus();
  void OnNcDestroy();
  bool MayClose();

  HWND hwnd_ = nullptr;
  HWND editBox_ = nullptr;
  HWND focusAtDeactivation_ = nullptr;
  HFONT font_ = nullptr;
  bool creating_ = true;
  bool loopRunning_ = false;
  IconHandle bigIcon_;
  IconHandle smallIcon_;
  std::optional<Win32Platform> platform_;
  std::optional<Commands> commands_;  // uses platform_, so declared after it
};

}  // namespace vantrel
