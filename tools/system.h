#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sealing/secret.h"
#include "tools/exit_status.h"
#include "tools/stream_seal.h"

// What the tool needs from the operating system, implemented once for POSIX and once for
// Windows. Paths and texts are UTF-8 throughout; Windows converts at its edge.
namespace vantrel::tool {

// A failed system call, carrying the one-line message to show: the file and the reason.
class IoError : public Failure {
 public:
  explicit IoError(const std::string& message) : Failure(ExitStatus::kIoError, message) {}
};

// "-" names standard input or output in messages and arguments.
inline constexpr std::string_view kStandardStream = "-";

// The name a message uses for `path`: quoted, or the standard stream's own name.
inline std::string DisplayName(std::string_view path, bool output) {
  if (path == kStandardStream) {
    return output ? "标准输出" : "标准输入";
  }
  return "“" + std::string(path) + "”";
}

// The system's explanation of the last failed call (errno or GetLastError), in UTF-8.
std::string LastErrorText();

// An input file, or standard input for "-". Not copyable; the handle closes with it.
class Input final : public Reader {
 public:
  static Input Open(const std::string& path);  // throws IoError
  Input(Input&& other) noexcept;
  Input& operator=(Input&&) = delete;
  ~Input() override;

  std::size_t Read(std::span<std::uint8_t> buffer) override;  // throws IoError
  // Bytes left to read when the input is a regular file; nothing for pipes and terminals.
  std::optional<std::uint64_t> Size() const;
  const std::string& path() const { return path_; }

 private:
  Input(std::string path, std::intptr_t handle, bool owned);
  std::string path_;
  std::intptr_t handle_;
  bool owned_;
};

enum class TargetKind { kAbsent, kRegularFile, kOther };
TargetKind QueryTarget(const std::string& path);

// The result's destination. A file output writes a new temporary file beside the target and
// Commit flushes it and renames it into place; destroying an output that was not committed
// removes the temporary file, so a failure never leaves a partial or stray file behind.
class Output final : public Writer {
 public:
  static Output ToFile(const std::string& path, bool replace);  // throws IoError
  static Output ToStandardOutput();
  Output(Output&& other) noexcept;
  Output& operator=(Output&&) = delete;
  ~Output() override;

  void Write(std::span<const std::uint8_t> bytes) override;  // throws IoError
  // Makes the output final. Without `replace`, fails if the target appeared meanwhile.
  void Commit();  // throws IoError

 private:
  Output(std::string path, std::string tempPath, std::intptr_t handle, bool replace);
  void CloseHandle() noexcept;
  std::string path_;
  std::string tempPath_;  // empty for standard output
  std::intptr_t handle_;
  bool replace_;
  std::uint64_t written_ = 0;
};

bool StandardOutputIsTerminal();

// An environment variable's value in UTF-8; nothing when it is not set.
std::optional<std::string> GetEnvironment(const std::string& name);

enum class PromptStatus { kOk, kNoTerminal, kCancelled };
struct PromptResult {
  PromptStatus status = PromptStatus::kNoTerminal;
  sealing::SecretBytes text;  // UTF-8
};

// Shows `prompt` on the terminal and reads one line without echoing it.
PromptResult PromptHidden(std::string_view prompt);

// UTF-8 (already checked valid) to GBK as Windows code page 936 encodes it; nothing when a
// character has no GBK form.
std::optional<sealing::SecretBytes> Utf8ToGbk(std::span<const std::uint8_t> utf8);

// The arguments after the program name, in UTF-8 (on Windows taken from the wide command line,
// so names outside the ANSI code page survive).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

enum class Stream { kOut, kErr };
// Writes UTF-8 text; a Windows console gets it as wide characters so Chinese shows.
void WriteText(Stream stream, std::string_view text);

}  // namespace vantrel::tool
