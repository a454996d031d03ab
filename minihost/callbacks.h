#pragma once

#include <cstdint>
#include <string>

#include "host/host_interface.h"
#include "minihost/host.h"

// The C functions the module calls, as the tables the host hands it. Each function finds
// the host driving the current command on this thread and serves the call through the
// host's public interface (see minihost/host_call.h); none lets an exception reach the
// module.
namespace boxwander::minihost::callbacks {

// The host of the current command on this thread (set by Scope), or null.
Host* Current() noexcept;
class Scope {
 public:
  explicit Scope(Host& host) noexcept;
  ~Scope();
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;

 private:
  Host* previous_;
};

PF_InteractCallbacks Interact() noexcept;
PF_UtilCallbacks Utils() noexcept;
const SPBasicSuite* BasicSuite() noexcept;
PF_PreRenderCallbacks PreRender() noexcept;
PF_SmartRenderCallbacks SmartRender() noexcept;

// Served both as utility callbacks and in suites.
PF_Handle NewHandle(std::uint64_t size);
void* LockHandle(PF_Handle handle);
void UnlockHandle(PF_Handle handle);
void DisposeHandle(PF_Handle handle);
int Sprintf(char* buffer, const char* format, ...);
PF_Err GetPixelFormat(const PF_EffectWorld* world, PF_PixelFormat* pixel_format);

}  // namespace boxwander::minihost::callbacks

namespace boxwander::minihost {

// The suite a name and version stand for in this host, or null.
const void* FindSuite(const std::string& name, std::int32_t version) noexcept;

// The basic suite's answer for a suite it does not have or refuses.
inline constexpr SPErr kSuiteNotFound = 0x53214664;  // 'S!Fd'

}  // namespace boxwander::minihost
