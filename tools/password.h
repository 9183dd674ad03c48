#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "sealing/secret.h"

// Where the password comes from, and its conversion to the GBK bytes the editor seals with.
// Passwords are never taken from the command line itself.
namespace vantrel::tool {

struct PasswordSource {
  enum class Kind { kPrompt, kFile, kEnvironment };
  Kind kind = Kind::kPrompt;
  std::string argument;  // the file's path or the variable's name
};

// The password in GBK. The prompt asks twice when `confirm` is set (sealing) and the two must
// match. Throws Failure: kUsage when there is no terminal to ask on, the prompt is cancelled,
// the variable is not set or the text cannot be a password; kIoError when the file cannot be
// read.
sealing::SecretBytes ObtainPassword(const PasswordSource& source, bool confirm);

// The first line of a password file: up to the first LF, without a CR before it, and without a
// UTF-8 byte order mark at the start (editors on Windows like to write one).
std::span<const std::uint8_t> FirstLine(std::span<const std::uint8_t> bytes);

// Checks that `utf8` is valid UTF-8 without a zero byte and converts it to GBK. Throws Failure
// (kUsage) naming `origin` otherwise, or when GBK cannot hold one of its characters.
sealing::SecretBytes PasswordToGbk(std::span<const std::uint8_t> utf8, std::string_view origin);

}  // namespace vantrel::tool
