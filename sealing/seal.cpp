#include "sealing/seal.h"

#include <algorithm>
#include <new>
#include <exception>
#include <thread>

#include "sealing/secret.h"

namespace sealing {
namespace {

unsigned ThreadCount(unsigned maxThreads) {
  if (maxThreads != kAllCores)
    return maxThreads;
  return std::max(1u, std::thread::hardware_concurrency());
}

// Splits the blocks into `threads` runs of whole blocks, one per thread, the last on the
// calling thread. A thread that cannot be started leaves its run to the calling thread.
void TransformOnThreads(const des::KeySchedule& schedule,
                        std::span<std::uint8_t> blocks,
                        unsigned threads) {
  const std::size_t blockCount = blocks.size() / 8;
  std::vector<std::jthread> workers;
  std::size_t begin = 0;
  for (unsigned t = 1; t < threads; ++t) {
    const std::size_t end = blockCount * t / threads;
    const auto run = blocks.subspan(8 * begin, 8 * (end - begin));
    begin = end;
    try {
      workers.emplace_back([&schedule, run] { des::TransformBlocks(schedule, run); });
    } catch (const std::exception&) {
      des::TransformBlocks(schedule, run);
    }
  }
  des::TransformBlocks(schedule, blocks.subspan(8 * begin));
}

void StoreLittleEndian(std::uint32_t value, std::uint8_t* p) {
  for (int i = 0; i < 4; ++i)
    p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::int32_t LoadLittleEndianSigned(const std::uint8_t* p) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i)
    value |= std::uint32_t{p[i]} << (8 * i);
  return static_cast<std::int32_t>(value);
}

}  // namespace

FoldedKey FoldPassword(std::string_view password) {
  password = password.substr(0, password.find('\0'));
  FoldedKey key{};
  for (std::size_t i = 0; i < password.size(); ++i) {
    key[i % 8] ^= static_cast<std::uint8_t>(password[i]);
  }
  return key;
}

std::uint64_t SealedSize(std::uint64_t payloadSize) {
  return (payloadSize + 4 + 7) / 8 * 8;
}

bool AcceptsLength(std::int64_t prefix, std::uint64_t sealedSize) {
  return prefix >= 1 && static_cast<std::uint64_t>(prefix) <= kMaxPayloadSize &&
         SealedSize(static_cast<std::uint64_t>(prefix)) == sealedSize;
}

BlockTransformer::BlockTransformer(std::string_view password,
                                   des::Direction direction,
                                   unsigned maxThreads)
    : threads_(ThreadCount(maxThreads)) {
  FoldedKey key = FoldPassword(password);
  schedule_ = des::SetKey(key, direction);
  Wipe(key);
}

void BlockTransformer::Transform(std::span<std::uint8_t> blocks) const {
  if (blocks.size() < kParallelMinSize || threads_ <= 1) {
    des::TransformBlocks(schedule_, blocks);
  } else {
    TransformOnThreads(schedule_, blocks, threads_);
  }
}

std::vector<std::uint8_t> seal(std::span<const std::uint8_t> data,
                               std::string_view password,
                               int algorithm,
                               unsigned maxThreads) {
  if (algorithm != 1 || data.empty() || data.size() > kMaxPayloadSize)
    return {};
  std::vector<std::uint8_t> frame;
  try {
    frame.reserve(SealedSize(data.size()));
  } catch (const std::bad_alloc&) {
    return {};
  }
  // Each byte written once: prefix, payload, then the zero fill.
  frame.resize(4);
  StoreLittleEndian(static_cast<std::uint32_t>(data.size()), frame.data());
  frame.insert(frame.end(), data.begin(), data.end());
  frame.resize(SealedSize(data.size()));
  BlockTransformer(password, des::Direction::kEncipher, maxThreads).Transform(frame);
  return frame;
}

std::vector<std::uint8_t> unseal(std::span<const std::uint8_t> data,
                                 std::string_view password,
                                 int algorithm,
                                 unsigned maxThreads) {
  if (algorithm != 1 || data.empty() || data.size() % 8 != 0)
    return {};
  const BlockTransformer decipher(password, des::Direction::kDecipher, maxThreads);

  // The first block decides; a wrong password is turned away before the rest is touched.
  std::array<std::uint8_t, 8> first;
  std::copy_n(data.begin(), 8, first.begin());
  decipher.Transform(first);
  const std::int32_t length = LoadLittleEndianSigned(first.data());
  Wipe(first);
  if (!AcceptsLength(length, data.size()))
    return {};

  std::vector<std::uint8_t> frame;
  try {
    frame.assign(data.begin(), data.end());
  } catch (const std::bad_alloc&) {
    return {};
  }
  decipher.Transform(frame);
  frame.erase(frame.begin(), frame.begin() + 4);
  frame.resize(static_cast<std::size_t>(length));
  return frame;
}

}  // namespace sealing
