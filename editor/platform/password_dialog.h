#pragma once

#include <windows.h>

#include <optional>
#include <string_view>
#include <vector>

#include "editor/platform/platform.h"

namespace vantrel {

// The in-memory DLGTEMPLATE of the password prompt: 252x92 dialog units, 9 pt "宋体", caption
// `title`; a sunken panel around the word-wrapped prompt label, the masked entry, and the
// default OK and the Cancel buttons. DWORD-aligned as DialogBoxIndirectParamW requires.
std::vector<WORD> BuildPasswordDialogTemplate(std::wstring_view prompt, std::wstring_view title);

// Shows the prompt modally, owned by `owner`. OK or Enter gives the entry's text in GBK
// (an empty entry is the empty password); Cancel, Esc, the close box or a dialog that cannot
// be shown give nothing. Every copy of the typed text is wiped.
std::optional<PasswordEntry> RunPasswordDialog(HWND owner,
                                               std::wstring_view prompt,
                                               std::wstring_view title);

}  // namespace vantrel
