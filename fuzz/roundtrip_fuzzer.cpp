// Seal then unseal under the same password always gives the payload back, in one block at a
// time and on every core alike.
#include <algorithm>

#include "fuzz/fuzz_input.h"
#include "sealing/seal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const FuzzInput input = SplitFuzzInput(bytes, size);
  const auto sealed = sealing::seal(input.data, input.password);
  if (input.data.empty()) {
    Require(sealed.empty());
    return 0;
  }
  Require(sealed.size() == sealing::SealedSize(input.data.size()));
  Require(sealed == sealing::seal(input.data, input.password, 1, 1));
  const auto payload = sealing::unseal(sealed, input.password);
  Require(std::equal(payload.begin(), payload.end(), input.data.begin(), input.data.end()));
  return 0;
}
