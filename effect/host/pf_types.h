#pragma once

// Basic types, error codes, command selectors and flags of the host's effect interface, as
// far as Boxwander and its test host use them. Plain C: both sides compile against it.

// The core is compiled with BOXWANDER_HOST_FREE: it must never see a host type.
#ifdef BOXWANDER_HOST_FREE
#error "host-free code includes the host interface"
#endif

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Every function crossing the boundary uses the platform's C calling convention; only
// Windows needs it spelled out.
#if defined(_WIN32)
#define BOXWANDER_CDECL __cdecl
#else
#define BOXWANDER_CDECL
#endif

typedef int32_t PF_Err;
typedef int32_t PF_Cmd;
typedef uint8_t PF_Boolean;
typedef int32_t PF_Fixed;  // signed 16.16; 0x10000 is 1.0
typedef double PF_FpLong;
typedef float PF_FpShort;
typedef int32_t PF_ParamIndex;
typedef int32_t PF_ParamType;
typedef int32_t PF_ParamFlags;
typedef int32_t PF_ParamUIFlags;
typedef int32_t PF_ParamValue;
typedef int32_t PF_OutFlags;
typedef int32_t PF_OutFlags2;
typedef int32_t PF_PixelFormat;
typedef int32_t PF_PathID;  // 0: no mask chosen

// Host-owned memory block. The first word holds the block's address, so *handle reaches
// the data without a lock; a lock returns the same address.
typedef void** PF_Handle;

// Opaque host tokens: only ever passed back to the host.
typedef struct PF_ProgressInfo* PF_ProgPtr;        // effect reference of one call
typedef struct PF_PathOutline* PF_PathOutlinePtr;  // a checked-out mask path
typedef struct PF_PathSegPrep* PF_PathSegPrepPtr;  // one segment's arc-length preparation

typedef struct PF_LRect {
  int32_t left, top, right, bottom;  // empty when left >= right or top >= bottom
} PF_LRect;

typedef struct PF_RationalScale {
  int32_t num;
  uint32_t den;
} PF_RationalScale;

// Pixels: alpha, red, green, blue. 16-bit full scale is 32768; float is 0.0 to 1.0 nominal.
typedef struct PF_Pixel {
  uint8_t alpha, red, green, blue;
} PF_Pixel;
typedef PF_Pixel PF_Pixel8;
typedef struct PF_Pixel16 {
  uint16_t alpha, red, green, blue;
} PF_Pixel16;
typedef struct PF_PixelFloat {
  float alpha, red, green, blue;
} PF_PixelFloat;

// The host's opaque record of all parameter values of an instance. The effect stores it
// and hands it back; only the host reads its content.
typedef struct PF_State {
  uint32_t reserved[4];
} PF_State;

enum {
  PF_Err_NONE = 0,
  PF_Err_OUT_OF_MEMORY = 4,
  PF_Err_INTERNAL_STRUCT_DAMAGED = 512,
  PF_Err_INVALID_INDEX = 513,
  PF_Err_UNRECOGNIZED_PARAM_TYPE = 514,
  PF_Err_INVALID_CALLBACK = 515,
  PF_Err_BAD_CALLBACK_PARAM = 516,
  PF_Interrupt_CANCEL = 517
};

// Command selectors (first argument of the entry point).
enum {
  PF_Cmd_ABOUT = 0,
  PF_Cmd_GLOBAL_SETUP = 1,
  PF_Cmd_GLOBAL_SETDOWN = 3,
  PF_Cmd_PARAMS_SETUP = 4,
  PF_Cmd_SEQUENCE_SETUP = 5,
  PF_Cmd_SEQUENCE_RESETUP = 6,
  PF_Cmd_SEQUENCE_FLATTEN = 7,
  PF_Cmd_SEQUENCE_SETDOWN = 8,
  PF_Cmd_DO_DIALOG = 9,
  PF_Cmd_FRAME_SETUP = 10,
  PF_Cmd_RENDER = 11,
  PF_Cmd_FRAME_SETDOWN = 12,
  PF_Cmd_USER_CHANGED_PARAM = 13,
  PF_Cmd_UPDATE_PARAMS_UI = 14,
  PF_Cmd_EVENT = 15,
  PF_Cmd_COMPLETELY_GENERAL = 17,
  PF_Cmd_SMART_PRE_RENDER = 23,
  PF_Cmd_SMART_RENDER = 24
};

// out_data->out_flags
enum {
  PF_OutFlag_NONE = 0,
  PF_OutFlag_USE_OUTPUT_EXTENT = 1 << 6,
  PF_OutFlag_DISPLAY_ERROR_MESSAGE = 1 << 8,  // show out_data->return_msg
  PF_OutFlag_REFRESH_UI = 1 << 17,            // redraw the effect's controls
  PF_OutFlag_DEEP_COLOR_AWARE = 1 << 25,      // renders 16-bit
  PF_OutFlag_SEND_UPDATE_PARAMS_UI = 1 << 26  // wants PF_Cmd_UPDATE_PARAMS_UI
};

// out_data->out_flags2
enum {
  PF_OutFlag2_NONE = 0,
  PF_OutFlag2_I_AM_THREADSAFE = 1 << 4,
  PF_OutFlag2_SUPPORTS_SMART_RENDER = 1 << 10,
  PF_OutFlag2_FLOAT_COLOR_AWARE = 1 << 12  // renders 32-bit float
};

// Pixel format codes reported by the world suite.
enum {
  PF_PixelFormat_ARGB32 = 0x62677261,   // PF_Pixel8
  PF_PixelFormat_ARGB64 = 0x36316561,   // PF_Pixel16
  PF_PixelFormat_ARGB128 = 0x32336561,  // PF_PixelFloat
  PF_PixelFormat_INVALID = 0x66646162
};

#ifdef __cplusplus
}  // extern "C"
#endif
