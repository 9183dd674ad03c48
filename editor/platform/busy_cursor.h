#pragma once

#include <windows.h>

#include "editor/platform/platform.h"

namespace vantrel {

// Shows the wait cursor while it lives and puts the previous cursor back when destroyed.
class BusyCursor final : public Platform::BusyScope {
 public:
  BusyCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
  ~BusyCursor() override { SetCursor(previous_); }

 private:
  HCURSOR previous_;
};

}  // namespace vantrel
