// The committed vectors in tests/data pin the sealed format: see tests/data/README.
#include "sealing/seal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "tests/sealing/test_support.h"

namespace sealing::testing {
namespace {

namespace fs = std::filesystem;

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<std::string> VectorNames() {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(VANTREL_TEST_DATA_DIR)) {
    if (entry.path().extension() == ".sealed")
      names.insert(entry.path().stem().string());
  }
  return names;
}

TEST(VectorsTest, CommittedVectorsSealAndUnseal) {
  const auto names = VectorNames();
  for (const char* required : {"chinese_crlf", "zero_bytes", "no_fill", "empty_password"}) {
    EXPECT_TRUE(names.count(required)) << required;
  }
  for (const auto& name : names) {
    SCOPED_TRACE(name);
    const fs::path base = fs::path(VANTREL_TEST_DATA_DIR) / name;
    const Bytes payload = ReadFile(base.string() + ".payload");
    const Bytes passwordBytes = ReadFile(base.string() + ".password");
    const Bytes sealed = ReadFile(base.string() + ".sealed");
    const std::string password(passwordBytes.begin(), passwordBytes.end());
    EXPECT_EQ(seal(payload, password), sealed);
    EXPECT_EQ(unseal(sealed, password), payload);
  }
}

TEST(VectorsTest, ZeroByteVectorHoldsZeroInItsSealedBytes) {
  const Bytes sealed = ReadFile(fs::path(VANTREL_TEST_DATA_DIR) / "zero_bytes.sealed");
  EXPECT_NE(std::find(sealed.begin(), sealed.end(), 0), sealed.end());
}

}  // namespace
}  // namespace sealing::testing
