#pragma once

#include <exception>
#include <initializer_list>
#include <new>
#include <optional>
#include <string>

#include "host/host_interface.h"
#include "minihost/fault_plan.h"
#include "minihost/host.h"

// What every callback of the host does before and around its own work.
namespace boxwander::minihost::callbacks {

// One host operation as the module calls it.
struct HostCall {
  const char* op;  // its name in the books ("checkout_param", "PF_CheckoutPath", ...)
  // The commands it belongs to; none: any command, or the pre-render data's release.
  std::initializer_list<PF_Cmd> commands = {};
  std::optional<HostOp> fault = std::nullopt;  // what the fault plan can make fail
  // The work is done even when the fault plan fails the call, the fault deciding only the
  // answer (a failing check-in still takes the path back).
  bool faultAfterWork = false;
  PF_Err refusal = PF_Err_BAD_CALLBACK_PARAM;  // the answer to a call refused
};

// Records misbehaviour; a record lost for want of memory does not harm the module.
void Record(Host& host, std::string what) noexcept;

// The host for a call that carries an effect reference; records a wrong reference.
Host* Resolve(PF_ProgPtr effect_ref, const char* op) noexcept;

// Whether op may be called in the command under way; records misbehaviour if not.
bool Allowed(Host& host, const char* op, std::initializer_list<PF_Cmd> commands) noexcept;

// The preamble of the handle calls, which answer a pointer or nothing instead of a code:
// the host of the current command, or null when the call is refused there or the fault
// plan fails it.
Host* Admit(const char* op, std::optional<HostOp> fault = std::nullopt) noexcept;

// For calls whose arguments only the work itself checks.
inline const char* NoCheck(Host&) noexcept {
  return nullptr;
}

// Serves one call: refuses it without a host or outside its commands; `check(host)` may
// name what is wrong with the arguments ("without a definition"), which is recorded as
// "<op> <what>" and refused, and may clear the call's out-pointers; then the fault plan
// may fail the call; then `work(host)` answers.
// An exception from any of it becomes an error code and a ledger entry, never an unwinding
// through the module.
template <class Check, class Work>
PF_Err Serve(Host* host, const HostCall& call, Check&& check, Work&& work) noexcept {
  if (host == nullptr || !Allowed(*host, call.op, call.commands)) {
    return call.refusal;
  }
  try {
    if (const char* wrong = check(*host)) {
      Record(*host, std::string(call.op) + " " + wrong);
      return call.refusal;
    }
    if (call.faultAfterWork) {
      const PF_Err err = work(*host);
      const auto code = call.fault ? host->faults().onCall(*call.fault) : std::nullopt;
      return code ? *code : err;
    }
    if (const auto code = call.fault ? host->faults().onCall(*call.fault) : std::nullopt) {
      return *code;
    }
    return work(*host);
  } catch (const std::bad_alloc&) {
    Record(*host, std::string("host out of memory in ") + call.op);
    return PF_Err_OUT_OF_MEMORY;
  } catch (const std::exception& e) {
    Record(*host, std::string("host error in ") + call.op + ": " + e.what());
    return PF_Err_BAD_CALLBACK_PARAM;
  } catch (...) {
    // From a caller's hook, say: it must not unwind through the module either.
    Record(*host, std::string("host error in ") + call.op + ": an exception of unknown type");
    return PF_Err_BAD_CALLBACK_PARAM;
  }
}

template <class Work>
PF_Err Serve(Host* host, const HostCall& call, Work&& work) noexcept {
  return Serve(host, call, NoCheck, work);
}

}  // namespace boxwander::minihost::callbacks
