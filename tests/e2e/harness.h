#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Drives the real editor from outside, as a person would: it starts the program, finds its
// windows and dialogs by class, owner and control id (never by the localised texts of the
// system's own dialogs), chooses menu commands, types on the keyboard and reads what the
// windows show. Every wait has a deadline.
namespace e2e {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::chrono::milliseconds kDeadline{5000};

// Where the program under test and the committed test data are; set once by main.
struct Settings {
  std::wstring editorPath;
  std::wstring dataDir;
  // A folder on a small file system of its own, for the full-disk scenario; empty when none.
  std::wstring smallDiskDir;
};
const Settings& GetSettings();
void SetSettings(Settings settings);

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view text);
// The text in code page 936. Fails the test when a character has no GBK form.
Bytes Gbk(std::wstring_view text);
std::wstring Printable(const Bytes& bytes);

// Polls `done` until it returns true or the deadline passes.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = kDeadline);

class Handle {
 public:
  explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  Handle(Handle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  Handle& operator=(Handle&& other) noexcept;
  ~Handle();
  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// Files, by full Windows path.
std::optional<Bytes> ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const Bytes& bytes);
bool FileExists(const std::wstring& path);
// The names in a folder, without "." and "..".
std::vector<std::wstring> FilesIn(const std::wstring& dir);

// A fresh folder for one test's files, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();
  const std::wstring& path() const { return path_; }
  std::wstring File(std::wstring_view name) const { return path_ + L"\\" + std::wstring(name); }

 private:
  std::wstring path_;
};

// Text and control ids of windows in any process of the desktop.
std::wstring ClassName(HWND window);
std::optional<std::wstring> WindowText(HWND window);
HWND Owner(HWND window);
// Clicks a dialog button the way the dialog sees a click: WM_COMMAND with BN_CLICKED.
void PressButton(HWND dialog, int id);
// Waits until the window is destroyed.
bool WaitClosed(HWND window);

// The keyboard, through SendInput, to whatever window has the focus.
void TypeText(std::wstring_view text);
void PressKey(WORD key, bool shift = false);

struct MessageBoxSeen {
  HWND window = nullptr;
  std::wstring title;
  std::wstring text;
};

// One running copy of the editor. Destroying it ends the process if it is still running.
class Editor {
 public:
  // Starts the program and waits for its main window; nothing (and a failed test) when it does
  // not show up in time.
  static std::unique_ptr<Editor> Start();
  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;
  ~Editor();

  HWND window() const { return window_; }
  DWORD processId() const { return info_.dwProcessId; }
  HWND editBox() const { return editBox_; }
  DWORD threadId() const { return threadId_; }

  // Chooses a menu command: the WM_COMMAND a menu click sends.
  void Command(unsigned short id) const;
  void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

  std::optional<std::wstring> Text() const;
  bool WaitText(std::wstring_view expected) const;
  // Makes the main window the foreground window so that typed keys reach the edit box.
  bool Activate() const;
  HWND FocusedWindow() const;
  bool WaitFocusOnEditBox() const;

  // Returns once the editor's thread next reads its messages: whatever it was doing when
  // called (a write after a dialog closed, say) is done by then, or it waits in a new box.
  bool Sync() const;
  // Sync for a step that may keep the editor busy for long (a multi-megabyte text, say).
  bool WaitIdle(std::chrono::milliseconds timeout) const;

  bool Running() const;
  // The exit status once the process has ended within the deadline.
  std::optional<DWORD> WaitExit(std::chrono::milliseconds timeout = kDeadline) const;

  // A shown top-level dialog (#32770) of the editor's process that satisfies `accept`.
  HWND WaitDialog(const std::function<bool(HWND)>& accept) const;
  HWND FindDialog(const std::function<bool(HWND)>& accept) const;
  // The program's own message boxes: unowned dialogs with the message text control.
  std::optional<MessageBoxSeen> WaitMessageBox() const;
  // The save and open dialogs: owned by the main window, with the file-name box.
  HWND WaitFileDialog() const;
  // The password prompt: owned by the main window, with the password entry.
  HWND WaitPasswordPrompt() const;

 private:
  Editor() = default;

  PROCESS_INFORMATION info_{};
  Handle process_;
  Handle thread_;
  DWORD threadId_ = 0;
  HWND window_ = nullptr;
  HWND editBox_ = nullptr;
};

// File dialog helpers.
std::optional<std::wstring> FileNameField(HWND fileDialog);
// Types `path` into the file-name box and confirms it.
bool ChooseFile(HWND fileDialog, const std::wstring& path);
// The "replace the existing file?" question the save dialog asks itself.
bool AnswerOverwritePrompt(const Editor& editor, HWND fileDialog, int button);

// Types a password into the prompt and confirms it with Enter.
bool EnterPassword(HWND prompt, std::wstring_view password);

}  // namespace e2e
