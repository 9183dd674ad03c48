#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// The folder of a program file's full path: everything before its last backslash, or nothing
// when the path has none. A folder at a drive's root keeps its backslash ("C:\"), because "C:"
// alone would name the drive's current directory instead.
std::optional<std::wstring> ProgramFolder(std::wstring_view programPath);

// Makes the folder of the running program the current directory. Failure changes nothing.
void EnterProgramFolder();

}  // namespace vantrel
