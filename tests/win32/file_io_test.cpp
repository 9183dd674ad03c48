#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "editor/platform/file_io.h"
#include "editor/platform/handles.h"
#include "editor/platform/wide_text.h"
#include "editor/platform/win32_platform.h"

namespace vantrel {
namespace {

// A fresh folder with a Chinese name under the temporary folder, removed with its files.
class FileIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::wstring(temp) + L"\u6D4B\u8BD5-" + std::to_wstring(GetCurrentProcessId()) +
              L"-" + Utf8ToWide(info->name()) + L"\\";
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
  }

  void TearDown() override {
    for (const std::wstring& name : Files()) {
      const std::wstring path = folder_ + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(path.c_str());
    }
    RemoveDirectoryW(folder_.c_str());
  }

  std::vector<std::wstring> Files() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder_ + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
      return names;
    }
    do {
      const std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") {
        names.push_back(name);
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
  }

  Bytes Read(const std::wstring& path) {
    Bytes bytes;
    EXPECT_TRUE(ReadFileBytes(path, bytes).ok);
    return bytes;
  }

  static Bytes RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    Bytes bytes(size);
    for (auto& b : bytes) {
      b = static_cast<std::uint8_t>(byte(random));
    }
    return bytes;
  }

  std::wstring folder_;
  const std::wstring target_ = L"\u6587\u672C\u6587\u4EF6.txt";  // 文本文件.txt
  Bytes old_{'o', 'l', 'd', 0x00, 0xFF};
};

TEST_F(FileIoTest, WriteThenReadRoundTripsArbitraryBytes) {
  Win32Platform platform(nullptr, nullptr);
  const std::string path = WideToUtf8(folder_ + target_);
  for (const std::size_t size : {0u, 1u, 255u, 65539u, (1u << 20) + 7u, 5u, 0u}) {
    const Bytes bytes = RandomBytes(size, static_cast<unsigned>(size));
    const IoStatus written = platform.WriteWholeFile(path, bytes);
    ASSERT_TRUE(written.ok) << written.reason;
    Bytes back{1, 2, 3};
    const IoStatus read = platform.ReadWholeFile(path, back);
    ASSERT_TRUE(read.ok) << read.reason;
    EXPECT_EQ(back, bytes) << "size " << size;
  }
  EXPECT_EQ(Files(), std::vector<std::wstring>{target_});  // no temporary file left
}

TEST_F(FileIoTest, ReplacingKeepsTheOldAttributes) {
  const std::wstring path = folder_ + target_;
  ASSERT_TRUE(WriteFileBytesAtomically(path, old_).ok);
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
  const IoStatus status = WriteFileBytesAtomically(path, Bytes{'n', 'e', 'w'});
  ASSERT_TRUE(status.ok) << status.reason;
  EXPECT_EQ(Read(path), (Bytes{'n', 'e', 'w'}));
  EXPECT_TRUE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(FileIoTest, ReadOnlyTargetIsRefusedAndKept) {
  const std::wstring path = folder_ + target_;
  ASSERT_TRUE(WriteFileBytesAtomically(path, old_).ok);
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  const IoStatus status = WriteFileBytesAtomically(path, RandomBytes(100, 1));
  EXPECT_FALSE(status.ok);
  EXPECT_FALSE(status.reason.empty());
  EXPECT_EQ(Read(path), old_);
  EXPECT_EQ(Files(), std::vector<std::wstring>{target_});
}

TEST_F(FileIoTest, TargetHeldOpenByAnotherProgramIsKept) {
  const std::wstring path = folder_ + target_;
  ASSERT_TRUE(WriteFileBytesAtomically(path, old_).ok);
  {
    UniqueHandle holder(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder.valid());
    const IoStatus status = WriteFileBytesAtomically(path, RandomBytes(100, 2));
    EXPECT_FALSE(status.ok);
    EXPECT_FALSE(status.reason.empty());
  }
  EXPECT_EQ(Read(path), old_);
  EXPECT_EQ(Files(), std::vector<std::wstring>{target_});
}

TEST_F(FileIoTest, WriteIntoMissingFolderFailsWithTheSystemReason) {
  const std::wstring path = folder_ + L"\u65E0\\" + target_;  // 无\文本文件.txt
  const IoStatus status = WriteFileBytesAtomically(path, old_);
  EXPECT_FALSE(status.ok);
  EXPECT_EQ(status.reason, SystemErrorText(ERROR_PATH_NOT_FOUND));
  EXPECT_TRUE(Files().empty());
}

TEST_F(FileIoTest, FailedReadsGiveTheSystemReason) {
  const std::wstring path = folder_ + target_;
  ASSERT_TRUE(WriteFileBytesAtomically(path, old_).ok);
  const struct {
    const char* name;
    DWORD access;
    DWORD share;
  } holders[] = {
      {"opened without sharing", GENERIC_READ, 0},
      {"opened for writing", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE},
  };
  for (const auto& holder : holders) {
    UniqueHandle handle(CreateFileW(path.c_str(), holder.access, holder.share, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(handle.valid()) << holder.name;
    Bytes out{1};
    const IoStatus status = ReadFileBytes(path, out);
    EXPECT_FALSE(status.ok) << holder.name;
    EXPECT_EQ(status.reason, SystemErrorText(ERROR_SHARING_VIOLATION)) << holder.name;
    EXPECT_TRUE(out.empty()) << holder.name;
  }
  Bytes out{1};
  const IoStatus missing = ReadFileBytes(folder_ + L"missing.txt", out);
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.reason, SystemErrorText(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(out.empty());
  EXPECT_NE(missing.reason, SystemErrorText(ERROR_SHARING_VIOLATION));
}

TEST_F(FileIoTest, EmptyFileReadsAsEmpty) {
  const std::wstring path = folder_ + target_;
  ASSERT_TRUE(WriteFileBytesAtomically(path, Bytes{}).ok);
  Bytes out{1, 2};
  EXPECT_TRUE(ReadFileBytes(path, out).ok);
  EXPECT_TRUE(out.empty());
}

TEST_F(FileIoTest, FilesOfTwoGibibytesAreRefused) {
  const std::wstring path = folder_ + L"big.txt";
  {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.valid());
    LARGE_INTEGER size{};
    size.QuadPart = 0x80000000LL;  // sparse: costs no disk space
    ASSERT_TRUE(SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file.get()));
  }
  Bytes out;
  const IoStatus status = ReadFileBytes(path, out);
  EXPECT_FALSE(status.ok);
  EXPECT_NE(status.reason.find("2 GB"), std::string::npos) << status.reason;
  EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace vantrel
