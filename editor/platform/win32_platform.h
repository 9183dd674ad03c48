#pragma once

#include <windows.h>

#include <string>

#include "editor/platform/platform.h"

namespace vantrel {

// The Platform of the real program: the main window's edit box, message boxes, the password
// prompt, the two file dialogs (each remembering its own last confirmed path) and whole-file
// reading and writing with the wide API.
class Win32Platform final : public Platform {
 public:
  Win32Platform(HWND mainWindow, HWND editBox);
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  // True while SetEditContent replaces the text: the window ignores EN_CHANGE then.
  bool settingContent() const { return settingContent_; }

  EditContent ReadEditContent() override;
  void SetEditContent(std::span<const std::uint8_t> bytes) override;
  Answer ShowMessage(std::string_view text, std::string_view title, Buttons buttons) override;
  std::optional<PasswordEntry> AskPassword(std::string_view prompt,
                                           std::string_view title) override;
  std::optional<std::string> ShowFileDialog(FileDialogKind kind) override;
  IoStatus ReadWholeFile(const std::string& path, Bytes& out) override;
  IoStatus WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) override;
  std::unique_ptr<BusyScope> ShowBusy() override;

 private:
  HWND mainWindow_;
  HWND editBox_;
  bool settingContent_ = false;
  std::wstring savePath_;  // remembered by the save dialog
  std::wstring openPath_;  // remembered by the open dialog
};

}  // namespace vantrel
