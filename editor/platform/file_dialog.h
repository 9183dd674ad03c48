#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "editor/platform/platform.h"

namespace vantrel {

// A filter text of "description|pattern" pairs as the dialogs want it: white space at the end
// removed, "||" appended unless already there (or the text is empty), every '|' made a NUL.
std::wstring BuildFilterList(std::wstring_view filterText);

// The 1-based nFilterIndex for a 0-based initial pair: 0 without filter, 1 for a negative pair.
DWORD FilterIndex(std::wstring_view filterText, int initialPair);

// Shows the save or open dialog owned by `owner`, preloaded with `remembered`. On confirmation
// `remembered` becomes the chosen full path, which is also returned.
std::optional<std::wstring> RunFileDialog(HWND owner,
                                          FileDialogKind kind,
                                          std::wstring& remembered);

}  // namespace vantrel
