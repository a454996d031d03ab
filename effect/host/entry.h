#pragma once

#include "host/host_interface.h"

// Marks the module's export: a DLL exports only what is marked so, an ELF module (built
// with hidden visibility) only what is visible.
#if defined(_WIN32)
#define BOXWANDER_EXPORT __declspec(dllexport)
#else
#define BOXWANDER_EXPORT __attribute__((visibility("default")))
#endif

// The module's one exported function; every command of the host arrives here.
extern "C" BOXWANDER_EXPORT PF_Err BOXWANDER_CDECL EntryPointFunc(PF_Cmd cmd, PF_InData* in_data,
                                                                  PF_OutData* out_data,
                                                                  PF_ParamDef* params[],
                                                                  PF_LayerDef* output,
                                                                  void* extra) noexcept;
