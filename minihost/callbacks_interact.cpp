#include "minihost/callbacks.h"
#include "minihost/host_frame.h"

namespace boxwander::minihost {

PF_Err Callbacks::CheckoutParam(PF_ProgPtr effect_ref, PF_ParamIndex index, int32_t what_time,
                                int32_t time_step, uint32_t time_scale, PF_ParamDef* param) {
  Host* host = Resolve(effect_ref, "checkout_param");
  if (host == nullptr || !Allowed(*host, "checkout_param", {})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "checkout_param", [&]() -> PF_Err {
    if (host->activeCmd_ == PF_Cmd_PARAMS_SETUP || host->params_.count() == 0) {
      Misbehaviour(*host, "checkout_param before parameter setup is over");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (param == nullptr) {
      Misbehaviour(*host, "checkout_param without a definition to fill");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (const auto code = host->faults_.onCall(HostOp::kCheckoutParam)) {
      return *code;
    }
    const PF_Err err = host->params_.checkout(index, {what_time, time_step, time_scale}, *param);
    if (err == PF_Err_NONE && index == 0 && host->frame_ != nullptr) {
      param->u.ld = host->frame_->inputWorld;
    }
    return err;
  });
}

PF_Err Callbacks::CheckinParam(PF_ProgPtr effect_ref, PF_ParamDef* param) {
  Host* host = Resolve(effect_ref, "checkin_param");
  if (host == nullptr || !Allowed(*host, "checkin_param", {})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  if (param == nullptr) {
    Misbehaviour(*host, "checkin_param without a definition");
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  host->params_.checkin();
  return PF_Err_NONE;
}

PF_Err Callbacks::AddParam(PF_ProgPtr effect_ref, PF_ParamIndex index, const PF_ParamDef* def) {
  Host* host = Resolve(effect_ref, "add_param");
  if (host == nullptr || !Allowed(*host, "add_param", {PF_Cmd_PARAMS_SETUP})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "add_param", [&]() -> PF_Err {
    if (def == nullptr) {
      Misbehaviour(*host, "add_param without a definition");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (const auto code = host->faults_.onCall(HostOp::kAddParam)) {
      return *code;
    }
    return host->params_.add(index, *def);
  });
}

PF_Err Callbacks::Progress(PF_ProgPtr effect_ref, int32_t count, int32_t total) {
  Host* host = Resolve(effect_ref, "progress");
  if (host == nullptr || !Allowed(*host, "progress", {PF_Cmd_SMART_RENDER, PF_Cmd_RENDER})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "progress", [&]() -> PF_Err {
    if (host->frame_ != nullptr) {
      host->frame_->progress.push_back({count, total});
      if (host->frame_->onProgress) {
        host->frame_->onProgress(count, total);
      }
    }
    if (const auto code = host->faults_.onCall(HostOp::kProgress)) {
      return *code;
    }
    return PF_Err_NONE;
  });
}

}  // namespace boxwander::minihost
