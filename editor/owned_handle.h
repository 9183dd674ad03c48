#pragma once

#include <utility>

namespace vantrel {

// Owns one Win32 handle and releases it with `Close` when destroyed. Move only.
template <typename Handle, auto Close>
class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(Handle handle) : handle_(handle) {}
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  OwnedHandle(OwnedHandle&& other) noexcept : handle_(other.release()) {}
  OwnedHandle& operator=(OwnedHandle&& other) noexcept {
    if (this != &other) {
      reset(other.release());
    }
    return *this;
  }
  ~OwnedHandle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Handle{}; }

  // Gives up ownership, e.g. once the system has taken the handle over.
  Handle release() { return std::exchange(handle_, Handle{}); }

  void reset(Handle handle = Handle{}) {
    if (handle_ != Handle{}) {
      Close(handle_);
    }
    handle_ = handle;
  }

 private:
  Handle handle_{};
};

}  // namespace vantrel
