#pragma once

#include <array>
#include <string_view>

#include "editor/command_ids.h"

namespace vantrel {

// One row of the menu bar's definition: level 0 is a pull-down menu of the bar, level 1 an
// item in the nearest pull-down above it; the text "-" is a separator.
struct MenuItem {
  int level;
  std::string_view text;  // UTF-8
  unsigned short command;  // 0 for pull-down menus and separators
};

inline constexpr std::array<MenuItem, 13> kMenuTree = {{
    {0, "文件", 0},
    {1, "新建", kCmdNew},
    {1, "打开", kCmdOpen},
    {1, "保存", kCmdSave},
    {1, "-", 0},
    {1, "退出", kCmdExit},
    {0, "高级", 0},
    {1, "加密", kCmdEncrypt},
    {1, "解密", kCmdDecrypt},
    {0, "帮助", 0},
    {1, "版权", kCmdAbout},
    {1, "加密方法", kCmdEncryptionNote},
    {1, "解密方法", kCmdDecryptionNote},
}};

}  // namespace vantrel
