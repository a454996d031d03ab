#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "common/error_code.h"

namespace boxwander::minihost {

// Every host operation a module can call that can be made to fail. Operations that return
// a pointer (kNewHandle, kLockHandle) fail by returning null; the rest return the code.
enum class HostOp : int {
  kAcquireSuite,
  kNewHandle,
  kLockHandle,
  kAddParam,
  kCheckoutParam,
  kCheckoutLayer,
  kCheckoutLayerPixels,
  kCheckoutOutput,
  kProgress,
  kCopy,
  kFill,
  kGetPixelFormat,
  kCheckoutPath,
  kCheckinPath,
  kPathNumSegments,
  kPathPrepareSegLength,
  kPathGetSegLength,
  kPathEval,
  kPathCleanup,
  kHasParamChanged,
  kGetCurrentState,
  kUpdateParamUI,
  kRegisterWithAEGP,
  kReleaseSuite,  // the suite is given back all the same: the code is only the answer
  kCount
};
inline constexpr std::size_t kHostOpCount = static_cast<std::size_t>(HostOp::kCount);

// Readable name, for messages ("checkout_param", "PF_CheckoutPath", ...).
const char* HostOpName(HostOp op) noexcept;

// Which calls fail, and how often each operation was called. One mechanism for every
// operation: arm a fault, run a command, then check calls() and fired().
class FaultPlan {
 public:
  // Makes the nth call of op counted from now (1 = the very next call) fail with code;
  // with persist, that call and every later one. A new fault for op replaces the old one.
  void failAt(HostOp op, std::int64_t nth, ErrorCode code, bool persist = false);
  // The host's basic suite refuses this suite (AcquireSuite fails, no pointer).
  void refuseSuite(const std::string& name, std::int32_t version);
  // The host's basic suite answers 0 for this suite but gives no pointer (a broken host).
  void withholdSuite(const std::string& name, std::int32_t version);
  // Disarms every fault and refusal; the counters stay.
  void clear();
  void resetCounts();

  // For the host: counts a call of op and tells whether it must fail, and with what code.
  std::optional<ErrorCode> onCall(HostOp op);
  bool refuses(const std::string& name, std::int32_t version) const;
  bool withholds(const std::string& name, std::int32_t version) const;

  std::int64_t calls(HostOp op) const noexcept { return calls_[Index(op)]; }
  // How many calls of op were made to fail.
  std::int64_t fired(HostOp op) const noexcept { return fired_[Index(op)]; }

 private:
  struct Fault {
    bool armed = false;
    std::int64_t at = 0;  // the call number, in calls_ terms, that fails first
    ErrorCode code = kErrNone;
    bool persist = false;
  };
  static std::size_t Index(HostOp op) noexcept { return static_cast<std::size_t>(op); }

  std::array<std::int64_t, kHostOpCount> calls_{};
  std::array<std::int64_t, kHostOpCount> fired_{};
  std::array<Fault, kHostOpCount> faults_{};
  std::set<std::pair<std::string, std::int32_t>> refused_;
  std::set<std::pair<std::string, std::int32_t>> withheld_;
};

}  // namespace boxwander::minihost
