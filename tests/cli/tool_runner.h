#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

// Runs the built vantrel-seal as a child process (POSIX only).
namespace vantrel::tool::testing {

struct Invocation {
  Invocation(std::vector<std::string> arguments) : args(std::move(arguments)) {}  // NOLINT
  Invocation&& Env(std::string name, std::string value) && {
    env.emplace_back(std::move(name), std::move(value));
    return std::move(*this);
  }

  std::vector<std::string> args;
  std::string stdinBytes;                 // fed through a pipe unless stdinFile is set
  std::optional<std::string> stdinFile;   // the child's standard input is this file
  std::optional<std::string> stdoutFile;  // the child's standard output goes to this file
  std::vector<std::pair<std::string, std::string>> env;
  bool newSession = false;  // detach the child from the controlling terminal
  // Run the child as this user and group, with no supplementary groups (needs root).
  std::optional<unsigned> user;
};

struct ToolResult {
  int status = -1;  // the exit status; -1 if the child did not exit normally
  std::string out;
  std::string err;
  long maxRssKiB = 0;  // the child's peak resident set size
};

ToolResult RunTool(const Invocation& invocation);

// Runs the tool on a new pseudo-terminal and answers each password prompt with the next of
// `answers` (each followed by Enter). `transcript` receives everything shown on the terminal.
ToolResult RunToolOnTerminal(const Invocation& invocation,
                             const std::vector<std::string>& answers,
                             std::string& transcript);

}  // namespace vantrel::tool::testing
