#pragma once

// The basic suite and the function suites the effect obtains through it by name and
// version. A suite pointer stays valid from AcquireSuite to the matching ReleaseSuite,
// which must come before the command returns.

#include "host/pf_param_def.h"
#include "host/pf_types.h"
#include "host/pf_world.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t SPErr;  // 0: success
typedef int32_t A_Err;
typedef int32_t AEGP_PluginID;
typedef void* AEGP_GlobalRefcon;

typedef struct SPBasicSuite {
  // Writes the suite table for (name, version) into *suite and counts one acquisition.
  // Returns non-zero, or leaves *suite null, when the host has no such suite.
  SPErr(BOXWANDER_CDECL* AcquireSuite)(const char* name, int32_t version, const void** suite);
  // Gives back one acquisition of (name, version).
  SPErr(BOXWANDER_CDECL* ReleaseSuite)(const char* name, int32_t version);
} SPBasicSuite;

#define kPFANSISuite "PF ANSI Suite"
#define kPFANSISuiteVersion1 1
#define kAEGPUtilitySuite "AEGP Utility Suite"
#define kAEGPUtilitySuiteVersion7 7
#define kPFHandleSuite "PF Handle Suite"
#define kPFHandleSuiteVersion1 1
#define kPFParamUtilsSuite "PF Param Utils Suite"
#define kPFParamUtilsSuiteVersion1 1
#define kPFPathQuerySuite "PF Path Query Suite"
#define kPFPathQuerySuiteVersion1 1
#define kPFPathDataSuite "PF Path Data Suite"
#define kPFPathDataSuiteVersion1 1
#define kPFWorldSuite "PF World Suite"
#define kPFWorldSuiteVersion2 2
#define kAEGPMaskSuite "AEGP Mask Suite"
#define kAEGPMaskSuiteVersion1 1

typedef struct PF_ANSICallbacksSuite1 {
  // As C sprintf into buffer, which the caller sizes.
  int(BOXWANDER_CDECL* sprintf)(char* buffer, const char* format, ...);
} PF_ANSICallbacksSuite1;

typedef struct AEGP_UtilitySuite7 {
  // Registers the plug-in under name (copied) and writes its ID. global_refcon may be null.
  A_Err(BOXWANDER_CDECL* AEGP_RegisterWithAEGP)(AEGP_GlobalRefcon global_refcon, const char* name,
                                                AEGP_PluginID* plugin_id);
} AEGP_UtilitySuite7;

// The same handles as in_data->utils->host_new_handle / host_dispose_handle.
typedef struct PF_HandleSuite1 {
  // A new unlocked handle of size bytes, or null; the caller owns it.
  PF_Handle(BOXWANDER_CDECL* host_new_handle)(uint64_t size);
  // The block's address, or null; locks nest, each matched by one unlock.
  void*(BOXWANDER_CDECL* host_lock_handle)(PF_Handle handle);
  void(BOXWANDER_CDECL* host_unlock_handle)(PF_Handle handle);
  // Frees the handle, whatever its lock count; null is ignored.
  void(BOXWANDER_CDECL* host_dispose_handle)(PF_Handle handle);
} PF_HandleSuite1;

typedef struct PF_ParamUtilsSuite1 {
  // Redraws control index with the flags and name of *param (read during the call). The
  // value is not changed. Only during user-changed-param and update-params-UI.
  PF_Err(BOXWANDER_CDECL* PF_UpdateParamUI)(PF_ProgPtr effect_ref, PF_ParamIndex index,
                                            const PF_ParamDef* param);
  // Writes the instance's current parameter state into *state.
  PF_Err(BOXWANDER_CDECL* PF_GetCurrentState)(PF_ProgPtr effect_ref, PF_State* state);
  // Compares *state with the current one for index (or a PF_ParamIndex_CHECK_* value)
  // and writes non-zero into *changed when they differ.
  PF_Err(BOXWANDER_CDECL* PF_HasParamChanged)(PF_ProgPtr effect_ref, const PF_State* state,
                                              PF_ParamIndex index, PF_Boolean* changed);
} PF_ParamUtilsSuite1;

typedef struct PF_PathQuerySuite1 {
  // Checks out the mask unique_id at what_time. *path stays valid until PF_CheckinPath,
  // which must come before the command returns. A missing mask gives null and no error.
  PF_Err(BOXWANDER_CDECL* PF_CheckoutPath)(PF_ProgPtr effect_ref, PF_PathID unique_id,
                                           int32_t what_time, int32_t time_step,
                                           uint32_t time_scale, PF_PathOutlinePtr* path);
  PF_Err(BOXWANDER_CDECL* PF_CheckinPath)(PF_ProgPtr effect_ref, PF_PathID unique_id,
                                          PF_Boolean changed, PF_PathOutlinePtr path);
} PF_PathQuerySuite1;

// Arc-length access to a checked-out path, in layer pixels at the render's downsampling.
typedef struct PF_PathDataSuite1 {
  PF_Err(BOXWANDER_CDECL* PF_PathNumSegments)(PF_ProgPtr effect_ref, PF_PathOutlinePtr path,
                                              int32_t* num_segments);
  // Creates *prep for seg_index; frequency sets the arc-length table's density. Each
  // successful preparation is matched by one PF_PathCleanupSegLength.
  PF_Err(BOXWANDER_CDECL* PF_PathPrepareSegLength)(PF_ProgPtr effect_ref, PF_PathOutlinePtr path,
                                                   int32_t seg_index, int32_t frequency,
                                                   PF_PathSegPrepPtr* prep);
  PF_Err(BOXWANDER_CDECL* PF_PathGetSegLength)(PF_ProgPtr effect_ref, PF_PathOutlinePtr path,
                                               int32_t seg_index, PF_PathSegPrepPtr* prep,
                                               PF_FpLong* length);
  // The point at arc length `length` from the segment's start and the first derivative
  // there (pointing along the direction of travel).
  PF_Err(BOXWANDER_CDECL* PF_PathEvalSegLengthDeriv1)(PF_ProgPtr effect_ref, PF_PathOutlinePtr path,
                                                      PF_PathSegPrepPtr* prep, int32_t seg_index,
                                                      PF_FpLong length, PF_FpLong* x, PF_FpLong* y,
                                                      PF_FpLong* deriv1x, PF_FpLong* deriv1y);
  // Frees *prep and sets it to null.
  PF_Err(BOXWANDER_CDECL* PF_PathCleanupSegLength)(PF_ProgPtr effect_ref, PF_PathOutlinePtr path,
                                                   int32_t seg_index, PF_PathSegPrepPtr* prep);
} PF_PathDataSuite1;

typedef struct PF_WorldSuite2 {
  PF_Err(BOXWANDER_CDECL* PF_GetPixelFormat)(const PF_EffectWorld* world,
                                             PF_PixelFormat* pixel_format);
} PF_WorldSuite2;

// Acquired and released around a render; none of its functions is called, so the table
// holds one placeholder that a host may leave null.
typedef struct AEGP_MaskSuite1 {
  void(BOXWANDER_CDECL* reserved)(void);
} AEGP_MaskSuite1;

#ifdef __cplusplus
}  // extern "C"
#endif
