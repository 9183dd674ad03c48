#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace vantrel {

// UTF-8 <-> UTF-16 for UI texts and paths. Invalid UTF-8 becomes U+FFFD.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// The system's explanation of a Win32 error code, as UTF-8 without the trailing line break.
std::string SystemErrorText(DWORD error);

}  // namespace vantrel
