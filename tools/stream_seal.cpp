#include "tools/stream_seal.h"

#include <algorithm>
#include <array>

#include "sealing/secret.h"
#include "sealing/seal.h"

namespace vantrel::tool {
namespace {

constexpr std::size_t kPrefixSize = 4;

// The working buffer holds payload bytes in the clear, so it is wiped when done with.
class WorkBuffer {
 public:
  explicit WorkBuffer(std::size_t size) : bytes_(size) {}
  WorkBuffer(const WorkBuffer&) = delete;
  WorkBuffer& operator=(const WorkBuffer&) = delete;
  ~WorkBuffer() { sealing::Wipe(bytes_); }

  std::span<std::uint8_t> First(std::size_t size) { return std::span(bytes_).first(size); }
  std::size_t size() const { return bytes_.size(); }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Reads until `buffer` is full or the reader ends; returns the count read.
std::size_t ReadFully(Reader& in, std::span<std::uint8_t> buffer) {
  std::size_t done = 0;
  while (done < buffer.size()) {
    const std::size_t got = in.Read(buffer.subspan(done));
    if (got == 0) {
      break;
    }
    done += got;
  }
  return done;
}

bool AtEnd(Reader& in) {
  std::array<std::uint8_t, 1> probe{};
  return in.Read(probe) == 0;
}

std::size_t ChunkLength(std::uint64_t remaining, std::size_t chunkSize) {
  return static_cast<std::size_t>(std::min<std::uint64_t>(remaining, chunkSize));
}

void StoreLength(std::span<std::uint8_t> frame, std::uint64_t length) {
  for (std::size_t i = 0; i < kPrefixSize; ++i) {
    frame[i] = static_cast<std::uint8_t>(length >> (8 * i));
  }
}

std::int32_t LoadLength(std::span<const std::uint8_t> frame) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < kPrefixSize; ++i) {
    value |= std::uint32_t{frame[i]} << (8 * i);
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace

StreamStatus StreamSeal(Reader& in,
                        Writer& out,
                        std::string_view password,
                        std::uint64_t payloadSize,
                        std::size_t chunkSize) {
  if (payloadSize == 0) {
    return StreamStatus::kEmpty;
  }
  if (payloadSize > sealing::kMaxPayloadSize) {
    return StreamStatus::kTooLarge;
  }
  const std::uint64_t sealedSize = sealing::SealedSize(payloadSize);
  const std::uint64_t payloadEnd = kPrefixSize + payloadSize;  // frame offset
  WorkBuffer buffer(ChunkLength(sealedSize, chunkSize));
  const sealing::BlockTransformer cipher(password, sealing::des::Direction::kEncipher);

  for (std::uint64_t pos = 0; pos < sealedSize;) {
    const std::size_t length = ChunkLength(sealedSize - pos, buffer.size());
    const std::span<std::uint8_t> chunk = buffer.First(length);
    std::size_t filled = 0;
    if (pos == 0) {
      StoreLength(chunk, payloadSize);
      filled = kPrefixSize;
    }
    const std::size_t payloadHere = ChunkLength(payloadEnd > pos ? payloadEnd - pos : 0, length);
    const std::size_t wanted = payloadHere - filled;
    if (ReadFully(in, chunk.subspan(filled, wanted)) != wanted) {
      return StreamStatus::kSizeChanged;
    }
    std::fill(chunk.begin() + static_cast<std::ptrdiff_t>(payloadHere), chunk.end(),
              std::uint8_t{0});
    cipher.Transform(chunk);
    out.Write(chunk);
    pos += length;
  }
  return AtEnd(in) ? StreamStatus::kDone : StreamStatus::kSizeChanged;
}

StreamStatus StreamUnseal(Reader& in,
                          Writer& out,
                          std::string_view password,
                          std::uint64_t sealedSize,
                          std::size_t chunkSize) {
  if (sealedSize == 0 || sealedSize % 8 != 0) {
    return StreamStatus::kRefused;
  }
  WorkBuffer buffer(ChunkLength(sealedSize, chunkSize));
  const sealing::BlockTransformer cipher(password, sealing::des::Direction::kDecipher);

  std::uint64_t payloadLeft = 0;
  for (std::uint64_t pos = 0; pos < sealedSize;) {
    const std::size_t length = ChunkLength(sealedSize - pos, buffer.size());
    const std::span<std::uint8_t> chunk = buffer.First(length);
    if (ReadFully(in, chunk) != length) {
      return StreamStatus::kSizeChanged;
    }
    cipher.Transform(chunk);
    std::size_t skip = 0;
    if (pos == 0) {
      const std::int32_t prefix = LoadLength(chunk);
      if (!sealing::AcceptsLength(prefix, sealedSize)) {
        return StreamStatus::kRefused;
      }
      payloadLeft = static_cast<std::uint64_t>(prefix);
      skip = kPrefixSize;
    }
    const std::size_t take = ChunkLength(payloadLeft, length - skip);
    out.Write(chunk.subspan(skip, take));
    payloadLeft -= take;
    pos += length;
  }
  return AtEnd(in) ? StreamStatus::kDone : StreamStatus::kSizeChanged;
}

std::size_t SpanReader::Read(std::span<std::uint8_t> buffer) {
  const std::size_t count = std::min(buffer.size(), bytes_.size());
  std::copy_n(bytes_.begin(), count, buffer.begin());
  bytes_ = bytes_.subspan(count);
  return count;
}

void VectorWriter::Write(std::span<const std::uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

}  // namespace vantrel::tool
