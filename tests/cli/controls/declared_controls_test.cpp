// The tool's table of controls, which it needs before any module is loaded (the help and
// the checks while parsing), held against the parameters the module declares.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "cli/controls/controls.h"
#include "minihost/host.h"

namespace boxwander::cli {
namespace {

using minihost::Host;

// The declared parameter of that name, or null.
const PF_ParamDef* Declared(Host& host, const std::string& name) {
  const auto& params = host.params();
  for (PF_ParamIndex i = 1; i <= params.count(); ++i) {
    if (params.def(i).name == name) {
      return &params.def(i);
    }
  }
  return nullptr;
}

// The option word for a popup entry: "Discrete 1" -> "discrete1".
std::string Word(const std::string& entry) {
  std::string word;
  for (const char c : entry) {
    if (c != ' ') {
      word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  return word;
}

class DeclaredControls : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(host_.globalSetup().err, PF_Err_NONE);
    ASSERT_EQ(host_.paramsSetup().err, PF_Err_NONE);
  }
  Host host_{BOXWANDER_MODULE_PATH};
};

TEST_F(DeclaredControls, NumericControlsHaveTheDeclaredTypeAndValidRange) {
  for (const NumericControl* control : kNumericControls) {
    SCOPED_TRACE(control->name);
    const PF_ParamDef* def = Declared(host_, control->name);
    ASSERT_NE(def, nullptr);
    double min = 0;
    double max = 0;
    std::int16_t display = PF_ValueDisplayFlag_NONE;
    switch (control->kind) {
      case ControlKind::kFixed:
        ASSERT_EQ(def->param_type, PF_Param_FIX_SLIDER);
        min = def->u.fd.valid_min / 65536.0;
        max = def->u.fd.valid_max / 65536.0;
        display = def->u.fd.display_flags;
        break;
      case ControlKind::kInteger:
        ASSERT_EQ(def->param_type, PF_Param_SLIDER);
        min = def->u.sd.valid_min;
        max = def->u.sd.valid_max;
        break;
      case ControlKind::kFloat:
        ASSERT_EQ(def->param_type, PF_Param_FLOAT_SLIDER);
        min = def->u.fs_d.valid_min;
        max = def->u.fs_d.valid_max;
        display = def->u.fs_d.display_flags;
        break;
    }
    EXPECT_EQ(control->min, min);
    EXPECT_EQ(control->max, max);
    EXPECT_EQ(std::string(control->unit) == "%", (display & PF_ValueDisplayFlag_PERCENT) != 0);
  }
}

TEST_F(DeclaredControls, ChoiceWordsNameTheDeclaredEntriesInOrder) {
  struct Case {
    const char* name;
    std::int32_t (*parse)(std::string_view);
  };
  for (const Case& c : {Case{"Mode", &ParseMode}, Case{"Edge Mode", &ParseEdgeMode}}) {
    SCOPED_TRACE(c.name);
    const PF_ParamDef* def = Declared(host_, c.name);
    ASSERT_NE(def, nullptr);
    ASSERT_EQ(def->param_type, PF_Param_POPUP);
    std::string entries = def->u.pd.namesptr;
    std::int32_t value = 0;
    for (std::size_t start = 0; start <= entries.size();) {
      const std::size_t bar = std::min(entries.find('|', start), entries.size());
      ++value;
      EXPECT_EQ(c.parse(Word(entries.substr(start, bar - start))), value);
      start = bar + 1;
    }
    EXPECT_EQ(value, def->u.pd.num_choices);
  }
}

}  // namespace
}  // namespace boxwander::cli
