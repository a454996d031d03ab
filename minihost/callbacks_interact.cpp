#include "minihost/callbacks.h"
#include "minihost/host_call.h"
#include "minihost/host_frame.h"

namespace boxwander::minihost::callbacks {
namespace {

PF_Err CheckoutParam(PF_ProgPtr effect_ref, PF_ParamIndex index, int32_t what_time,
                     int32_t time_step, uint32_t time_scale, PF_ParamDef* param) {
  const HostCall call{.op = "checkout_param", .fault = HostOp::kCheckoutParam};
  return Serve(
      Resolve(effect_ref, call.op), call,
      [&](Host& host) -> const char* {
        if (host.commandState().cmd == PF_Cmd_PARAMS_SETUP || host.params().count() == 0) {
          return "before parameter setup is over";
        }
        return param == nullptr ? "without a definition to fill" : nullptr;
      },
      [&](Host& host) -> PF_Err {
        const PF_Err err =
            host.params().checkout(index, {what_time, time_step, time_scale}, *param);
        const HostFrame* frame = host.commandState().frame;
        if (err == PF_Err_NONE && index == 0 && frame != nullptr) {
          param->u.ld = frame->inputWorld;
        }
        return err;
      });
}

PF_Err CheckinParam(PF_ProgPtr effect_ref, PF_ParamDef* param) {
  const HostCall call{.op = "checkin_param"};
  return Serve(
      Resolve(effect_ref, call.op), call,
      [&](Host&) { return param == nullptr ? "without a definition" : nullptr; },
      [&](Host& host) -> PF_Err {
        host.params().checkin();
        return PF_Err_NONE;
      });
}

PF_Err AddParam(PF_ProgPtr effect_ref, PF_ParamIndex index, const PF_ParamDef* def) {
  const HostCall call{
      .op = "add_param", .commands = {PF_Cmd_PARAMS_SETUP}, .fault = HostOp::kAddParam};
  return Serve(
      Resolve(effect_ref, call.op), call,
      [&](Host&) { return def == nullptr ? "without a definition" : nullptr; },
      [&](Host& host) { return host.params().add(index, *def); });
}

PF_Err Progress(PF_ProgPtr effect_ref, int32_t count, int32_t total) {
  // Recorded and shown before an armed fault decides the answer.
  const HostCall call{.op = "progress",
                      .commands = {PF_Cmd_SMART_RENDER, PF_Cmd_RENDER},
                      .fault = HostOp::kProgress,
                      .faultAfterWork = true};
  return Serve(Resolve(effect_ref, call.op), call, [&](Host& host) -> PF_Err {
    if (HostFrame* frame = host.commandState().frame) {
      frame->progress.push_back({count, total});
      if (frame->onProgress) {
        frame->onProgress(count, total);
      }
    }
    return PF_Err_NONE;
  });
}

}  // namespace

PF_InteractCallbacks Interact() noexcept {
  PF_InteractCallbacks cb{};
  cb.checkout_param = &CheckoutParam;
  cb.checkin_param = &CheckinParam;
  cb.add_param = &AddParam;
  cb.progress = &Progress;
  return cb;
}

}  // namespace boxwander::minihost::callbacks
