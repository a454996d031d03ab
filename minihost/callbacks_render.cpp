#include <algorithm>

#include "minihost/callbacks.h"
#include "minihost/host_frame.h"

namespace boxwander::minihost {
PF_PixelFormat FormatCodeOf(PixelFormat f) noexcept {
  switch (f) {
    case PixelFormat::k8:
      return PF_PixelFormat_ARGB32;
    case PixelFormat::k16:
      return PF_PixelFormat_ARGB64;
    case PixelFormat::kFloat:
      return PF_PixelFormat_ARGB128;
  }
  return PF_PixelFormat_INVALID;
}

PF_Err Callbacks::CheckoutLayer(PF_ProgPtr effect_ref, PF_ParamIndex index, int32_t checkout_id,
                                const PF_RenderRequest* req, int32_t, int32_t, uint32_t,
                                PF_CheckoutResult* result) {
  Host* host = Resolve(effect_ref, "checkout_layer");
  if (host == nullptr || !Allowed(*host, "checkout_layer", {PF_Cmd_SMART_PRE_RENDER})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "checkout_layer", [&]() -> PF_Err {
    Host::FrameContext* frame = host->frame_;
    if (frame == nullptr) {
      Misbehaviour(*host, "checkout_layer outside a frame the host renders");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (req == nullptr || result == nullptr) {
      Misbehaviour(*host, "checkout_layer without a request or a result");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (const auto code = host->faults_.onCall(HostOp::kCheckoutLayer)) {
      return *code;
    }
    if (index != 0) {
      Misbehaviour(*host, "checkout_layer of layer parameter " + std::to_string(index));
      return PF_Err_INVALID_INDEX;
    }
    frame->layerCheckouts[checkout_id] = *req;
    if (!frame->layerRequest) {
      frame->layerRequest = *req;
    }
    // The input covers its own bounds; what is asked of it is that, cut to the request.
    const PF_LRect bounds{0, 0, frame->input.width(), frame->input.height()};
    PF_LRect cut{std::max(req->rect.left, bounds.left), std::max(req->rect.top, bounds.top),
                 std::min(req->rect.right, bounds.right),
                 std::min(req->rect.bottom, bounds.bottom)};
    if (cut.left >= cut.right || cut.top >= cut.bottom) {
      cut = {};
    }
    *result = {};
    result->result_rect = cut;
    result->max_result_rect = bounds;
    result->par = {1, 1};
    result->ref_width = bounds.right;
    result->ref_height = bounds.bottom;
    return PF_Err_NONE;
  });
}

PF_Err Callbacks::CheckoutLayerPixels(PF_ProgPtr effect_ref, int32_t checkout_id,
                                      PF_EffectWorld** pixels) {
  Host* host = Resolve(effect_ref, "checkout_layer_pixels");
  if (host == nullptr || !Allowed(*host, "checkout_layer_pixels", {PF_Cmd_SMART_RENDER})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "checkout_layer_pixels", [&]() -> PF_Err {
    Host::FrameContext* frame = host->frame_;
    if (frame == nullptr) {
      Misbehaviour(*host, "checkout_layer_pixels outside a frame the host renders");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (pixels == nullptr) {
      Misbehaviour(*host, "checkout_layer_pixels without a place for the world");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (const auto code = host->faults_.onCall(HostOp::kCheckoutLayerPixels)) {
      return *code;
    }
    if (frame->layerCheckouts.count(checkout_id) == 0) {
      Misbehaviour(*host, "checkout_layer_pixels of id " + std::to_string(checkout_id) +
                              ", not checked out at pre-render");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    *pixels = &frame->inputWorld;
    return PF_Err_NONE;
  });
}

PF_Err Callbacks::CheckoutOutput(PF_ProgPtr effect_ref, PF_EffectWorld** output) {
  Host* host = Resolve(effect_ref, "checkout_output");
  if (host == nullptr || !Allowed(*host, "checkout_output", {PF_Cmd_SMART_RENDER})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "checkout_output", [&]() -> PF_Err {
    if (host->frame_ == nullptr) {
      Misbehaviour(*host, "checkout_output outside a frame the host renders");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (output == nullptr) {
      Misbehaviour(*host, "checkout_output without a place for the world");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (const auto code = host->faults_.onCall(HostOp::kCheckoutOutput)) {
      return *code;
    }
    *output = &host->frame_->outputWorld;
    return PF_Err_NONE;
  });
}

PF_Err Callbacks::GetPixelFormat(const PF_EffectWorld* world, PF_PixelFormat* pixel_format) {
  Host* host = Current();
  if (host == nullptr || !Allowed(*host, "PF_GetPixelFormat", {})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "PF_GetPixelFormat", [&]() -> PF_Err {
    if (const auto code = host->faults_.onCall(HostOp::kGetPixelFormat)) {
      return *code;
    }
    Host::FrameContext* frame = host->frame_;
    World* w = frame != nullptr ? frame->find(world) : nullptr;
    if (w == nullptr || pixel_format == nullptr) {
      Misbehaviour(*host, "PF_GetPixelFormat of a world the host did not hand out");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    *pixel_format = world == &frame->inputWorld ? frame->reportedFormat : FormatCodeOf(w->format());
    return PF_Err_NONE;
  });
}

}  // namespace boxwander::minihost
