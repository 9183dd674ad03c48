#include "editor/keyboard.h"

#include <windows.h>

namespace vantrel {

KeyAction ClassifyKey(unsigned virtualKey, Modifiers modifiers) {
  const bool none = !modifiers.ctrl && !modifiers.shift && !modifiers.alt;
  switch (virtualKey) {
    case VK_ESCAPE:
      return none ? KeyAction::kClose : KeyAction::kPass;
    case VK_TAB:
      return !modifiers.ctrl && !modifiers.alt ? KeyAction::kConsume : KeyAction::kPass;
    case VK_F1:
      return KeyAction::kConsume;
    default:
      return KeyAction::kPass;
  }
}

}  // namespace vantrel
