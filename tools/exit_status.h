#pragma once

#include <stdexcept>
#include <string>

namespace vantrel::tool {

enum class ExitStatus : int {
  kDone = 0,
  kRefused = 1,  // unseal: wrong password, or damaged or never sealed data
  kUsage = 2,
  kIoError = 3,
  kEmptyInput = 4,
};

// Ends the run with `status` and the one-line message `what()`.
class Failure : public std::runtime_error {
 public:
  Failure(ExitStatus status, const std::string& message)
      : std::runtime_error(message), status_(status) {}
  ExitStatus status() const { return status_; }

 private:
  ExitStatus status_;
};

}  // namespace vantrel::tool
