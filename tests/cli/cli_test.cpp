#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <thread>
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

// How messages name a file.
std::string Quoted(const fs::path& path) {
  return "“" + path.string() + "”";
}

// The tool as a user who owns none of the test's files. Root reads and writes any file whatever
// its mode, so as root the tool runs as nobody; any other user is already bound by the modes.
Invocation Unprivileged(Invocation invocation) {
  if (::geteuid() == 0) {
    invocation.user = 65534;
  }
  return invocation;
}

// A small tmpfs mounted on `folder` for the life of the object, so writes into it run out of
// space. error() is the errno of a refused mount, 0 once mounted.
class SmallDisk {
 public:
  SmallDisk(const fs::path& folder, const std::string& size) : folder_(folder) {
    fs::create_directory(folder_);
    const std::string options = "size=" + size;
    if (::mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
      error_ = errno;
    }
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  ~SmallDisk() {
    if (error_ == 0) {
      ::umount2(folder_.c_str(), MNT_DETACH);
    }
  }
  int error() const { return error_; }

 private:
  fs::path folder_;
  int error_ = 0;
};

// Gives the password "secret" through the FIFO `path`, for --password-file, and runs `meanwhile`
// first, once the tool has opened the FIFO: by then the tool has taken its input's size and has
// not read from the input yet, so a change made there lands between the two, every time.
class PasswordFifo {
 public:
  PasswordFifo(const fs::path& path, std::function<void()> meanwhile) : path_(path) {
    if (::mkfifo(path.c_str(), 0600) != 0) {
      throw std::runtime_error("mkfifo failed");
    }
    thread_ = std::thread([this, meanwhile = std::move(meanwhile)] { Serve(meanwhile); });
  }
  PasswordFifo(const PasswordFifo&) = delete;
  PasswordFifo& operator=(const PasswordFifo&) = delete;
  ~PasswordFifo() { Finish(); }

  // Call once the tool has ended: stops waiting for it and tells whether it took the password.
  bool Finish() {
    ended_ = true;
    if (thread_.joinable()) {
      thread_.join();
    }
    return served_;
  }

 private:
  void Serve(const std::function<void()>& meanwhile) {
    int fd = -1;
    // Opening for writing without blocking succeeds only once a reader has the FIFO open.
    while ((fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) < 0) {
      if (errno != ENXIO || ended_) {
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    meanwhile();
    served_ = ::write(fd, "secret\n", 7) == 7;
    ::close(fd);
  }

  fs::path path_;
  std::thread thread_;
  std::atomic<bool> ended_ = false;
  bool served_ = false;
};

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

  // Every name in the test's folder and its subfolders (temporary files included).
  std::set<std::string> Listing() const {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
      names.insert(entry.path().lexically_relative(dir_).string());
    }
    return names;
  }

  // Runs a command that must fail with `status`, one message line naming `file`, and leave the
  // folder as it was.
  ToolResult ExpectFailure(const Invocation& invocation, int status, const std::string& file) {
    const std::set<std::string> before = Listing();
    ToolResult result = RunTool(invocation);
    EXPECT_EQ(result.status, status) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_NE(result.err.find(file), std::string::npos) << result.err;
    EXPECT_EQ(Listing(), before) << result.err;
    return result;
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
  WriteFile(Path("sealed"), SealInMemory(RandomText(100, 2), "secret"));
  WriteFile(Path("plain"), RandomText(96, 3));
  WriteFile(Path("wrong.txt"), "Secret");
  ExpectFailure({{"unseal", "--password-file", P("wrong.txt"), "-o", P("out"), P("sealed")}}, 1,
                Quoted(P("sealed")));
  ExpectFailure({{"unseal", "--password-file", P("pw.txt"), "-o", P("out"), P("plain")}}, 1,
                Quoted(P("plain")));
  const ToolResult r = RunTool({{"unseal", "--password-file", P("wrong.txt"), P("sealed")}});
  EXPECT_NE(r.err.find("无法区分"), std::string::npos) << r.err;
  EXPECT_TRUE(r.out.empty());
}

// A sealed file that lost its tail is refused before anything is written: cut inside a block
// by its length, cut by whole blocks by the length prefix in the first block. The large file
// spans more than one 8 MiB chunk, so a refusal that came late would have written some output.
TEST_F(CliTest, TruncatedSealedFilesAreRefusedBeforeAnyOutput) {
  const std::string small = SealInMemory(RandomText(100, 2), "secret");  // 13 blocks
  const std::string large = SealInMemory(RandomText((9 << 20) + 5, 3), "secret");
  const struct {
    const std::string& sealed;
    std::size_t cut;
  } cases[] = {
      {small, 1}, {small, 2}, {small, 3},  {small, 4},       {small, 5}, {small, 6},
      {small, 7}, {small, 8}, {small, 16}, {small, 96},      {large, 1}, {large, 7},
      {large, 8}, {large, 9}, {large, 64}, {large, 8 << 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("sealed size " + std::to_string(c.sealed.size()) + ", cut " +
                 std::to_string(c.cut));
    WriteFile(Path("cut"), std::string_view(c.sealed).substr(0, c.sealed.size() - c.cut));
    const ToolResult r =
        ExpectFailure({{"unseal", "--password-file", P("pw.txt"), "-o", P("out"), P("cut")}}, 1,
                      Quoted(P("cut")));
    EXPECT_NE(r.err.find("无法解封"), std::string::npos) << r.err;
    const ToolResult toStdout = RunTool({{"unseal", "--password-file", P("pw.txt"), P("cut")}});
    EXPECT_EQ(toStdout.status, 1) << toStdout.err;
    EXPECT_EQ(toStdout.out.size(), 0u);
  }
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

// Files that cannot be opened, read or created. The tool runs unprivileged, so files of mode
// 000 and a folder it may not write to are really out of its reach.
TEST_F(CliTest, InputOutputErrorsExitThree) {
  WriteFile(Path("in"), "payload");
  WriteFile(Path("locked"), SealInMemory("payload", "secret"));
  WriteFile(Path("locked.txt"), "secret\n");
  fs::create_directory(Path("closed"));
  fs::permissions(Path("locked"), fs::perms::none);
  fs::permissions(Path("locked.txt"), fs::perms::none);
  fs::permissions(Path("closed"), fs::perms::owner_all | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read |
                                      fs::perms::others_exec);
  fs::permissions(dir_, fs::perms::all);  // the unprivileged tool may create its output here
  if (::geteuid() != 0 && ::access(P("locked").c_str(), R_OK) == 0) {
    GTEST_SKIP() << "this user reads files of mode 000, so unreadable input cannot be shown";
  }
  const std::string pw = P("pw.txt");
  const struct {
    std::vector<std::string> args;
    fs::path named;
  } cases[] = {
      {{"seal", "--password-file", pw, "-o", P("out"), P("missing")}, Path("missing")},
      {{"seal", "--password-file", pw, "-o", P("out"), P("locked")}, Path("locked")},
      {{"unseal", "--password-file", pw, "-o", P("out"), P("locked")}, Path("locked")},
      {{"unseal", "--password-file", pw, P("locked")}, Path("locked")},
      {{"seal", "--password-file", pw, "-o", P("out"), P("in/x")}, Path("in/x")},
      {{"seal", "--password-file", pw, "-o", P("out"), dir_.string()}, dir_},
      {{"seal", "--password-file", P("missing.txt"), "-o", P("out"), P("in")}, Path("missing.txt")},
      {{"seal", "--password-file", P("locked.txt"), "-o", P("out"), P("in")}, Path("locked.txt")},
      {{"seal", "--password-file", pw, "-o", P("no/such/dir/out"), P("in")},
       Path("no/such/dir/out")},
      {{"seal", "--password-file", pw, "-o", P("in/out"), P("in")}, Path("in/out")},
      {{"seal", "--password-file", pw, "-o", P("closed/out"), P("in")}, Path("closed/out")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.named.string());
    ExpectFailure(Unprivileged(c.args), 3, Quoted(c.named));
  }
}

// A disk that fills up during the write: the message names the output, no temporary file is
// left, and a file being replaced keeps every byte it had.
TEST_F(CliTest, FullDiskLeavesNoOutputAndKeepsTheOldFile) {
  const std::string payload = RandomText(256 << 10, 4);
  WriteFile(Path("in"), payload);
  WriteFile(Path("sealed"), SealInMemory(payload, "secret"));
  WriteFile(Path("tiny"), "fits");
  const SmallDisk disk(Path("small"), "64k");
  if (disk.error() == EPERM) {
    GTEST_SKIP() << "mounting a tmpfs is not allowed here (it needs root); the full-disk cases "
                    "did not run";
  }
  ASSERT_EQ(disk.error(), 0) << std::strerror(disk.error());
  const std::string old = RandomText(16 << 10, 5);
  const fs::path out = Path("small/out");
  for (const char* mode : {"seal", "unseal"}) {
    SCOPED_TRACE(mode);
    const std::string in = P(std::string_view(mode) == "seal" ? "in" : "sealed");
    for (const bool replace : {false, true}) {
      if (replace) {
        WriteFile(out, old);
      }
      Invocation invocation({mode, "--password-file", P("pw.txt"), "-o", out.string(), in});
      if (replace) {
        invocation.args.insert(invocation.args.begin() + 1, "-f");
      }
      const ToolResult r = ExpectFailure(invocation, 3, Quoted(out));
      EXPECT_NE(r.err.find(std::strerror(ENOSPC)), std::string::npos) << r.err;
      if (replace) {
        EXPECT_TRUE(ReadFile(out) == old) << "the file being replaced changed";
        fs::remove(out);
      }
    }
  }
  // The folder itself is fine: a result that fits is written there.
  const ToolResult r =
      RunTool({{"seal", "--password-file", P("pw.txt"), "-o", out.string(), P("tiny")}});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(out), SealInMemory("fits", "secret"));
}

TEST_F(CliTest, FullStandardOutputIsAnError) {
  const std::string payload = RandomText(1000, 6);
  WriteFile(Path("in"), payload);
  WriteFile(Path("sealed"), SealInMemory(payload, "secret"));
  for (const char* input : {"in", "sealed"}) {
    Invocation invocation({input == std::string_view("in") ? "seal" : "unseal", "--password-file",
                           P("pw.txt"), P(input)});
    invocation.stdoutFile = "/dev/full";
    const ToolResult r = ExpectFailure(invocation, 3, "标准输出");
    EXPECT_NE(r.err.find(std::strerror(ENOSPC)), std::string::npos) << r.err;
  }
}

// The input shrinks or grows after the tool took its size: part of the output has been written
// by the time the change shows, and none of it may be left behind.
TEST_F(CliTest, InputThatChangesWhileReadIsAnErrorAndLeavesNoOutput) {
  constexpr std::size_t kSize = 12 << 20;  // more than one 8 MiB chunk
  const std::string payload = RandomText(kSize, 7);
  WriteFile(Path("in.orig"), payload);
  WriteFile(Path("sealed.orig"), SealInMemory(payload, "secret"));
  const struct {
    const char* mode;
    const char* input;
    off_t newSize;
  } cases[] = {
      {"seal", "in", 9 << 20},          {"seal", "in", 0},
      {"seal", "in", kSize + 1},        {"unseal", "sealed", 9 << 20},
      {"unseal", "sealed", kSize + 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.mode) + " to size " + std::to_string(c.newSize));
    const fs::path input = Path(c.input);
    fs::copy_file(Path(std::string(c.input) + ".orig"), input,
                  fs::copy_options::overwrite_existing);
    fs::remove(Path("pw.fifo"));
    PasswordFifo fifo(Path("pw.fifo"), [&] { ::truncate(input.c_str(), c.newSize); });
    const ToolResult r =
        ExpectFailure({{c.mode, "--password-file", P("pw.fifo"), "-o", P("out"), input.string()}},
                      3, Quoted(input));
    EXPECT_TRUE(fifo.Finish()) << "the tool never read its password";
    EXPECT_NE(r.err.find("读取期间"), std::string::npos) << r.err;
  }
}

// Kernel pseudo-files announce sizes they do not hold (/proc says 0, /sys a page); their real
// content is what gets sealed.
TEST_F(CliTest, PseudoFilesAreSealedWithTheirRealContent) {
  for (const fs::path file :
       {"/proc/version", "/proc/sys/kernel/ostype", "/sys/devices/system/cpu/online"}) {
    if (file.string().starts_with("/sys") && !fs::exists(file)) {
      continue;  // not every container mounts /sys
    }
    SCOPED_TRACE(file.string());
    const std::string content = ReadFile(file);
    ASSERT_FALSE(content.empty());
    fs::remove(Path("sealed"));
    const ToolResult r =
        RunTool({{"seal", "--password-file", P("pw.txt"), "-o", P("sealed"), file.string()}});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(Path("sealed")), SealInMemory(content, "secret"));
  }
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
