#include "editor/platform/password_dialog.h"

#include <windows.h>

#include <string>
#include <utility>

#include "editor/command_ids.h"
#include "editor/platform/gbk_codec.h"
#include "editor/platform/wide_text.h"

namespace vantrel {
namespace {

constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kNoId = 0xFFFF;
constexpr std::string_view kFontName = "宋体";
constexpr WORD kFontPoints = 9;

struct ItemSpec {
  DWORD style;
  short x, y, cx, cy;
  WORD id;
  WORD windowClass;
  std::wstring text;
};

void PutDword(std::vector<WORD>& out, DWORD value) {
  out.push_back(LOWORD(value));
  out.push_back(HIWORD(value));
}

void PutString(std::vector<WORD>& out, std::wstring_view text) {
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}

void PutRect(std::vector<WORD>& out, short x, short y, short cx, short cy) {
  for (const short value : {x, y, cx, cy}) {
    out.push_back(static_cast<WORD>(value));
  }
}

void PutItem(std::vector<WORD>& out, const ItemSpec& item) {
  if (out.size() % 2 != 0) {
    out.push_back(0);  // each item starts on a DWORD boundary
  }
  PutDword(out, item.style | WS_CHILD | WS_VISIBLE);
  PutDword(out, 0);
  PutRect(out, item.x, item.y, item.cx, item.cy);
  out.push_back(item.id);
  out.push_back(0xFFFF);
  out.push_back(item.windowClass);
  PutString(out, item.text);
  out.push_back(0);  // no creation data
}

// Owns the entry's text while it is read and converted; wipes it however the scope ends.
class WipedText {
 public:
  explicit WipedText(std::size_t size) : text_(size, L'\0') {}
  WipedText(const WipedText&) = delete;
  WipedText& operator=(const WipedText&) = delete;
  ~WipedText() { SecureZeroMemory(text_.data(), text_.size() * sizeof(wchar_t)); }
  wchar_t* data() { return text_.data(); }
  std::wstring_view view(std::size_t length) const { return {text_.data(), length}; }

 private:
  std::wstring text_;
};

PasswordEntry ReadEntry(HWND entry) {
  const int length = GetWindowTextLengthW(entry);
  WipedText text(static_cast<std::size_t>(length > 0 ? length : 0) + 1);
  const int got = GetWindowTextW(entry, text.data(), length + 1);
  const std::wstring_view typed = text.view(static_cast<std::size_t>(got > 0 ? got : 0));

  std::vector<std::uint8_t> bytes;
  bytes.reserve(typed.size() * 2);
  PasswordEntry result;
  result.unrepresentable = EncodeGbkPassword(typed, bytes);
  result.bytes = sealing::SecretBytes(bytes);
  SecureZeroMemory(bytes.data(), bytes.size());
  return result;
}

struct DialogState {
  std::optional<PasswordEntry> result;
};

void OnInitDialog(HWND dialog) {
  const HWND entry = GetDlgItem(dialog, kIdPasswordEntry);
  SendMessageW(entry, EM_SETSEL, 0, -1);
  SendMessageW(entry, EM_SCROLLCARET, 0, 0);
  SetFocus(entry);
}

INT_PTR CALLBACK PasswordDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      OnInitDialog(dialog);
      return FALSE;  // the focus is set
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
        state->result = ReadEntry(GetDlgItem(dialog, kIdPasswordEntry));
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

std::vector<WORD> BuildPasswordDialogTemplate(std::wstring_view prompt, std::wstring_view title) {
  const ItemSpec items[] = {
      {SS_SUNKEN, 7, 7, 238, 35, kNoId, kStaticClass, L""},
      {SS_LEFT, 12, 11, 229, 27, kIdPasswordLabel, kStaticClass, std::wstring(prompt)},
      {ES_LEFT | ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 45, 238, 12,
       kIdPasswordEntry, kEditClass, L""},
      {BS_DEFPUSHBUTTON | WS_TABSTOP, 63, 66, 55, 19, IDOK, kButtonClass,
       Utf8ToWide("确认输入(&O)")},
      {BS_PUSHBUTTON | WS_TABSTOP, 134, 66, 55, 19, IDCANCEL, kButtonClass, Utf8ToWide("取消(&C)")},
  };
  std::vector<WORD> out;
  PutDword(out, DS_CENTER | DS_MODALFRAME | DS_SETFONT | WS_CAPTION | WS_SYSMENU | WS_POPUP);
  PutDword(out, 0);
  out.push_back(static_cast<WORD>(std::size(items)));
  PutRect(out, 0, 0, 252, 92);
  out.push_back(0);  // no menu
  out.push_back(0);  // the standard dialog class
  PutString(out, title);
  out.push_back(kFontPoints);
  PutString(out, Utf8ToWide(kFontName));
  for (const ItemSpec& item : items) {
    PutItem(out, item);
  }
  return out;
}

std::optional<PasswordEntry> RunPasswordDialog(HWND owner,
                                               std::wstring_view prompt,
                                               std::wstring_view title) {
  const std::vector<WORD> dialogTemplate = BuildPasswordDialogTemplate(prompt, title);
  DialogState state;
  const HWND focus = GetFocus();
  const INT_PTR result = DialogBoxIndirectParamW(
      GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()), owner,
      PasswordDialogProc, reinterpret_cast<LPARAM>(&state));
  if (focus != nullptr && IsWindow(focus)) {
    SetFocus(focus);
  }
  if (result != IDOK) {
    return std::nullopt;
  }
  return std::move(state.result);
}

}  // namespace vantrel
