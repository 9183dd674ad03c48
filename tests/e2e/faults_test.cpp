// Real faults under the real editor: a disk that fills up during the write, a file another
// program holds open, a folder that vanishes between the dialog and the write, a file too large
// to open. Each time the message names the file, the old file keeps every byte, no temporary
// file is left, and the editor goes on working with its text intact.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

using vantrel::kCmdSave;

constexpr std::chrono::seconds kBigStep{60};
const std::wstring kMessageTitle = Wide("信息：");
const std::wstring kOpenFailed = Wide("无法打开文件：");
const std::wstring kSaveFailed = Wide("无法保存文件：");
const std::wstring kLossyWarning = Wide("当前内容中有 ");

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class Faults : public EditorTest {
 protected:
  // Waits for the failure message that starts with `heading` and names `name`, prints it and
  // dismisses it.
  testing::AssertionResult FailureShown(const std::wstring& heading, const std::wstring& name) {
    if (!editor().WaitIdle(kBigStep))
      return testing::AssertionFailure() << "the editor stayed busy";
    auto box = editor().WaitMessageBox();
    if (!box)
      return testing::AssertionFailure() << "no message";
    std::string shown = Utf8(box->text);
    std::replace(shown.begin(), shown.end(), '\n', ' ');
    std::printf("[ fault ] message: %s\n", shown.c_str());
    PressButton(box->window, IDOK);
    if (!WaitClosed(box->window))
      return testing::AssertionFailure() << "the message stayed open";
    editor().Sync();
    if (box->title != kMessageTitle || !box->text.starts_with(heading) ||
        box->text.find(name) == std::wstring::npos) {
      return testing::AssertionFailure()
             << "expected \"" << Utf8(heading) << "\" naming " << Utf8(name) << ", saw \""
             << Utf8(box->title) << "\": \"" << Utf8(box->text) << "\"";
    }
    return testing::AssertionSuccess();
  }

  // The editor still shows `text` and a Save to a fresh file writes `bytes`.
  void ExpectStillWorking(const std::wstring& text, const Bytes& bytes, bool lossy = false) {
    EXPECT_TRUE(SameText(editor().Text(), text));
    const std::wstring path = dir_.File(L"afterwards.txt");
    editor().Command(kCmdSave);
    ASSERT_TRUE(ConfirmSaveDialog(path));
    if (lossy) {
      ASSERT_TRUE(DismissMessage(kMessageTitle, kLossyWarning));
    }
    ASSERT_TRUE(editor().WaitIdle(kBigStep));
    EXPECT_TRUE(SameBytes(ReadFileBytes(path), bytes));
    EXPECT_TRUE(SameText(editor().Text(), text));
  }
};

// The small file system is mounted by with_small_disk.sh, which passes its folder.
using SmallDisk = Faults;

TEST_F(SmallDisk, SaveOverAFileOnADiskThatFillsUpKeepsTheOldFile) {
  const std::wstring disk = GetSettings().smallDiskDir;
  if (disk.empty())
    GTEST_SKIP() << "no small disk given (--small-disk=DIR); run it through with_small_disk.sh";
  const std::wstring target = disk + L"\\old.txt";
  const Bytes old = Gbk(Wide("旧文件，磁盘写满时必须原样保留。\r\nold file\r\n"));
  ASSERT_TRUE(WriteFileBytes(target, old));
  ULARGE_INTEGER freeBefore{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(disk.c_str(), &freeBefore, nullptr, nullptr));

  // Larger than the free space by half a megabyte, so the write stops part way.
  const std::wstring text = MixedLines(freeBefore.QuadPart + (512u << 10));
  const Bytes bytes = Gbk(text);
  const std::wstring source = dir_.File(L"large.txt");
  ASSERT_TRUE(WriteFileBytes(source, bytes));
  ASSERT_TRUE(OpenFile(source));
  ASSERT_TRUE(editor().WaitIdle(kBigStep));
  ASSERT_TRUE(SameText(editor().Text(), text));

  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(SaveAs(target, true));
  ASSERT_TRUE(FailureShown(kSaveFailed, L"old.txt"));
  ULARGE_INTEGER freeAfter{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(disk.c_str(), &freeAfter, nullptr, nullptr));
  std::printf(
      "[ fault ] disk full: %llu bytes free, document %zu bytes, refused after %.1f s, "
      "%llu bytes free afterwards\n",
      freeBefore.QuadPart, bytes.size(), SecondsSince(start), freeAfter.QuadPart);

  EXPECT_TRUE(SameBytes(ReadFileBytes(target), old));
  EXPECT_EQ(FilesIn(disk), std::vector<std::wstring>{L"old.txt"});
  EXPECT_EQ(freeAfter.QuadPart, freeBefore.QuadPart) << "the partial write still takes space";
  ExpectStillWorking(text, bytes);
}

// Another program has the file open with share mode 0: nothing may replace it meanwhile.
TEST_F(Faults, SaveOverAFileHeldOpenWithoutSharingKeepsIt) {
  const std::wstring path = dir_.File(L"held.txt");
  const Bytes old = Gbk(Wide("别的程序正打开着这个文件。"));
  ASSERT_TRUE(WriteFileBytes(path, old));
  const std::wstring text = Wide("新内容 new content");
  ASSERT_TRUE(Type(text, text));

  Handle lock(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(lock);
  ASSERT_TRUE(SaveAs(path, true));
  ASSERT_TRUE(FailureShown(kSaveFailed, L"held.txt"));
  EXPECT_EQ(FilesIn(dir_.path()), std::vector<std::wstring>{L"held.txt"});
  lock = Handle();
  EXPECT_TRUE(SameBytes(ReadFileBytes(path), old));
  ExpectStillWorking(text, Gbk(text));
}

// The folder goes away after the save dialog accepted a path in it and before the write. The
// warning about characters GBK cannot hold comes between the two, which makes the moment
// exact: the folder goes while the warning is up, and the write follows its OK.
struct VanishingFolder {
  const char* name;
  bool hadFile;  // the folder held the file being replaced; it is moved away, not removed
};

class FolderGone : public Faults, public testing::WithParamInterface<VanishingFolder> {};

TEST_P(FolderGone, BeforeTheWriteIsToldAndLosesNothing) {
  const bool hadFile = GetParam().hadFile;
  const std::wstring folder = dir_.File(L"folder");
  const std::wstring moved = dir_.File(L"moved");
  const std::wstring path = folder + L"\\note.txt";
  const Bytes old = Gbk(Wide("文件夹里原来的文件"));
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  if (hadFile) {
    ASSERT_TRUE(WriteFileBytes(path, old));
  }
  const std::wstring text = L"a\u0E01b " + Wide("中文");  // a Thai letter GBK cannot hold
  ASSERT_TRUE(Type(text, text));

  ASSERT_TRUE(SaveAs(path, hadFile));
  auto warning = editor().WaitMessageBox();
  ASSERT_TRUE(warning);
  ASSERT_TRUE(warning->text.starts_with(kLossyWarning)) << Utf8(warning->text);
  if (hadFile) {
    ASSERT_TRUE(MoveFileW(folder.c_str(), moved.c_str())) << "error " << GetLastError();
  } else {
    ASSERT_TRUE(RemoveDirectoryW(folder.c_str())) << "error " << GetLastError();
  }
  PressButton(warning->window, IDOK);
  ASSERT_TRUE(WaitClosed(warning->window));
  ASSERT_TRUE(FailureShown(kSaveFailed, L"note.txt"));

  EXPECT_FALSE(FileExists(folder));
  if (hadFile) {
    EXPECT_EQ(FilesIn(moved), std::vector<std::wstring>{L"note.txt"});
    EXPECT_TRUE(SameBytes(ReadFileBytes(moved + L"\\note.txt"), old));
    EXPECT_EQ(FilesIn(dir_.path()), std::vector<std::wstring>{L"moved"});
  } else {
    EXPECT_EQ(FilesIn(dir_.path()), std::vector<std::wstring>{});
  }
  ExpectStillWorking(text, Gbk(L"a?b " + Wide("中文")), true);
}

const VanishingFolder kVanishingFolders[] = {
    {"Removed", false},
    {"MovedAwayWithTheOldFile", true},
};

INSTANTIATE_TEST_SUITE_P(SaveInto,
                         FolderGone,
                         testing::ValuesIn(kVanishingFolders),
                         RowName<VanishingFolder>);

// Files of 2 GiB and more are refused before anything is read. 4 GiB + 1 would look like a
// one-byte file to a 32-bit length.
struct HugeFile {
  const char* name;
  LONGLONG size;
};

class OpenHuge : public Faults, public testing::WithParamInterface<HugeFile> {};

TEST_P(OpenHuge, IsRefusedAndTheTextKept) {
  const LONGLONG size = GetParam().size;
  const std::wstring path = dir_.File(L"huge.txt");
  {
    Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    LARGE_INTEGER end{};
    end.QuadPart = size;
    ASSERT_TRUE(SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file.get()));  // sparse: no blocks are written
  }
  const std::wstring text = Wide("保留的文字 kept text");
  ASSERT_TRUE(Type(text, text));

  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(OpenFile(path));
  ASSERT_TRUE(FailureShown(kOpenFailed, L"huge.txt"));
  std::printf("[ fault ] open of %lld bytes refused after %.2f s\n", size, SecondsSince(start));

  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ((static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow, size);
  EXPECT_EQ(FilesIn(dir_.path()), std::vector<std::wstring>{L"huge.txt"});
  ExpectStillWorking(text, Gbk(text));
}

const HugeFile kHugeFiles[] = {
    {"Exactly2GiB", 1LL << 31},
    {"FourGiBAndOneByte", (1LL << 32) + 1},
};

INSTANTIATE_TEST_SUITE_P(Open, OpenHuge, testing::ValuesIn(kHugeFiles), RowName<HugeFile>);

}  // namespace
}  // namespace e2e
