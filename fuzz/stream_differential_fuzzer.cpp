// The command-line tool's streaming seal and unseal against the library's in-memory ones: the
// same input must give the same bytes and the same verdict, whatever the chunk size.
#include "fuzz/fuzz_input.h"
#include "sealing/seal.h"
#include "tools/stream_seal.h"

namespace {

using vantrel::tool::SpanReader;
using vantrel::tool::StreamStatus;
using vantrel::tool::VectorWriter;

void CheckUnseal(const FuzzInput& input, std::size_t chunkSize) {
  SpanReader in(input.data);
  VectorWriter out;
  const StreamStatus status =
      vantrel::tool::StreamUnseal(in, out, input.password, input.data.size(), chunkSize);
  const auto expected = sealing::unseal(input.data, input.password);
  Require((status == StreamStatus::kDone) == !expected.empty());
  if (status == StreamStatus::kDone) Require(out.bytes() == expected);
  if (status == StreamStatus::kRefused) Require(out.bytes().empty());
}

void CheckSeal(const FuzzInput& input, std::size_t chunkSize) {
  SpanReader in(input.data);
  VectorWriter out;
  const StreamStatus status =
      vantrel::tool::StreamSeal(in, out, input.password, input.data.size(), chunkSize);
  const auto expected = sealing::seal(input.data, input.password);
  Require((status == StreamStatus::kDone) == !expected.empty());
  if (status == StreamStatus::kDone) Require(out.bytes() == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const FuzzInput input = SplitFuzzInput(bytes, size);
  // Small chunks put block and prefix boundaries everywhere a short input can reach.
  const std::size_t chunkSize = 8 * (std::size_t{input.selector} + 1);
  CheckUnseal(input, chunkSize);
  CheckSeal(input, chunkSize);
  return 0;
}
