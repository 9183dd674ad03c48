#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "tools/system.h"

namespace vantrel::tool {
namespace {

constexpr UINT kGbkCodePage = 936;

HANDLE AsHandle(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

std::intptr_t FromHandle(HANDLE handle) {
  return reinterpret_cast<std::intptr_t>(handle);
}

int ToInt(std::size_t size) {
  return static_cast<int>(std::min<std::size_t>(size, 0x7FFFFFFF));
}

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) {
    return {};
  }
  std::wstring wide(utf8.size(), L'\0');
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), ToInt(utf8.size()), wide.data(),
                                         ToInt(wide.size()));
  wide.resize(static_cast<std::size_t>(std::max(length, 0)));
  return wide;
}

std::string Narrow(std::wstring_view wide) {
  if (wide.empty()) {
    return {};
  }
  std::string utf8(wide.size() * 3, '\0');
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), ToInt(wide.size()), utf8.data(),
                                         ToInt(utf8.size()), nullptr, nullptr);
  utf8.resize(static_cast<std::size_t>(std::max(length, 0)));
  return utf8;
}

[[noreturn]] void Fail(std::string_view action, std::string_view name) {
  const std::string reason = LastErrorText();
  throw IoError(std::string(action) + std::string(name) + "：" + reason);
}

class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() {
    if (valid()) {
      ::CloseHandle(handle_);
    }
  }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// Restores the console's input mode when the prompt ends, however it ends.
class ConsoleMode {
 public:
  ConsoleMode(HANDLE console, DWORD saved) : console_(console), saved_(saved) {}
  ConsoleMode(const ConsoleMode&) = delete;
  ConsoleMode& operator=(const ConsoleMode&) = delete;
  ~ConsoleMode() { SetConsoleMode(console_, saved_); }

 private:
  HANDLE console_;
  DWORD saved_;
};

void WriteConsoleText(HANDLE console, std::string_view utf8) {
  const std::wstring wide = Widen(utf8);
  DWORD written = 0;
  WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

void WipeWide(std::wstring& text) {
  sealing::Wipe(text.data(), text.size() * sizeof(wchar_t));
  text.clear();
}

enum class LineEnd { kEnter, kCancel };

// Reads keys one at a time with echo, line editing and Ctrl-C handling off: Enter ends the
// line, Ctrl-C, Ctrl-D or Ctrl-Z cancels, Backspace removes one character.
LineEnd ReadHiddenLine(HANDLE console, std::wstring& line) {
  for (;;) {
    wchar_t key = 0;
    DWORD got = 0;
    if (!ReadConsoleW(console, &key, 1, &got, nullptr) || got == 0 || key == 0x03 || key == 0x04 ||
        key == 0x1A) {
      return LineEnd::kCancel;
    }
    if (key == L'\r' || key == L'\n') {
      return LineEnd::kEnter;
    }
    if (key == 0x08) {
      if (!line.empty() && IS_LOW_SURROGATE(line.back()) && line.size() >= 2) {
        line.back() = 0;
        line.pop_back();
      }
      if (!line.empty()) {
        line.back() = 0;
        line.pop_back();
      }
    } else {
      line.push_back(key);
    }
  }
}

}  // namespace

std::string LastErrorText() {
  const DWORD code = GetLastError();
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const std::unique_ptr<wchar_t, decltype(&LocalFree)> owner(buffer, &LocalFree);
  std::wstring text = length > 0 ? std::wstring(buffer, length) : std::wstring();
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' ||
                           text.back() == L'.' || text.back() == L'。')) {
    text.pop_back();
  }
  return text.empty() ? "系统错误 " + std::to_string(code) : Narrow(text);
}

Input::Input(std::string path, std::intptr_t handle, bool owned)
    : path_(std::move(path)), handle_(handle), owned_(owned) {}

Input::Input(Input&& other) noexcept
    : path_(std::move(other.path_)), handle_(other.handle_), owned_(other.owned_) {
  other.owned_ = false;
}

Input::~Input() {
  if (owned_) {
    ::CloseHandle(AsHandle(handle_));
  }
}

Input Input::Open(const std::string& path) {
  if (path == kStandardStream) {
    return Input(path, FromHandle(GetStdHandle(STD_INPUT_HANDLE)), false);
  }
  const HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Fail("无法打开", DisplayName(path, false));
  }
  return Input(path, FromHandle(file), true);
}

std::size_t Input::Read(std::span<std::uint8_t> buffer) {
  DWORD got = 0;
  const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1u << 30));
  if (!ReadFile(AsHandle(handle_), buffer.data(), wanted, &got, nullptr)) {
    if (GetLastError() == ERROR_BROKEN_PIPE) {
      return 0;  // the writing end of a pipe closed: the end of the data
    }
    Fail("无法读取", DisplayName(path_, false));
  }
  return got;
}

std::optional<std::uint64_t> Input::Size() const {
  const HANDLE file = AsHandle(handle_);
  LARGE_INTEGER size{};
  LARGE_INTEGER position{};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size) ||
      !SetFilePointerEx(file, LARGE_INTEGER{}, &position, FILE_CURRENT) ||
      position.QuadPart > size.QuadPart) {
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(size.QuadPart - position.QuadPart);
}

TargetKind QueryTarget(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return TargetKind::kAbsent;
  }
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0
             ? TargetKind::kOther
             : TargetKind::kRegularFile;
}

Output::Output(std::string path, std::string tempPath, std::intptr_t handle, bool replace)
    : path_(std::move(path)), tempPath_(std::move(tempPath)), handle_(handle), replace_(replace) {}

Output::Output(Output&& other) noexcept
    : path_(std::move(other.path_)),
      tempPath_(std::exchange(other.tempPath_, {})),
      handle_(std::exchange(other.handle_, FromHandle(INVALID_HANDLE_VALUE))),
      replace_(other.replace_) {}

Output::~Output() {
  CloseHandle();
  if (!tempPath_.empty()) {
    DeleteFileW(Widen(tempPath_).c_str());
  }
}

void Output::CloseHandle() noexcept {
  if (!tempPath_.empty() && AsHandle(handle_) != INVALID_HANDLE_VALUE) {
    ::CloseHandle(AsHandle(handle_));
  }
  handle_ = FromHandle(INVALID_HANDLE_VALUE);
}

Output Output::ToFile(const std::string& path, bool replace) {
  const std::string stem = path + ".~" + std::to_string(GetCurrentProcessId()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temp = stem + std::to_string(attempt) + ".tmp";
    const HANDLE file = CreateFileW(Widen(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      return Output(path, std::move(temp), FromHandle(file), replace);
    }
    if (GetLastError() != ERROR_FILE_EXISTS) {
      break;
    }
  }
  Fail("无法创建", DisplayName(path, true));
}

Output Output::ToStandardOutput() {
  return Output(std::string(kStandardStream), {}, FromHandle(GetStdHandle(STD_OUTPUT_HANDLE)),
                false);
}

void Output::Write(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    if (!WriteFile(AsHandle(handle_), bytes.data(), wanted, &written, nullptr) || written == 0) {
      Fail("无法写入", DisplayName(path_, true));
    }
    bytes = bytes.subspan(written);
  }
}

void Output::Commit() {
  if (tempPath_.empty()) {
    return;
  }
  const std::string name = DisplayName(path_, true);
  if (!FlushFileBuffers(AsHandle(handle_))) {
    Fail("无法写入", name);
  }
  CloseHandle();
  const std::wstring target = Widen(path_);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  // Windows refuses to replace a read-only file; Wine would replace it, so check here.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    Fail("无法替换", name);
  }
  const DWORD flags = (replace_ ? MOVEFILE_REPLACE_EXISTING : 0) | MOVEFILE_WRITE_THROUGH;
  if (!MoveFileExW(Widen(tempPath_).c_str(), target.c_str(), flags)) {
    Fail(replace_ ? "无法替换" : "无法创建", name);
  }
  tempPath_.clear();
}

bool StandardOutputIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

std::optional<std::string> GetEnvironment(const std::string& name) {
  const std::wstring wideName = Widen(name);
  SetLastError(ERROR_SUCCESS);
  const DWORD needed = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (needed == 0) {
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
      return std::nullopt;
    }
    return std::string();
  }
  std::wstring value(needed, L'\0');
  const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), needed);
  value.resize(std::min<DWORD>(length, needed));
  std::string utf8 = Narrow(value);
  WipeWide(value);
  return utf8;
}

PromptResult PromptHidden(std::string_view prompt) {
  const ScopedHandle in(CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                    nullptr));
  const ScopedHandle out(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
  DWORD saved = 0;
  if (!in.valid() || !out.valid() || !GetConsoleMode(in.get(), &saved)) {
    return {};
  }
  WriteConsoleText(out.get(), prompt);
  std::wstring line;
  line.reserve(256);  // wiped afterwards, so keep growth from leaving copies behind
  LineEnd end = LineEnd::kCancel;
  {
    const ConsoleMode restore(in.get(), saved);
    SetConsoleMode(in.get(), saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT | ENABLE_LINE_INPUT |
                                                         ENABLE_PROCESSED_INPUT));
    end = ReadHiddenLine(in.get(), line);
  }
  WriteConsoleText(out.get(), "\n");
  PromptResult result;
  result.status = end == LineEnd::kEnter ? PromptStatus::kOk : PromptStatus::kCancelled;
  if (end == LineEnd::kEnter) {
    std::string utf8 = Narrow(line);
    result.text = sealing::SecretBytes(utf8);
    sealing::Wipe(utf8.data(), utf8.size());
  }
  WipeWide(line);
  return result;
}

std::optional<sealing::SecretBytes> Utf8ToGbk(std::span<const std::uint8_t> utf8) {
  if (utf8.empty()) {
    return sealing::SecretBytes();
  }
  const char* text = reinterpret_cast<const char*>(utf8.data());
  std::wstring wide(utf8.size(), L'\0');
  const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text,
                                             ToInt(utf8.size()), wide.data(), ToInt(wide.size()));
  std::optional<sealing::SecretBytes> result;
  if (wideLength > 0) {
    std::vector<std::uint8_t> gbk(static_cast<std::size_t>(wideLength) * 2);
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                                           wideLength, reinterpret_cast<char*>(gbk.data()),
                                           ToInt(gbk.size()), nullptr, &usedDefault);
    if (length > 0 && !usedDefault) {
      result.emplace(std::span(gbk).first(static_cast<std::size_t>(length)));
    }
    sealing::Wipe(gbk);
  }
  WipeWide(wide);
  return result;
}

std::vector<std::string> CommandLineArguments(int /*argc*/, char** /*argv*/) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  const std::unique_ptr<wchar_t*, decltype(&LocalFree)> owner(wide, &LocalFree);
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) {
    args.push_back(Narrow(wide[i]));
  }
  return args;
}

void WriteText(Stream stream, std::string_view text) {
  const HANDLE handle = GetStdHandle(stream == Stream::kOut ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    WriteConsoleText(handle, text);
    return;
  }
  DWORD written = 0;
  WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace vantrel::tool
