#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// Sealing and unsealing as streams: the data passes through a fixed-size buffer, so files up to
// the format's 2 GiB limit need a few MiB of memory. The output is byte for byte what the
// in-memory seal and unseal of sealing/seal.h give for the same input.
namespace vantrel::tool {

// A source of bytes. Read fills up to `buffer.size()` bytes and returns how many; 0 means the
// end. Failures are thrown (IoError), never returned as 0.
class Reader {
 public:
  virtual ~Reader() = default;
  virtual std::size_t Read(std::span<std::uint8_t> buffer) = 0;
};

// A sink of bytes. Write takes all of `bytes` or throws.
class Writer {
 public:
  virtual ~Writer() = default;
  virtual void Write(std::span<const std::uint8_t> bytes) = 0;
};

enum class StreamStatus {
  kDone,
  kEmpty,        // seal: nothing to seal; nothing was written
  kTooLarge,     // seal: the payload exceeds the format's limit; nothing was written
  kRefused,      // unseal: not a multiple of 8, or the length prefix does not fit (wrong
                 // password, damaged or never sealed data); nothing was written
  kSizeChanged,  // the reader gave more or fewer bytes than the size announced
};

// Default buffer: a multiple of 8, large enough for the cipher to split across cores.
inline constexpr std::size_t kDefaultChunkSize = std::size_t{8} << 20;

// Seals exactly `payloadSize` bytes from `in` to `out`. `chunkSize` must be a positive multiple
// of 8. A kSizeChanged result may follow partial output; the caller discards it.
StreamStatus StreamSeal(Reader& in,
                        Writer& out,
                        std::string_view password,
                        std::uint64_t payloadSize,
                        std::size_t chunkSize = kDefaultChunkSize);

// Unseals `sealedSize` bytes from `in` to `out`. The first block is deciphered and its length
// prefix checked against `sealedSize` before anything is written. Fill bytes are not examined.
StreamStatus StreamUnseal(Reader& in,
                          Writer& out,
                          std::string_view password,
                          std::uint64_t sealedSize,
                          std::size_t chunkSize = kDefaultChunkSize);

// A reader over bytes in memory (standard input once buffered, tests, fuzzers).
class SpanReader final : public Reader {
 public:
  explicit SpanReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::size_t Read(std::span<std::uint8_t> buffer) override;

 private:
  std::span<const std::uint8_t> bytes_;
};

// A writer that appends to a vector.
class VectorWriter final : public Writer {
 public:
  void Write(std::span<const std::uint8_t> bytes) override;
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace vantrel::tool
