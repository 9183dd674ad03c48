#pragma once

#include <string_view>

// The texts the commands show, UTF-8.
namespace vantrel::messages {

inline constexpr std::string_view kDefaultTitle = "信息：";

inline constexpr std::string_view kSaveQuestion = "文件内容已被修改，是否保存？";

inline constexpr std::string_view kEncryptPrompt = "请输入加密密码：";
inline constexpr std::string_view kEncryptTitle = "输入加密密码";
inline constexpr std::string_view kDecryptPrompt = "请输入解密密码：";
inline constexpr std::string_view kDecryptTitle = "输入解密密码";

inline constexpr std::string_view kAboutTitle = "Vantrel工作室-记事本1.0";
inline constexpr std::string_view kAboutText =
    "Vantrel加密记事本1.0 Vantrel工作室 www.vantrel.example 版权所有";
inline constexpr std::string_view kNoteTitle = "加密方法说明";
inline constexpr std::string_view kEncryptionNote =
    "点击[高级]-[加密]菜单，可以对当前编辑内容加密。您可以将加密后的内容保存到一个文件内！";
inline constexpr std::string_view kDecryptionNote =
    "如果当前显示内容为密文，点击[高级]-[解密]菜单，可以实现解密！";

// File errors: the heading, then the path and the system's reason on lines of their own.
inline constexpr std::string_view kOpenFailed = "无法打开文件：";
inline constexpr std::string_view kSaveFailed = "无法保存文件：";

// Shown (OK/Cancel) before text that GBK cannot fully hold is saved or sealed; the count of
// such characters goes between the two halves.
inline constexpr std::string_view kLossyTextHead = "当前内容中有 ";
inline constexpr std::string_view kLossySaveTail =
    " 个字符无法用 GBK 编码保存，保存后它们将变成“?”，无法恢复。\n\n"
    "要保留这些字符，请单击“取消”。是否继续保存？";
inline constexpr std::string_view kLossyEncryptTail =
    " 个字符无法用 GBK 编码表示，加密后它们将变成“?”，解密时无法恢复。\n\n"
    "要保留这些字符，请单击“取消”。是否继续加密？";

inline constexpr std::string_view kPasswordRefused =
    "密码中含有 GBK 编码无法表示的字符，不能使用这个密码。\n\n"
    "请只用 GBK 中的字符（如汉字、字母、数字和常用符号）作为密码。";

inline constexpr std::string_view kDecryptFailed =
    "解密失败：密码错误，或者当前内容不是加密后的密文。\n\n当前内容没有改变。";
inline constexpr std::string_view kEncryptFailed =
    "加密失败：当前内容太大，无法加密。\n\n当前内容没有改变。";

}  // namespace vantrel::messages
