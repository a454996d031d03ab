#pragma once

// A pixel buffer as the host hands it out.

#include "host/pf_types.h"

#ifdef __cplusplus
extern "C" {
#endif

enum {
  PF_WorldFlag_DEEP = 1 << 0,      // 16-bit pixels
  PF_WorldFlag_WRITEABLE = 1 << 1  // the effect may write it (its output)
};

// Rows are rowbytes apart (rowbytes >= width * pixel size; padding is allowed). The host
// owns data; a world stays valid until the command that handed it out returns.
typedef struct PF_LayerDef {
  int32_t world_flags;
  void* data;  // first pixel of the top row
  int32_t rowbytes;
  int32_t width;
  int32_t height;
  PF_LRect extent_hint;
  PF_RationalScale pix_aspect_ratio;
  int32_t origin_x;
  int32_t origin_y;
  int32_t dephault;  // layer parameter only: the default layer choice
} PF_LayerDef;

typedef PF_LayerDef PF_EffectWorld;

#ifdef __cplusplus
}  // extern "C"
#endif
