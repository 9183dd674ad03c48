#include "editor/main_window.h"

#include <algorithm>
#include <string>

#include "editor/keyboard.h"
#include "editor/menu_builder.h"
#include "editor/menu_tree.h"
#include "editor/resources/resource_ids.h"
#include "editor/platform/wide_text.h"

namespace vantrel {

namespace {

constexpr wchar_t kClassName[] = L"VantrelNotepadMainWindow";
constexpr DWORD kMainWindowStyle =
    WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD kEditBoxStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | ES_LEFT |
                                ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
constexpr int kEditBoxInitialWidth = 488;
constexpr int kEditBoxInitialHeight = 296;

bool RegisterWindowClass(HINSTANCE instance, WNDPROC windowProc) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = kClassName;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HICON LoadProgramIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(VANTREL_ICON_ID), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric),
                                       GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
}

SIZE OuterSize(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

bool KeyHeld(int virtualKey) {
  return (GetKeyState(virtualKey) & 0x8000) != 0;
}

}  // namespace

int ClampEditBoxSize(int size) {
  return std::clamp(size, 0, kEditBoxMaxSize);
}

std::unique_ptr<MainWindow> MainWindow::Create(HINSTANCE instance) {
  if (!RegisterWindowClass(instance, &MainWindow::WindowProc)) {
    return nullptr;
  }
  std::unique_ptr<MainWindow> window(new MainWindow);
  if (!window->CreateWindows(instance)) {
    const DWORD error = GetLastError();
    window.reset();
    SetLastError(error);
    return nullptr;
  }
  return window;
}

MainWindow::~MainWindow() {
  if (hwnd_ != nullptr) {
    DestroyWindow(hwnd_);
  }
}

bool MainWindow::CreateWindows(HINSTANCE instance) {
  MenuHandle menu = BuildMenuBar(kMenuTree);
  if (!menu) {
    return false;
  }
  // Truncating division, as the centring is defined.
  const int left = (GetSystemMetrics(SM_CXSCREEN) - kMainWindowWidth) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - kMainWindowHeight) / 2;
  const std::wstring title = Utf8ToWide(kMainWindowTitle);
  if (CreateWindowExW(0, kClassName, title.c_str(), kMainWindowStyle, left, top, kMainWindowWidth,
                      kMainWindowHeight, nullptr, menu.get(), instance, this) == nullptr) {
    return false;
  }
  menu.release();  // the window destroys its menu bar
  const SIZE size = OuterSize(hwnd_);
  if (size.cx != kMainWindowWidth || size.cy != kMainWindowHeight) {
    SetWindowPos(hwnd_, nullptr, left, top, kMainWindowWidth, kMainWindowHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SetIconsAndFont(instance);
  if (!CreateEditBox(instance)) {
    return false;
  }
  platform_.emplace(hwnd_, editBox_);
  commands_.emplace(*platform_);
  creating_ = false;
  // Of the created, moved and size-changed events only the last has a handler.
  if (IsWindow(hwnd_)) {
    ApplyResizeRule();
  }
  return true;
}

void MainWindow::SetIconsAndFont(HINSTANCE instance) {
  bigIcon_.reset(LoadProgramIcon(instance, SM_CXICON, SM_CYICON));
  smallIcon_.reset(LoadProgramIcon(instance, SM_CXSMICON, SM_CYSMICON));
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
               FALSE);
}

bool MainWindow::CreateEditBox(HINSTANCE instance) {
  editBox_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", kEditBoxStyle, 0, 0,
                             kEditBoxInitialWidth, kEditBoxInitialHeight, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kIdEditBox)), instance,
                             nullptr);
  if (editBox_ == nullptr) {
    return false;
  }
  SendMessageW(editBox_, EM_LIMITTEXT, 0, 0);  // the system's maximum
  SendMessageW(editBox_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
               FALSE);
  SendMessageW(editBox_, EM_SETSEL, 0, 0);
  return true;
}

void MainWindow::Show() {
  ShowWindow(hwnd_, SW_SHOW);
  SetFocus(editBox_);
}

int MainWindow::RunMessageLoop() {
  loopRunning_ = true;
  if (hwnd_ == nullptr) {
    return 0;
  }
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      return static_cast<int>(message.wParam);
    }
    if (got == -1) {
      return -1;
    }
    if (!PreTranslateMessage(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

bool MainWindow::PreTranslateMessage(const MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) {
    return false;
  }
  if (hwnd_ == nullptr || (message.hwnd != hwnd_ && !IsChild(hwnd_, message.hwnd))) {
    return false;
  }
  const Modifiers held{KeyHeld(VK_CONTROL), KeyHeld(VK_SHIFT), KeyHeld(VK_MENU)};
  switch (ClassifyKey(static_cast<unsigned>(message.wParam), held)) {
    case KeyAction::kPass:
      return false;
    case KeyAction::kConsume:
      return true;
    case KeyAction::kClose:
      SendMessageW(hwnd_, WM_CLOSE, 0, 0);
      return true;
  }
  return false;
}

// The resize rule: the edit box takes the main window's outer size (not its client size), so
// its right and bottom parts lie under the frame. Height first, then width, each read afresh.
void MainWindow::ApplyResizeRule() {
  SetEditBoxOuterHeight(OuterSize(hwnd_).cy);
  SetEditBoxOuterWidth(OuterSize(hwnd_).cx);
}

void MainWindow::SetEditBoxOuterHeight(int height) {
  SetWindowPos(editBox_, nullptr, 0, 0, OuterSize(editBox_).cx, ClampEditBoxSize(height),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::SetEditBoxOuterWidth(int width) {
  SetWindowPos(editBox_, nullptr, 0, 0, ClampEditBoxSize(width), OuterSize(editBox_).cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<MainWindow*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return self != nullptr ? self->HandleMessage(message, wParam, lParam)
                         : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (!creating_) {
        ApplyResizeRule();
      }
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_CTLCOLOREDIT:
      return OnCtlColorEdit(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_QUERYENDSESSION:
      return OnQueryEndSession() ? TRUE : FALSE;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam));
      break;
    case WM_SETFOCUS:
      OnSetFocus();
      return 0;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_NCDESTROY: {
      const LRESULT result = DefWindowProcW(hwnd_, message, wParam, lParam);
      OnNcDestroy();
      return result;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void MainWindow::OnCommand(unsigned id, unsigned code, HWND control) {
  if (creating_ || !commands_) {
    return;
  }
  if (control != nullptr) {
    if (control == editBox_ && code == EN_CHANGE) {
      OnEditChanged();
    }
    return;
  }
  if (!IsMenuCommand(kMenuTree, id)) {
    return;
  }
  if (id == kCmdExit) {
    if (MayClose()) {
      DestroyWindow(hwnd_);
    }
    return;
  }
  commands_->Run(static_cast<CommandId>(id));
}

// A change the user made. The edit box's own notifications while the program replaces its
// text are not the user's: the command that replaces it raises the event itself.
void MainWindow::OnEditChanged() {
  if (!platform_->settingContent()) {
    commands_->OnContentChanged();
  }
}

void MainWindow::OnClose() {
  if (MayClose()) {
    DestroyWindow(hwnd_);
  }
}

bool MainWindow::OnQueryEndSession() {
  return MayClose();
}

// Asks about unsaved changes; refuses while a command runs.
bool MainWindow::MayClose() {
  return !commands_ || commands_->QueryClose();
}

LRESULT MainWindow::OnCtlColorEdit(HDC dc, HWND control) {
  if (control != editBox_) {
    return DefWindowProcW(hwnd_, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                          reinterpret_cast<LPARAM>(control));
  }
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 255, 255));
  return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
}

void MainWindow::OnActivate(unsigned state) {
  if (state != WA_INACTIVE) {
    return;
  }
  HWND focus = GetFocus();
  if (focus != nullptr && IsChild(hwnd_, focus)) {
    focusAtDeactivation_ = focus;
  }
}

// The focus goes back to the child that had it when the window was deactivated, or else to
// the edit box, the only tab stop.
void MainWindow::OnSetFocus() {
  HWND target = focusAtDeactivation_;
  if (target == nullptr || !IsWindow(target) || !IsChild(hwnd_, target)) {
    target = editBox_;
  }
  if (target != nullptr) {
    SetFocus(target);
  }
}

void MainWindow::OnNcDestroy() {
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
  editBox_ = nullptr;
  focusAtDeactivation_ = nullptr;
  if (loopRunning_) {
    PostQuitMessage(0);
  }
}

}  // namespace vantrel
