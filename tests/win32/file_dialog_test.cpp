#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "editor/platform/file_dialog.h"
#include "editor/platform/wide_text.h"
#include "editor/platform/win32_platform.h"
#include "tests/win32/test_window.h"

namespace vantrel {
namespace {

TEST(FilterListTest, FilterTextBecomesTheDoubleNulList) {
  using namespace std::string_literals;
  const struct {
    std::wstring text;
    std::wstring list;
  } cases[] = {
      {L"\u6587\u672C\u6587\u4EF6(.txt)|*.txt", L"\u6587\u672C\u6587\u4EF6(.txt)\0*.txt\0\0"s},
      {L"\u6587\u672C\u6587\u4EF6(.txt)|*.txt|\u6240\u6709\u6587\u4EF6(*.*)|*.*",
       L"\u6587\u672C\u6587\u4EF6(.txt)\0*.txt\0\u6240\u6709\u6587\u4EF6(*.*)\0*.*\0\0"s},
      {L"", L""},
      {L"  \t", L""},
      {L"a|b \t\r\n", L"a\0b\0\0"s},   // white space at the end goes
      {L"a b|*.b", L"a b\0*.b\0\0"s},  // white space inside stays
      {L"a|b||", L"a\0b\0\0"s},        // already ended
      {L"a|b|", L"a\0b\0\0\0"s},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BuildFilterList(c.text), c.list);
  }
}

TEST(FilterListTest, InitialPairCountsFromOne) {
  EXPECT_EQ(FilterIndex(L"", 0), 0u);
  EXPECT_EQ(FilterIndex(L"a|b", 0), 1u);
  EXPECT_EQ(FilterIndex(L"a|b|c|d", 1), 2u);
  EXPECT_EQ(FilterIndex(L"a|b", -3), 1u);
}

// The file-name field of an Explorer-style dialog: the edit inside control 0x47C.
HWND FileNameField(HWND dialog) {
  const HWND field = GetDlgItem(dialog, 0x47C);
  const HWND inner = FindWindowExW(field, nullptr, L"Edit", nullptr);
  return inner != nullptr ? inner : field;
}

std::wstring FieldText(HWND dialog) {
  wchar_t text[MAX_PATH * 2] = {};
  GetWindowTextW(FileNameField(dialog), text, MAX_PATH * 2);
  return text;
}

// Drives the real file dialogs of one platform: each run records the preloaded file name, then
// types `typed` and confirms, or cancels when `typed` is empty.
class FileDialogRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ =
        std::wstring(temp) + L"\u5BF9\u8BDD-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
  }
  void TearDown() override {
    DeleteFileW((folder_ + L"old.txt").c_str());
    RemoveDirectoryW(folder_.c_str());
  }

  std::optional<std::string> Run(FileDialogKind kind,
                                 const std::wstring& typed,
                                 std::wstring& preloaded) {
    HWND handled = nullptr;
    int ticks = 0;
    window_.onTimer = [&] {
      const HWND dialog = test::FindOwnedDialog(window_.window());
      if (dialog == nullptr) {
        return;
      }
      if (dialog != handled) {
        handled = dialog;
        preloaded = FieldText(dialog);
        SetWindowTextW(FileNameField(dialog), typed.c_str());
        const int button = typed.empty() ? IDCANCEL : IDOK;
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
      } else if (++ticks > 250) {
        ADD_FAILURE() << "the dialog did not close";
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      }
    };
    std::optional<std::string> path;
    window_.WithTimer(20, [&] { path = platform_.ShowFileDialog(kind); });
    EXPECT_NE(handled, nullptr) << "the dialog never showed";
    return path;
  }

  std::wstring folder_;
  test::TestWindow window_;
  Win32Platform platform_{window_.window(), window_.edit()};
};

TEST_F(FileDialogRunTest, EachDialogRemembersItsOwnConfirmedPath) {
  const std::wstring old = folder_ + L"old.txt";
  ASSERT_TRUE(CloseHandle(CreateFileW(old.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr)));
  std::wstring preloaded;

  // A name typed without an extension gets ".txt" in the save dialog.
  const auto saved = Run(FileDialogKind::kSave, folder_ + L"\u65B0", preloaded);
  EXPECT_EQ(preloaded, L"");
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(Utf8ToWide(*saved), folder_ + L"\u65B0.txt");

  // The open dialog does not offer what Save chose.
  const auto opened = Run(FileDialogKind::kOpen, old, preloaded);
  EXPECT_EQ(preloaded, L"");
  ASSERT_TRUE(opened.has_value());
  EXPECT_EQ(Utf8ToWide(*opened), old);

  // Each offers its own last path again; a cancelled run keeps it.
  for (int round = 0; round < 2; ++round) {
    EXPECT_FALSE(Run(FileDialogKind::kSave, L"", preloaded).has_value());
    EXPECT_NE(preloaded.find(L"\u65B0.txt"), std::wstring::npos) << preloaded;
    EXPECT_FALSE(Run(FileDialogKind::kOpen, L"", preloaded).has_value());
    EXPECT_NE(preloaded.find(L"old.txt"), std::wstring::npos) << preloaded;
  }
}

}  // namespace
}  // namespace vantrel
