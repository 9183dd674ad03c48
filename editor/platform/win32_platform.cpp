#include "editor/platform/win32_platform.h"

#include <windows.h>

#include <string>

#include "editor/platform/busy_cursor.h"
#include "editor/platform/file_dialog.h"
#include "editor/platform/file_io.h"
#include "editor/platform/gbk_codec.h"
#include "editor/platform/password_dialog.h"
#include "editor/platform/wide_text.h"

namespace vantrel {
namespace {

constexpr std::string_view kDefaultTitle = "信息：";

UINT ButtonStyle(Buttons buttons) {
  switch (buttons) {
    case Buttons::kOk:
      return MB_OK;
    case Buttons::kOkCancel:
      return MB_OKCANCEL | MB_DEFBUTTON1;
    case Buttons::kYesNoCancel:
      return MB_YESNOCANCEL | MB_DEFBUTTON1;
  }
  return MB_OK;
}

// A box that could not be shown counts as Cancel where there is one.
Answer ToAnswer(int result, Buttons buttons) {
  switch (result) {
    case IDOK:
      return Answer::kOk;
    case IDYES:
      return Answer::kYes;
    case IDNO:
      return Answer::kNo;
    default:
      return buttons == Buttons::kOk ? Answer::kOk : Answer::kCancel;
  }
}

// Sets a flag for the lifetime of the scope, restoring it however the scope ends.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;
  ~FlagScope() { flag_ = false; }

 private:
  bool& flag_;
};

}  // namespace

Win32Platform::Win32Platform(HWND mainWindow, HWND editBox)
    : mainWindow_(mainWindow), editBox_(editBox) {}

EditContent Win32Platform::ReadEditContent() {
  const LRESULT length = SendMessageW(editBox_, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
  const LRESULT got = SendMessageW(editBox_, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                   reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return EncodeGbk(text);
}

void Win32Platform::SetEditContent(std::span<const std::uint8_t> bytes) {
  const std::wstring text = DecodeGbk(bytes);
  const FlagScope setting(settingContent_);
  SendMessageW(editBox_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

Answer Win32Platform::ShowMessage(std::string_view text, std::string_view title, Buttons buttons) {
  const std::wstring wideText = Utf8ToWide(text);
  const std::wstring wideTitle = Utf8ToWide(title.empty() ? kDefaultTitle : title);
  const HWND focus = GetFocus();
  const int result = MessageBoxW(nullptr, wideText.c_str(), wideTitle.c_str(),
                                 ButtonStyle(buttons) | MB_TASKMODAL);
  if (focus != nullptr && IsWindow(focus)) {
    SetFocus(focus);
  }
  return ToAnswer(result, buttons);
}

std::optional<PasswordEntry> Win32Platform::AskPassword(std::string_view prompt,
                                                        std::string_view title) {
  return RunPasswordDialog(mainWindow_, Utf8ToWide(prompt), Utf8ToWide(title));
}

std::optional<std::string> Win32Platform::ShowFileDialog(FileDialogKind kind) {
  std::wstring& remembered = kind == FileDialogKind::kSave ? savePath_ : openPath_;
  const std::optional<std::wstring> path = RunFileDialog(mainWindow_, kind, remembered);
  if (!path) {
    return std::nullopt;
  }
  return WideToUtf8(*path);
}

IoStatus Win32Platform::ReadWholeFile(const std::string& path, Bytes& out) {
  return ReadFileBytes(Utf8ToWide(path), out);
}

IoStatus Win32Platform::WriteWholeFile(const std::string& path,
                                       std::span<const std::uint8_t> bytes) {
  return WriteFileBytesAtomically(Utf8ToWide(path), bytes);
}

std::unique_ptr<Platform::BusyScope> Win32Platform::ShowBusy() {
  return std::make_unique<BusyCursor>();
}

}  // namespace vantrel
