#include "editor/platform/file_dialog.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "editor/platform/wide_text.h"

namespace vantrel {
namespace {

constexpr std::string_view kSaveFilter = "文本文件(.txt)|*.txt";
constexpr std::string_view kOpenFilter = "文本文件(.txt)|*.txt|所有文件(*.*)|*.*";
constexpr std::size_t kPathBufferChars = 4096;  // well above MAX_PATH

bool IsTrailingSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

}  // namespace

std::wstring BuildFilterList(std::wstring_view filterText) {
  std::wstring list(filterText);
  while (!list.empty() && IsTrailingSpace(list.back())) {
    list.pop_back();
  }
  if (!list.empty() && !list.ends_with(L"||")) {
    list += L"||";
  }
  std::replace(list.begin(), list.end(), L'|', L'\0');
  return list;
}

DWORD FilterIndex(std::wstring_view filterText, int initialPair) {
  if (filterText.empty()) {
    return 0;
  }
  return initialPair < 0 ? 1 : static_cast<DWORD>(initialPair) + 1;
}

std::optional<std::wstring> RunFileDialog(HWND owner,
                                          FileDialogKind kind,
                                          std::wstring& remembered) {
  const bool save = kind == FileDialogKind::kSave;
  const std::wstring filterText = Utf8ToWide(save ? kSaveFilter : kOpenFilter);
  const std::wstring filter = BuildFilterList(filterText);
  std::vector<wchar_t> file(kPathBufferChars, L'\0');
  std::copy_n(remembered.begin(), std::min(remembered.size(), kPathBufferChars - 1), file.begin());

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = FilterIndex(filterText, 0);
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrDefExt = save ? L"txt" : nullptr;
  dialog.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST |
                 OFN_EXPLORER | OFN_ENABLESIZING;

  const HWND focus = GetFocus();
  const BOOL confirmed = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (focus != nullptr && IsWindow(focus)) {
    SetFocus(focus);
  }
  if (!confirmed) {
    return std::nullopt;
  }
  remembered.assign(file.data());
  return remembered;
}

}  // namespace vantrel
