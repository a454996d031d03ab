#pragma once

#include "host/host_interface.h"

// The module's one exported function; every command of the host arrives here.
extern "C" __attribute__((visibility("default"))) PF_Err EntryPointFunc(
    PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
    PF_LayerDef* output, void* extra) noexcept;
