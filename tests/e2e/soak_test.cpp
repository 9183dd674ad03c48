// A long run of Encrypt and Decrypt on a large document in the real editor: every round gives
// the text back, the sealed form never drifts, and the editor's memory does not creep up.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "sealing/seal.h"
#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

using vantrel::kCmdDecrypt;
using vantrel::kCmdEncrypt;

constexpr int kRounds = 50;
constexpr int kSettledRound = 5;  // by then every buffer the editor reuses has its full size
constexpr std::size_t kDocumentBytes = 4u << 20;

// VANTREL_SOAK_BYTES and VANTREL_SOAK_ROUNDS shrink the run, to measure how its time scales.
std::size_t FromEnvironment(const char* name, std::size_t fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::strtoull(value, nullptr, 10) : fallback;
}
// Under Wine the word-wrapping edit box takes about 50 s to show each MiB of sealed text (its
// lines run for tens of kilobytes between line breaks), so one step may take minutes.
constexpr std::chrono::seconds kBigStep{600};
constexpr double kMiB = 1024.0 * 1024.0;

const std::wstring kEncryptTitle = Wide("输入加密密码");
const std::wstring kEncryptLabel = Wide("请输入加密密码：");
const std::wstring kDecryptTitle = Wide("输入解密密码");
const std::wstring kDecryptLabel = Wide("请输入解密密码：");

struct Memory {
  double workingSet = 0;    // MiB
  double privateBytes = 0;  // printed only: Wine gives 0 for another process
};

std::optional<Memory> MemoryOf(DWORD processId) {
  Handle process(
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!process ||
      !GetProcessMemoryInfo(process.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                            sizeof counters)) {
    return std::nullopt;
  }
  return Memory{static_cast<double>(counters.WorkingSetSize) / kMiB,
                static_cast<double>(counters.PrivateUsage) / kMiB};
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class Soak : public EditorTest {
 protected:
  // Runs one command under the password and waits until the editor has shown its result.
  testing::AssertionResult Run(unsigned short command, std::wstring_view password) {
    editor().Command(command);
    const bool seal = command == kCmdEncrypt;
    testing::AssertionResult given = GivePassword(seal ? kEncryptTitle : kDecryptTitle,
                                                  seal ? kEncryptLabel : kDecryptLabel, password);
    if (!given)
      return given;
    if (!editor().WaitIdle(kBigStep))
      return testing::AssertionFailure() << "the editor stayed busy";
    return testing::AssertionSuccess();
  }

  void SaveAndCompare(const std::wstring& path, const Bytes& expected, bool replace) {
    ASSERT_TRUE(SaveAs(path, replace));
    ASSERT_TRUE(editor().WaitIdle(kBigStep));
    EXPECT_TRUE(SameBytes(ReadFileBytes(path), expected)) << Utf8(path);
  }
};

TEST_F(Soak, FiftyRoundsOfEncryptAndDecryptOnFourMiB) {
  const std::size_t documentBytes = FromEnvironment("VANTREL_SOAK_BYTES", kDocumentBytes);
  const int rounds = static_cast<int>(FromEnvironment("VANTREL_SOAK_ROUNDS", kRounds));
  const std::wstring text = MixedLines(documentBytes);
  const Bytes bytes = Gbk(text);
  const std::wstring password = Wide("长期测试密码 soak-42");
  const Bytes gbkPassword = Gbk(password);
  const Bytes sealed = sealing::seal(
      bytes,
      std::string_view(reinterpret_cast<const char*>(gbkPassword.data()), gbkPassword.size()), 1);
  const std::wstring source = dir_.File(L"document.txt");
  const std::wstring sealedPath = dir_.File(L"sealed.txt");
  ASSERT_TRUE(WriteFileBytes(source, bytes));

  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(OpenFile(source));
  ASSERT_TRUE(editor().WaitIdle(kBigStep));
  ASSERT_TRUE(SameText(editor().Text(), text));
  std::printf("[ soak ] document: %zu bytes, %zu characters, opened in %.1f s\n", bytes.size(),
              text.size(), SecondsSince(start));

  std::wstring sealedText;
  std::optional<Memory> settled;
  double encryptSeconds = 0;
  double decryptSeconds = 0;
  const auto soakStart = std::chrono::steady_clock::now();
  for (int round = 1; round <= rounds; ++round) {
    start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Run(kCmdEncrypt, password)) << "round " << round;
    encryptSeconds += SecondsSince(start);
    std::optional<std::wstring> shown = editor().Text();
    ASSERT_TRUE(shown);
    if (round == 1) {
      ASSERT_NE(*shown, text);
      sealedText = *shown;
    } else {
      ASSERT_TRUE(SameText(shown, sealedText)) << "sealed text of round " << round;
    }
    if (round == 1 || round == rounds / 2 || round == rounds) {
      SaveAndCompare(sealedPath, sealed, round != 1);
    }

    start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Run(kCmdDecrypt, password)) << "round " << round;
    decryptSeconds += SecondsSince(start);
    ASSERT_TRUE(SameText(editor().Text(), text)) << "text after round " << round;

    if (round == std::min(kSettledRound, rounds))
      settled = MemoryOf(editor().processId());
  }
  const std::optional<Memory> last = MemoryOf(editor().processId());
  const double total = SecondsSince(soakStart);
  ASSERT_TRUE(settled && last) << "no memory figures for the editor";
  std::printf("[ soak ] %d rounds in %.0f s: Encrypt %.2f s and Decrypt %.2f s a round\n", rounds,
              total, encryptSeconds / rounds, decryptSeconds / rounds);
  std::printf(
      "[ soak ] working set %.1f MiB after round %d, %.1f MiB after round %d; "
      "private %.1f MiB, %.1f MiB\n",
      settled->workingSet, kSettledRound, last->workingSet, rounds, settled->privateBytes,
      last->privateBytes);
  // Noise: a tenth of the figure, and at least the size of one copy of the document.
  const double allowed =
      std::max(settled->workingSet / 10, static_cast<double>(documentBytes) / kMiB);
  EXPECT_LE(last->workingSet - settled->workingSet, allowed);

  SaveAndCompare(dir_.File(L"plain.txt"), bytes, false);
}

}  // namespace
}  // namespace e2e
