// Any bytes under any password: unseal never crashes, and a result is either empty or of a
// length that the sealed size admits.
#include "fuzz/fuzz_input.h"
#include "sealing/seal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const FuzzInput input = SplitFuzzInput(bytes, size);
  const auto payload = sealing::unseal(input.data, input.password);
  if (!payload.empty()) {
    const std::size_t n = input.data.size();
    Require(n % 8 == 0);
    Require(payload.size() <= n - 4 && payload.size() + 12 > n);
    Require(sealing::SealedSize(payload.size()) == n);
  }
  return 0;
}
