#pragma once

#include "editor/command_ids.h"
#include "editor/platform/platform.h"

namespace vantrel {

// The editor's commands and its modified flag. Portable: everything outside the process goes
// through the Platform it is given.
class Commands {
 public:
  explicit Commands(Platform& platform) : platform_(platform) {}
  Commands(const Commands&) = delete;
  Commands& operator=(const Commands&) = delete;

  // Runs the command of a menu item. A command that arrives while another one still runs
  // (possible through posted messages while a modal box is up) is ignored. Exit is not a
  // command here: the window asks QueryClose and closes itself.
  void Run(CommandId id);

  // The content-changed event for a change the user made in the edit box.
  void OnContentChanged() { modified_ = true; }

  // Whether the window may close now. With unsaved changes the save question is asked first;
  // false while another command runs.
  bool QueryClose();

  bool modified() const { return modified_; }

 private:
  Platform& platform_;
  bool modified_ = false;
  bool busy_ = false;
};

}  // namespace vantrel
