#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// Splits a fuzzer's input into a password and data: the first byte gives the password's
// length (0..31), the password bytes follow, the rest is the data.
struct FuzzInput {
  std::string_view password;
  std::span<const std::uint8_t> data;
  std::uint8_t selector = 0;  // the first byte's top bits, free for a target's own choices
};

inline FuzzInput SplitFuzzInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzInput input;
  if (size == 0) return input;
  input.selector = static_cast<std::uint8_t>(bytes[0] >> 5);
  const std::size_t passwordSize = std::min<std::size_t>(bytes[0] & 31u, size - 1);
  input.password = {reinterpret_cast<const char*>(bytes + 1), passwordSize};
  input.data = {bytes + 1 + passwordSize, size - 1 - passwordSize};
  return input;
}

// Stops the fuzzer with a finding: abort() is what libFuzzer reports as a crash.
inline void Require(bool condition) {
  if (!condition) __builtin_trap();
}
