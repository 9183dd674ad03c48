#include "tests/cli/tool_runner.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace vantrel::tool::testing {
namespace {

constexpr int kTimeoutMs = 60'000;

[[noreturn]] void ExecTool(const Invocation& invocation) {
  ::signal(SIGPIPE, SIG_DFL);
  for (const auto& [name, value] : invocation.env) {
    ::setenv(name.c_str(), value.c_str(), 1);
  }
  if (invocation.newSession) {
    ::setsid();
  }
  std::string tool = VANTREL_SEAL_TOOL;
  if (invocation.user) {
    // The build tree may sit in a folder the other user cannot enter: open the program while
    // still privileged and start it through its descriptor.
    const int program = ::open(tool.c_str(), O_RDONLY | O_CLOEXEC);
    const auto id = static_cast<uid_t>(*invocation.user);
    if (program < 0 || ::setgroups(0, nullptr) != 0 || ::setgid(id) != 0 || ::setuid(id) != 0) {
      ::_exit(125);
    }
    tool = "/proc/self/fd/" + std::to_string(program);
  }
  std::vector<char*> argv;
  argv.push_back(tool.data());
  std::vector<std::string> args = invocation.args;
  for (std::string& arg : args) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);
  ::execv(tool.c_str(), argv.data());
  ::_exit(127);
}

void Redirect(const std::optional<std::string>& file, int flags, int pipeEnd, int target) {
  int fd = pipeEnd;
  if (file) {
    fd = ::open(file->c_str(), flags, 0644);
    if (fd < 0) {
      ::_exit(126);
    }
  }
  ::dup2(fd, target);
}

ToolResult Wait(pid_t child, ToolResult result) {
  int status = 0;
  rusage usage{};
  while (::wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.maxRssKiB = usage.ru_maxrss;
  return result;
}

bool Drain(int fd, std::string& into) {
  char buffer[65536];
  const ssize_t got = ::read(fd, buffer, sizeof buffer);
  if (got > 0) {
    into.append(buffer, static_cast<std::size_t>(got));
    return true;
  }
  return got < 0 && errno == EINTR;
}

}  // namespace

ToolResult RunTool(const Invocation& invocation) {
  // A child that exits without reading all its input must not kill the test with SIGPIPE.
  ::signal(SIGPIPE, SIG_IGN);
  int in[2], out[2], err[2];
  if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) {
    throw std::runtime_error("pipe failed");
  }
  const pid_t child = ::fork();
  if (child == 0) {
    Redirect(invocation.stdinFile, O_RDONLY, in[0], STDIN_FILENO);
    Redirect(invocation.stdoutFile, O_WRONLY | O_CREAT | O_TRUNC, out[1], STDOUT_FILENO);
    ::dup2(err[1], STDERR_FILENO);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
      ::close(fd);
    }
    ExecTool(invocation);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  ::fcntl(in[1], F_SETFL, O_NONBLOCK);
  ToolResult result;
  std::size_t written = 0;
  int writeFd = in[1];
  if (invocation.stdinBytes.empty()) {
    ::close(writeFd);
    writeFd = -1;
  }
  bool outOpen = true;
  bool errOpen = true;
  while (outOpen || errOpen) {
    pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {writeFd, POLLOUT, 0}};
    if (::poll(fds, writeFd >= 0 ? 3 : 2, kTimeoutMs) <= 0) {
      ::kill(child, SIGKILL);
      break;
    }
    if (fds[0].revents != 0) {
      outOpen = Drain(out[0], result.out);
    }
    if (fds[1].revents != 0) {
      errOpen = Drain(err[0], result.err);
    }
    if (writeFd >= 0 && fds[2].revents != 0) {
      const ssize_t done = ::write(writeFd, invocation.stdinBytes.data() + written,
                                   invocation.stdinBytes.size() - written);
      if (done > 0) {
        written += static_cast<std::size_t>(done);
      }
      if ((done < 0 && errno != EAGAIN) || written == invocation.stdinBytes.size()) {
        ::close(writeFd);
        writeFd = -1;
      }
    }
  }
  if (writeFd >= 0) {
    ::close(writeFd);
  }
  ::close(out[0]);
  ::close(err[0]);
  return Wait(child, std::move(result));
}

ToolResult RunToolOnTerminal(const Invocation& invocation,
                             const std::vector<std::string>& answers,
                             std::string& transcript) {
  int err[2];
  if (::pipe(err) != 0) {
    throw std::runtime_error("pipe failed");
  }
  int master = -1;
  const pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
  if (child == 0) {
    Redirect(invocation.stdinFile, O_RDONLY, STDIN_FILENO, STDIN_FILENO);
    Redirect(invocation.stdoutFile, O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO, STDOUT_FILENO);
    ::dup2(err[1], STDERR_FILENO);
    ::close(err[0]);
    ::close(err[1]);
    ExecTool(invocation);
  }
  ::close(err[1]);
  ToolResult result;
  std::size_t answered = 0;
  bool errOpen = true;
  bool ttyOpen = true;
  while (errOpen || ttyOpen) {
    pollfd fds[2] = {{master, POLLIN, 0}, {err[0], POLLIN, 0}};
    if (::poll(fds, 2, kTimeoutMs) <= 0) {
      ::kill(child, SIGKILL);
      break;
    }
    if (fds[0].revents != 0) {
      ttyOpen = Drain(master, transcript);  // EIO once the child has closed the terminal
    }
    if (fds[1].revents != 0) {
      errOpen = Drain(err[0], result.err);
    }
    // Each prompt ends in a full-width colon.
    std::size_t prompts = 0;
    for (std::size_t at = 0; (at = transcript.find("：", at)) != std::string::npos; at += 3) {
      ++prompts;
    }
    while (answered < prompts && answered < answers.size()) {
      const std::string line = answers[answered++] + "\r";
      if (::write(master, line.data(), line.size()) < 0) {
        break;
      }
    }
  }
  ::close(master);
  ::close(err[0]);
  return Wait(child, std::move(result));
}

}  // namespace vantrel::tool::testing
