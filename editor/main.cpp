#include <windows.h>
#include <ole2.h>

#include <string>

#include "editor/main_window.h"
#include "editor/startup.h"
#include "editor/platform/wide_text.h"

namespace {

// OLE for the window thread, for the whole run of the program.
class OleSession {
 public:
  OleSession() : initialized_(SUCCEEDED(OleInitialize(nullptr))) {}
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;
  ~OleSession() {
    if (initialized_) {
      OleUninitialize();
    }
  }

 private:
  bool initialized_;
};

void ShowStartupError(DWORD error) {
  const std::wstring text = vantrel::Utf8ToWide("无法创建主窗口，程序不能启动。\n原因：" +
                                                vantrel::SystemErrorText(error));
  const std::wstring title = vantrel::Utf8ToWide("Vantrel加密记事本1.0");
  MessageBoxW(nullptr, text.c_str(), title.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const OleSession ole;
  vantrel::EnterProgramFolder();
  const auto window = vantrel::MainWindow::Create(instance);
  if (!window) {
    ShowStartupError(GetLastError());
    return -1;
  }
  window->Show();
  return window->RunMessageLoop();
}
