#include "host/global_data.h"
#include "host/handle_guards.h"
#include "host/handlers.h"
#include "host/return_message.h"
#include "host/suite_cache.h"
#include "params/param_index.h"
#include "params/param_table.h"
#include "render/pre_render_data.h"

namespace boxwander {
namespace {

constexpr std::int32_t kEdgeBrightness = ToInt(ParamIndex::EdgeBrightness);
constexpr std::int32_t kEdgeColor = ToInt(ParamIndex::EdgeColor);
constexpr std::int32_t kEdgeMode = ToInt(ParamIndex::EdgeMode);

// Readies a working copy for the host: its type and name as declared, and the disabled flag.
void PrepareCopy(PF_ParamDef& copy, PF_ParamType type, const char* name, bool enabled,
                 StrcpyFn strcpy) {
  copy.param_type = type;
  WriteParamName(copy, name, strcpy);
  if (enabled) {
    copy.ui_flags &= ~PF_PUI_DISABLED;
  } else {
    copy.ui_flags |= PF_PUI_DISABLED;
  }
}

}  // namespace

PF_Err UpdateParamsUI(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[]) {
  SuiteCache suites(in_data);
  if (params == nullptr || params[kEdgeMode] == nullptr || params[kEdgeBrightness] == nullptr ||
      params[kEdgeColor] == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  PF_Err result = PF_Err_NONE;
  GlobalData* global = BlockOf<GlobalData>(in_data->global_data);
  // Only these copies are changed and handed back; the host's definitions are only read.
  PF_ParamDef brightness = *params[kEdgeBrightness];
  PF_ParamDef color = *params[kEdgeColor];
  const StrcpyFn strcpy = HostStrcpy(in_data);

  if (global != nullptr) {
    const PF_ParamUtilsSuite1& paramUtils = suites.paramUtilsSuite();
    PF_Boolean changed = 0;
    const SequenceData* stored = BlockOf<SequenceData>(in_data->sequence_data);
    if (stored != nullptr) {
      result = paramUtils.PF_HasParamChanged(in_data->effect_ref, stored,
                                             PF_ParamIndex_CHECK_ALL_EXCEPT_LAYER_PARAMS, &changed);
    } else {
      changed = 1;  // nothing stored to compare with: take the first snapshot
    }

    if (changed != 0 || global->initialized == 0) {
      const DisposeHandleFn dispose =
          in_data->utils != nullptr ? in_data->utils->host_dispose_handle : nullptr;
      OwnedHandle snapshot(in_data->utils != nullptr && in_data->utils->host_new_handle != nullptr
                               ? in_data->utils->host_new_handle(sizeof(SequenceData))
                               : nullptr,
                           dispose);
      if (snapshot) {
        if (result == PF_Err_NONE) {
          result = paramUtils.PF_GetCurrentState(in_data->effect_ref,
                                                 BlockOf<SequenceData>(snapshot.get()));
        }
        if (result == PF_Err_NONE) {
          if (in_data->sequence_data != nullptr) {
            suites.handleSuite().host_dispose_handle(in_data->sequence_data);
          }
          out_data->sequence_data = snapshot.release();
          in_data->sequence_data = out_data->sequence_data;
        }
        // A snapshot that was not taken is disposed of, not leaked.
      }
    }

    const bool brightnessMode =
        result == PF_Err_NONE && params[kEdgeMode]->u.pd.value == kEdgeModeBrightness;
    PrepareCopy(brightness, PF_Param_FLOAT_SLIDER, "Edge Brightness", brightnessMode, strcpy);
    if (result == PF_Err_NONE) {
      result = paramUtils.PF_UpdateParamUI(in_data->effect_ref, kEdgeBrightness, &brightness);
    }
    PrepareCopy(color, PF_Param_COLOR, "Edge Color", !brightnessMode, strcpy);
    if (result == PF_Err_NONE) {
      result = paramUtils.PF_UpdateParamUI(in_data->effect_ref, kEdgeColor, &color);
    }

    if (result != PF_Err_NONE) {
      CopyReturnMessage(strcpy, *out_data, "ERROR");
      out_data->out_flags = PF_OutFlag_DISPLAY_ERROR_MESSAGE;
    } else {
      global->initialized = 1;
    }
  }
  out_data->out_flags |= PF_OutFlag_REFRESH_UI;
  return result;
}

}  // namespace boxwander
