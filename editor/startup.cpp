#include "editor/startup.h"

#include <windows.h>

namespace vantrel {

std::optional<std::wstring> ProgramFolder(std::wstring_view programPath) {
  const std::size_t cut = programPath.rfind(L'\\');
  if (cut == std::wstring_view::npos) {
    return std::nullopt;
  }
  std::wstring folder(programPath.substr(0, cut));
  if (!folder.empty() && folder.back() == L':') {
    folder.push_back(L'\\');
  }
  return folder;
}

namespace {

// The running program's full path; empty on failure. Grows the buffer for long paths.
std::wstring ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD capacity = static_cast<DWORD>(path.size());
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), capacity);
    if (length == 0) {
      return {};
    }
    if (length < capacity) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) {
      return {};
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

void EnterProgramFolder() {
  if (const auto folder = ProgramFolder(ProgramPath()); folder && !folder->empty()) {
    SetCurrentDirectoryW(folder->c_str());
  }
}

}  // namespace vantrel
