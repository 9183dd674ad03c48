#pragma once

namespace vantrel {

// What the main window does with a key press before any control sees it.
enum class KeyAction {
  kPass,     // goes its usual way, to the focused control or the menu bar
  kClose,    // consumed; the main window is asked to close
  kConsume,  // consumed and dropped
};

struct Modifiers {
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
};

// The main window's own keys. Esc alone closes the window. Tab and Shift+Tab would move the
// focus to the next tab stop, but the edit box is the only one, so they do nothing (and no tab
// character is typed). F1, with any modifiers, does nothing: the program has no help. Enter and
// everything else pass, so Enter inserts a line break in the edit box.
KeyAction ClassifyKey(unsigned virtualKey, Modifiers modifiers);

}  // namespace vantrel
