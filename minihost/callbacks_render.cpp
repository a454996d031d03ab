#include <algorithm>

#include "minihost/callbacks.h"
#include "minihost/host_call.h"
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

namespace callbacks {
namespace {

// The frame of a call that belongs to a frame the host renders (checked before the call
// is served).
HostFrame& FrameOf(Host& host) {
  return *host.commandState().frame;
}

// What is wrong with a call that belongs to a frame: no frame, or no place for what it
// gives or takes (`missing` says what).
const char* FrameCallMisuse(Host& host, bool placesGiven, const char* missing) {
  if (host.commandState().frame == nullptr) {
    return "outside a frame the host renders";
  }
  return placesGiven ? nullptr : missing;
}

PF_Err CheckoutLayer(PF_ProgPtr effect_ref, PF_ParamIndex index, int32_t checkout_id,
                     const PF_RenderRequest* req, int32_t, int32_t, uint32_t,
                     PF_CheckoutResult* result) {
  const HostCall call{.op = "checkout_layer",
                      .commands = {PF_Cmd_SMART_PRE_RENDER},
                      .fault = HostOp::kCheckoutLayer};
  return Serve(
      Resolve(effect_ref, call.op), call,
      [&](Host& host) {
        return FrameCallMisuse(host, req != nullptr && result != nullptr,
                               "without a request or a result");
      },
      [&](Host& host) -> PF_Err {
        if (index != 0) {
          Record(host, "checkout_layer of layer parameter " + std::to_string(index));
          return PF_Err_INVALID_INDEX;
        }
        HostFrame& frame = FrameOf(host);
        frame.layerCheckouts[checkout_id] = *req;
        if (!frame.layerRequest) {
          frame.layerRequest = *req;
        }
        // The input covers its own bounds; what is asked of it is that, cut to the request.
        const PF_LRect bounds{0, 0, frame.input.width(), frame.input.height()};
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

PF_Err CheckoutLayerPixels(PF_ProgPtr effect_ref, int32_t checkout_id, PF_EffectWorld** pixels) {
  const HostCall call{.op = "checkout_layer_pixels",
                      .commands = {PF_Cmd_SMART_RENDER},
                      .fault = HostOp::kCheckoutLayerPixels};
  return Serve(
      Resolve(effect_ref, call.op), call,
      [&](Host& host) {
        return FrameCallMisuse(host, pixels != nullptr, "without a place for the world");
      },
      [&](Host& host) -> PF_Err {
        HostFrame& frame = FrameOf(host);
        if (frame.layerCheckouts.count(checkout_id) == 0) {
          Record(host, "checkout_layer_pixels of id " + std::to_string(checkout_id) +
                           ", not checked out at pre-render");
          return PF_Err_BAD_CALLBACK_PARAM;
        }
        *pixels = &frame.inputWorld;
        return PF_Err_NONE;
      });
}

PF_Err CheckoutOutput(PF_ProgPtr effect_ref, PF_EffectWorld** output) {
  const HostCall call{
      .op = "checkout_output", .commands = {PF_Cmd_SMART_RENDER}, .fault = HostOp::kCheckoutOutput};
  return Serve(
      Resolve(effect_ref, call.op), call,
      [&](Host& host) {
        return FrameCallMisuse(host, output != nullptr, "without a place for the world");
      },
      [&](Host& host) -> PF_Err {
        *output = &FrameOf(host).outputWorld;
        return PF_Err_NONE;
      });
}

}  // namespace

PF_Err GetPixelFormat(const PF_EffectWorld* world, PF_PixelFormat* pixel_format) {
  const HostCall call{.op = "PF_GetPixelFormat", .fault = HostOp::kGetPixelFormat};
  return Serve(Current(), call, [&](Host& host) -> PF_Err {
    HostFrame* frame = host.commandState().frame;
    World* w = frame != nullptr ? frame->find(world) : nullptr;
    if (w == nullptr || pixel_format == nullptr) {
      Record(host, "PF_GetPixelFormat of a world the host did not hand out");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    *pixel_format = world == &frame->inputWorld ? frame->reportedFormat : FormatCodeOf(w->format());
    return PF_Err_NONE;
  });
}

PF_PreRenderCallbacks PreRender() noexcept {
  PF_PreRenderCallbacks cb{};
  cb.checkout_layer = &CheckoutLayer;
  return cb;
}

PF_SmartRenderCallbacks SmartRender() noexcept {
  PF_SmartRenderCallbacks cb{};
  cb.checkout_layer_pixels = &CheckoutLayerPixels;
  cb.checkout_output = &CheckoutOutput;
  return cb;
}

}  // namespace callbacks
}  // namespace boxwander::minihost
