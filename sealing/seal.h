#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "sealing/des.h"

// Sealed data: the payload framed as [length L, 4 bytes little-endian][L payload bytes]
// [0..7 zero fill bytes] to a multiple of 8, each 8-byte block enciphered by itself with the
// cipher of des.h under a key XOR-folded from the password. No header, salt or checksum.
namespace sealing {

// The largest payload whose sealed size still fits a signed 32-bit length.
inline constexpr std::uint64_t kMaxPayloadSize = 2'147'483'636;

using FoldedKey = std::array<std::uint8_t, 8>;

// Inputs of this many bytes or more are split over several threads.
inline constexpr std::size_t kParallelMinSize = std::size_t{1} << 20;
// Thread limit meaning one thread per core.
inline constexpr unsigned kAllCores = 0;

// XOR-folds the password's bytes, up to its first zero byte if it holds one, onto 8 key bytes:
// byte i goes onto key byte i mod 8. The empty password gives the all-zero key.
FoldedKey FoldPassword(std::string_view password);

// Size of the sealed data for a payload of `payloadSize` bytes: 4 + L rounded up to a multiple
// of 8. Computed in 64 bits, so it never overflows.
std::uint64_t SealedSize(std::uint64_t payloadSize);

// Whether a deciphered length prefix fits sealed data of `sealedSize` bytes: exactly when
// sealing `prefix` bytes gives `sealedSize` bytes, which needs 1 <= prefix <= kMaxPayloadSize.
bool AcceptsLength(std::int64_t prefix, std::uint64_t sealedSize);

// Seals `data` under `password`. Empty result for empty data, an algorithm other than 1, a
// payload over kMaxPayloadSize, or no memory. Never changes its inputs. `maxThreads` bounds the
// threads used on large inputs; the bytes are the same whatever it is.
std::vector<std::uint8_t> seal(std::span<const std::uint8_t> data,
                               std::string_view password,
                               int algorithm = 1,
                               unsigned maxThreads = kAllCores);

// Unseals what seal made. Empty result when the length is 0 or not a multiple of 8, the
// algorithm is not 1, or the deciphered length prefix is not accepted (wrong password, damaged
// or never-sealed data: these cannot be told apart). Fill bytes are not examined.
std::vector<std::uint8_t> unseal(std::span<const std::uint8_t> data,
                                 std::string_view password,
                                 int algorithm = 1,
                                 unsigned maxThreads = kAllCores);

// Enciphers or deciphers whole blocks in place under one password, for callers that stream
// data too large to hold (the command-line tool). Large spans use every core; the result is
// byte for byte that of one block at a time.
class BlockTransformer {
 public:
  BlockTransformer(std::string_view password,
                   des::Direction direction,
                   unsigned maxThreads = kAllCores);
  // Spans of kParallelMinSize bytes or more are split over up to `maxThreads` threads.
  // `blocks.size()` must be a multiple of 8; a trailing partial block is left unchanged.
  void Transform(std::span<std::uint8_t> blocks) const;

 private:
  des::KeySchedule schedule_;
  unsigned threads_;
};

}  // namespace sealing
