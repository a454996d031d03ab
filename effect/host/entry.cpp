#include "host/entry.h"

#include <new>

#include "host/handlers.h"
#include "host/host_failure.h"

namespace boxwander {
namespace {

using Handler = PF_Err (*)(PF_InData*, PF_OutData*, PF_ParamDef**, void*);

struct Route {
  Handler handler = nullptr;  // null: the command is not handled
  bool writesOutData = true;
};

// The dispatch table: one handler per command the effect answers.
Route RouteOf(PF_Cmd cmd) {
  switch (cmd) {
    case PF_Cmd_ABOUT:
      return {[](PF_InData* in, PF_OutData* out, PF_ParamDef**, void*) { return About(in, out); }};
    case PF_Cmd_GLOBAL_SETUP:
      return {[](PF_InData* in, PF_OutData* out, PF_ParamDef**, void*) {
        return GlobalSetup(in, out);
      }};
    case PF_Cmd_PARAMS_SETUP:
      return {[](PF_InData* in, PF_OutData* out, PF_ParamDef**, void*) {
        return ParamsSetup(in, out);
      }};
    case PF_Cmd_SEQUENCE_SETUP:
    case PF_Cmd_SEQUENCE_RESETUP:
      return {[](PF_InData* in, PF_OutData* out, PF_ParamDef**, void*) {
        return SequenceSetup(in, out);
      }};
    case PF_Cmd_SEQUENCE_SETDOWN:
      return {[](PF_InData* in, PF_OutData*, PF_ParamDef**, void*) { return SequenceSetdown(in); },
              false};
    case PF_Cmd_USER_CHANGED_PARAM:
    case PF_Cmd_UPDATE_PARAMS_UI:
      return {[](PF_InData* in, PF_OutData* out, PF_ParamDef** params, void*) {
        return UpdateParamsUI(in, out, params);
      }};
    case PF_Cmd_COMPLETELY_GENERAL:
      return {[](PF_InData* in, PF_OutData* out, PF_ParamDef**, void* extra) {
        return CompletelyGeneral(in, out, extra);
      }};
    case PF_Cmd_SMART_PRE_RENDER:
      return {[](PF_InData* in, PF_OutData* out, PF_ParamDef**, void* extra) {
        return SmartPreRender(in, out, static_cast<PF_PreRenderExtra*>(extra));
      }};
    case PF_Cmd_SMART_RENDER:
      return {[](PF_InData* in, PF_OutData* out, PF_ParamDef**, void* extra) {
        return SmartRender(in, out, static_cast<PF_SmartRenderExtra*>(extra));
      }};
    default:
      return {};
  }
}

}  // namespace
}  // namespace boxwander

// The one place where failures become host error codes: nothing thrown crosses into the
// host.
extern "C" PF_Err BOXWANDER_CDECL EntryPointFunc(PF_Cmd cmd, PF_InData* in_data,
                                                 PF_OutData* out_data, PF_ParamDef* params[],
                                                 PF_LayerDef* /*output*/, void* extra) noexcept {
  using namespace boxwander;
  const Route route = RouteOf(cmd);
  if (route.handler == nullptr) {
    return PF_Err_NONE;
  }
  if (in_data == nullptr || (route.writesOutData && out_data == nullptr)) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  try {
    return route.handler(in_data, out_data, params, extra);
  } catch (const HostFailure& failure) {
    return failure.code;
  } catch (const std::bad_alloc&) {
    return PF_Err_OUT_OF_MEMORY;
  } catch (...) {
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
}
