#pragma once

#include <optional>
#include <span>
#include <string>

#include "tools/password.h"

namespace vantrel::tool {

enum class Mode { kSeal, kUnseal };

struct Options {
  Mode mode = Mode::kSeal;
  PasswordSource password;
  std::string input = "-";
  std::optional<std::string> output;  // nothing: standard output
  bool force = false;
};

struct ParsedCommand {
  enum class Kind { kRun, kHelp, kVersion, kError };
  Kind kind = Kind::kError;
  Options options;
  std::string error;  // for kError: what is wrong, one line
};

// Parses the arguments after the program name.
ParsedCommand ParseArguments(std::span<const std::string> args);

// The --help text.
std::string HelpText();

}  // namespace vantrel::tool
