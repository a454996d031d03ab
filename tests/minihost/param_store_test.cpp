#include "minihost/param_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace boxwander::minihost {
namespace {

PF_ParamDef Declared(PF_ParamType type, const char* name) {
  PF_ParamDef def{};
  def.param_type = type;
  std::strcpy(def.name, name);
  return def;
}

class ParamStoreTest : public ::testing::Test {
 protected:
  Ledger ledger;
  ParamStore store{ledger};
};

TEST_F(ParamStoreTest, CheckoutGivesTheDeclarationWithTheValueInItsTypesForm) {
  struct Case {
    const char* name;
    PF_ParamDef def;
    ParamValue value;
    std::function<bool(const PF_ParamDef&)> holds;
  };
  PF_ParamDef fixed = Declared(PF_Param_FIX_SLIDER, "Time");
  fixed.u.fd.valid_max = 100 << 16;
  fixed.u.fd.precision = 1;
  PF_ParamDef color = Declared(PF_Param_COLOR, "Edge Color");
  color.u.cd.dephault = {255, 255, 255, 255};
  const Case cases[] = {
      {"integer slider", Declared(PF_Param_SLIDER, "Seed"), 50000,
       [](const PF_ParamDef& d) { return d.u.sd.value == 50000; }},
      {"fixed slider", fixed, ToFixed(12.5),
       [](const PF_ParamDef& d) {
         return d.u.fd.value == 0xC8000 && d.u.fd.valid_max == (100 << 16) && d.u.fd.precision == 1;
       }},
      {"float slider", Declared(PF_Param_FLOAT_SLIDER, "W/H"), -0.25,
       [](const PF_ParamDef& d) { return d.u.fs_d.value == -0.25; }},
      {"popup", Declared(PF_Param_POPUP, "Mode"), 3,
       [](const PF_ParamDef& d) { return d.u.pd.value == 3; }},
      {"checkbox", Declared(PF_Param_CHECKBOX, "Invert"), 1,
       [](const PF_ParamDef& d) { return d.u.bd.value == 1; }},
      {"colour", color, PF_Pixel{255, 10, 20, 30},
       [](const PF_ParamDef& d) {
         return d.u.cd.value.red == 10 && d.u.cd.value.blue == 30 && d.u.cd.dephault.green == 255;
       }},
      {"path", Declared(PF_Param_PATH, "Path"), 4,
       [](const PF_ParamDef& d) { return d.u.path_d.path_id == 4; }},
  };
  for (const Case& c : cases) {
    store.clear();
    ASSERT_EQ(store.add(-1, c.def), PF_Err_NONE) << c.name;
    store.set(1, c.value);
    PF_ParamDef out{};
    ASSERT_EQ(store.checkout(1, {}, out), PF_Err_NONE) << c.name;
    EXPECT_TRUE(c.holds(out)) << c.name;
    EXPECT_STREQ(out.name, c.def.name) << c.name;
    EXPECT_EQ(out.param_type, c.def.param_type) << c.name;
  }
  EXPECT_TRUE(ledger.misbehaviours().empty());
}

TEST_F(ParamStoreTest, DeclaredTextsAreKeptAndTheDeclaredValueIsTheStartingValue) {
  {
    std::string choices = "Brightness|Color";
    PF_ParamDef def = Declared(PF_Param_POPUP, "Edge Mode");
    def.u.pd.namesptr = choices.c_str();
    def.u.pd.value = 2;
    ASSERT_EQ(store.add(-1, def), PF_Err_NONE);
    choices.assign(choices.size(), '?');  // the effect's text is gone after add_param
  }
  EXPECT_EQ(store.text(1), "Brightness|Color");
  EXPECT_STREQ(store.def(1).u.pd.namesptr, "Brightness|Color");
  EXPECT_EQ(std::get<std::int32_t>(store.valueAt(1, {})), 2);
}

TEST_F(ParamStoreTest, ValuesFollowTheirSourceOverTime) {
  ASSERT_EQ(store.add(-1, Declared(PF_Param_FIX_SLIDER, "Time")), PF_Err_NONE);
  store.set(1, [](const HostTime& t) { return ToFixed(t.seconds() * 10.0); });
  PF_ParamDef out{};
  ASSERT_EQ(store.checkout(1, {45, 1, 30}, out), PF_Err_NONE);
  EXPECT_EQ(out.u.fd.value, 15 << 16);
  store.set(1, [](const HostTime&) { return 0.5; });  // wrong form for a fixed slider
  EXPECT_THROW(store.checkout(1, {}, out), std::invalid_argument);
  EXPECT_THROW(store.set(1, 0.5), std::invalid_argument);
  EXPECT_THROW(store.set(2, 1), std::out_of_range);
}

TEST_F(ParamStoreTest, MisuseIsRecordedAndRefused) {
  ASSERT_EQ(store.add(-1, Declared(PF_Param_CHECKBOX, "Invert")), PF_Err_NONE);
  PF_ParamDef out{};
  struct Case {
    const char* name;
    std::function<PF_Err()> call;
    PF_Err expected;
    const char* recorded;
  };
  const Case cases[] = {
      {"add at an index", [&] { return store.add(3, Declared(PF_Param_SLIDER, "X")); },
       PF_Err_INVALID_INDEX, "add_param at index 3"},
      {"add an unsupported type", [&] { return store.add(-1, Declared(PF_Param_POINT, "P")); },
       PF_Err_UNRECOGNIZED_PARAM_TYPE, "unsupported type 6"},
      {"checkout past the end", [&] { return store.checkout(2, {}, out); }, PF_Err_INVALID_INDEX,
       "checkout_param of unknown index 2"},
      {"checkin too often",
       [&] {
         store.checkin();
         return PF_Err_NONE;
       },
       PF_Err_NONE, "checkin_param without"},
      {"UI update of another type",
       [&] { return store.updateUI(1, Declared(PF_Param_SLIDER, "Invert")); },
       PF_Err_BAD_CALLBACK_PARAM, "with another type"},
  };
  for (const Case& c : cases) {
    ledger.clearMisbehaviour();
    EXPECT_EQ(c.call(), c.expected) << c.name;
    ASSERT_EQ(ledger.misbehaviours().size(), 1u) << c.name;
    EXPECT_NE(ledger.misbehaviours()[0].find(c.recorded), std::string::npos) << c.name;
  }
  EXPECT_EQ(store.count(), 1);
}

TEST_F(ParamStoreTest, UiUpdateChangesFlagsAndNameButNeverTheValue) {
  ASSERT_EQ(store.add(-1, Declared(PF_Param_FLOAT_SLIDER, "Edge Brightness")), PF_Err_NONE);
  store.set(1, 2.0);
  PF_ParamDef ui = Declared(PF_Param_FLOAT_SLIDER, "Renamed");
  ui.ui_flags = PF_PUI_DISABLED;
  ui.u.fs_d.value = 9.0;
  ASSERT_EQ(store.updateUI(1, ui), PF_Err_NONE);
  EXPECT_EQ(store.def(1).ui_flags, PF_PUI_DISABLED);
  EXPECT_STREQ(store.def(1).name, "Renamed");
  EXPECT_EQ(std::get<double>(store.valueAt(1, {})), 2.0);
}

TEST_F(ParamStoreTest, StateTellsWhetherAnythingChangedSinceItWasTaken) {
  ASSERT_EQ(store.add(-1, Declared(PF_Param_SLIDER, "Seed")), PF_Err_NONE);
  PF_State state{};
  EXPECT_TRUE(store.changedSince(state));  // a zeroed block is never current
  store.writeState(state);
  EXPECT_FALSE(store.changedSince(state));
  store.set(1, 7);
  EXPECT_TRUE(store.changedSince(state));
}

TEST(ToFixedTest, RoundsToTheNearestStep) {
  EXPECT_EQ(ToFixed(100.0), 0x640000);
  EXPECT_EQ(ToFixed(-1.5), -0x18000);
  EXPECT_EQ(ToFixed(0.05), 3277);  // 3276.8
  EXPECT_EQ(ToFixed(-0.05), -3277);
  EXPECT_EQ(ToFixed(1e12), 0x7FFFFFFF);
}

}  // namespace
}  // namespace boxwander::minihost
