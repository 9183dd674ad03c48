#include "tools/stream_seal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <random>
#include <stdexcept>
#include <vector>

#include "sealing/seal.h"

namespace vantrel::tool {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  Bytes bytes(size);
  for (std::uint8_t& byte : bytes) {
    byte = static_cast<std::uint8_t>(random());
  }
  return bytes;
}

// Hands out at most `step` bytes per call, as pipes do.
class TrickleReader final : public Reader {
 public:
  TrickleReader(const Bytes& bytes, std::size_t step) : bytes_(bytes), step_(step) {}
  std::size_t Read(std::span<std::uint8_t> buffer) override {
    return inner_.Read(buffer.first(std::min(buffer.size(), step_)));
  }

 private:
  const Bytes& bytes_;
  std::size_t step_;
  SpanReader inner_{bytes_};
};

class FailingWriter final : public Writer {
 public:
  void Write(std::span<const std::uint8_t>) override { throw std::runtime_error("disk full"); }
};

struct Outcome {
  StreamStatus status;
  Bytes bytes;
};

Outcome Seal(const Bytes& payload,
             std::string_view password,
             std::size_t chunk,
             std::size_t step = SIZE_MAX) {
  TrickleReader in(payload, step);
  VectorWriter out;
  const StreamStatus status = StreamSeal(in, out, password, payload.size(), chunk);
  return {status, out.bytes()};
}

Outcome Unseal(const Bytes& sealed,
               std::string_view password,
               std::size_t chunk,
               std::size_t step = SIZE_MAX) {
  TrickleReader in(sealed, step);
  VectorWriter out;
  const StreamStatus status = StreamUnseal(in, out, password, sealed.size(), chunk);
  return {status, out.bytes()};
}

// Chunk sizes that put block and prefix boundaries everywhere small payloads reach.
constexpr std::size_t kChunks[] = {8, 16, 24, 64, kDefaultChunkSize};

TEST(StreamSeal, MatchesInMemorySealForEveryLengthAndChunk) {
  for (std::size_t length = 1; length <= 80; ++length) {
    const Bytes payload = RandomBytes(length, static_cast<std::uint32_t>(length));
    const Bytes expected = sealing::seal(payload, "key");
    for (const std::size_t chunk : kChunks) {
      const Outcome sealed = Seal(payload, "key", chunk, 3);
      ASSERT_EQ(sealed.status, StreamStatus::kDone) << length << "/" << chunk;
      ASSERT_EQ(sealed.bytes, expected) << length << "/" << chunk;
    }
  }
}

TEST(StreamUnseal, MatchesInMemoryUnsealForEveryLengthAndChunk) {
  for (std::size_t length = 1; length <= 80; ++length) {
    const Bytes payload = RandomBytes(length, static_cast<std::uint32_t>(length) + 1000);
    const Bytes sealed = sealing::seal(payload, "密码");
    for (const std::size_t chunk : kChunks) {
      const Outcome opened = Unseal(sealed, "密码", chunk, 5);
      ASSERT_EQ(opened.status, StreamStatus::kDone) << length << "/" << chunk;
      ASSERT_EQ(opened.bytes, payload) << length << "/" << chunk;
    }
  }
}

TEST(StreamUnseal, LargePayloadAcrossManyChunks) {
  const Bytes payload = RandomBytes(3'000'003, 7);
  const Outcome sealed = Seal(payload, "long password over eight bytes", 1 << 16);
  ASSERT_EQ(sealed.status, StreamStatus::kDone);
  EXPECT_EQ(sealed.bytes, sealing::seal(payload, "long password over eight bytes"));
  const Outcome opened = Unseal(sealed.bytes, "long password over eight bytes", 1 << 20);
  ASSERT_EQ(opened.status, StreamStatus::kDone);
  EXPECT_EQ(opened.bytes, payload);
}

// Every input that the in-memory unseal rejects is refused with nothing written; every input it
// accepts gives the same bytes.
TEST(StreamUnseal, AgreesWithInMemoryUnsealOnDamagedAndForeignData) {
  const Bytes payload = RandomBytes(100, 11);
  const Bytes sealed = sealing::seal(payload, "right");
  std::vector<Bytes> inputs = {
      {},
      Bytes(sealed.begin(), sealed.end() - 1),
      Bytes(sealed.begin(), sealed.end() - 8),
      Bytes(sealed.begin(), sealed.begin() + 8),
      Bytes(sealed.begin() + 8, sealed.end()),
      RandomBytes(104, 12),
      Bytes(104, 0),
  };
  Bytes flipped = sealed;
  flipped[0] ^= 0x01;
  inputs.push_back(flipped);
  Bytes lateFlip = sealed;
  lateFlip[50] ^= 0x80;  // the prefix still fits: accepted, with a damaged block
  inputs.push_back(lateFlip);
  for (const std::string_view password : {"right", "wrong"}) {
    for (std::size_t i = 0; i < inputs.size(); ++i) {
      const Bytes expected = sealing::unseal(inputs[i], password);
      const Outcome opened = Unseal(inputs[i], password, 16);
      if (expected.empty()) {
        EXPECT_EQ(opened.status, StreamStatus::kRefused) << password << " #" << i;
        EXPECT_TRUE(opened.bytes.empty()) << password << " #" << i;
      } else {
        EXPECT_EQ(opened.status, StreamStatus::kDone) << password << " #" << i;
        EXPECT_EQ(opened.bytes, expected) << password << " #" << i;
      }
    }
  }
}

TEST(StreamUnseal, PrefixIsCheckedAgainstTheAnnouncedSize) {
  const Bytes sealed = sealing::seal(RandomBytes(20, 3), "k");  // 24 bytes
  SpanReader in(sealed);
  VectorWriter out;
  // The same bytes announced as a longer input: the prefix no longer fits.
  EXPECT_EQ(StreamUnseal(in, out, "k", 32, 8), StreamStatus::kRefused);
  EXPECT_TRUE(out.bytes().empty());
}

TEST(StreamSeal, EmptyAndOversizedPayloadsWriteNothing) {
  SpanReader in({});
  VectorWriter out;
  EXPECT_EQ(StreamSeal(in, out, "k", 0), StreamStatus::kEmpty);
  EXPECT_EQ(StreamSeal(in, out, "k", sealing::kMaxPayloadSize + 1), StreamStatus::kTooLarge);
  EXPECT_TRUE(out.bytes().empty());
}

TEST(StreamSeal, InputThatDisagreesWithItsSizeIsReported) {
  const Bytes payload = RandomBytes(40, 5);
  for (const std::uint64_t announced : {std::uint64_t{39}, std::uint64_t{41}, std::uint64_t{100}}) {
    SpanReader in(payload);
    VectorWriter out;
    EXPECT_EQ(StreamSeal(in, out, "k", announced, 16), StreamStatus::kSizeChanged) << announced;
  }
  // A file that shrinks or grows while it is read, its prefix still fitting the size announced.
  const Bytes sealed = sealing::seal(payload, "k");
  const Bytes shorter(sealed.begin(), sealed.end() - 8);
  Bytes longer = sealed;
  longer.resize(sealed.size() + 8);
  for (const Bytes* actual : std::initializer_list<const Bytes*>{&shorter, &longer}) {
    SpanReader in(*actual);
    VectorWriter out;
    EXPECT_EQ(StreamUnseal(in, out, "k", sealed.size(), 16), StreamStatus::kSizeChanged)
        << actual->size();
  }
}

TEST(StreamSeal, WriterFailurePropagates) {
  const Bytes payload = RandomBytes(64, 9);
  SpanReader in(payload);
  FailingWriter out;
  EXPECT_THROW(StreamSeal(in, out, "k", payload.size()), std::runtime_error);
}

}  // namespace
}  // namespace vantrel::tool
