#pragma once

// The module's one export.

#include "host/pf_in_out_data.h"
#include "host/pf_param_def.h"
#include "host/pf_types.h"
#include "host/pf_world.h"

#ifdef __cplusplus
extern "C" {
#endif

// The name the property list gives for the code entry, and the module's only symbol.
#define PF_ENTRY_POINT_NAME "EntryPointFunc"

// One call per command. params[0] is the input layer, then the effect's parameters in
// setup order (may be null where the command has none). output may be null outside the
// classic render. extra depends on cmd: a zero-terminated text for
// PF_Cmd_COMPLETELY_GENERAL, PF_PreRenderExtra* for PF_Cmd_SMART_PRE_RENDER,
// PF_SmartRenderExtra* for PF_Cmd_SMART_RENDER. Returns 0 or a host error code; never
// throws.
typedef PF_Err(BOXWANDER_CDECL* PF_EntryPointFunc)(PF_Cmd cmd, PF_InData* in_data,
                                                   PF_OutData* out_data, PF_ParamDef* params[],
                                                   PF_LayerDef* output, void* extra);

#ifdef __cplusplus
}  // extern "C"
#endif
