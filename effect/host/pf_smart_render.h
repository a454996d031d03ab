#pragma once

// The extra records of smart pre-render (PF_Cmd_SMART_PRE_RENDER) and smart render
// (PF_Cmd_SMART_RENDER).

#include "host/pf_in_out_data.h"
#include "host/pf_types.h"
#include "host/pf_world.h"

#ifdef __cplusplus
extern "C" {
#endif

// What part of a layer is wanted and how.
typedef struct PF_RenderRequest {
  PF_LRect rect;
  int32_t field;
  int32_t channel_mask;
  PF_Boolean preserve_rgb_of_zero_alpha;
  uint8_t unused[3];
} PF_RenderRequest;

// What a checked-out layer will cover.
typedef struct PF_CheckoutResult {
  PF_LRect result_rect;
  PF_LRect max_result_rect;
  PF_RationalScale par;
  int32_t solid;
  int32_t ref_width;
  int32_t ref_height;
} PF_CheckoutResult;

// Frees what pre_render_data holds, pre_render_data included. The host calls it exactly
// once for every non-null pre_render_data it received, after the matching smart render
// has returned, or when no smart render follows (failed pre-render, abandoned frame).
// in_data is valid for the call (its utils may be used) and belongs to the same instance.
// It cannot fail.
typedef void(BOXWANDER_CDECL* PF_DeletePreRenderDataFunc)(void* pre_render_data,
                                                          const PF_InData* in_data);

typedef struct PF_PreRenderInput {
  PF_RenderRequest output_request;  // what the host wants of the effect's output
  int16_t bitdepth;
} PF_PreRenderInput;

typedef struct PF_PreRenderOutput {
  PF_LRect result_rect;      // what the effect will produce; zeroed by the host
  PF_LRect max_result_rect;  // what it could produce at most; zeroed by the host
  // Set by the effect; the host carries it unread to the matching smart render's
  // input->pre_render_data, then calls delete_pre_render_data_func on it.
  void* pre_render_data;
  PF_DeletePreRenderDataFunc delete_pre_render_data_func;
} PF_PreRenderOutput;

typedef struct PF_PreRenderCallbacks {
  // Requests layer index (0: the effect's input) at what_time for checkout_id, which
  // identifies it again in smart render. Fills *result. Valid during pre-render only.
  PF_Err(BOXWANDER_CDECL* checkout_layer)(PF_ProgPtr effect_ref, PF_ParamIndex index,
                                          int32_t checkout_id, const PF_RenderRequest* req,
                                          int32_t what_time, int32_t time_step, uint32_t time_scale,
                                          PF_CheckoutResult* result);
} PF_PreRenderCallbacks;

typedef struct PF_PreRenderExtra {
  PF_PreRenderInput* input;
  PF_PreRenderOutput* output;
  PF_PreRenderCallbacks* cb;
} PF_PreRenderExtra;

typedef struct PF_SmartRenderInput {
  PF_RenderRequest output_request;
  int16_t bitdepth;
  void* pre_render_data;  // as the matching pre-render left it; still owned by the host
} PF_SmartRenderInput;

typedef struct PF_SmartRenderCallbacks {
  // The pixels of the layer checked out under checkout_id at pre-render. The host owns
  // the world; it stays valid until smart render returns.
  PF_Err(BOXWANDER_CDECL* checkout_layer_pixels)(PF_ProgPtr effect_ref, int32_t checkout_id,
                                                 PF_EffectWorld** pixels);
  // The world to render into, same depth as the input. Host-owned, valid until smart
  // render returns.
  PF_Err(BOXWANDER_CDECL* checkout_output)(PF_ProgPtr effect_ref, PF_EffectWorld** output);
} PF_SmartRenderCallbacks;

typedef struct PF_SmartRenderExtra {
  PF_SmartRenderInput* input;
  PF_SmartRenderCallbacks* cb;
} PF_SmartRenderExtra;

#ifdef __cplusplus
}  // extern "C"
#endif
