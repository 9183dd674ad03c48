#include "tools/options.h"

#include <string_view>

namespace vantrel::tool {
namespace {

ParsedCommand Error(std::string message) {
  ParsedCommand result;
  result.error = std::move(message);
  return result;
}

// Splits "--name=value" into its name and value.
std::pair<std::string_view, std::optional<std::string_view>> SplitInline(std::string_view arg) {
  const std::size_t equals = arg.find('=');
  if (!arg.starts_with("--") || equals == std::string_view::npos) {
    return {arg, std::nullopt};
  }
  return {arg.substr(0, equals), arg.substr(equals + 1)};
}

bool IsPasswordOnCommandLine(std::string_view name) {
  return name == "--password" || name == "-p";
}

class Parser {
 public:
  explicit Parser(std::span<const std::string> args) : args_(args) {}

  ParsedCommand Parse() {
    if (args_.empty()) {
      return Error("缺少命令 seal 或 unseal");
    }
    if (auto early = HelpOrVersion(args_[0])) {
      return *early;
    }
    if (args_[0] == "seal") {
      result_.options.mode = Mode::kSeal;
    } else if (args_[0] == "unseal") {
      result_.options.mode = Mode::kUnseal;
    } else {
      return Error("未知命令“" + args_[0] + "”；应为 seal 或 unseal");
    }
    for (next_ = 1; next_ < args_.size();) {
      if (std::optional<ParsedCommand> stop = Step()) {
        return *stop;
      }
    }
    return Finish();
  }

 private:
  static std::optional<ParsedCommand> HelpOrVersion(std::string_view arg) {
    ParsedCommand result;
    if (arg == "--help" || arg == "-h") {
      result.kind = ParsedCommand::Kind::kHelp;
      return result;
    }
    if (arg == "--version") {
      result.kind = ParsedCommand::Kind::kVersion;
      return result;
    }
    return std::nullopt;
  }

  // Handles the argument at next_ and moves past it; a result ends the parse.
  std::optional<ParsedCommand> Step() {
    const std::string& arg = args_[next_++];
    if (optionsEnded_ || arg == "-" || !arg.starts_with("-")) {
      return Positional(arg);
    }
    if (arg == "--") {
      optionsEnded_ = true;
      return std::nullopt;
    }
    if (auto early = HelpOrVersion(arg)) {
      return early;
    }
    if (arg == "-f" || arg == "--force") {
      result_.options.force = true;
      return std::nullopt;
    }
    const auto [name, inlineValue] = SplitInline(arg);
    if (IsPasswordOnCommandLine(name)) {
      return Error("密码不从命令行读取；请用 --password-file 文件 或 --password-env 变量名");
    }
    std::optional<std::string> value;
    if (inlineValue) {
      value = std::string(*inlineValue);
    } else if (next_ < args_.size()) {
      value = args_[next_++];
    }
    return WithValue(name, value);
  }

  std::optional<ParsedCommand> WithValue(std::string_view name,
                                         const std::optional<std::string>& value) {
    const bool isPassword = name == "--password-file" || name == "--password-env";
    if (!isPassword && name != "-o" && name != "--output") {
      return Error("未知选项“" + std::string(name) + "”");
    }
    if (!value || value->empty()) {
      return Error("选项 " + std::string(name) + " 缺少参数");
    }
    if (!isPassword) {
      if (result_.options.output) {
        return Error("只能给出一个 -o");
      }
      result_.options.output = *value;
      return std::nullopt;
    }
    if (passwordGiven_) {
      return Error("--password-file 和 --password-env 只能给出一个");
    }
    passwordGiven_ = true;
    result_.options.password.kind = name == "--password-file" ? PasswordSource::Kind::kFile
                                                              : PasswordSource::Kind::kEnvironment;
    result_.options.password.argument = *value;
    return std::nullopt;
  }

  std::optional<ParsedCommand> Positional(const std::string& arg) {
    if (inputGiven_) {
      return Error("只能给出一个输入文件（多余的参数“" + arg + "”）");
    }
    inputGiven_ = true;
    result_.options.input = arg;
    return std::nullopt;
  }

  ParsedCommand Finish() {
    const Options& options = result_.options;
    if (options.password.kind == PasswordSource::Kind::kFile && options.password.argument == "-" &&
        options.input == "-") {
      return Error("标准输入不能同时提供密码和数据");
    }
    if (options.output == "-") {
      result_.options.output.reset();
    }
    result_.kind = ParsedCommand::Kind::kRun;
    return result_;
  }

  std::span<const std::string> args_;
  std::size_t next_ = 0;
  bool optionsEnded_ = false;
  bool inputGiven_ = false;
  bool passwordGiven_ = false;
  ParsedCommand result_;
};

}  // namespace

ParsedCommand ParseArguments(std::span<const std::string> args) {
  return Parser(args).Parse();
}

std::string HelpText() {
  return R"(用法：
  vantrel-seal seal   [--password-file 文件 | --password-env 变量名] [-o 输出] [-f] [输入]
  vantrel-seal unseal [--password-file 文件 | --password-env 变量名] [-o 输出] [-f] [输入]

seal 封存输入文件，unseal 解封；与 Vantrel 加密记事本的加密、解密互通。
输入省略或为“-”时读标准输入；省略 -o 时写标准输出（封存结果不写到终端）。

  --password-file 文件   密码取自文件的第一行（不含换行符；文件按 UTF-8 读取）
  --password-env 变量名  密码取自环境变量
                         两者都不给时在终端上输入密码（不回显；封存时输入两次）
  -o, --output 输出      写到这个文件：先写临时文件，完成后再改名
  -f, --force            允许覆盖已有的输出文件
  -h, --help             显示本说明
      --version          显示版本

密码转换为 GBK 后使用，与记事本里输入同样的密码效果相同；GBK 无法表示的密码会被拒绝。

退出状态：0 完成；1 无法解封（密码错误，或数据已损坏、不是封存数据：格式无法区分这几种情况）；
2 用法错误（包括输出文件已存在而未给 -f）；3 输入输出错误；4 输入为空，没有可封存的内容。
)";
}

}  // namespace vantrel::tool
