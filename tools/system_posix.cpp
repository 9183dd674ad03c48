#include <fcntl.h>
#include <iconv.h>
#include <stdio.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <utility>
#include <vector>

#include "tools/system.h"

namespace vantrel::tool {
namespace {

int Fd(std::intptr_t handle) {
  return static_cast<int>(handle);
}

[[noreturn]] void Fail(std::string_view action, std::string_view name) {
  const std::string reason = LastErrorText();  // before anything else can change errno
  throw IoError(std::string(action) + std::string(name) + "：" + reason);
}

void WriteAll(int fd, std::span<const std::uint8_t> bytes, std::string_view name) {
  while (!bytes.empty()) {
    const ssize_t done = ::write(fd, bytes.data(), bytes.size());
    if (done < 0) {
      if (errno == EINTR) {
        continue;
      }
      Fail("无法写入", name);
    }
    bytes = bytes.subspan(static_cast<std::size_t>(done));
  }
}

std::string ParentDirectory(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncDirectory(const std::string& directory) {
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);  // best effort: the rename is already done
    ::close(fd);
  }
}

// Moves `from` to `to` only if `to` does not exist, atomically where the file system allows.
bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) {
    return false;
  }
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return true;
  }
  return false;
}

// Restores the terminal's settings when the prompt ends, however it ends.
class TerminalMode {
 public:
  TerminalMode(int fd, const termios& saved) : fd_(fd), saved_(saved) {}
  TerminalMode(const TerminalMode&) = delete;
  TerminalMode& operator=(const TerminalMode&) = delete;
  ~TerminalMode() { ::tcsetattr(fd_, TCSAFLUSH, &saved_); }

 private:
  int fd_;
  termios saved_;
};

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

void DropLastCharacter(std::vector<std::uint8_t>& line) {
  while (!line.empty()) {
    const std::uint8_t last = line.back();
    line.back() = 0;
    line.pop_back();
    if ((last & 0xC0) != 0x80) {  // not a UTF-8 continuation byte
      break;
    }
  }
}

enum class LineEnd { kEnter, kCancel };

// Reads keys one at a time with echo and signals off: Enter ends the line, Ctrl-C or Ctrl-D
// cancels, Backspace removes one character and Ctrl-U the whole line.
LineEnd ReadHiddenLine(int fd, std::vector<std::uint8_t>& line) {
  for (;;) {
    std::uint8_t key = 0;
    const ssize_t got = ::read(fd, &key, 1);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0 || key == 0x03 || key == 0x04) {
      return LineEnd::kCancel;
    }
    if (key == '\r' || key == '\n') {
      return LineEnd::kEnter;
    }
    if (key == 0x7F || key == 0x08) {
      DropLastCharacter(line);
    } else if (key == 0x15) {
      sealing::Wipe(line);
      line.clear();
    } else {
      line.push_back(key);
    }
  }
}

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  ~Iconv() {
    if (valid()) {
      ::iconv_close(cd_);
    }
  }
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

}  // namespace

std::string LastErrorText() {
  return std::generic_category().message(errno);
}

Input::Input(std::string path, std::intptr_t handle, bool owned)
    : path_(std::move(path)), handle_(handle), owned_(owned) {}

Input::Input(Input&& other) noexcept
    : path_(std::move(other.path_)), handle_(other.handle_), owned_(other.owned_) {
  other.owned_ = false;
}

Input::~Input() {
  if (owned_) {
    ::close(Fd(handle_));
  }
}

Input Input::Open(const std::string& path) {
  if (path == kStandardStream) {
    return Input(path, STDIN_FILENO, false);
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    Fail("无法打开", DisplayName(path, false));
  }
  Input input(path, fd, true);
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    errno = EISDIR;
    Fail("无法读取", DisplayName(path, false));
  }
  return input;
}

std::size_t Input::Read(std::span<std::uint8_t> buffer) {
  for (;;) {
    const ssize_t got = ::read(Fd(handle_), buffer.data(), buffer.size());
    if (got >= 0) {
      return static_cast<std::size_t>(got);
    }
    if (errno != EINTR) {
      Fail("无法读取", DisplayName(path_, false));
    }
  }
}

std::optional<std::uint64_t> Input::Size() const {
  struct stat info {};
  if (::fstat(Fd(handle_), &info) != 0 || !S_ISREG(info.st_mode)) {
    return std::nullopt;
  }
  const off_t position = ::lseek(Fd(handle_), 0, SEEK_CUR);
  if (position < 0 || position > info.st_size) {
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(info.st_size - position);
}

TargetKind QueryTarget(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) {
    return TargetKind::kAbsent;
  }
  return S_ISREG(info.st_mode) ? TargetKind::kRegularFile : TargetKind::kOther;
}

Output::Output(std::string path, std::string tempPath, std::intptr_t handle, bool replace)
    : path_(std::move(path)), tempPath_(std::move(tempPath)), handle_(handle), replace_(replace) {}

Output::Output(Output&& other) noexcept
    : path_(std::move(other.path_)),
      tempPath_(std::exchange(other.tempPath_, {})),
      handle_(std::exchange(other.handle_, -1)),
      replace_(other.replace_) {}

Output::~Output() {
  CloseHandle();
  if (!tempPath_.empty()) {
    ::unlink(tempPath_.c_str());
  }
}

void Output::CloseHandle() noexcept {
  if (!tempPath_.empty() && handle_ >= 0) {
    ::close(Fd(handle_));
  }
  handle_ = -1;
}

Output Output::ToFile(const std::string& path, bool replace) {
  const std::size_t slash = path.find_last_of('/');
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string temp = ParentDirectory(path) + "/." + base + ".tmp-XXXXXX";
  // mkstemp makes the file readable by its owner only, which suits unsealed text as well.
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    Fail("无法创建", DisplayName(path, true));
  }
  return Output(path, std::move(temp), fd, replace);
}

Output Output::ToStandardOutput() {
  return Output(std::string(kStandardStream), {}, STDOUT_FILENO, false);
}

void Output::Write(std::span<const std::uint8_t> bytes) {
  WriteAll(Fd(handle_), bytes, DisplayName(path_, true));
  if (!tempPath_.empty()) {
    // Start writing back to disk now, so the fsync in Commit has little left to wait for.
    ::sync_file_range(Fd(handle_), static_cast<off_t>(written_), static_cast<off_t>(bytes.size()),
                      SYNC_FILE_RANGE_WRITE);
  }
  written_ += bytes.size();
}

void Output::Commit() {
  if (tempPath_.empty()) {
    return;
  }
  const std::string name = DisplayName(path_, true);
  if (::fsync(Fd(handle_)) != 0) {
    Fail("无法写入", name);
  }
  const int fd = Fd(std::exchange(handle_, -1));
  if (::close(fd) != 0) {
    Fail("无法写入", name);
  }
  if (replace_) {
    if (::rename(tempPath_.c_str(), path_.c_str()) != 0) {
      Fail("无法替换", name);
    }
  } else if (!RenameNoReplace(tempPath_, path_)) {
    Fail("无法创建", name);
  }
  tempPath_.clear();
  SyncDirectory(ParentDirectory(path_));
}

bool StandardOutputIsTerminal() {
  return ::isatty(STDOUT_FILENO) == 1;
}

std::optional<std::string> GetEnvironment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) {
    return std::nullopt;
  }
  return std::string(value);
}

PromptResult PromptHidden(std::string_view prompt) {
  const FileDescriptor tty(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC));
  termios saved{};
  if (tty.get() < 0 || ::tcgetattr(tty.get(), &saved) != 0) {
    return {};
  }
  termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | ISIG | IEXTEN);
  quiet.c_cc[VMIN] = 1;
  quiet.c_cc[VTIME] = 0;
  std::vector<std::uint8_t> line;
  line.reserve(256);  // the password's bytes are wiped, so avoid leaving copies from growth
  LineEnd end = LineEnd::kCancel;
  {
    const TerminalMode restore(tty.get(), saved);
    if (::tcsetattr(tty.get(), TCSAFLUSH, &quiet) != 0) {
      return {};
    }
    // Shown only once echo is off, so nothing typed after it can appear.
    WriteAll(tty.get(), {reinterpret_cast<const std::uint8_t*>(prompt.data()), prompt.size()},
             "/dev/tty");
    end = ReadHiddenLine(tty.get(), line);
  }
  const std::uint8_t newline = '\n';
  WriteAll(tty.get(), {&newline, 1}, "/dev/tty");
  PromptResult result;
  result.status = end == LineEnd::kEnter ? PromptStatus::kOk : PromptStatus::kCancelled;
  if (end == LineEnd::kEnter) {
    result.text = sealing::SecretBytes(line);
  }
  sealing::Wipe(line);
  return result;
}

// glibc's GBK gives the same bytes as Windows code page 936 for every character both encode
// (0x80 for the euro sign included). Only 936 encodes the private-use U+E000..U+E864 and
// U+F8F5; glibc refuses those, so such a password is refused here rather than sealed wrongly.
std::optional<sealing::SecretBytes> Utf8ToGbk(std::span<const std::uint8_t> utf8) {
  const Iconv converter("GBK", "UTF-8");
  if (!converter.valid()) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> in(utf8.begin(), utf8.end());
  std::vector<std::uint8_t> out(utf8.size() * 2 + 1);
  char* inPtr = reinterpret_cast<char*>(in.data());
  char* outPtr = reinterpret_cast<char*>(out.data());
  std::size_t inLeft = in.size();
  std::size_t outLeft = out.size();
  const std::size_t irreversible = ::iconv(converter.get(), &inPtr, &inLeft, &outPtr, &outLeft);
  std::optional<sealing::SecretBytes> result;
  if (irreversible == 0) {
    result.emplace(std::span(out).first(out.size() - outLeft));
  }
  sealing::Wipe(in);
  sealing::Wipe(out);
  return result;
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

void WriteText(Stream stream, std::string_view text) {
  const int fd = stream == Stream::kOut ? STDOUT_FILENO : STDERR_FILENO;
  try {
    WriteAll(fd, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, "");
  } catch (const IoError&) {
    // Nowhere left to report a failure to report.
  }
}

}  // namespace vantrel::tool
