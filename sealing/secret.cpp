#include "sealing/secret.h"

#include <utility>

namespace sealing {

void Wipe(void* data, std::size_t size) noexcept {
  auto* p = static_cast<volatile std::uint8_t*>(data);
  for (std::size_t i = 0; i < size; ++i)
    p[i] = 0;
}

void Wipe(std::span<std::uint8_t> bytes) noexcept {
  Wipe(bytes.data(), bytes.size());
}

SecretBytes::SecretBytes(std::span<const std::uint8_t> bytes)
    : bytes_(bytes.begin(), bytes.end()) {}

SecretBytes::SecretBytes(std::string_view bytes)
    : bytes_(reinterpret_cast<const std::uint8_t*>(bytes.data()),
             reinterpret_cast<const std::uint8_t*>(bytes.data()) + bytes.size()) {}

SecretBytes::SecretBytes(SecretBytes&& other) noexcept : bytes_(std::move(other.bytes_)) {
  other.bytes_.clear();
}

SecretBytes& SecretBytes::operator=(SecretBytes&& other) noexcept {
  if (this != &other) {
    Wipe(bytes_);
    bytes_ = std::move(other.bytes_);
    other.bytes_.clear();
  }
  return *this;
}

SecretBytes::~SecretBytes() {
  Wipe(bytes_);
}

}  // namespace sealing
