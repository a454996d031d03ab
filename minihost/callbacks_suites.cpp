#include <cstring>
#include <iterator>

#include "minihost/callbacks.h"
#include "minihost/host_frame.h"

namespace boxwander::minihost {
namespace {

const SPBasicSuite kBasicSuite{&Callbacks::AcquireSuite, &Callbacks::ReleaseSuite};
const PF_ANSICallbacksSuite1 kAnsiSuite{&Callbacks::Sprintf};
const AEGP_UtilitySuite7 kUtilitySuite{&Callbacks::RegisterWithAEGP};
const PF_HandleSuite1 kHandleSuite{&Callbacks::NewHandle, &Callbacks::LockHandle,
                                   &Callbacks::UnlockHandle, &Callbacks::DisposeHandle};
const PF_ParamUtilsSuite1 kParamUtilsSuite{&Callbacks::UpdateParamUI, &Callbacks::GetCurrentState,
                                           &Callbacks::HasParamChanged};
const PF_PathQuerySuite1 kPathQuerySuite{&Callbacks::CheckoutPath, &Callbacks::CheckinPath};
const PF_PathDataSuite1 kPathDataSuite{
    &Callbacks::PathNumSegments, &Callbacks::PathPrepareSegLength, &Callbacks::PathGetSegLength,
    &Callbacks::PathEvalSegLengthDeriv1, &Callbacks::PathCleanupSegLength};
const PF_WorldSuite2 kWorldSuite{&Callbacks::GetPixelFormat};
const AEGP_MaskSuite1 kMaskSuite{&Callbacks::MaskReserved};

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

const void* FindSuite(const std::string& name, std::int32_t version) noexcept {
  for (const SuiteEntry& e : kSuites) {
    if (e.version == version && name == e.name) {
      return e.table;
    }
  }
  return nullptr;
}

const SPBasicSuite* Callbacks::BasicSuite() noexcept {
  return &kBasicSuite;
}

SPErr Callbacks::AcquireSuite(const char* name, int32_t version, const void** suite) {
  Host* host = Current();
  if (host == nullptr || !Allowed(*host, "AcquireSuite", {})) {
    return kSuiteNotFound;
  }
  if (name == nullptr || suite == nullptr) {
    Misbehaviour(*host, "AcquireSuite without a name or a place for the suite");
    return kSuiteNotFound;
  }
  *suite = nullptr;
  return Guard(*host, "AcquireSuite", [&]() -> PF_Err {
    if (const auto code = host->faults_.onCall(HostOp::kAcquireSuite)) {
      return *code;
    }
    const void* table = FindSuite(name, version);
    if (table == nullptr || host->faults_.refuses(name, version)) {
      return kSuiteNotFound;
    }
    host->ledger_.suiteAcquired(name, version);
    *suite = table;
    return PF_Err_NONE;
  });
}

SPErr Callbacks::ReleaseSuite(const char* name, int32_t version) {
  Host* host = Current();
  if (host == nullptr || !Allowed(*host, "ReleaseSuite", {})) {
    return kSuiteNotFound;
  }
  if (name == nullptr) {
    Misbehaviour(*host, "ReleaseSuite without a name");
    return kSuiteNotFound;
  }
  return Guard(*host, "ReleaseSuite", [&]() -> PF_Err {
    host->ledger_.suiteReleased(name, version);
    return PF_Err_NONE;
  });
}

A_Err Callbacks::RegisterWithAEGP(AEGP_GlobalRefcon, const char* name, AEGP_PluginID* plugin_id) {
  Host* host = Current();
  if (host == nullptr || !Allowed(*host, "AEGP_RegisterWithAEGP", {})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "AEGP_RegisterWithAEGP", [&]() -> PF_Err {
    if (name == nullptr || plugin_id == nullptr) {
      Misbehaviour(*host, "AEGP_RegisterWithAEGP without a name or a place for the ID");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (const auto code = host->faults_.onCall(HostOp::kRegisterWithAEGP)) {
      return *code;
    }
    host->registeredName_ = name;
    *plugin_id = host->nextPluginId_++;
    return PF_Err_NONE;
  });
}

PF_Err Callbacks::UpdateParamUI(PF_ProgPtr effect_ref, PF_ParamIndex index,
                                const PF_ParamDef* param) {
  Host* host = Resolve(effect_ref, "PF_UpdateParamUI");
  if (host == nullptr ||
      !Allowed(*host, "PF_UpdateParamUI", {PF_Cmd_USER_CHANGED_PARAM, PF_Cmd_UPDATE_PARAMS_UI})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "PF_UpdateParamUI", [&]() -> PF_Err {
    if (param == nullptr) {
      Misbehaviour(*host, "PF_UpdateParamUI without a definition");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (const auto code = host->faults_.onCall(HostOp::kUpdateParamUI)) {
      return *code;
    }
    return host->params_.updateUI(index, *param);
  });
}

PF_Err Callbacks::GetCurrentState(PF_ProgPtr effect_ref, PF_State* state) {
  Host* host = Resolve(effect_ref, "PF_GetCurrentState");
  if (host == nullptr || !Allowed(*host, "PF_GetCurrentState", {})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "PF_GetCurrentState", [&]() -> PF_Err {
    if (state == nullptr) {
      Misbehaviour(*host, "PF_GetCurrentState without a place for the state");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (const auto code = host->faults_.onCall(HostOp::kGetCurrentState)) {
      return *code;
    }
    // Into handle memory, the whole record must fit the block.
    if (host->handles_.owner(state, 1) != nullptr &&
        host->handles_.owner(state, sizeof(PF_State)) == nullptr) {
      Misbehaviour(*host, "PF_GetCurrentState into a block smaller than a PF_State");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    host->params_.writeState(*state);
    return PF_Err_NONE;
  });
}

PF_Err Callbacks::HasParamChanged(PF_ProgPtr effect_ref, const PF_State* state, PF_ParamIndex index,
                                  PF_Boolean* changed) {
  Host* host = Resolve(effect_ref, "PF_HasParamChanged");
  if (host == nullptr || !Allowed(*host, "PF_HasParamChanged", {})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "PF_HasParamChanged", [&]() -> PF_Err {
    if (state == nullptr || changed == nullptr) {
      Misbehaviour(*host, "PF_HasParamChanged without a state or a place for the answer");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (const auto code = host->faults_.onCall(HostOp::kHasParamChanged)) {
      return *code;
    }
    if (index != PF_ParamIndex_CHECK_ALL && index != PF_ParamIndex_CHECK_ALL_EXCEPT_LAYER_PARAMS &&
        (index < 0 || index > host->params_.count())) {
      Misbehaviour(*host, "PF_HasParamChanged of unknown index " + std::to_string(index));
      return PF_Err_INVALID_INDEX;
    }
    // A state read from handle memory must lie wholly inside its block.
    if (host->handles_.owner(state, 1) != nullptr &&
        host->handles_.owner(state, sizeof(PF_State)) == nullptr) {
      Misbehaviour(*host, "PF_HasParamChanged given a block smaller than a PF_State");
      *changed = 1;
      return PF_Err_NONE;
    }
    *changed = host->params_.changedSince(*state) ? 1 : 0;
    return PF_Err_NONE;
  });
}

PF_Err Callbacks::CheckoutPath(PF_ProgPtr effect_ref, PF_PathID unique_id, int32_t what_time,
                               int32_t time_step, uint32_t time_scale, PF_PathOutlinePtr* path) {
  Host* host = Resolve(effect_ref, "PF_CheckoutPath");
  if (host == nullptr || !Allowed(*host, "PF_CheckoutPath", {})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "PF_CheckoutPath", [&]() -> PF_Err {
    if (path != nullptr) {
      *path = nullptr;
    }
    if (const auto code = host->faults_.onCall(HostOp::kCheckoutPath)) {
      return *code;
    }
    const Host::FrameContext* frame = host->frame_;
    const double sx = frame != nullptr ? ScaleOf(frame->downsampleX) : 1.0;
    const double sy = frame != nullptr ? ScaleOf(frame->downsampleY) : 1.0;
    return host->paths_.checkout(unique_id, {what_time, time_step, time_scale}, sx, sy, path);
  });
}

PF_Err Callbacks::CheckinPath(PF_ProgPtr effect_ref, PF_PathID unique_id, PF_Boolean,
                              PF_PathOutlinePtr path) {
  Host* host = Resolve(effect_ref, "PF_CheckinPath");
  if (host == nullptr || !Allowed(*host, "PF_CheckinPath", {})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "PF_CheckinPath", [&]() -> PF_Err {
    // A failing check-in still takes the path back: the effect cannot do more.
    const PF_Err err = host->paths_.checkin(unique_id, path);
    if (const auto code = host->faults_.onCall(HostOp::kCheckinPath)) {
      return *code;
    }
    return err;
  });
}

PF_Err Callbacks::PathNumSegments(PF_ProgPtr effect_ref, PF_PathOutlinePtr path,
                                  int32_t* num_segments) {
  Host* host = Resolve(effect_ref, "PF_PathNumSegments");
  if (host == nullptr || !Allowed(*host, "PF_PathNumSegments", {})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "PF_PathNumSegments", [&]() -> PF_Err {
    if (const auto code = host->faults_.onCall(HostOp::kPathNumSegments)) {
      return *code;
    }
    return host->paths_.numSegments(path, num_segments);
  });
}

PF_Err Callbacks::PathPrepareSegLength(PF_ProgPtr effect_ref, PF_PathOutlinePtr path,
                                       int32_t seg_index, int32_t frequency,
                                       PF_PathSegPrepPtr* prep) {
  Host* host = Resolve(effect_ref, "PF_PathPrepareSegLength");
  if (host == nullptr || !Allowed(*host, "PF_PathPrepareSegLength", {})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "PF_PathPrepareSegLength", [&]() -> PF_Err {
    if (const auto code = host->faults_.onCall(HostOp::kPathPrepareSegLength)) {
      return *code;
    }
    return host->paths_.prepare(path, seg_index, frequency, prep);
  });
}

PF_Err Callbacks::PathGetSegLength(PF_ProgPtr effect_ref, PF_PathOutlinePtr path, int32_t seg_index,
                                   PF_PathSegPrepPtr* prep, PF_FpLong* length) {
  Host* host = Resolve(effect_ref, "PF_PathGetSegLength");
  if (host == nullptr || !Allowed(*host, "PF_PathGetSegLength", {})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "PF_PathGetSegLength", [&]() -> PF_Err {
    if (const auto code = host->faults_.onCall(HostOp::kPathGetSegLength)) {
      return *code;
    }
    return host->paths_.length(path, seg_index, prep, length);
  });
}

PF_Err Callbacks::PathEvalSegLengthDeriv1(PF_ProgPtr effect_ref, PF_PathOutlinePtr path,
                                          PF_PathSegPrepPtr* prep, int32_t seg_index,
                                          PF_FpLong length, PF_FpLong* x, PF_FpLong* y,
                                          PF_FpLong* deriv1x, PF_FpLong* deriv1y) {
  Host* host = Resolve(effect_ref, "PF_PathEvalSegLengthDeriv1");
  if (host == nullptr || !Allowed(*host, "PF_PathEvalSegLengthDeriv1", {})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "PF_PathEvalSegLengthDeriv1", [&]() -> PF_Err {
    if (const auto code = host->faults_.onCall(HostOp::kPathEval)) {
      return *code;
    }
    return host->paths_.eval(path, prep, seg_index, length, x, y, deriv1x, deriv1y);
  });
}

PF_Err Callbacks::PathCleanupSegLength(PF_ProgPtr effect_ref, PF_PathOutlinePtr path,
                                       int32_t seg_index, PF_PathSegPrepPtr* prep) {
  Host* host = Resolve(effect_ref, "PF_PathCleanupSegLength");
  if (host == nullptr || !Allowed(*host, "PF_PathCleanupSegLength", {})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "PF_PathCleanupSegLength", [&]() -> PF_Err {
    // A failing clean-up still frees the preparation, so nothing is left behind.
    const PF_Err err = host->paths_.cleanup(path, seg_index, prep);
    if (const auto code = host->faults_.onCall(HostOp::kPathCleanup)) {
      return *code;
    }
    return err;
  });
}

void Callbacks::MaskReserved() {
  if (Host* host = Current()) {
    Misbehaviour(*host, "a function of the AEGP Mask Suite was called");
  }
}

}  // namespace boxwander::minihost
