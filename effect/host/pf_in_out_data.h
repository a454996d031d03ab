#pragma once

// The records that come with every command: what the host tells the effect (in-data) and
// what the effect answers (out-data).

#include "host/pf_callbacks.h"
#include "host/pf_types.h"

#ifdef __cplusplus
extern "C" {
#endif

struct SPBasicSuite;

enum { PF_MAX_RETURN_MSG_LEN = 256 };  // return_msg bytes, terminating zero included

// Owned by the host; valid for the length of one command.
typedef struct PF_InData {
  PF_InteractCallbacks inter;
  PF_UtilCallbacks* utils;
  PF_ProgPtr effect_ref;
  int32_t num_params;
  int32_t current_time;  // the frame's time, in time_scale units
  int32_t time_step;
  int32_t total_time;
  uint32_t time_scale;
  int32_t width, height;  // the layer's size at full resolution
  PF_RationalScale downsample_x;
  PF_RationalScale downsample_y;
  PF_Handle global_data;                   // the block handed over at global setup, or null
  PF_Handle sequence_data;                 // this instance's block, or null
  const struct SPBasicSuite* pica_basicP;  // may be null in a broken host
} PF_InData;

// Filled in by the effect. The host zeroes it before each command and reads it after.
typedef struct PF_OutData {
  uint32_t my_version;
  PF_OutFlags out_flags;
  PF_OutFlags2 out_flags2;
  // After global setup the host owns this block (null: none) and passes it back in
  // in_data->global_data; the effect never disposes of it.
  PF_Handle global_data;
  // After sequence setup or resetup: the instance's block, exactly (null: none; the effect
  // has disposed of the old one). After a parameter change or UI update: when non-null,
  // it replaces the instance's block, which the effect has disposed of.
  PF_Handle sequence_data;
  int32_t num_params;                      // parameter setup: how many, input layer included
  char return_msg[PF_MAX_RETURN_MSG_LEN];  // zero-terminated; shown with DISPLAY_ERROR_MESSAGE
} PF_OutData;

#ifdef __cplusplus
}  // extern "C"
#endif
