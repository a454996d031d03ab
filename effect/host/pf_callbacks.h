#pragma once

// The callbacks the host hands in with every command (in_data->inter and in_data->utils).
// Each may be called only during the command whose in-data carried it.

#include "host/pf_param_def.h"
#include "host/pf_types.h"
#include "host/pf_world.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct PF_InteractCallbacks {
  // Gives the value of parameter index at what_time (in time_scale units) into *param, a
  // copy the effect owns. Parameter setup must be over. Each successful checkout is
  // matched by one checkin_param before the command returns.
  PF_Err(BOXWANDER_CDECL* checkout_param)(PF_ProgPtr effect_ref, PF_ParamIndex index,
                                          int32_t what_time, int32_t time_step, uint32_t time_scale,
                                          PF_ParamDef* param);
  // Ends a checkout made by checkout_param during the same command.
  PF_Err(BOXWANDER_CDECL* checkin_param)(PF_ProgPtr effect_ref, PF_ParamDef* param);
  // At parameter setup only: appends (index -1) a copy of *def, whose texts are read during
  // the call. The host owns the definition from then on.
  PF_Err(BOXWANDER_CDECL* add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index,
                                     const PF_ParamDef* def);
  // During a render: count of total units done. 0 to go on; anything else asks the
  // effect to stop (typically PF_Interrupt_CANCEL).
  PF_Err(BOXWANDER_CDECL* progress)(PF_ProgPtr effect_ref, int32_t count, int32_t total);
} PF_InteractCallbacks;

// The C library functions of the host, with their standard meaning.
typedef struct PF_ANSICallbacks {
  double(BOXWANDER_CDECL* ceil)(double x);
  double(BOXWANDER_CDECL* floor)(double x);
  double(BOXWANDER_CDECL* hypot)(double x, double y);
  double(BOXWANDER_CDECL* pow)(double x, double y);
  // Writes into buffer, which the caller sizes; returns the characters written.
  int(BOXWANDER_CDECL* sprintf)(char* buffer, const char* format, ...);
  char*(BOXWANDER_CDECL* strcpy)(char* destination, const char* source);
} PF_ANSICallbacks;

typedef struct PF_UtilCallbacks {
  // Copies src into dst; null rectangles mean the whole worlds. Both worlds must have the
  // same pixel format.
  PF_Err(BOXWANDER_CDECL* copy)(PF_ProgPtr effect_ref, PF_EffectWorld* src, PF_EffectWorld* dst,
                                const PF_LRect* src_rect, const PF_LRect* dst_rect);
  // Sets every pixel of rect (null: the whole world) to color, converted to the world's
  // depth (8-bit channels scaled to full scale).
  PF_Err(BOXWANDER_CDECL* fill)(PF_ProgPtr effect_ref, const PF_Pixel* color, const PF_LRect* rect,
                                PF_EffectWorld* world);
  // A new unlocked handle of size bytes, or null. The caller owns it until it hands it to
  // the host (out-data, pre-render data) or disposes of it. Same handles as the handle
  // suite.
  PF_Handle(BOXWANDER_CDECL* host_new_handle)(uint64_t size);
  // Frees a handle the effect owns; null is ignored.
  void(BOXWANDER_CDECL* host_dispose_handle)(PF_Handle handle);
  PF_ANSICallbacks ansi;
} PF_UtilCallbacks;

#ifdef __cplusplus
}  // extern "C"
#endif
