#pragma once

#include <array>
#include <cstdint>

#include "host/host_interface.h"
#include "host/return_message.h"
#include "params/param_index.h"

namespace boxwander {

// One control as declared at parameter setup. Slider numbers are real values (fixed-point
// sliders store them times 65536); which members count depends on type.
struct ParamSpec {
  ParamIndex index;
  const char* name;
  PF_ParamType type;
  double valid_min = 0, valid_max = 0, slider_min = 0, slider_max = 0;
  double dephault = 0;  // sliders, popups, checkboxes, the path's mask
  std::int16_t precision = 0;
  std::int16_t display_flags = PF_ValueDisplayFlag_NONE;
  const char* choices = nullptr;  // popups: "a|b|c"
  std::int16_t num_choices = 0;
  PF_Pixel color{};
};

// The float sliders' curve tolerance: the float nearest 0.05.
inline constexpr float kCurveTolerance = 0.05f;

inline constexpr std::array<ParamSpec, 14> kParamSpecs = {{
    {.index = ParamIndex::Path, .name = "Path", .type = PF_Param_PATH, .dephault = 0},
    {.index = ParamIndex::Mode,
     .name = "Mode",
     .type = PF_Param_POPUP,
     .dephault = 1,
     .choices = "Continuous|Discrete 1|Discrete 2",
     .num_choices = 3},
    {.index = ParamIndex::Time,
     .name = "Time",
     .type = PF_Param_FIX_SLIDER,
     .valid_min = 0,
     .valid_max = 100,
     .slider_min = 0,
     .slider_max = 100,
     .dephault = 50,
     .precision = 1,
     .display_flags = PF_ValueDisplayFlag_PERCENT},
    {.index = ParamIndex::MaxWidth,
     .name = "Max Width",
     .type = PF_Param_SLIDER,
     .valid_min = 2,
     .valid_max = 5000,
     .slider_min = 2,
     .slider_max = 500,
     .dephault = 50},
    {.index = ParamIndex::MinWidth,
     .name = "Min Width",
     .type = PF_Param_FIX_SLIDER,
     .valid_min = 0,
     .valid_max = 100,
     .slider_min = 0,
     .slider_max = 100,
     .dephault = 10,
     .precision = 1,
     .display_flags = PF_ValueDisplayFlag_PERCENT},
    {.index = ParamIndex::WidthHeight,
     .name = "W/H",
     .type = PF_Param_FLOAT_SLIDER,
     .valid_min = -1,
     .valid_max = 1,
     .slider_min = -1,
     .slider_max = 1,
     .dephault = 0,
     .precision = 2},
    {.index = ParamIndex::WidthHeightVariance,
     .name = "W/H Variance",
     .type = PF_Param_FIX_SLIDER,
     .valid_min = 0,
     .valid_max = 100,
     .slider_min = 0,
     .slider_max = 100,
     .dephault = 0,
     .precision = 1,
     .display_flags = PF_ValueDisplayFlag_PERCENT},
    {.index = ParamIndex::EdgeThickness,
     .name = "Edge Thickness",
     .type = PF_Param_SLIDER,
     .valid_min = 1,
     .valid_max = 100,
     .slider_min = 1,
     .slider_max = 10,
     .dephault = 1},
    {.index = ParamIndex::EdgeMode,
     .name = "Edge Mode",
     .type = PF_Param_POPUP,
     .dephault = 1,
     .choices = "Brightness|Color",
     .num_choices = 2},
    {.index = ParamIndex::EdgeBrightness,
     .name = "Edge Brightness",
     .type = PF_Param_FLOAT_SLIDER,
     .valid_min = 0,
     .valid_max = 10,
     .slider_min = 0,
     .slider_max = 2,
     .dephault = 1,
     .precision = 2},
    {.index = ParamIndex::EdgeColor,
     .name = "Edge Color",
     .type = PF_Param_COLOR,
     .color = {255, 255, 255, 255}},
    {.index = ParamIndex::Invert, .name = "Invert", .type = PF_Param_CHECKBOX, .dephault = 0},
    {.index = ParamIndex::Seed,
     .name = "Seed",
     .type = PF_Param_SLIDER,
     .valid_min = 0,
     .valid_max = 50000,
     .slider_min = 0,
     .slider_max = 100,
     .dephault = 0},
    {.index = ParamIndex::OnOriginal,
     .name = "On Original",
     .type = PF_Param_CHECKBOX,
     .dephault = 0},
}};

// The host's definition of one parameter, its name written with the host's strcpy.
PF_ParamDef DefinitionOf(const ParamSpec& spec, StrcpyFn strcpy);

// Writes name into def's name field with the host's strcpy (copied directly without one).
void WriteParamName(PF_ParamDef& def, const char* name, StrcpyFn strcpy);

}  // namespace boxwander
