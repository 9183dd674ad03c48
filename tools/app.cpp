#include "tools/app.h"

#include <vector>

#include "sealing/seal.h"
#include "tools/exit_status.h"
#include "tools/options.h"
#include "tools/stream_seal.h"
#include "tools/system.h"

#ifndef VANTREL_VERSION
#define VANTREL_VERSION "0"
#endif

namespace vantrel::tool {
namespace {

constexpr std::string_view kProgram = "vantrel-seal";

// Input read whole (pipes, terminals, small files) may hold at most this much.
std::uint64_t BufferLimit(Mode mode) {
  return mode == Mode::kSeal ? sealing::kMaxPayloadSize
                             : sealing::SealedSize(sealing::kMaxPayloadSize);
}

// Regular files at least this large are streamed by their size. Smaller ones are read to their
// end, because kernel pseudo-files announce sizes they do not hold (/proc says 0, /sys a page).
constexpr std::uint64_t kStreamFrom = 64 * 1024;

// The input's bytes as a reader with a known size: the file itself when it is a large regular
// file, otherwise everything it holds read into memory.
class SizedInput {
 public:
  SizedInput(Input& input, Mode mode) : input_(input) {
    if (const std::optional<std::uint64_t> size = input.Size(); size && *size >= kStreamFrom) {
      size_ = *size;
      return;
    }
    Buffer(BufferLimit(mode));
    size_ = buffered_.size();
    span_.emplace(buffered_);
  }
  SizedInput(const SizedInput&) = delete;
  SizedInput& operator=(const SizedInput&) = delete;
  ~SizedInput() { sealing::Wipe(buffered_); }

  Reader& reader() { return span_ ? static_cast<Reader&>(*span_) : input_; }
  std::uint64_t size() const { return size_; }

 private:
  void Buffer(std::uint64_t limit) {
    std::vector<std::uint8_t> block(1 << 16);
    for (;;) {
      const std::size_t got = input_.Read(block);
      if (got == 0) {
        break;
      }
      if (buffered_.size() + got > limit) {
        throw Failure(ExitStatus::kIoError,
                      DisplayName(input_.path(), false) + "超过 2 GiB 的格式上限");
      }
      buffered_.insert(buffered_.end(), block.begin(),
                       block.begin() + static_cast<std::ptrdiff_t>(got));
    }
    sealing::Wipe(block);
  }

  Input& input_;
  std::vector<std::uint8_t> buffered_;
  std::optional<SpanReader> span_;
  std::uint64_t size_ = 0;
};

void CheckDestination(const Options& options) {
  if (!options.output) {
    if (options.mode == Mode::kSeal && StandardOutputIsTerminal()) {
      throw Failure(ExitStatus::kUsage,
                    "封存结果是二进制数据，不写到终端；请用 -o 文件 或把标准输出重定向到文件");
    }
    return;
  }
  const std::string name = DisplayName(*options.output, true);
  switch (QueryTarget(*options.output)) {
    case TargetKind::kAbsent:
      return;
    case TargetKind::kRegularFile:
      if (!options.force) {
        throw Failure(ExitStatus::kUsage, "输出文件" + name + "已存在；要覆盖请加 -f");
      }
      return;
    case TargetKind::kOther:
      break;
  }
  throw Failure(ExitStatus::kUsage, name + "不是普通文件，不能替换；要写到标准输出请省略 -o");
}

// Checks that need no password, so a bad input fails before the prompt.
void CheckInputSize(const Options& options, std::uint64_t size) {
  const std::string name = DisplayName(options.input, false);
  if (options.mode == Mode::kSeal) {
    if (size == 0) {
      throw Failure(ExitStatus::kEmptyInput, name + "为空，没有可封存的内容");
    }
    if (size > sealing::kMaxPayloadSize) {
      throw Failure(ExitStatus::kIoError, name + "超过 2 GiB 的格式上限，不能封存");
    }
  } else if (size == 0 || size % 8 != 0) {
    throw Failure(ExitStatus::kRefused,
                  "无法解封" + name + "：长度不是 8 的正整数倍，数据不完整或不是封存数据");
  }
}

void Report(StreamStatus status, const Options& options) {
  const std::string name = DisplayName(options.input, false);
  switch (status) {
    case StreamStatus::kDone:
      return;
    case StreamStatus::kRefused:
      throw Failure(
          ExitStatus::kRefused,
          "无法解封" + name + "：密码错误，或数据已损坏、不是封存数据（格式无法区分这几种情况）");
    case StreamStatus::kEmpty:
      throw Failure(ExitStatus::kEmptyInput, name + "为空，没有可封存的内容");
    case StreamStatus::kTooLarge:
      throw Failure(ExitStatus::kIoError, name + "超过 2 GiB 的格式上限，不能封存");
    case StreamStatus::kSizeChanged:
      break;
  }
  throw Failure(ExitStatus::kIoError, name + "在读取期间被改动（长度变了）");
}

void Execute(const Options& options) {
  CheckDestination(options);
  Input input = Input::Open(options.input);
  SizedInput source(input, options.mode);
  CheckInputSize(options, source.size());
  const sealing::SecretBytes password =
      ObtainPassword(options.password, options.mode == Mode::kSeal);
  Output output =
      options.output ? Output::ToFile(*options.output, options.force) : Output::ToStandardOutput();
  const StreamStatus status =
      options.mode == Mode::kSeal
          ? StreamSeal(source.reader(), output, password.view(), source.size())
          : StreamUnseal(source.reader(), output, password.view(), source.size());
  Report(status, options);
  output.Commit();
}

}  // namespace

int Run(std::span<const std::string> args) {
  const ParsedCommand command = ParseArguments(args);
  switch (command.kind) {
    case ParsedCommand::Kind::kHelp:
      WriteText(Stream::kOut, HelpText());
      return 0;
    case ParsedCommand::Kind::kVersion:
      WriteText(Stream::kOut, std::string(kProgram) + " " + VANTREL_VERSION + "\n");
      return 0;
    case ParsedCommand::Kind::kError:
      WriteText(Stream::kErr,
                std::string(kProgram) + ": " + command.error + "（用 --help 查看用法）\n");
      return static_cast<int>(ExitStatus::kUsage);
    case ParsedCommand::Kind::kRun:
      break;
  }
  try {
    Execute(command.options);
    return 0;
  } catch (const Failure& failure) {
    WriteText(Stream::kErr, std::string(kProgram) + ": " + failure.what() + "\n");
    return static_cast<int>(failure.status());
  } catch (const std::bad_alloc&) {
    WriteText(Stream::kErr, std::string(kProgram) + ": 内存不足\n");
    return static_cast<int>(ExitStatus::kIoError);
  }
}

}  // namespace vantrel::tool
