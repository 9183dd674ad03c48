#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace sealing {

// Overwrites the bytes with zeros in a way the optimiser may not remove.
void Wipe(std::span<std::uint8_t> bytes) noexcept;
void Wipe(void* data, std::size_t size) noexcept;

// Bytes of a password or other secret. The storage is wiped when the value is destroyed or
// moved from; copies are not allowed, so no stray duplicate outlives its use.
class SecretBytes {
 public:
  SecretBytes() = default;
  explicit SecretBytes(std::span<const std::uint8_t> bytes);
  explicit SecretBytes(std::string_view bytes);
  SecretBytes(const SecretBytes&) = delete;
  SecretBytes& operator=(const SecretBytes&) = delete;
  SecretBytes(SecretBytes&& other) noexcept;
  SecretBytes& operator=(SecretBytes&& other) noexcept;
  ~SecretBytes();

  std::span<const std::uint8_t> bytes() const { return bytes_; }
  // The bytes as the password argument of seal and unseal.
  std::string_view view() const {
    return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()};
  }
  bool empty() const { return bytes_.empty(); }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace sealing
