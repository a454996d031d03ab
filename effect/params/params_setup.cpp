#include <cstring>
#include <string_view>

#include "common/truncate.h"
#include "host/handlers.h"
#include "params/param_table.h"

namespace boxwander {
namespace {

consteval bool SpecsInOrderWithShortNames() {
  for (std::size_t i = 0; i < kParamSpecs.size(); ++i) {
    if (ToInt(kParamSpecs[i].index) != static_cast<std::int32_t>(i) + 1 ||
        std::string_view(kParamSpecs[i].name).size() > PF_MAX_EFFECT_PARAM_NAME_LEN) {
      return false;
    }
  }
  return kParamSpecs.size() + 1 == static_cast<std::size_t>(ToInt(ParamIndex::Count));
}
static_assert(SpecsInOrderWithShortNames());

PF_Fixed ToFixed(double value) {
  return TruncateToInt32(value * 65536.0);
}

}  // namespace

void WriteParamName(PF_ParamDef& def, const char* name, StrcpyFn strcpy) {
  if (strcpy != nullptr) {
    strcpy(def.name, name);
  } else {
    std::memcpy(def.name, name, std::strlen(name) + 1);
  }
}

PF_ParamDef DefinitionOf(const ParamSpec& spec, StrcpyFn strcpy) {
  PF_ParamDef def;
  std::memset(&def, 0, sizeof def);
  def.param_type = spec.type;
  WriteParamName(def, spec.name, strcpy);
  switch (spec.type) {
    case PF_Param_SLIDER: {
      PF_SliderDef& sd = def.u.sd;
      sd.valid_min = TruncateToInt32(spec.valid_min);
      sd.valid_max = TruncateToInt32(spec.valid_max);
      sd.slider_min = TruncateToInt32(spec.slider_min);
      sd.slider_max = TruncateToInt32(spec.slider_max);
      sd.value = sd.dephault = TruncateToInt32(spec.dephault);
      break;
    }
    case PF_Param_FIX_SLIDER: {
      PF_FixedSliderDef& fd = def.u.fd;
      fd.valid_min = ToFixed(spec.valid_min);
      fd.valid_max = ToFixed(spec.valid_max);
      fd.slider_min = ToFixed(spec.slider_min);
      fd.slider_max = ToFixed(spec.slider_max);
      fd.value = fd.dephault = ToFixed(spec.dephault);
      fd.precision = spec.precision;
      fd.display_flags = spec.display_flags;
      break;
    }
    case PF_Param_FLOAT_SLIDER: {
      PF_FloatSliderDef& fs = def.u.fs_d;
      fs.valid_min = static_cast<float>(spec.valid_min);
      fs.valid_max = static_cast<float>(spec.valid_max);
      fs.slider_min = static_cast<float>(spec.slider_min);
      fs.slider_max = static_cast<float>(spec.slider_max);
      fs.dephault = static_cast<float>(spec.dephault);
      fs.value = fs.dephault;
      fs.precision = spec.precision;
      fs.display_flags = spec.display_flags;
      fs.fs_flags = PF_FSliderFlag_NONE;  // no phase
      fs.curve_tolerance = kCurveTolerance;
      break;
    }
    case PF_Param_POPUP: {
      PF_PopupDef& pd = def.u.pd;
      pd.num_choices = spec.num_choices;
      pd.dephault = static_cast<std::int16_t>(spec.dephault);
      pd.value = pd.dephault;
      pd.namesptr = spec.choices;
      break;
    }
    case PF_Param_CHECKBOX: {
      PF_CheckBoxDef& bd = def.u.bd;
      bd.nameptr = "";
      bd.dephault = static_cast<PF_Boolean>(spec.dephault);
      bd.value = bd.dephault;
      break;
    }
    case PF_Param_PATH:
      def.u.path_d.dephault = TruncateToInt32(spec.dephault);
      break;
    case PF_Param_COLOR:
      def.u.cd.value = spec.color;
      def.u.cd.dephault = def.u.cd.value;
      break;
    default:
      break;
  }
  def.uu.id = ToInt(spec.index);
  return def;
}

PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data) {
  const StrcpyFn strcpy = HostStrcpy(in_data);
  if (in_data->inter.add_param == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  for (const ParamSpec& spec : kParamSpecs) {
    const PF_ParamDef def = DefinitionOf(spec, strcpy);
    // -1 appends after the last parameter.
    if (const PF_Err err = in_data->inter.add_param(in_data->effect_ref, -1, &def)) {
      return err;
    }
  }
  out_data->num_params = ToInt(ParamIndex::Count);
  return PF_Err_NONE;
}

}  // namespace boxwander
