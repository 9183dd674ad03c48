#include "tests/e2e/harness.h"

#include <gtest/gtest.h>

#include <thread>
#include <utility>

#include "editor/command_ids.h"

namespace e2e {
namespace {

// Any single message to another process waits at most this long.
constexpr UINT kSendTimeoutMs = 2000;
constexpr int kMessageTextId = 0xFFFF;  // the text of a message box
constexpr int kFileNameBoxId = 0x47C;   // cmb13 of the Explorer-style file dialogs

Settings& MutableSettings() {
  static Settings settings;
  return settings;
}

bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
  return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             result) != 0;
}

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

std::vector<HWND> TopLevelWindowsOf(DWORD pid) {
  struct Search {
    DWORD pid;
    std::vector<HWND> found;
  } search{pid, {}};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(context);
        if (ProcessOf(window) == s.pid)
          s.found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void SendKeys(std::vector<INPUT> inputs) {
  UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  EXPECT_EQ(sent, inputs.size()) << "SendInput failed: " << GetLastError();
}

INPUT KeyInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

INPUT CharInput(wchar_t ch, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wScan = ch;
  input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0u);
  return input;
}

void RemoveTree(const std::wstring& dir) {
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..")
        continue;
      std::wstring path = dir + L"\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(dir.c_str());
}

}  // namespace

const Settings& GetSettings() {
  return MutableSettings();
}
void SetSettings(Settings settings) {
  MutableSettings() = std::move(settings);
}

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty())
    return {};
  int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                 static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                      text.data(), size);
  return text;
}

std::string Utf8(std::wstring_view text) {
  if (text.empty())
    return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

Bytes Gbk(std::wstring_view text) {
  if (text.empty())
    return {};
  BOOL lossy = FALSE;
  int size = WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, &lossy);
  Bytes out(static_cast<std::size_t>(size));
  WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()),
                      reinterpret_cast<char*>(out.data()), size, nullptr, &lossy);
  EXPECT_FALSE(lossy) << "no GBK form for " << Utf8(text);
  return out;
}

std::wstring Printable(const Bytes& bytes) {
  std::wstring out;
  for (std::uint8_t b : bytes) {
    wchar_t hex[4];
    swprintf(hex, 4, L"%02x ", b);
    out += hex;
  }
  return out;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
  }
  return true;
}

Handle& Handle::operator=(Handle&& other) noexcept {
  if (this != &other) {
    if (*this)
      CloseHandle(handle_);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

Handle::~Handle() {
  if (*this)
    CloseHandle(handle_);
}

std::optional<Bytes> ReadFileBytes(const std::wstring& path) {
  Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return std::nullopt;
  Bytes bytes;
  std::uint8_t buffer[65536];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  return bytes;
}

bool WriteFileBytes(const std::wstring& path, const Bytes& bytes) {
  Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return false;
  DWORD written = 0;
  return bytes.empty() || (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                     &written, nullptr) &&
                           written == bytes.size());
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> FilesIn(const std::wstring& dir) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE)
    return names;
  do {
    std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..")
      names.push_back(name);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return names;
}

TempDir::TempDir() {
  static int serial = 0;
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  path_ = std::wstring(base) + L"vantrel-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(++serial);
  RemoveTree(path_);
  EXPECT_TRUE(CreateDirectoryW(path_.c_str(), nullptr)) << Utf8(path_);
}

TempDir::~TempDir() {
  RemoveTree(path_);
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::optional<std::wstring> WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, &length))
    return std::nullopt;
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendWithTimeout(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                       &copied)) {
    return std::nullopt;
  }
  text.resize(copied);
  return text;
}

HWND Owner(HWND window) {
  return GetWindow(window, GW_OWNER);
}

void PressButton(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool WaitClosed(HWND window) {
  return WaitUntil([&] { return !IsWindow(window); });
}

void TypeText(std::wstring_view text) {
  std::vector<INPUT> inputs;
  for (wchar_t ch : text) {
    if (ch == L'\n') {
      inputs.push_back(KeyInput(VK_RETURN, false));
      inputs.push_back(KeyInput(VK_RETURN, true));
    } else {
      inputs.push_back(CharInput(ch, false));
      inputs.push_back(CharInput(ch, true));
    }
  }
  SendKeys(std::move(inputs));
}

void PressKey(WORD key, bool shift) {
  std::vector<INPUT> inputs;
  if (shift)
    inputs.push_back(KeyInput(VK_SHIFT, false));
  inputs.push_back(KeyInput(key, false));
  inputs.push_back(KeyInput(key, true));
  if (shift)
    inputs.push_back(KeyInput(VK_SHIFT, true));
  SendKeys(std::move(inputs));
}

std::unique_ptr<Editor> Editor::Start() {
  const std::wstring& path = GetSettings().editorPath;
  std::unique_ptr<Editor> editor(new Editor);
  std::wstring commandLine = L"\"" + path + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &editor->info_)) {
    ADD_FAILURE() << "cannot start " << Utf8(path) << ": error " << GetLastError();
    return nullptr;
  }
  editor->process_ = Handle(editor->info_.hProcess);
  editor->thread_ = Handle(editor->info_.hThread);
  DWORD pid = editor->info_.dwProcessId;
  bool shown = WaitUntil(
      [&] {
        for (HWND window : TopLevelWindowsOf(pid)) {
          HWND edit = GetDlgItem(window, vantrel::kIdEditBox);
          if (IsWindowVisible(window) && edit && ClassName(window) != L"#32770") {
            editor->window_ = window;
            editor->editBox_ = edit;
            return true;
          }
        }
        return false;
      },
      std::chrono::milliseconds(20000));
  if (!shown) {
    ADD_FAILURE() << "the editor's main window did not show";
    return nullptr;
  }
  editor->threadId_ = GetWindowThreadProcessId(editor->window_, nullptr);
  return editor;
}

Editor::~Editor() {
  if (Running()) {
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 5000);
  }
}

void Editor::Command(unsigned short id) const {
  Post(WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void Editor::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
  EXPECT_TRUE(PostMessageW(window_, message, wParam, lParam)) << "PostMessage " << message;
}

std::optional<std::wstring> Editor::Text() const {
  return WindowText(editBox_);
}

bool Editor::WaitText(std::wstring_view expected) const {
  return WaitUntil([&] { return Text() == expected; });
}

bool Editor::Activate() const {
  SetForegroundWindow(window_);
  return WaitUntil([&] { return GetForegroundWindow() == window_; });
}

HWND Editor::FocusedWindow() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(threadId_, &info))
    return nullptr;
  return info.hwndFocus;
}

bool Editor::WaitFocusOnEditBox() const {
  return WaitUntil([&] { return FocusedWindow() == editBox_; });
}

bool Editor::Sync() const {
  DWORD_PTR result = 0;
  return SendWithTimeout(window_, WM_NULL, 0, 0, &result);
}

bool Editor::WaitIdle(std::chrono::milliseconds timeout) const {
  return WaitUntil([&] { return Sync(); }, timeout);
}

bool Editor::Running() const {
  return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Editor::WaitExit(std::chrono::milliseconds timeout) const {
  if (WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD status = 0;
  GetExitCodeProcess(process_.get(), &status);
  return status;
}

HWND Editor::FindDialog(const std::function<bool(HWND)>& accept) const {
  for (HWND window : TopLevelWindowsOf(info_.dwProcessId)) {
    if (IsWindowVisible(window) && ClassName(window) == L"#32770" && accept(window)) {
      return window;
    }
  }
  return nullptr;
}

HWND Editor::WaitDialog(const std::function<bool(HWND)>& accept) const {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindDialog(accept)) != nullptr; });
  return found;
}

std::optional<MessageBoxSeen> Editor::WaitMessageBox() const {
  HWND box = WaitDialog([&](HWND dialog) {
    HWND owner = Owner(dialog);
    return (owner == nullptr || owner == window_) && GetDlgItem(dialog, kMessageTextId);
  });
  if (!box)
    return std::nullopt;
  auto title = WindowText(box);
  auto text = WindowText(GetDlgItem(box, kMessageTextId));
  if (!title || !text)
    return std::nullopt;
  return MessageBoxSeen{box, *title, *text};
}

HWND Editor::WaitFileDialog() const {
  return WaitDialog(
      [&](HWND dialog) { return Owner(dialog) == window_ && GetDlgItem(dialog, kFileNameBoxId); });
}

HWND Editor::WaitPasswordPrompt() const {
  return WaitDialog([&](HWND dialog) {
    return Owner(dialog) == window_ && GetDlgItem(dialog, vantrel::kIdPasswordEntry);
  });
}

std::optional<std::wstring> FileNameField(HWND fileDialog) {
  return WindowText(GetDlgItem(fileDialog, kFileNameBoxId));
}

bool ChooseFile(HWND fileDialog, const std::wstring& path) {
  HWND box = GetDlgItem(fileDialog, kFileNameBoxId);
  HWND field = FindWindowExW(box, nullptr, L"Edit", nullptr);
  DWORD_PTR result = 0;
  if (!SendWithTimeout(field ? field : box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()),
                       &result)) {
    return false;
  }
  PressButton(fileDialog, IDOK);
  return true;
}

bool AnswerOverwritePrompt(const Editor& editor, HWND fileDialog, int button) {
  HWND prompt = editor.WaitDialog([&](HWND dialog) { return Owner(dialog) == fileDialog; });
  if (!prompt)
    return false;
  PressButton(prompt, button);
  return WaitClosed(prompt);
}

bool EnterPassword(HWND prompt, std::wstring_view password) {
  if (!WaitUntil([&] { return GetForegroundWindow() == prompt; }))
    return false;
  TypeText(password);
  // The masked entry does not give its text to other processes; its length it does.
  HWND entry = GetDlgItem(prompt, vantrel::kIdPasswordEntry);
  DWORD_PTR length = 0;
  if (!WaitUntil([&] {
        return SendWithTimeout(entry, WM_GETTEXTLENGTH, 0, 0, &length) && length == password.size();
      })) {
    return false;
  }
  PressKey(VK_RETURN);
  return WaitClosed(prompt);
}

}  // namespace e2e
