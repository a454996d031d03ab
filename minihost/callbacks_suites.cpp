#include <cstring>
#include <iterator>

#include "minihost/callbacks.h"
#include "minihost/host_call.h"
#include "minihost/host_frame.h"

namespace boxwander::minihost::callbacks {
namespace {

SPErr AcquireSuite(const char* name, int32_t version, const void** suite) {
  const HostCall call{
      .op = "AcquireSuite", .fault = HostOp::kAcquireSuite, .refusal = kSuiteNotFound};
  return Serve(
      Current(), call,
      [&](Host&) -> const char* {
        if (name == nullptr || suite == nullptr) {
          return "without a name or a place for the suite";
        }
        *suite = nullptr;
        return nullptr;
      },
      [&](Host& host) -> PF_Err {
        const void* table = FindSuite(name, version);
        if (table == nullptr || host.faults().refuses(name, version)) {
          return kSuiteNotFound;
        }
        if (host.faults().withholds(name, version)) {
          return PF_Err_NONE;  // the pointer stays null
        }
        host.ledger().suiteAcquired(name, version);
        *suite = table;
        return PF_Err_NONE;
      });
}

SPErr ReleaseSuite(const char* name, int32_t version) {
  const HostCall call{.op = "ReleaseSuite",
                      .fault = HostOp::kReleaseSuite,
                      .faultAfterWork = true,
                      .refusal = kSuiteNotFound};
  return Serve(
      Current(), call, [&](Host&) { return name == nullptr ? "without a name" : nullptr; },
      [&](Host& host) -> PF_Err {
        host.ledger().suiteReleased(name, version);
        return PF_Err_NONE;
      });
}

A_Err RegisterWithAEGP(AEGP_GlobalRefcon, const char* name, AEGP_PluginID* plugin_id) {
  const HostCall call{.op = "AEGP_RegisterWithAEGP", .fault = HostOp::kRegisterWithAEGP};
  return Serve(
      Current(), call,
      [&](Host&) {
        return name == nullptr || plugin_id == nullptr ? "without a name or a place for the ID"
                                                       : nullptr;
      },
      [&](Host& host) -> PF_Err {
        *plugin_id = host.registerPlugin(name);
        return PF_Err_NONE;
      });
}

PF_Err UpdateParamUI(PF_ProgPtr effect_ref, PF_ParamIndex index, const PF_ParamDef* param) {
  const HostCall call{.op = "PF_UpdateParamUI",
                      .commands = {PF_Cmd_USER_CHANGED_PARAM, PF_Cmd_UPDATE_PARAMS_UI},
                      .fault = HostOp::kUpdateParamUI};
  return Serve(
      Resolve(effect_ref, call.op), call,
      [&](Host&) { return param == nullptr ? "without a definition" : nullptr; },
      [&](Host& host) { return host.params().updateUI(index, *param); });
}

// A state in handle memory must lie wholly inside its block.
bool StateOverrunsBlock(Host& host, const PF_State* state) {
  return host.handles().owner(state, 1) != nullptr &&
         host.handles().owner(state, sizeof(PF_State)) == nullptr;
}

PF_Err GetCurrentState(PF_ProgPtr effect_ref, PF_State* state) {
  const HostCall call{.op = "PF_GetCurrentState", .fault = HostOp::kGetCurrentState};
  return Serve(
      Resolve(effect_ref, call.op), call,
      [&](Host&) { return state == nullptr ? "without a place for the state" : nullptr; },
      [&](Host& host) -> PF_Err {
        if (StateOverrunsBlock(host, state)) {
          Record(host, "PF_GetCurrentState into a block smaller than a PF_State");
          return PF_Err_BAD_CALLBACK_PARAM;
        }
        host.params().writeState(*state);
        return PF_Err_NONE;
      });
}

PF_Err HasParamChanged(PF_ProgPtr effect_ref, const PF_State* state, PF_ParamIndex index,
                       PF_Boolean* changed) {
  const HostCall call{.op = "PF_HasParamChanged", .fault = HostOp::kHasParamChanged};
  return Serve(
      Resolve(effect_ref, call.op), call,
      [&](Host&) {
        return state == nullptr || changed == nullptr ? "without a state or a place for the answer"
                                                      : nullptr;
      },
      [&](Host& host) -> PF_Err {
        if (index != PF_ParamIndex_CHECK_ALL &&
            index != PF_ParamIndex_CHECK_ALL_EXCEPT_LAYER_PARAMS &&
            (index < 0 || index > host.params().count())) {
          Record(host, "PF_HasParamChanged of unknown index " + std::to_string(index));
          return PF_Err_INVALID_INDEX;
        }
        if (StateOverrunsBlock(host, state)) {
          Record(host, "PF_HasParamChanged given a block smaller than a PF_State");
          *changed = 1;
          return PF_Err_NONE;
        }
        *changed = host.params().changedSince(*state) ? 1 : 0;
        return PF_Err_NONE;
      });
}

PF_Err CheckoutPath(PF_ProgPtr effect_ref, PF_PathID unique_id, int32_t what_time,
                    int32_t time_step, uint32_t time_scale, PF_PathOutlinePtr* path) {
  const HostCall call{.op = "PF_CheckoutPath", .fault = HostOp::kCheckoutPath};
  return Serve(
      Resolve(effect_ref, call.op), call,
      [&](Host&) -> const char* {
        if (path != nullptr) {
          *path = nullptr;
        }
        return nullptr;
      },
      [&](Host& host) {
        const HostFrame* frame = host.commandState().frame;
        const double sx = frame != nullptr ? ScaleOf(frame->downsampleX) : 1.0;
        const double sy = frame != nullptr ? ScaleOf(frame->downsampleY) : 1.0;
        return host.paths().checkout(unique_id, {what_time, time_step, time_scale}, sx, sy, path);
      });
}

PF_Err CheckinPath(PF_ProgPtr effect_ref, PF_PathID unique_id, PF_Boolean, PF_PathOutlinePtr path) {
  // A failing check-in still takes the path back: the effect cannot do more.
  const HostCall call{
      .op = "PF_CheckinPath", .fault = HostOp::kCheckinPath, .faultAfterWork = true};
  return Serve(Resolve(effect_ref, call.op), call,
               [&](Host& host) { return host.paths().checkin(unique_id, path); });
}

PF_Err PathNumSegments(PF_ProgPtr effect_ref, PF_PathOutlinePtr path, int32_t* num_segments) {
  const HostCall call{.op = "PF_PathNumSegments", .fault = HostOp::kPathNumSegments};
  return Serve(Resolve(effect_ref, call.op), call,
               [&](Host& host) { return host.paths().numSegments(path, num_segments); });
}

PF_Err PathPrepareSegLength(PF_ProgPtr effect_ref, PF_PathOutlinePtr path, int32_t seg_index,
                            int32_t frequency, PF_PathSegPrepPtr* prep) {
  const HostCall call{.op = "PF_PathPrepareSegLength", .fault = HostOp::kPathPrepareSegLength};
  return Serve(Resolve(effect_ref, call.op), call,
               [&](Host& host) { return host.paths().prepare(path, seg_index, frequency, prep); });
}

PF_Err PathGetSegLength(PF_ProgPtr effect_ref, PF_PathOutlinePtr path, int32_t seg_index,
                        PF_PathSegPrepPtr* prep, PF_FpLong* length) {
  const HostCall call{.op = "PF_PathGetSegLength", .fault = HostOp::kPathGetSegLength};
  return Serve(Resolve(effect_ref, call.op), call,
               [&](Host& host) { return host.paths().length(path, seg_index, prep, length); });
}

PF_Err PathEvalSegLengthDeriv1(PF_ProgPtr effect_ref, PF_PathOutlinePtr path,
                               PF_PathSegPrepPtr* prep, int32_t seg_index, PF_FpLong length,
                               PF_FpLong* x, PF_FpLong* y, PF_FpLong* deriv1x, PF_FpLong* deriv1y) {
  const HostCall call{.op = "PF_PathEvalSegLengthDeriv1", .fault = HostOp::kPathEval};
  return Serve(Resolve(effect_ref, call.op), call, [&](Host& host) {
    return host.paths().eval(path, prep, seg_index, length, x, y, deriv1x, deriv1y);
  });
}

PF_Err PathCleanupSegLength(PF_ProgPtr effect_ref, PF_PathOutlinePtr path, int32_t seg_index,
                            PF_PathSegPrepPtr* prep) {
  // A failing clean-up still frees the preparation, so nothing is left behind.
  const HostCall call{
      .op = "PF_PathCleanupSegLength", .fault = HostOp::kPathCleanup, .faultAfterWork = true};
  return Serve(Resolve(effect_ref, call.op), call,
               [&](Host& host) { return host.paths().cleanup(path, seg_index, prep); });
}

void MaskReserved() {
  if (Host* host = Current()) {
    Record(*host, "a function of the AEGP Mask Suite was called");
  }
}

const SPBasicSuite kBasicSuite{&AcquireSuite, &ReleaseSuite};
const PF_ANSICallbacksSuite1 kAnsiSuite{&Sprintf};
const AEGP_UtilitySuite7 kUtilitySuite{&RegisterWithAEGP};
const PF_HandleSuite1 kHandleSuite{&NewHandle, &LockHandle, &UnlockHandle, &DisposeHandle};
const PF_ParamUtilsSuite1 kParamUtilsSuite{&UpdateParamUI, &GetCurrentState, &HasParamChanged};
const PF_PathQuerySuite1 kPathQuerySuite{&CheckoutPath, &CheckinPath};
const PF_PathDataSuite1 kPathDataSuite{&PathNumSegments, &PathPrepareSegLength, &PathGetSegLength,
                                       &PathEvalSegLengthDeriv1, &PathCleanupSegLength};
const PF_WorldSuite2 kWorldSuite{&GetPixelFormat};
const AEGP_MaskSuite1 kMaskSuite{&MaskReserved};

struct SuiteEntry {
  const char* name;
  std::int32_t version;
  const void* table;
};
const SuiteEntry kSuites[] = {
    {kPFANSISuite, kPFANSISuiteVersion1, &kAnsiSuite},
    {kAEGPUtilitySuite, kAEGPUtilitySuiteVersion7, &kUtilitySuite},
    {kPFHandleSuite, kPFHandleSuiteVersion1, &kHandleSuite},
    {kPFParamUtilsSuite, kPFParamUtilsSuiteVersion1, &kParamUtilsSuite},
    {kPFPathQuerySuite, kPFPathQuerySuiteVersion1, &kPathQuerySuite},
    {kPFPathDataSuite, kPFPathDataSuiteVersion1, &kPathDataSuite},
    {kPFWorldSuite, kPFWorldSuiteVersion2, &kWorldSuite},
    {kAEGPMaskSuite, kAEGPMaskSuiteVersion1, &kMaskSuite},
};

}  // namespace

const SPBasicSuite* BasicSuite() noexcept {
  return &kBasicSuite;
}

}  // namespace boxwander::minihost::callbacks

namespace boxwander::minihost {

const void* FindSuite(const std::string& name, std::int32_t version) noexcept {
  for (const callbacks::SuiteEntry& e : callbacks::kSuites) {
    if (e.version == version && name == e.name) {
      return e.table;
    }
  }
  return nullptr;
}

}  // namespace boxwander::minihost
