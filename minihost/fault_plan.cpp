#include "minihost/fault_plan.h"

namespace boxwander::minihost {

const char* HostOpName(HostOp op) noexcept {
  switch (op) {
    case HostOp::kAcquireSuite:
      return "AcquireSuite";
    case HostOp::kNewHandle:
      return "host_new_handle";
    case HostOp::kLockHandle:
      return "host_lock_handle";
    case HostOp::kAddParam:
      return "add_param";
    case HostOp::kCheckoutParam:
      return "checkout_param";
    case HostOp::kCheckoutLayer:
      return "checkout_layer";
    case HostOp::kCheckoutLayerPixels:
      return "checkout_layer_pixels";
    case HostOp::kCheckoutOutput:
      return "checkout_output";
    case HostOp::kProgress:
      return "progress";
    case HostOp::kCopy:
      return "copy";
    case HostOp::kFill:
      return "fill";
    case HostOp::kGetPixelFormat:
      return "PF_GetPixelFormat";
    case HostOp::kCheckoutPath:
      return "PF_CheckoutPath";
    case HostOp::kCheckinPath:
      return "PF_CheckinPath";
    case HostOp::kPathNumSegments:
      return "PF_PathNumSegments";
    case HostOp::kPathPrepareSegLength:
      return "PF_PathPrepareSegLength";
    case HostOp::kPathGetSegLength:
      return "PF_PathGetSegLength";
    case HostOp::kPathEval:
      return "PF_PathEvalSegLengthDeriv1";
    case HostOp::kPathCleanup:
      return "PF_PathCleanupSegLength";
    case HostOp::kHasParamChanged:
      return "PF_HasParamChanged";
    case HostOp::kGetCurrentState:
      return "PF_GetCurrentState";
    case HostOp::kUpdateParamUI:
      return "PF_UpdateParamUI";
    case HostOp::kRegisterWithAEGP:
      return "AEGP_RegisterWithAEGP";
    case HostOp::kReleaseSuite:
      return "ReleaseSuite";
    case HostOp::kCount:
      break;
  }
  return "unknown operation";
}

void FaultPlan::failAt(HostOp op, std::int64_t nth, ErrorCode code, bool persist) {
  Fault& f = faults_[Index(op)];
  f.armed = nth >= 1;
  f.at = calls_[Index(op)] + nth;
  f.code = code;
  f.persist = persist;
}

void FaultPlan::refuseSuite(const std::string& name, std::int32_t version) {
  refused_.emplace(name, version);
}

void FaultPlan::withholdSuite(const std::string& name, std::int32_t version) {
  withheld_.emplace(name, version);
}

void FaultPlan::clear() {
  faults_ = {};
  refused_.clear();
  withheld_.clear();
}

void FaultPlan::resetCounts() {
  // Armed faults keep their distance from now.
  for (std::size_t i = 0; i < kHostOpCount; ++i) {
    faults_[i].at -= calls_[i];
  }
  calls_ = {};
  fired_ = {};
}

std::optional<ErrorCode> FaultPlan::onCall(HostOp op) {
  const std::size_t i = Index(op);
  const std::int64_t n = ++calls_[i];
  const Fault& f = faults_[i];
  if (!f.armed || n < f.at || (n > f.at && !f.persist)) {
    return std::nullopt;
  }
  ++fired_[i];
  return f.code;
}

bool FaultPlan::refuses(const std::string& name, std::int32_t version) const {
  return refused_.count({name, version}) != 0;
}

bool FaultPlan::withholds(const std::string& name, std::int32_t version) const {
  return withheld_.count({name, version}) != 0;
}

}  // namespace boxwander::minihost
