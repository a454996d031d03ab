#pragma once

#include "host/host_interface.h"

// One handler per command, each reached only through EntryPointFunc. They return a host
// error code; a HostFailure or std::bad_alloc may unwind them to the entry point.
namespace boxwander {

PF_Err About(PF_InData* in_data, PF_OutData* out_data);
PF_Err GlobalSetup(PF_InData* in_data, PF_OutData* out_data);
PF_Err SequenceSetup(PF_InData* in_data, PF_OutData* out_data);
PF_Err SequenceSetdown(PF_InData* in_data);
PF_Err CompletelyGeneral(PF_InData* in_data, PF_OutData* out_data, const void* extra);

PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data);
PF_Err UpdateParamsUI(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[]);

PF_Err SmartPreRender(PF_InData* in_data, PF_OutData* out_data, PF_PreRenderExtra* extra);
PF_Err SmartRender(PF_InData* in_data, PF_OutData* out_data, PF_SmartRenderExtra* extra);

}  // namespace boxwander
