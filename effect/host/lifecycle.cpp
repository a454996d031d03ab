#include <cstring>

#include "host/effect_constants.h"
#include "host/global_data.h"
#include "host/handle_guards.h"
#include "host/handlers.h"
#include "host/return_message.h"
#include "host/suite_cache.h"

namespace boxwander {

PF_Err About(PF_InData* in_data, PF_OutData* out_data) {
  SuiteCache suites(in_data);
  // Fixed texts, far shorter than the message field.
  suites.ansiSuite().sprintf(out_data->return_msg, "%s v%u.%u\r%s", kEffectName,
                             static_cast<unsigned>(kVersionMajor),
                             static_cast<unsigned>(kVersionMinor), kEffectDescription);
  return PF_Err_NONE;
}

PF_Err GlobalSetup(PF_InData* in_data, PF_OutData* out_data) {
  SuiteCache suites(in_data);
  out_data->my_version = kEffectVersion;
  out_data->out_flags |= kEffectOutFlags;
  out_data->out_flags2 |= kEffectOutFlags2;

  const PF_HandleSuite1& handles = suites.handleSuite();
  OwnedHandle block(handles.host_new_handle(sizeof(GlobalData)), handles.host_dispose_handle);
  if (!block) {
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
  PF_Err result = PF_Err_NONE;
  HandleLock lock(handles, block.get());
  if (auto* global = static_cast<GlobalData*>(lock.data())) {
    global->initialized = 1;
    global->pluginId = 0;
    result =
        suites.utilitySuite().AEGP_RegisterWithAEGP(nullptr, kRegistrationName, &global->pluginId);
    lock.unlock();
    if (result == PF_Err_NONE) {
      out_data->global_data = block.release();
    }
  }
  // A block that was not handed over is disposed of here rather than leaked.
  return result;
}

PF_Err SequenceSetdown(PF_InData* in_data) {
  if (in_data->sequence_data == nullptr) {
    return PF_Err_NONE;
  }
  SuiteCache suites(in_data);
  suites.handleSuite().host_dispose_handle(in_data->sequence_data);
  return PF_Err_NONE;
}

PF_Err SequenceSetup(PF_InData* in_data, PF_OutData* out_data) {
  SuiteCache suites(in_data);
  PF_Err result = SequenceSetdown(in_data);
  const PF_HandleSuite1& handles = suites.handleSuite();
  OwnedHandle block(handles.host_new_handle(sizeof(SequenceData)), handles.host_dispose_handle);
  if (!block) {
    return PF_Err_OUT_OF_MEMORY;
  }
  HandleLock lock(handles, block.get());
  if (void* data = lock.data()) {
    std::memset(data, 0, sizeof(SequenceData));
    lock.unlock();
    out_data->sequence_data = block.release();
  }
  return result;
}

PF_Err CompletelyGeneral(PF_InData* in_data, PF_OutData* out_data, const void* extra) {
  SuiteCache suites(in_data);
  WriteReturnMessage(suites.ansiSuite().sprintf, *out_data, static_cast<const char*>(extra));
  return PF_Err_NONE;
}

}  // namespace boxwander
