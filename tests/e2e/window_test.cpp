// The main window as a person meets it: its size, place and styles at start, the resize rule,
// the keys it handles, Esc, and the three help boxes.
#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

using vantrel::kCmdAbout;
using vantrel::kCmdDecryptionNote;
using vantrel::kCmdEncryptionNote;

struct Size {
  long width;
  long height;
  bool operator==(const Size&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Size& size) {
  return out << size.width << "x" << size.height;
}

Size OuterSize(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

// Position of a child's outer top-left corner in its parent's client area.
POINT ClientOrigin(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  POINT corner{rect.left, rect.top};
  ScreenToClient(GetParent(child), &corner);
  return corner;
}

using MainWindow = EditorTest;

TEST_F(MainWindow, StartsCentredWithItsSizeStylesAndAnEmptyFocusedEditBox) {
  HWND window = editor().window();
  EXPECT_EQ(WindowText(window), Wide("Vantrel加密记事本1.0 "));
  EXPECT_EQ(Owner(window), nullptr);
  EXPECT_EQ(GetParent(window), nullptr);

  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(OuterSize(window), (Size{565, 376}));
  EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 565) / 2);
  EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 376) / 2);

  // The system adds WS_CLIPSIBLINGS and WS_EX_WINDOWEDGE to every framed top-level window.
  auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & ~DWORD{WS_CLIPSIBLINGS};
  EXPECT_EQ(style, DWORD{WS_VISIBLE | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                         WS_MINIMIZEBOX | WS_MAXIMIZEBOX})
      << std::hex << style;
  auto exStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)) & ~DWORD{WS_EX_WINDOWEDGE};
  EXPECT_EQ(exStyle, 0u) << std::hex << exStyle;

  HWND edit = editor().editBox();
  EXPECT_EQ(_wcsicmp(ClassName(edit).c_str(), L"Edit"), 0) << Utf8(ClassName(edit));
  EXPECT_EQ(OuterSize(edit), (Size{565, 376}));
  POINT origin = ClientOrigin(edit);
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(origin.y, 0);
  auto editStyle = static_cast<DWORD>(GetWindowLongW(edit, GWL_STYLE));
  EXPECT_EQ(editStyle, DWORD{WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | ES_LEFT |
                             ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN})
      << std::hex << editStyle;
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(edit, GWL_EXSTYLE)), DWORD{WS_EX_CLIENTEDGE});
  DWORD_PTR limit = 0;
  SendMessageTimeoutW(edit, EM_GETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, 2000, &limit);
  EXPECT_GE(limit, 0x7FFFFFFEu) << "the text length limit was not raised";

  EXPECT_EQ(editor().Text(), L"");
  EXPECT_EQ(GetForegroundWindow(), window);
  EXPECT_EQ(editor().FocusedWindow(), edit);
}

TEST_F(MainWindow, EditBoxTakesTheOuterSizeOnResizeMaximizeMinimizeAndRestore) {
  HWND window = editor().window();
  HWND edit = editor().editBox();
  auto fitsWindow = [&] { return OuterSize(edit) == OuterSize(window); };

  // Dragging the frame ends in the same SetWindowPos the system does.
  SetWindowPos(window, nullptr, 0, 0, 700, 450, SWP_NOMOVE | SWP_NOZORDER);
  ASSERT_TRUE(WaitUntil([&] { return OuterSize(window) == Size{700, 450}; }));
  EXPECT_TRUE(WaitUntil(fitsWindow)) << OuterSize(edit);

  editor().Post(WM_SYSCOMMAND, SC_MAXIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsZoomed(window) && OuterSize(window).width > 700; }))
      << OuterSize(window);
  EXPECT_TRUE(WaitUntil(fitsWindow)) << OuterSize(edit) << " in " << OuterSize(window);

  editor().Post(WM_SYSCOMMAND, SC_RESTORE);
  ASSERT_TRUE(WaitUntil([&] {
    return !IsZoomed(window) && OuterSize(window) == Size{700, 450};
  })) << OuterSize(window);
  EXPECT_TRUE(WaitUntil(fitsWindow)) << OuterSize(edit);

  editor().Post(WM_SYSCOMMAND, SC_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(window) != FALSE; }));
  EXPECT_TRUE(WaitUntil(fitsWindow)) << OuterSize(edit) << " in " << OuterSize(window);

  editor().Post(WM_SYSCOMMAND, SC_RESTORE);
  ASSERT_TRUE(WaitUntil([&] { return !IsIconic(window); }));
  EXPECT_TRUE(WaitUntil([&] { return OuterSize(edit) == Size{700, 450}; })) << OuterSize(edit);
  POINT origin = ClientOrigin(edit);
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(origin.y, 0);
}

TEST_F(MainWindow, TabInsertsNothingAndEnterBreaksTheLine) {
  ASSERT_TRUE(editor().Activate());
  TypeText(L"ab");
  PressKey(VK_TAB);
  TypeText(L"c");
  PressKey(VK_TAB, true);
  PressKey(VK_RETURN);
  TypeText(L"d");
  EXPECT_TRUE(editor().WaitText(L"abc\r\nd")) << Utf8(editor().Text().value_or(L"?"));
  EXPECT_EQ(editor().FocusedWindow(), editor().editBox());
}

TEST_F(MainWindow, EscEndsTheProgramWithStatusZero) {
  ASSERT_TRUE(editor().Activate());
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(ExitsCleanly());
}

struct HelpBox {
  const char* name;
  unsigned short command;
  const char* title;
  const char* text;
};

const HelpBox kHelpBoxes[] = {
    {"About", kCmdAbout, "Vantrel工作室-记事本1.0",
     "Vantrel加密记事本1.0 Vantrel工作室 www.vantrel.example 版权所有"},
    {"EncryptionNote", kCmdEncryptionNote, "加密方法说明",
     "点击[高级]-[加密]菜单，可以对当前编辑内容加密。您可以将加密后的内容保存到一个文件内！"},
    {"DecryptionNote", kCmdDecryptionNote, "加密方法说明",
     "如果当前显示内容为密文，点击[高级]-[解密]菜单，可以实现解密！"},
};

class HelpBoxes : public EditorTest, public testing::WithParamInterface<HelpBox> {};

// The box shows its exact title and text, unowned, and leaves the document alone: the text is
// as typed, and a document saved just before is still unmodified (Esc closes unasked).
TEST_P(HelpBoxes, ShowTheirTextAndChangeNothing) {
  const std::wstring typed = Wide("帮助前的文字\r\nline 2");
  ASSERT_TRUE(Type(Wide("帮助前的文字\nline 2"), typed));
  ASSERT_TRUE(SaveAs(dir_.File(L"note.txt")));

  editor().Command(GetParam().command);
  auto box = editor().WaitMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->title, Wide(GetParam().title));
  EXPECT_EQ(box->text, Wide(GetParam().text));
  EXPECT_EQ(Owner(box->window), nullptr);
  EXPECT_TRUE(IsWindow(GetDlgItem(box->window, IDOK)));
  EXPECT_FALSE(IsWindow(GetDlgItem(box->window, IDCANCEL)));
  EXPECT_FALSE(IsWindowEnabled(editor().window())) << "the box is not modal";

  // Esc closes the box, not the main window.
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == box->window; }));
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitClosed(box->window));
  editor().Sync();
  EXPECT_TRUE(editor().Running());
  EXPECT_EQ(editor().Text(), typed);

  ASSERT_TRUE(editor().Activate());
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(ExitsCleanly());
}

INSTANTIATE_TEST_SUITE_P(Help, HelpBoxes, testing::ValuesIn(kHelpBoxes), RowName<HelpBox>);

}  // namespace
}  // namespace e2e
