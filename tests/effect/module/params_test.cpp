// The controls as the host receives them, and the enabling of the edge pair.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>

#include "common/truncate.h"
#include "tests/effect/module/module_host.h"

namespace boxwander::test {
namespace {

constexpr std::int32_t F(double v) {
  return TruncateToInt32(v * 65536.0);
}

struct Case {
  const char* name;
  PF_ParamType type;
  double validMin, validMax, sliderMin, sliderMax, dephault;
  int precision;
  int display;
  const char* text;  // popup choices or checkbox label
};

// Every slider kind: its ranges, and a value equal to the default.
template <class Slider>
void ExpectRangesAndDefault(const Slider& s, const Case& c) {
  EXPECT_EQ(s.valid_min, c.validMin);
  EXPECT_EQ(s.valid_max, c.validMax);
  EXPECT_EQ(s.slider_min, c.sliderMin);
  EXPECT_EQ(s.slider_max, c.sliderMax);
  EXPECT_EQ(s.dephault, c.dephault);
  EXPECT_EQ(s.value, c.dephault);
}

TEST(Params, FreshInstanceShowsTheFourteenControls) {
  // Numbers as the host stores them: fixed sliders in 16.16, float slider ranges in
  // single precision. value equals the default everywhere.
  const Case cases[] = {
      {"Path", PF_Param_PATH, 0, 0, 0, 0, 0, 0, 0, ""},
      {"Mode", PF_Param_POPUP, 0, 0, 0, 0, 1, 0, 0, "Continuous|Discrete 1|Discrete 2"},
      {"Time", PF_Param_FIX_SLIDER, F(0), F(100), F(0), F(100), F(50), 1, 1, ""},
      {"Max Width", PF_Param_SLIDER, 2, 5000, 2, 500, 50, 0, 0, ""},
      {"Min Width", PF_Param_FIX_SLIDER, F(0), F(100), F(0), F(100), F(10), 1, 1, ""},
      {"W/H", PF_Param_FLOAT_SLIDER, -1, 1, -1, 1, 0, 2, 0, ""},
      {"W/H Variance", PF_Param_FIX_SLIDER, F(0), F(100), F(0), F(100), F(0), 1, 1, ""},
      {"Edge Thickness", PF_Param_SLIDER, 1, 100, 1, 10, 1, 0, 0, ""},
      {"Edge Mode", PF_Param_POPUP, 0, 0, 0, 0, 1, 0, 0, "Brightness|Color"},
      {"Edge Brightness", PF_Param_FLOAT_SLIDER, 0, 10, 0, 2, 1, 2, 0, ""},
      {"Edge Color", PF_Param_COLOR, 0, 0, 0, 0, 0, 0, 0, ""},
      {"Invert", PF_Param_CHECKBOX, 0, 0, 0, 0, 0, 0, 0, ""},
      {"Seed", PF_Param_SLIDER, 0, 50000, 0, 100, 0, 0, 0, ""},
      {"On Original", PF_Param_CHECKBOX, 0, 0, 0, 0, 0, 0, 0, ""},
  };
  Host host(BOXWANDER_MODULE_PATH);
  ASSERT_EQ(host.globalSetup().err, PF_Err_NONE);
  const auto r = host.paramsSetup();
  ASSERT_EQ(r.err, PF_Err_NONE);
  EXPECT_EQ(r.numParams, 15);
  ASSERT_EQ(host.params().count(), 14);

  for (PF_ParamIndex i = 1; i <= 14; ++i) {
    const Case& c = cases[i - 1];
    SCOPED_TRACE(c.name);
    const PF_ParamDef& d = host.params().def(i);
    EXPECT_EQ(std::string(d.name), c.name);
    EXPECT_EQ(d.param_type, c.type);
    EXPECT_EQ(d.uu.id, i);
    EXPECT_EQ(d.flags, 0);
    EXPECT_EQ(d.ui_flags, 0) << "all enabled before the first UI update";
    EXPECT_EQ(host.params().text(i), c.text);
    switch (c.type) {
      case PF_Param_SLIDER: {
        const PF_SliderDef& s = d.u.sd;
        ExpectRangesAndDefault(s, c);
        break;
      }
      case PF_Param_FIX_SLIDER: {
        const PF_FixedSliderDef& s = d.u.fd;
        ExpectRangesAndDefault(s, c);
        EXPECT_EQ(s.precision, c.precision);
        EXPECT_EQ(s.display_flags, c.display);
        break;
      }
      case PF_Param_FLOAT_SLIDER: {
        const PF_FloatSliderDef& s = d.u.fs_d;
        ExpectRangesAndDefault(s, c);
        EXPECT_EQ(s.precision, c.precision);
        EXPECT_EQ(s.display_flags, c.display);
        EXPECT_EQ(s.fs_flags, 0) << "no phase";
        EXPECT_EQ(std::bit_cast<std::uint32_t>(s.curve_tolerance), 0x3D4CCCCDu);
        break;
      }
      case PF_Param_POPUP:
        EXPECT_EQ(d.u.pd.num_choices, c.text == std::string("Brightness|Color") ? 2 : 3);
        EXPECT_EQ(d.u.pd.dephault, c.dephault);
        EXPECT_EQ(d.u.pd.value, c.dephault);
        break;
      case PF_Param_CHECKBOX:
        EXPECT_EQ(d.u.bd.dephault, 0);
        EXPECT_EQ(d.u.bd.value, 0);
        break;
      case PF_Param_COLOR: {
        const PF_Pixel white{255, 255, 255, 255};
        EXPECT_EQ(std::memcmp(&d.u.cd.value, &white, sizeof white), 0);
        EXPECT_EQ(std::memcmp(&d.u.cd.dephault, &white, sizeof white), 0);
        break;
      }
      case PF_Param_PATH:
        EXPECT_EQ(d.u.path_d.dephault, 0);
        EXPECT_EQ(d.u.path_d.path_id, 0);
        break;
    }
  }
}

TEST(Params, EdgeModeEnablesOneOfTheEdgePair) {
  const auto host = ReadyHost();  // its first UI update ran with Edge Mode Brightness
  constexpr PF_ParamIndex kMode = ToInt(ParamIndex::EdgeMode);
  constexpr PF_ParamIndex kBrightness = ToInt(ParamIndex::EdgeBrightness);
  constexpr PF_ParamIndex kColor = ToInt(ParamIndex::EdgeColor);
  const PF_ParamDef brightnessBefore = host->params().def(kBrightness);
  const PF_ParamDef colorBefore = host->params().def(kColor);
  EXPECT_EQ(brightnessBefore.ui_flags, 0);
  EXPECT_EQ(colorBefore.ui_flags, PF_PUI_DISABLED);

  struct Step {
    std::int32_t edgeMode;
    bool userChange;  // through PF_Cmd_USER_CHANGED_PARAM, else PF_Cmd_UPDATE_PARAMS_UI
    PF_ParamUIFlags brightness, color;
  };
  const Step steps[] = {
      {kEdgeModeColor, true, PF_PUI_DISABLED, 0},
      {kEdgeModeBrightness, false, 0, PF_PUI_DISABLED},
      {kEdgeModeColor, false, PF_PUI_DISABLED, 0},
      {kEdgeModeColor, true, PF_PUI_DISABLED, 0},  // no change: the same again
      {kEdgeModeBrightness, true, 0, PF_PUI_DISABLED},
  };
  for (const Step& s : steps) {
    host->params().set(kMode, s.edgeMode);
    const auto r = s.userChange ? host->userChangedParam() : host->updateParamsUI();
    EXPECT_EQ(r.err, PF_Err_NONE);
    EXPECT_EQ(r.outFlags, PF_OutFlag_REFRESH_UI);
    const PF_ParamDef& brightness = host->params().def(kBrightness);
    const PF_ParamDef& color = host->params().def(kColor);
    EXPECT_EQ(brightness.ui_flags, s.brightness) << "edge mode " << s.edgeMode;
    EXPECT_EQ(color.ui_flags, s.color) << "edge mode " << s.edgeMode;
    // Names, types and every other field stay as declared.
    EXPECT_STREQ(brightness.name, "Edge Brightness");
    EXPECT_STREQ(color.name, "Edge Color");
    EXPECT_EQ(std::memcmp(&brightness.u, &brightnessBefore.u, sizeof brightness.u), 0);
    EXPECT_EQ(std::memcmp(&color.u, &colorBefore.u, sizeof color.u), 0);
  }
  EXPECT_TRUE(host->audit().balanced()) << host->audit().report();
}

}  // namespace
}  // namespace boxwander::test
