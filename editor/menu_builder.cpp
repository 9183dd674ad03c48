#include "editor/menu_builder.h"

#include <algorithm>

#include "editor/platform/wide_text.h"

namespace vantrel {

MenuHandle BuildMenuBar(std::span<const MenuItem> tree) {
  MenuHandle bar(CreateMenu());
  if (!bar) {
    return {};
  }
  HMENU popup = nullptr;  // owned by the bar once appended
  for (const MenuItem& item : tree) {
    const std::wstring text = Utf8ToWide(item.text);
    if (item.level == 0) {
      popup = CreatePopupMenu();
      if (popup == nullptr) {
        return {};
      }
      if (!AppendMenuW(bar.get(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup),
                       text.c_str())) {
        DestroyMenu(popup);
        return {};
      }
      continue;
    }
    if (popup == nullptr) {
      return {};  // a level 1 row before any pull-down
    }
    const bool appended = item.text == "-"
                              ? AppendMenuW(popup, MF_SEPARATOR, 0, nullptr)
                              : AppendMenuW(popup, MF_STRING, item.command, text.c_str());
    if (!appended) {
      return {};
    }
  }
  return bar;
}

bool IsMenuCommand(std::span<const MenuItem> tree, unsigned id) {
  return id != 0 && std::any_of(tree.begin(), tree.end(),
                                [id](const MenuItem& item) { return item.command == id; });
}

}  // namespace vantrel
