#include "tools/password.h"

#include <algorithm>
#include <array>
#include <vector>

#include "tools/exit_status.h"
#include "tools/system.h"

namespace vantrel::tool {
namespace {

// A password file's first line is read up to this many bytes.
constexpr std::size_t kMaxPasswordFileRead = 64 * 1024;

std::span<const std::uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Length of the UTF-8 sequence starting at `bytes[0]`, or 0 when it is not a well-formed one
// (overlong forms, surrogates and values past U+10FFFF included).
std::size_t Utf8SequenceLength(std::span<const std::uint8_t> bytes) {
  const std::uint8_t lead = bytes[0];
  std::size_t length = 0;
  std::uint8_t low = 0x80;
  std::uint8_t high = 0xBF;
  if (lead < 0x80) {
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (bytes.size() < length || bytes[1] < low || bytes[1] > high) {
    return 0;
  }
  for (std::size_t i = 2; i < length; ++i) {
    if ((bytes[i] & 0xC0) != 0x80) {
      return 0;
    }
  }
  return length;
}

bool IsValidUtf8(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const std::size_t length = Utf8SequenceLength(bytes);
    if (length == 0) {
      return false;
    }
    bytes = bytes.subspan(length);
  }
  return true;
}

sealing::SecretBytes ReadPasswordFile(const std::string& path) {
  Input input = Input::Open(path);
  std::vector<std::uint8_t> bytes(kMaxPasswordFileRead);
  std::size_t filled = 0;
  bool lineEnded = false;
  while (filled < bytes.size() && !lineEnded) {
    const std::span<std::uint8_t> free = std::span(bytes).subspan(filled);
    const std::span<std::uint8_t> fresh = free.first(input.Read(free));
    filled += fresh.size();
    lineEnded = fresh.empty() || std::ranges::find(fresh, std::uint8_t{'\n'}) != fresh.end();
  }
  sealing::SecretBytes line(FirstLine(std::span(bytes).first(filled)));
  sealing::Wipe(bytes);
  const std::string origin = "密码文件" + DisplayName(path, false);
  if (!lineEnded) {
    throw Failure(ExitStatus::kUsage, origin + "的第一行太长");
  }
  return PasswordToGbk(line.bytes(), origin);
}

sealing::SecretBytes Prompt(std::string_view text) {
  PromptResult result = PromptHidden(text);
  switch (result.status) {
    case PromptStatus::kOk:
      return std::move(result.text);
    case PromptStatus::kCancelled:
      throw Failure(ExitStatus::kUsage, "已取消输入密码");
    case PromptStatus::kNoTerminal:
      break;
  }
  throw Failure(ExitStatus::kUsage,
                "没有可以输入密码的终端；请用 --password-file 或 --password-env 提供密码");
}

sealing::SecretBytes AskOnTerminal(bool confirm) {
  sealing::SecretBytes first = Prompt("密码：");
  if (confirm) {
    const sealing::SecretBytes second = Prompt("再次输入密码：");
    if (!std::ranges::equal(first.bytes(), second.bytes())) {
      throw Failure(ExitStatus::kUsage, "两次输入的密码不一致");
    }
  }
  return PasswordToGbk(first.bytes(), "输入的密码");
}

}  // namespace

std::span<const std::uint8_t> FirstLine(std::span<const std::uint8_t> bytes) {
  constexpr std::array<std::uint8_t, 3> kBom{0xEF, 0xBB, 0xBF};
  if (bytes.size() >= kBom.size() && std::ranges::equal(bytes.first(kBom.size()), kBom)) {
    bytes = bytes.subspan(kBom.size());
  }
  const auto newline = std::ranges::find(bytes, std::uint8_t{'\n'});
  std::size_t length = static_cast<std::size_t>(newline - bytes.begin());
  if (newline != bytes.end() && length > 0 && bytes[length - 1] == '\r') {
    --length;
  }
  return bytes.first(length);
}

sealing::SecretBytes PasswordToGbk(std::span<const std::uint8_t> utf8, std::string_view origin) {
  const std::string where(origin);
  if (std::ranges::find(utf8, std::uint8_t{0}) != utf8.end()) {
    throw Failure(ExitStatus::kUsage, where + "含有零字节，不能作为密码");
  }
  if (!IsValidUtf8(utf8)) {
    throw Failure(ExitStatus::kUsage, where + "不是有效的 UTF-8 文本");
  }
  std::optional<sealing::SecretBytes> gbk = Utf8ToGbk(utf8);
  if (!gbk) {
    throw Failure(ExitStatus::kUsage, where + "含有 GBK 无法表示的字符，不能作为密码");
  }
  return std::move(*gbk);
}

sealing::SecretBytes ObtainPassword(const PasswordSource& source, bool confirm) {
  switch (source.kind) {
    case PasswordSource::Kind::kFile:
      return ReadPasswordFile(source.argument);
    case PasswordSource::Kind::kEnvironment: {
      const std::optional<std::string> value = GetEnvironment(source.argument);
      if (!value) {
        throw Failure(ExitStatus::kUsage, "环境变量 " + source.argument + " 没有设置");
      }
      sealing::SecretBytes text(AsBytes(*value));
      return PasswordToGbk(text.bytes(), "环境变量 " + source.argument + " ");
    }
    case PasswordSource::Kind::kPrompt:
      break;
  }
  return AskOnTerminal(confirm);
}

}  // namespace vantrel::tool
