#pragma once

#include <span>
#include <string>

namespace vantrel::tool {

// Runs the tool on the arguments after the program name and returns the exit status. Messages
// go to standard error, one line each.
int Run(std::span<const std::string> args);

}  // namespace vantrel::tool
