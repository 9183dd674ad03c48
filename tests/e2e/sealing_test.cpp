// Encrypt and Decrypt through the real menu and password prompt, with the sealed bytes on disk
// checked against the sealing library.
#include <algorithm>
#include <span>
#include <string_view>

#include "sealing/seal.h"
#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

using vantrel::kCmdDecrypt;
using vantrel::kCmdEncrypt;
using vantrel::kCmdNew;

const std::wstring kEncryptTitle = Wide("输入加密密码");
const std::wstring kEncryptLabel = Wide("请输入加密密码：");
const std::wstring kDecryptTitle = Wide("输入解密密码");
const std::wstring kDecryptLabel = Wide("请输入解密密码：");
const std::wstring kMessageTitle = Wide("信息：");
const std::wstring kDecryptFailed = Wide("解密失败");

Bytes Seal(const Bytes& data, const Bytes& password) {
  return sealing::seal(
      data, std::string_view(reinterpret_cast<const char*>(password.data()), password.size()), 1);
}

std::wstring FromGbk(const Bytes& bytes) {
  if (bytes.empty())
    return {};
  auto data = reinterpret_cast<const char*>(bytes.data());
  int size = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, data, static_cast<int>(bytes.size()),
                                 nullptr, 0);
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, data, static_cast<int>(bytes.size()), text.data(),
                      size);
  return text;
}

class Sealing : public EditorTest {
 protected:
  testing::AssertionResult Encrypt(std::wstring_view password) {
    editor().Command(kCmdEncrypt);
    return GivePassword(kEncryptTitle, kEncryptLabel, password);
  }
  testing::AssertionResult Decrypt(std::wstring_view password) {
    editor().Command(kCmdDecrypt);
    return GivePassword(kDecryptTitle, kDecryptLabel, password);
  }
  // Waits until the edit box no longer shows `old`, and returns what it shows then.
  std::wstring TextOtherThan(const std::wstring& old) {
    std::wstring now;
    WaitUntil([&] {
      now = editor().Text().value_or(old);
      return now != old;
    });
    return now;
  }
};

// The file holds seal(GBK text, GBK password); Decrypt with the same password gives the text.
TEST_F(Sealing, EncryptedTextIsSavedAsItsSealedBytesAndDecryptsBack) {
  const std::wstring text = Wide("机密：会议改到周三\r\n8:30 A栋 301室");
  const std::wstring password = Wide("密码ab1");
  const std::wstring path = dir_.File(L"sealed.txt");
  ASSERT_TRUE(Type(Wide("机密：会议改到周三\n8:30 A栋 301室"), text));

  ASSERT_TRUE(Encrypt(password));
  std::wstring shown = TextOtherThan(text);
  ASSERT_NE(shown, text);
  ASSERT_TRUE(SaveAs(path));
  std::optional<Bytes> written = ReadFileBytes(path);
  ASSERT_TRUE(written);
  EXPECT_EQ(*written, Seal(Gbk(text), Gbk(password))) << Utf8(Printable(*written));

  ASSERT_TRUE(Decrypt(password));
  EXPECT_TRUE(editor().WaitText(text)) << Utf8(editor().Text().value_or(L"?"));
}

// Sealed data is arbitrary bytes; a zero byte in the middle must neither cut the text in the
// edit box nor the file, so the whole round trip through the disk gives the text back.
TEST_F(Sealing, SealedBytesWithAZeroByteSurviveSaveOpenAndDecrypt) {
  const std::wstring text = Wide("零字节测试：zero byte inside the sealed data");
  std::wstring password;
  Bytes sealed;
  for (int i = 0; i < 10000 && password.empty(); ++i) {
    std::wstring candidate = Wide("钥") + std::to_wstring(i);
    Bytes attempt = Seal(Gbk(text), Gbk(candidate));
    std::span<const std::uint8_t> inner(attempt.data() + 1, attempt.size() - 2);
    if (std::find(inner.begin(), inner.end(), 0) != inner.end()) {
      password = candidate;
      sealed = attempt;
    }
  }
  ASSERT_FALSE(password.empty()) << "no password gives a zero byte";
  const std::wstring path = dir_.File(L"zero.txt");
  ASSERT_TRUE(Type(text, text));

  ASSERT_TRUE(Encrypt(password));
  TextOtherThan(text);
  ASSERT_TRUE(SaveAs(path));
  EXPECT_EQ(ReadFileBytes(path), sealed);

  editor().Command(kCmdNew);  // just saved: no question
  ASSERT_TRUE(editor().WaitText(L""));
  ASSERT_TRUE(OpenFile(path));
  ASSERT_TRUE(WaitUntil([&] { return !editor().Text().value_or(L"").empty(); }));
  ASSERT_TRUE(Decrypt(password));
  EXPECT_TRUE(editor().WaitText(text)) << Utf8(editor().Text().value_or(L"?"));
}

// A wrong password and a text that was never sealed are told, and the text stays.
TEST_F(Sealing, FailedDecryptShowsTheMessageAndKeepsTheText) {
  const std::wstring plain = L"never sealed";
  ASSERT_TRUE(Type(plain, plain));
  ASSERT_TRUE(Decrypt(L"whatever"));
  ASSERT_TRUE(DismissMessage(kMessageTitle, kDecryptFailed));
  EXPECT_EQ(editor().Text(), plain);

  ASSERT_TRUE(Encrypt(L"right"));
  const std::wstring sealed = TextOtherThan(plain);
  ASSERT_TRUE(Decrypt(L"wrong"));
  ASSERT_TRUE(DismissMessage(kMessageTitle, kDecryptFailed));
  EXPECT_EQ(editor().Text(), sealed);
  ASSERT_TRUE(Decrypt(L"right"));
  EXPECT_TRUE(editor().WaitText(plain));
}

// Cancel (button or Esc) in either prompt changes neither the text nor the flag: the saved
// document still closes without a question.
TEST_F(Sealing, CancelInEitherPromptChangesNothing) {
  const std::wstring text = Wide("保持不变");
  ASSERT_TRUE(Type(text, text));
  ASSERT_TRUE(SaveAs(dir_.File(L"kept.txt")));

  editor().Command(kCmdEncrypt);
  HWND prompt = editor().WaitPasswordPrompt();
  ASSERT_TRUE(prompt);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == prompt; }));
  TypeText(L"typed then dropped");
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitClosed(prompt));
  editor().Sync();
  EXPECT_TRUE(editor().Running());
  EXPECT_EQ(editor().Text(), text);

  editor().Command(kCmdDecrypt);
  prompt = editor().WaitPasswordPrompt();
  ASSERT_TRUE(prompt);
  EXPECT_EQ(WindowText(prompt), kDecryptTitle);
  PressButton(prompt, IDCANCEL);
  ASSERT_TRUE(WaitClosed(prompt));
  editor().Sync();
  EXPECT_EQ(editor().Text(), text);

  ASSERT_TRUE(editor().Activate());
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(ExitsCleanly());
}

// A sealed file made outside this program, under a Chinese password, opens and decrypts to
// its text, and saving that writes the original bytes.
TEST_F(Sealing, CommittedSealedFileOpensAndDecrypts) {
  const std::wstring data = GetSettings().dataDir;
  ASSERT_FALSE(data.empty()) << "no --data folder given";
  std::optional<Bytes> payload = ReadFileBytes(data + L"\\chinese_crlf.payload");
  std::optional<Bytes> password = ReadFileBytes(data + L"\\chinese_crlf.password");
  ASSERT_TRUE(payload && password);
  const std::wstring text = FromGbk(*payload);
  const std::wstring path = dir_.File(L"plain.txt");

  ASSERT_TRUE(OpenFile(data + L"\\chinese_crlf.sealed"));
  ASSERT_TRUE(WaitUntil([&] { return !editor().Text().value_or(L"").empty(); }));
  ASSERT_TRUE(Decrypt(FromGbk(*password)));
  EXPECT_TRUE(editor().WaitText(text)) << Utf8(editor().Text().value_or(L"?"));
  ASSERT_TRUE(SaveAs(path));
  EXPECT_EQ(ReadFileBytes(path), payload);
}

}  // namespace
}  // namespace e2e
