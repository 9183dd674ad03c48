#include "tests/win32/test_window.h"

namespace vantrel::test {
namespace {

constexpr wchar_t kClassName[] = L"VantrelTestWindow";
constexpr UINT_PTR kTimerId = 1;

void RegisterOnce(WNDPROC proc) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kClassName;
  RegisterClassW(&windowClass);  // fails harmlessly when already registered
}

}  // namespace

TestWindow::TestWindow() {
  RegisterOnce(Proc);
  window_ = CreateWindowExW(0, kClassName, L"test", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr,
                            nullptr, GetModuleHandleW(nullptr), this);
  edit_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                          WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 0,
                          0, 560, 340, window_, reinterpret_cast<HMENU>(1000),
                          GetModuleHandleW(nullptr), nullptr);
  SendMessageW(edit_, EM_LIMITTEXT, 0, 0);
}

TestWindow::~TestWindow() {
  DestroyWindow(window_);
}

std::wstring TestWindow::EditText() const {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit_)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(edit_, text.data(), static_cast<int>(text.size()))));
  return text;
}

void TestWindow::WithTimer(UINT periodMs, const std::function<void()>& body) {
  SetTimer(window_, kTimerId, periodMs, nullptr);
  body();
  KillTimer(window_, kTimerId);
}

LRESULT CALLBACK TestWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr) {
    if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE && self->onEditChange) {
      self->onEditChange();
      return 0;
    }
    if (message == WM_TIMER && wParam == kTimerId && self->onTimer) {
      self->onTimer();
      return 0;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

namespace {

struct DialogSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<DialogSearch*>(lParam);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (std::wstring_view(className) == L"#32770" && IsWindowVisible(window) &&
      GetWindow(window, GW_OWNER) == search->owner) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND FindOwnedDialog(HWND owner) {
  DialogSearch search{owner, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), CheckWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace vantrel::test
