#include "minihost/fault_plan.h"

#include <gtest/gtest.h>

#include <vector>

namespace boxwander::minihost {
namespace {

TEST(FaultPlanTest, TheNthCallFromArmingFails) {
  struct Case {
    const char* name;
    std::int64_t callsBefore;  // made before the fault is armed
    std::int64_t nth;
    bool persist;
    std::vector<std::int64_t> failing;  // call numbers after arming, from 1
  };
  const Case cases[] = {
      {"first call", 0, 1, false, {1}},
      {"third call", 0, 3, false, {3}},
      {"counted from arming", 4, 2, false, {2}},
      {"from the third on", 0, 3, true, {3, 4, 5, 6}},
      {"never", 0, 0, false, {}},
  };
  for (const Case& c : cases) {
    FaultPlan plan;
    for (std::int64_t i = 0; i < c.callsBefore; ++i) {
      plan.onCall(HostOp::kCheckoutParam);
    }
    plan.failAt(HostOp::kCheckoutParam, c.nth, 42, c.persist);
    std::vector<std::int64_t> failing;
    for (std::int64_t i = 1; i <= 6; ++i) {
      plan.onCall(HostOp::kProgress);  // other operations do not count
      if (const auto code = plan.onCall(HostOp::kCheckoutParam)) {
        EXPECT_EQ(*code, 42) << c.name;
        failing.push_back(i);
      }
    }
    EXPECT_EQ(failing, c.failing) << c.name;
    EXPECT_EQ(plan.fired(HostOp::kCheckoutParam), static_cast<std::int64_t>(c.failing.size()));
    EXPECT_EQ(plan.calls(HostOp::kCheckoutParam), c.callsBefore + 6) << c.name;
    EXPECT_EQ(plan.fired(HostOp::kProgress), 0);
  }
}

TEST(FaultPlanTest, ResetKeepsArmedFaultsAndClearDisarmsEverything) {
  FaultPlan plan;
  plan.onCall(HostOp::kCopy);
  plan.failAt(HostOp::kCopy, 2, 7);
  plan.refuseSuite("PF World Suite", 2);
  plan.resetCounts();
  EXPECT_EQ(plan.calls(HostOp::kCopy), 0);
  EXPECT_FALSE(plan.onCall(HostOp::kCopy));
  EXPECT_EQ(plan.onCall(HostOp::kCopy), 7);
  EXPECT_TRUE(plan.refuses("PF World Suite", 2));
  EXPECT_FALSE(plan.refuses("PF World Suite", 1));

  plan.failAt(HostOp::kCopy, 1, 7, true);
  plan.clear();
  EXPECT_FALSE(plan.onCall(HostOp::kCopy));
  EXPECT_FALSE(plan.refuses("PF World Suite", 2));
}

}  // namespace
}  // namespace boxwander::minihost
