#pragma once

#include "host/host_interface.h"

namespace boxwander {

using DisposeHandleFn = void(BOXWANDER_CDECL*)(PF_Handle);

// A handle the effect owns until it hands it to the host (release()); disposed of on every
// other way out, a raised HostFailure included.
class OwnedHandle {
 public:
  OwnedHandle(PF_Handle handle, DisposeHandleFn dispose) noexcept
      : handle_(handle), dispose_(dispose) {}
  ~OwnedHandle() { reset(); }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;

  PF_Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }
  // Ownership passes to whoever takes the result.
  PF_Handle release() noexcept {
    PF_Handle handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  void reset() noexcept {
    if (handle_ != nullptr && dispose_ != nullptr) {
      dispose_(handle_);
    }
    handle_ = nullptr;
  }

 private:
  PF_Handle handle_;
  DisposeHandleFn dispose_;
};

// One lock of a handle through the handle suite, undone when the guard goes.
class HandleLock {
 public:
  HandleLock(const PF_HandleSuite1& suite, PF_Handle handle) noexcept
      : suite_(suite),
        handle_(handle),
        data_(handle != nullptr ? suite.host_lock_handle(handle) : nullptr) {}
  ~HandleLock() { unlock(); }
  HandleLock(const HandleLock&) = delete;
  HandleLock& operator=(const HandleLock&) = delete;

  // The block's address, or null when the lock gave none (nothing to undo then).
  void* data() const noexcept { return data_; }
  void unlock() noexcept {
    if (data_ != nullptr) {
      suite_.host_unlock_handle(handle_);
      data_ = nullptr;
    }
  }

 private:
  const PF_HandleSuite1& suite_;
  PF_Handle handle_;
  void* data_;
};

}  // namespace boxwander
