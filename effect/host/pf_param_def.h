#pragma once

// Parameter definitions: declared by the effect at parameter setup, read back at a time
// through checkout_param.

#include "host/pf_types.h"
#include "host/pf_world.h"

#ifdef __cplusplus
extern "C" {
#endif

enum {
  PF_Param_LAYER = 0,
  PF_Param_SLIDER = 1,
  PF_Param_FIX_SLIDER = 2,
  PF_Param_ANGLE = 3,
  PF_Param_CHECKBOX = 4,
  PF_Param_COLOR = 5,
  PF_Param_POINT = 6,
  PF_Param_POPUP = 7,
  PF_Param_FLOAT_SLIDER = 10,
  PF_Param_PATH = 12
};

enum { PF_ParamIndex_CHECK_ALL = -1, PF_ParamIndex_CHECK_ALL_EXCEPT_LAYER_PARAMS = -3 };

// ui_flags
enum { PF_PUI_NONE = 0, PF_PUI_DISABLED = 1 << 5 };

// display_flags of fixed and float sliders
enum { PF_ValueDisplayFlag_NONE = 0, PF_ValueDisplayFlag_PERCENT = 1 };

// fs_flags of float sliders
enum { PF_FSliderFlag_NONE = 0, PF_FSliderFlag_WANT_PHASE = 1 };

enum { PF_MAX_EFFECT_PARAM_NAME_LEN = 31 };

typedef struct PF_SliderDef {
  PF_ParamValue value;
  PF_ParamValue valid_min, valid_max;
  PF_ParamValue slider_min, slider_max;
  PF_ParamValue dephault;
} PF_SliderDef;

typedef struct PF_FixedSliderDef {
  PF_Fixed value;
  PF_Fixed valid_min, valid_max;
  PF_Fixed slider_min, slider_max;
  PF_Fixed dephault;
  int16_t precision;      // decimals shown
  int16_t display_flags;  // PF_ValueDisplayFlag_*
} PF_FixedSliderDef;

typedef struct PF_FloatSliderDef {
  PF_FpLong value;
  PF_FpLong phase;
  PF_FpShort valid_min, valid_max;
  PF_FpShort slider_min, slider_max;
  PF_FpShort dephault;
  int16_t precision;
  int16_t display_flags;
  int32_t fs_flags;  // PF_FSliderFlag_*
  PF_FpShort curve_tolerance;
} PF_FloatSliderDef;

// The choice text lists the choices separated by '|'; value counts from 1.
typedef struct PF_PopupDef {
  PF_ParamValue value;
  int16_t num_choices;
  int16_t dephault;
  const char* namesptr;  // read by the host during add_param only
} PF_PopupDef;

typedef struct PF_CheckBoxDef {
  PF_ParamValue value;  // 0 or 1
  PF_Boolean dephault;
  const char* nameptr;  // label beside the box; read during add_param only
} PF_CheckBoxDef;

typedef struct PF_ColorDef {
  PF_Pixel value;
  PF_Pixel dephault;
} PF_ColorDef;

typedef struct PF_PathDef {
  PF_PathID path_id;  // the mask chosen at this time; 0 for none
  int32_t reserved0;
  int32_t dephault;  // mask index chosen for a fresh instance; 0 for none
} PF_PathDef;

typedef union PF_ParamDefUnion {
  PF_LayerDef ld;
  PF_SliderDef sd;
  PF_FixedSliderDef fd;
  PF_FloatSliderDef fs_d;
  PF_PopupDef pd;
  PF_CheckBoxDef bd;
  PF_ColorDef cd;
  PF_PathDef path_d;
} PF_ParamDefUnion;

typedef struct PF_ParamDef {
  union {
    int32_t id;  // at parameter setup: the parameter's stable ID
    int32_t change_flags;
  } uu;
  PF_ParamType param_type;
  char name[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];
  PF_ParamUIFlags ui_flags;
  PF_ParamFlags flags;
  PF_ParamDefUnion u;  // the member named by param_type
} PF_ParamDef;

typedef PF_ParamDef* PF_ParamDefPtr;

#ifdef __cplusplus
}  // extern "C"
#endif
