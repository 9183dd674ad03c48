#pragma once

#include <windows.h>

#include <span>

#include "editor/menu_tree.h"
#include "editor/owned_handle.h"

namespace vantrel {

inline void DestroyMenuHandle(HMENU menu) {
  DestroyMenu(menu);
}
// A menu bar not yet attached to a window; a window destroys its own bar.
using MenuHandle = OwnedHandle<HMENU, DestroyMenuHandle>;

// Builds the menu bar from its definition, in order: each level 0 row a pull-down menu of the
// bar, each level 1 row an item of the pull-down above it ("-" a separator, otherwise a string
// item with the row's command id). Every item enabled and unchecked. Empty on failure.
MenuHandle BuildMenuBar(std::span<const MenuItem> tree);

// Whether `id` is the command id of an item of the menu definition.
bool IsMenuCommand(std::span<const MenuItem> tree, unsigned id);

}  // namespace vantrel
