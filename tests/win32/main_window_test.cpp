#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "editor/command_ids.h"
#include "editor/keyboard.h"
#include "editor/main_window.h"
#include "editor/menu_builder.h"
#include "editor/menu_tree.h"
#include "editor/platform/wide_text.h"
#include "editor/resources/resource_ids.h"
#include "editor/startup.h"

namespace vantrel {
namespace {

std::wstring W(std::string_view utf8) {
  return Utf8ToWide(utf8);
}

SIZE OuterSize(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

// A child's top-left corner in its parent's client area.
POINT PositionInParent(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  POINT corner{rect.left, rect.top};
  ScreenToClient(GetParent(child), &corner);
  return corner;
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// One row of a menu as the system holds it.
struct BuiltItem {
  std::wstring text;  // empty for a separator
  bool separator = false;
  unsigned id = 0;
  HMENU popup = nullptr;
  UINT state = 0;
};

BuiltItem ReadItem(HMENU menu, int position) {
  wchar_t text[64] = {};
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
  info.dwTypeData = text;
  info.cch = static_cast<UINT>(std::size(text));
  EXPECT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info));
  return {text, (info.fType & MFT_SEPARATOR) != 0, info.wID, info.hSubMenu, info.fState};
}

// The menu bar as the user sees it, written out independently of the menu definition.
struct ExpectedMenu {
  const char* title;
  std::vector<std::pair<const char*, unsigned>> items;  // "-" for a separator
};

const std::vector<ExpectedMenu> kExpectedBar = {
    {"文件",
     {{"新建", kCmdNew}, {"打开", kCmdOpen}, {"保存", kCmdSave}, {"-", 0}, {"退出", kCmdExit}}},
    {"高级", {{"加密", kCmdEncrypt}, {"解密", kCmdDecrypt}}},
    {"帮助",
     {{"版权", kCmdAbout}, {"加密方法", kCmdEncryptionNote}, {"解密方法", kCmdDecryptionNote}}},
};

void ExpectMenuBar(HMENU bar) {
  ASSERT_EQ(GetMenuItemCount(bar), static_cast<int>(kExpectedBar.size()));
  std::set<unsigned> ids;
  for (std::size_t m = 0; m < kExpectedBar.size(); ++m) {
    const ExpectedMenu& expected = kExpectedBar[m];
    const BuiltItem pulldown = ReadItem(bar, static_cast<int>(m));
    EXPECT_EQ(pulldown.text, W(expected.title));
    EXPECT_EQ(pulldown.state & (MFS_GRAYED | MFS_CHECKED), 0u) << expected.title;
    ASSERT_NE(pulldown.popup, nullptr) << expected.title;
    ASSERT_EQ(GetMenuItemCount(pulldown.popup), static_cast<int>(expected.items.size()));
    for (std::size_t i = 0; i < expected.items.size(); ++i) {
      const auto& [text, id] = expected.items[i];
      const BuiltItem item = ReadItem(pulldown.popup, static_cast<int>(i));
      SCOPED_TRACE(text);
      EXPECT_EQ(item.popup, nullptr);
      if (std::string_view(text) == "-") {
        EXPECT_TRUE(item.separator);  // the system reports separators as disabled
        continue;
      }
      EXPECT_FALSE(item.separator);
      EXPECT_EQ(item.state & (MFS_GRAYED | MFS_CHECKED), 0u);
      EXPECT_EQ(item.text.find(L'&'), std::wstring::npos);
      EXPECT_EQ(item.text, W(text));
      EXPECT_EQ(item.id, id);
      EXPECT_TRUE(ids.insert(item.id).second) << "id used twice: " << item.id;
    }
  }
}

TEST(MenuBarTest, BuildsEveryItemInOrderEnabledUncheckedWithItsOwnId) {
  MenuHandle bar = BuildMenuBar(kMenuTree);
  ASSERT_TRUE(bar);
  ExpectMenuBar(bar.get());
}

TEST(MenuBarTest, RefusesAnItemBeforeAnyPulldown) {
  const MenuItem tree[] = {{1, "新建", kCmdNew}, {0, "文件", 0}};
  EXPECT_FALSE(BuildMenuBar(tree));
}

TEST(MenuBarTest, KnowsOnlyTheItemsCommandIds) {
  for (const MenuItem& item : kMenuTree) {
    EXPECT_EQ(IsMenuCommand(kMenuTree, item.command), item.command != 0) << item.text;
  }
  EXPECT_FALSE(IsMenuCommand(kMenuTree, kIdEditBox));
  EXPECT_FALSE(IsMenuCommand(kMenuTree, 0));
}

TEST(KeyboardTest, ClassifiesTheWindowsOwnKeys) {
  struct Case {
    unsigned key;
    Modifiers held;
    KeyAction action;
  };
  const Case cases[] = {
      {VK_ESCAPE, {}, KeyAction::kClose},
      {VK_ESCAPE, {.shift = true}, KeyAction::kPass},
      {VK_ESCAPE, {.ctrl = true}, KeyAction::kPass},  // the system's own use
      {VK_ESCAPE, {.alt = true}, KeyAction::kPass},
      {VK_TAB, {}, KeyAction::kConsume},
      {VK_TAB, {.shift = true}, KeyAction::kConsume},
      {VK_TAB, {.ctrl = true}, KeyAction::kPass},
      {VK_TAB, {.alt = true}, KeyAction::kPass},  // task switching
      {VK_RETURN, {}, KeyAction::kPass},
      {VK_RETURN, {.shift = true}, KeyAction::kPass},
      {VK_F1, {}, KeyAction::kConsume},
      {VK_F1, {.shift = true}, KeyAction::kConsume},
      {VK_F4, {.alt = true}, KeyAction::kPass},  // Alt+F4 closes through the system
      {VK_F10, {}, KeyAction::kPass},
      {'A', {}, KeyAction::kPass},
      {'A', {.ctrl = true}, KeyAction::kPass},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyKey(c.key, c.held), c.action)
        << "key " << c.key << " ctrl " << c.held.ctrl << " shift " << c.held.shift << " alt "
        << c.held.alt;
  }
}

TEST(ResizeRuleTest, ClampsTheEditBoxSize) {
  const std::pair<int, int> cases[] = {{-100, 0},      {-1, 0},        {0, 0},          {376, 376},
                                       {32627, 32627}, {32628, 32627}, {1 << 30, 32627}};
  for (const auto& [size, clamped] : cases) {
    EXPECT_EQ(ClampEditBoxSize(size), clamped) << size;
  }
}

TEST(StartupTest, ProgramFolderIsThePathBeforeTheLastBackslash) {
  EXPECT_EQ(ProgramFolder(L"C:\\Program Files\\Vantrel\\vantrel-notepad.exe"),
            L"C:\\Program Files\\Vantrel");
  EXPECT_EQ(ProgramFolder(L"\\\\server\\share\\app.exe"), L"\\\\server\\share");
  EXPECT_EQ(ProgramFolder(W("D:\\文档\\记事本.exe")), W("D:\\文档"));
  // At a drive's root the folder is the root, not the drive's current directory.
  EXPECT_EQ(ProgramFolder(L"C:\\app.exe"), L"C:\\");
  EXPECT_EQ(ProgramFolder(L"app.exe"), std::nullopt);
  EXPECT_EQ(ProgramFolder(L""), std::nullopt);
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = MainWindow::Create(GetModuleHandleW(nullptr));
    ASSERT_NE(window_, nullptr) << GetLastError();
    main_ = window_->hwnd();
    edit_ = window_->editBox();
  }
  void TearDown() override {
    window_.reset();
    PumpMessages();
  }

  // Runs a key press through the window's key handling and, unless consumed, dispatches it as
  // the message loop would.
  bool PressKey(HWND target, unsigned key) {
    const MSG message{target, WM_KEYDOWN, key, 1, 0, {}};
    const bool consumed = window_->PreTranslateMessage(message);
    if (!consumed) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    PumpMessages();
    return consumed;
  }

  void ExpectEditBoxHasWindowsOuterSize() {
    const SIZE mainSize = OuterSize(main_);
    const SIZE editSize = OuterSize(edit_);
    EXPECT_EQ(editSize.cx, mainSize.cx);
    EXPECT_EQ(editSize.cy, mainSize.cy);
    const POINT corner = PositionInParent(edit_);
    EXPECT_EQ(corner.x, 0);
    EXPECT_EQ(corner.y, 0);
  }

  std::unique_ptr<MainWindow> window_;
  HWND main_ = nullptr;
  HWND edit_ = nullptr;
};

TEST_F(MainWindowTest, IsCreatedHiddenCentredWithItsTitleStylesAndMenu) {
  EXPECT_EQ(WindowText(main_), W("Vantrel加密记事本1.0 "));
  // The system adds WS_CLIPSIBLINGS to every top-level window and WS_EX_WINDOWEDGE to every
  // one with a sizing frame; the program asks for neither.
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(main_, GWL_STYLE)) &
                     ~static_cast<DWORD>(WS_CLIPSIBLINGS);
  EXPECT_EQ(style, static_cast<DWORD>(WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                      WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(main_, GWL_EXSTYLE));
  EXPECT_EQ(exStyle & ~static_cast<DWORD>(WS_EX_WINDOWEDGE), 0u);
  EXPECT_FALSE(IsWindowVisible(main_));
  EXPECT_EQ(GetWindow(main_, GW_OWNER), nullptr);
  EXPECT_EQ(GetClassLongPtrW(main_, GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(main_, WM_GETFONT, 0, 0)),
            GetStockObject(DEFAULT_GUI_FONT));

  RECT rect{};
  GetWindowRect(main_, &rect);
  EXPECT_EQ(rect.right - rect.left, 565);
  EXPECT_EQ(rect.bottom - rect.top, 376);
  EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 565) / 2);
  EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 376) / 2);

  ExpectMenuBar(GetMenu(main_));
  const UINT close = GetMenuState(GetSystemMenu(main_, FALSE), SC_CLOSE, MF_BYCOMMAND);
  ASSERT_NE(close, static_cast<UINT>(-1));
  EXPECT_EQ(close & MF_GRAYED, 0u);

  EXPECT_FALSE(window_->modified()) << "a handler ran during creation";
}

TEST_F(MainWindowTest, EditBoxHasEverySettingAndTheWindowsOuterSize) {
  wchar_t className[32] = {};
  GetClassNameW(edit_, className, static_cast<int>(std::size(className)));
  EXPECT_EQ(_wcsicmp(className, L"EDIT"), 0) << className;
  EXPECT_EQ(GetParent(edit_), main_);
  EXPECT_EQ(GetDlgCtrlID(edit_), kIdEditBox);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(edit_, GWL_STYLE)),
            static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | ES_LEFT |
                               ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(edit_, GWL_EXSTYLE)),
            static_cast<DWORD>(WS_EX_CLIENTEDGE));
  EXPECT_EQ(GetWindowTextLengthW(edit_), 0);
  EXPECT_EQ(static_cast<std::uint32_t>(SendMessageW(edit_, EM_GETLIMITTEXT, 0, 0)), 0xFFFFFFFFu);
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(edit_, WM_GETFONT, 0, 0)),
            GetStockObject(DEFAULT_GUI_FONT));
  DWORD start = 1, end = 1;
  SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 0u);
  ExpectEditBoxHasWindowsOuterSize();
  EXPECT_EQ(OuterSize(edit_).cx, 565);
  EXPECT_EQ(OuterSize(edit_).cy, 376);
}

TEST_F(MainWindowTest, PaintsTheEditBoxBlackOnWhite) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  SetTextColor(dc, RGB(1, 2, 3));
  SetBkColor(dc, RGB(4, 5, 6));
  const LRESULT brush = SendMessageW(main_, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(edit_));
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
  DeleteDC(dc);
}

// The icon group in the program's resources: each image's size and colour depth.
std::set<std::pair<int, int>> IconGroupImages() {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VANTREL_ICON_ID), RT_GROUP_ICON);
  if (found == nullptr) {
    return {};
  }
  const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(module, found)));
  const DWORD size = SizeofResource(module, found);
  std::set<std::pair<int, int>> images;
  const int count = data[4] | data[5] << 8;
  for (int i = 0; i < count && 6u + 14u * static_cast<unsigned>(i + 1) <= size; ++i) {
    const std::uint8_t* entry = data + 6 + 14 * i;  // GRPICONDIRENTRY
    const int width = entry[0] == 0 ? 256 : entry[0];
    const int bits = entry[6] | entry[7] << 8;
    images.insert({width, bits});
  }
  return images;
}

SIZE IconSize(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) {
    return {};
  }
  BITMAP bitmap{};
  GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
  if (info.hbmColor != nullptr) {
    DeleteObject(info.hbmColor);
  }
  DeleteObject(info.hbmMask);
  return {bitmap.bmWidth, info.hbmColor != nullptr ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

TEST_F(MainWindowTest, CarriesItsOwnIconAsBigAndSmallIcon) {
  const std::set<std::pair<int, int>> expected = {{32, 4}, {32, 8}, {32, 32},
                                                  {16, 4}, {16, 8}, {16, 32}};
  EXPECT_EQ(IconGroupImages(), expected);

  const auto big = reinterpret_cast<HICON>(SendMessageW(main_, WM_GETICON, ICON_BIG, 0));
  const auto small = reinterpret_cast<HICON>(SendMessageW(main_, WM_GETICON, ICON_SMALL, 0));
  ASSERT_NE(big, nullptr);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(IconSize(big).cx, GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(IconSize(big).cy, GetSystemMetrics(SM_CYICON));
  EXPECT_EQ(IconSize(small).cx, GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(IconSize(small).cy, GetSystemMetrics(SM_CYSMICON));
}

std::string ResourceText(LPCWSTR name, LPCWSTR type) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, name, type);
  if (found == nullptr) {
    return {};
  }
  const auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
  return {data, SizeofResource(module, found)};
}

std::wstring VersionString(const std::vector<std::uint8_t>& block, const wchar_t* name) {
  const std::wstring path = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || length == 0) {
    return {};
  }
  return static_cast<const wchar_t*>(value);
}

TEST(ResourcesTest, VersionInformationAndManifestAreEmbedded) {
  const std::string version = ResourceText(MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  ASSERT_FALSE(version.empty());
  const std::vector<std::uint8_t> block(version.begin(), version.end());
  EXPECT_EQ(VersionString(block, L"ProductName"), W("Vantrel加密记事本"));
  EXPECT_EQ(VersionString(block, L"CompanyName"), W("Vantrel工作室"));
  EXPECT_EQ(VersionString(block, L"FileVersion"), L"1.0.0.0");
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);

  const std::string manifest = ResourceText(CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
  for (const char* os : {"35138b9a-5d96-4fbd-8e2d-a2440225f93a",     // 7
                         "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",     // 8
                         "1f676c76-80e1-4239-95bb-83d0f6d0da78",     // 8.1
                         "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"}) {  // 10 and 11
    EXPECT_NE(manifest.find(os), std::string::npos) << os;
  }
}

TEST_F(MainWindowTest, EditBoxFollowsEverySizeChange) {
  window_->Show();
  struct Step {
    const char* name;
    std::function<void()> apply;
  };
  const Step steps[] = {
      {"larger", [&] { SetWindowPos(main_, nullptr, 10, 20, 800, 600, SWP_NOZORDER); }},
      {"smaller", [&] { SetWindowPos(main_, nullptr, 30, 40, 200, 150, SWP_NOZORDER); }},
      {"maximized", [&] { ShowWindow(main_, SW_MAXIMIZE); }},
      {"restored", [&] { ShowWindow(main_, SW_RESTORE); }},
      {"minimized", [&] { ShowWindow(main_, SW_MINIMIZE); }},
      {"restored again", [&] { ShowWindow(main_, SW_RESTORE); }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    step.apply();
    PumpMessages();
    ExpectEditBoxHasWindowsOuterSize();
  }
  EXPECT_EQ(OuterSize(edit_).cx, 200);
  EXPECT_EQ(OuterSize(edit_).cy, 150);
}

TEST_F(MainWindowTest, ShowGivesTheEditBoxTheFocusAndTheWindowReturnsItThere) {
  window_->Show();
  PumpMessages();
  EXPECT_TRUE(IsWindowVisible(main_));
  EXPECT_FALSE(IsZoomed(main_));
  EXPECT_FALSE(IsIconic(main_));
  EXPECT_EQ(GetFocus(), edit_);
  SetFocus(main_);
  EXPECT_EQ(GetFocus(), edit_);
}

TEST_F(MainWindowTest, TypingSetsTheModifiedFlag) {
  EXPECT_FALSE(window_->modified());
  SendMessageW(edit_, WM_CHAR, L'x', 1);
  EXPECT_EQ(WindowText(edit_), L"x");
  EXPECT_TRUE(window_->modified());
}

TEST_F(MainWindowTest, TabAndShiftTabInsertNothingEnterInsertsALineBreak) {
  window_->Show();
  PumpMessages();
  EXPECT_TRUE(PressKey(edit_, VK_TAB));
  EXPECT_EQ(WindowText(edit_), L"");
  EXPECT_EQ(GetFocus(), edit_);
  EXPECT_FALSE(PressKey(edit_, VK_RETURN));
  EXPECT_EQ(WindowText(edit_), L"\r\n");
  EXPECT_TRUE(PressKey(edit_, VK_F1));
  EXPECT_EQ(WindowText(edit_), L"\r\n");
  EXPECT_NE(window_->hwnd(), nullptr);
}

TEST_F(MainWindowTest, KeysOfOtherWindowsAreLeftAlone) {
  HWND other = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  const MSG escape{other, WM_KEYDOWN, VK_ESCAPE, 1, 0, {}};
  EXPECT_FALSE(window_->PreTranslateMessage(escape));
  EXPECT_NE(window_->hwnd(), nullptr);
  DestroyWindow(other);
}

TEST_F(MainWindowTest, CloseRequestsWithNothingUnsavedEndTheWindow) {
  struct Path {
    const char* name;
    std::function<void(HWND main, HWND edit, MainWindow& window)> close;
  };
  // Each path runs on a fresh window.
  const Path paths[] = {
      {"Esc",
       [](HWND, HWND edit, MainWindow& window) {
         const MSG message{edit, WM_KEYDOWN, VK_ESCAPE, 1, 0, {}};
         EXPECT_TRUE(window.PreTranslateMessage(message));
       }},
      {"close box", [](HWND main, HWND, MainWindow&) { SendMessageW(main, WM_CLOSE, 0, 0); }},
      {"exit command",
       [](HWND main, HWND, MainWindow&) { SendMessageW(main, WM_COMMAND, kCmdExit, 0); }},
  };
  for (const Path& path : paths) {
    SCOPED_TRACE(path.name);
    auto window = MainWindow::Create(GetModuleHandleW(nullptr));
    ASSERT_NE(window, nullptr);
    HWND main = window->hwnd();
    ASSERT_FALSE(window->modified());
    path.close(main, window->editBox(), *window);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(window->hwnd(), nullptr);
  }
}

TEST_F(MainWindowTest, AgreesToEndTheSessionWithNothingUnsaved) {
  EXPECT_EQ(SendMessageW(main_, WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_TRUE(IsWindow(main_));
}

TEST_F(MainWindowTest, MessageLoopEndsWithStatusZeroOnceTheWindowIsGone) {
  window_->Show();
  PostMessageW(edit_, WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_EQ(window_->RunMessageLoop(), 0);
  EXPECT_FALSE(IsWindow(main_));
}

TEST_F(MainWindowTest, UnknownCommandIdsDoNothing) {
  SendMessageW(main_, WM_COMMAND, kIdEditBox, 0);
  SendMessageW(main_, WM_COMMAND, 999, 0);
  EXPECT_TRUE(IsWindow(main_));
  EXPECT_FALSE(window_->modified());
}

}  // namespace
}  // namespace vantrel
