#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tests/e2e/harness.h"

namespace {

// Wine hands Unix paths through unchanged; its kernel32 knows the matching Windows path.
std::wstring WindowsPath(const std::string& path) {
  if (path.empty() || path[0] != '/')
    return e2e::Wide(path);
  using ToDos = WCHAR* (*)(const char*);
  auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  if (toDos) {
    if (WCHAR* dos = toDos(path.c_str())) {
      std::wstring result = dos;
      HeapFree(GetProcessHeap(), 0, dos);
      return result;
    }
  }
  std::wstring result = L"Z:" + e2e::Wide(path);
  for (wchar_t& ch : result) {
    if (ch == L'/')
      ch = L'\\';
  }
  return result;
}

}  // namespace

// Usage: vantrel-e2e-driver [gtest flags] --editor=PATH --data=DIR [--small-disk=DIR]
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  e2e::Settings settings;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg.starts_with("--editor=")) {
      settings.editorPath = WindowsPath(std::string(arg.substr(9)));
    } else if (arg.starts_with("--data=")) {
      settings.dataDir = WindowsPath(std::string(arg.substr(7)));
    } else if (arg.starts_with("--small-disk=")) {
      settings.smallDiskDir = WindowsPath(std::string(arg.substr(13)));
    }
  }
  if (settings.editorPath.empty()) {
    fprintf(stderr, "usage: %s [gtest flags] --editor=PATH --data=DIR\n", argv[0]);
    return 2;
  }
  e2e::SetSettings(std::move(settings));
  return RUN_ALL_TESTS();
}
