#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "sealing/seal.h"
#include "tests/cli/tool_runner.h"

namespace vantrel::tool::testing {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string RandomText(std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes) {
    byte = static_cast<char>(random());
  }
  return bytes;
}

std::string SealInMemory(std::string_view payload, std::string_view password) {
  const auto sealed = sealing::seal(
      {reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size()}, password);
  return {sealed.begin(), sealed.end()};
}

const fs::path kData = VANTREL_TEST_DATA_DIR;

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vantrel-cli-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    WriteFile(dir_ / "pw.txt", "secret\n");
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Path(const std::string& name) const { return dir_ / name; }
  std::string P(const std::string& name) const { return Path(name).string(); }

  std::set<std::string> Listing() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  // Runs a command that must fail with `status`, one message line naming `file`, and leave the
  // directory as it was.
  void ExpectFailure(const Invocation& invocation, int status, const std::string& file) {
    const std::set<std::string> before = Listing();
    const ToolResult result = RunTool(invocation);
    EXPECT_EQ(result.status, status) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_NE(result.err.find(file), std::string::npos) << result.err;
    EXPECT_EQ(Listing(), before) << result.err;
  }

  fs::path dir_;
};

TEST_F(CliTest, RoundTripThroughFiles) {
  for (const std::size_t size : {1u, 4u, 5u, 8u, 1000u, (1u << 20) + 3}) {
    const std::string payload = RandomText(size, static_cast<std::uint32_t>(size));
    WriteFile(Path("in"), payload);
    fs::remove(Path("sealed"));
    fs::remove(Path("back"));
    ToolResult r = RunTool({{"seal", "--password-file", P("pw.txt"), "-o", P("sealed"), P("in")}});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(Path("sealed")), SealInMemory(payload, "secret")) << size;
    r = RunTool({{"unseal", "--password-file", P("pw.txt"), "-o", P("back"), P("sealed")}});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(Path("back")), payload) << size;
    EXPECT_EQ(Listing(), (std::set<std::string>{"pw.txt", "in", "sealed", "back"}));
  }
}

TEST_F(CliTest, RoundTripThroughPipesAndRedirectedFiles) {
  const std::string payload = RandomText(300'001, 1) + std::string(7, '\0');
  Invocation seal = Invocation({"seal", "--password-env", "PW"}).Env("PW", "秘密");
  seal.stdinBytes = payload;
  const ToolResult sealed = RunTool(seal);
  ASSERT_EQ(sealed.status, 0) << sealed.err;
  EXPECT_EQ(sealed.out, SealInMemory(payload, "\xC3\xD8\xC3\xDC"));  // 秘密 in GBK

  Invocation unseal = Invocation({"unseal", "--password-env", "PW", "-"}).Env("PW", "秘密");
  unseal.stdinBytes = sealed.out;
  const ToolResult piped = RunTool(unseal);
  ASSERT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(piped.out, payload);

  // Standard input that is a regular file is streamed by its size.
  WriteFile(Path("sealed"), sealed.out);
  Invocation fromFile = Invocation({"unseal", "--password-env", "PW"}).Env("PW", "秘密");
  fromFile.stdinFile = P("sealed");
  const ToolResult redirected = RunTool(fromFile);
  ASSERT_EQ(redirected.status, 0) << redirected.err;
  EXPECT_EQ(redirected.out, payload);
}

// The committed vectors, with each password as a user would type it (UTF-8). The random_1000
// vector is left out: its password bytes are not GBK text, so no typed password gives them.
TEST_F(CliTest, InteroperatesWithCommittedVectors) {
  const struct {
    const char* name;
    const char* password;
  } vectors[] = {
      {"ascii", "secret"},      {"chinese_crlf", "密码123"},
      {"empty_password", ""},   {"no_fill", "a password longer than eight bytes"},
      {"zero_bytes", "zero16"},
  };
  for (const auto& v : vectors) {
    const std::string base = (kData / v.name).string();
    WriteFile(Path("pw"), std::string(v.password) + "\r\n");
    ToolResult r = RunTool({{"unseal", "--password-file", P("pw"), base + ".sealed"}});
    EXPECT_EQ(r.status, 0) << v.name << ": " << r.err;
    EXPECT_EQ(r.out, ReadFile(base + ".payload")) << v.name;
    r = RunTool(
        Invocation({"seal", "--password-env", "PW", base + ".payload"}).Env("PW", v.password));
    EXPECT_EQ(r.status, 0) << v.name << ": " << r.err;
    EXPECT_EQ(r.out, ReadFile(base + ".sealed")) << v.name;
  }
}

TEST_F(CliTest, ChinesePasswordAsUtf8OpensDataSealedWithItsGbkBytes) {
  const std::string gbkPassword = ReadFile(kData / "chinese_crlf.password");
  ASSERT_EQ(gbkPassword,
            "\xC3\xDC\xC2\xEB"
            "123");  // 密码123
  WriteFile(Path("pw"), "\xEF\xBB\xBF密码123\r\nignored second line");
  const ToolResult r = RunTool({{"unseal", "--password-file", P("pw"), "-o", P("out"),
                                 (kData / "chinese_crlf.sealed").string()}});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(Path("out")), ReadFile(kData / "chinese_crlf.payload"));
}

TEST_F(CliTest, UnsealRefusalsExitOneAndLeaveNoOutput) {
  const std::string payload = RandomText(100, 2);
  const std::string sealed = SealInMemory(payload, "secret");
  WriteFile(Path("sealed"), sealed);
  WriteFile(Path("cut1"), sealed.substr(0, sealed.size() - 1));
  WriteFile(Path("cut8"), sealed.substr(0, sealed.size() - 8));
  WriteFile(Path("plain"), RandomText(96, 3));
  WriteFile(Path("wrong.txt"), "Secret");
  ExpectFailure({{"unseal", "--password-file", P("wrong.txt"), "-o", P("out"), P("sealed")}}, 1,
                P("sealed"));
  for (const char* name : {"cut1", "cut8", "plain"}) {
    ExpectFailure({{"unseal", "--password-file", P("pw.txt"), "-o", P("out"), P(name)}}, 1,
                  P(name));
  }
  const ToolResult r = RunTool({{"unseal", "--password-file", P("wrong.txt"), P("sealed")}});
  EXPECT_NE(r.err.find("无法区分"), std::string::npos) << r.err;
  EXPECT_TRUE(r.out.empty());
}

TEST_F(CliTest, UsageErrorsExitTwo) {
  WriteFile(Path("in"), "payload");
  WriteFile(Path("korean.txt"), "한국어\n");
  WriteFile(Path("gbk.txt"), "\xC3\xDC\xC2\xEB\n");  // GBK bytes, not UTF-8
  const std::string out = P("out");
  ExpectFailure({{"seal", "--password", "secret", P("in")}}, 2, "--password-file");
  ExpectFailure({{"seal", "--bogus", P("in")}}, 2, "--bogus");
  ExpectFailure({{"seal", "--password-env", "VANTREL_UNSET_VARIABLE", "-o", out, P("in")}}, 2,
                "VANTREL_UNSET_VARIABLE");
  ExpectFailure({{"seal", "--password-file", P("korean.txt"), "-o", out, P("in")}}, 2,
                P("korean.txt"));
  ExpectFailure({{"seal", "--password-file", P("gbk.txt"), "-o", out, P("in")}}, 2, P("gbk.txt"));
  ExpectFailure({{"seal", "--password-file", P("pw.txt"), "-o", "", P("in")}}, 2, "-o");
}

TEST_F(CliTest, ExistingOutputNeedsForce) {
  WriteFile(Path("in"), "payload");
  WriteFile(Path("out"), "keep me");
  ExpectFailure({{"seal", "--password-file", P("pw.txt"), "-o", P("out"), P("in")}}, 2, P("out"));
  EXPECT_EQ(ReadFile(Path("out")), "keep me");
  const ToolResult r =
      RunTool({{"seal", "--password-file", P("pw.txt"), "-f", "-o", P("out"), P("in")}});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(Path("out")), SealInMemory("payload", "secret"));
  // Sealing a file onto itself works, because the result is renamed over it only at the end.
  const ToolResult inPlace =
      RunTool({{"unseal", "--password-file", P("pw.txt"), "-f", "-o", P("out"), P("out")}});
  ASSERT_EQ(inPlace.status, 0) << inPlace.err;
  EXPECT_EQ(ReadFile(Path("out")), "payload");
  EXPECT_EQ(Listing(), (std::set<std::string>{"pw.txt", "in", "out"}));
}

TEST_F(CliTest, InputOutputErrorsExitThree) {
  WriteFile(Path("in"), "payload");
  ExpectFailure({{"seal", "--password-file", P("pw.txt"), "-o", P("out"), P("missing")}}, 3,
                P("missing"));
  ExpectFailure({{"seal", "--password-file", P("missing.txt"), "-o", P("out"), P("in")}}, 3,
                P("missing.txt"));
  ExpectFailure({{"seal", "--password-file", P("pw.txt"), "-o", P("no/such/dir/out"), P("in")}}, 3,
                P("no/such/dir/out"));
  ExpectFailure({{"seal", "--password-file", P("pw.txt"), "-o", P("out"), dir_.string()}}, 3,
                dir_.string());
}

TEST_F(CliTest, DeviceTargetIsNeverReplaced) {
  WriteFile(Path("in"), "payload");
  ExpectFailure({{"seal", "--password-file", P("pw.txt"), "-f", "-o", "/dev/null", P("in")}}, 2,
                "/dev/null");
  struct stat info {};
  ASSERT_EQ(::stat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST_F(CliTest, EmptyInputToSealExitsFourAndWritesNothing) {
  WriteFile(Path("empty"), "");
  ExpectFailure({{"seal", "--password-file", P("pw.txt"), "-o", P("out"), P("empty")}}, 4,
                P("empty"));
  const ToolResult piped = RunTool({{"seal", "--password-file", P("pw.txt")}});
  EXPECT_EQ(piped.status, 4) << piped.err;
  EXPECT_TRUE(piped.out.empty());
  EXPECT_NE(piped.err.find("标准输入"), std::string::npos) << piped.err;
  // Unsealing an empty file is a refusal, not "nothing to do".
  ExpectFailure({{"unseal", "--password-file", P("pw.txt"), "-o", P("out"), P("empty")}}, 1,
                P("empty"));
}

TEST_F(CliTest, HelpAndVersion) {
  ToolResult r = RunTool({{"--help"}});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("--password-file"), std::string::npos);
  r = RunTool({{"--version"}});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("vantrel-seal ", 0), 0u) << r.out;
}

// Peak memory stays far below the file's size: the data streams through a fixed buffer. A
// 96 MiB sparse file keeps the test quick; a tool that buffered it whole would need 96 MiB or
// more, and the streaming bound does not grow with the file.
TEST_F(CliTest, LargeFilesStreamInBoundedMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizers' shadow memory and speed make the bound meaningless";
#endif
  constexpr std::uintmax_t kSize = std::uintmax_t{96} << 20;
  constexpr long kLimitKiB = 48 * 1024;
  { std::ofstream(Path("big")).close(); }
  fs::resize_file(Path("big"), kSize);
  ToolResult r =
      RunTool({{"seal", "--password-file", P("pw.txt"), "-o", P("big.sealed"), P("big")}});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_LT(r.maxRssKiB, kLimitKiB);
  EXPECT_EQ(fs::file_size(Path("big.sealed")), sealing::SealedSize(kSize));
  fs::remove(Path("big"));

  Invocation unseal({"unseal", "--password-file", P("pw.txt"), P("big.sealed")});
  unseal.stdoutFile = "/dev/null";
  r = RunTool(unseal);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_LT(r.maxRssKiB, kLimitKiB);
}

TEST_F(CliTest, PromptsTwiceOnTheTerminalWithoutEcho) {
  WriteFile(Path("in"), "typed secret payload");
  std::string transcript;
  ToolResult r =
      RunToolOnTerminal({{"seal", "-o", P("sealed"), P("in")}}, {"密码123", "密码123"}, transcript);
  ASSERT_EQ(r.status, 0) << r.err << transcript;
  EXPECT_EQ(transcript.find("123"), std::string::npos) << "echoed: " << transcript;
  EXPECT_EQ(ReadFile(Path("sealed")), SealInMemory("typed secret payload",
                                                   "\xC3\xDC\xC2\xEB"
                                                   "123"));

  transcript.clear();
  r = RunToolOnTerminal({{"unseal", "-o", P("back"), P("sealed")}}, {"密码123"}, transcript);
  ASSERT_EQ(r.status, 0) << r.err << transcript;
  EXPECT_EQ(ReadFile(Path("back")), "typed secret payload");

  transcript.clear();
  fs::remove(Path("sealed"));
  r = RunToolOnTerminal({{"seal", "-o", P("sealed"), P("in")}}, {"one", "two"}, transcript);
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_FALSE(fs::exists(Path("sealed")));
}

TEST_F(CliTest, SealedBytesAreNeverWrittenToTheTerminal) {
  WriteFile(Path("in"), "payload");
  std::string transcript;
  const ToolResult r =
      RunToolOnTerminal({{"seal", "--password-file", P("pw.txt"), P("in")}}, {}, transcript);
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("-o"), std::string::npos) << r.err;
  EXPECT_TRUE(transcript.empty()) << transcript;
}

TEST_F(CliTest, NoTerminalAndNoPasswordOptionIsAUsageError) {
  WriteFile(Path("in"), "payload");
  Invocation detached({"seal", "-o", P("out"), P("in")});
  detached.newSession = true;  // no controlling terminal, so there is nowhere to prompt
  ExpectFailure(detached, 2, "--password-file");
}

}  // namespace
}  // namespace vantrel::tool::testing
