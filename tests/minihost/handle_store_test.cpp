#include "minihost/handle_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace boxwander::minihost {
namespace {

bool Mentions(const Audit& audit, const std::string& text) {
  return audit.report().find(text) != std::string::npos;
}

class HandleStoreTest : public ::testing::Test {
 protected:
  Audit audit() const {
    Audit a;
    ledger.auditInto(a);
    store.auditInto(a);
    return a;
  }
  Ledger ledger;
  HandleStore store{ledger};
};

TEST_F(HandleStoreTest, HandleIsUnbalancedUntilDisposedOrHeld) {
  HandleStore::Handle h = store.allocate(24);
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(Mentions(audit(), "handle of 24 bytes never disposed")) << audit().report();

  // The first word points at the zeroed block; locks nest and return that address.
  auto* block = static_cast<std::uint8_t*>(*h);
  EXPECT_EQ(std::count(block, block + 24, 0), 24);
  EXPECT_EQ(store.lock(h), *h);
  EXPECT_EQ(store.lock(h), *h);
  store.unlock(h);
  EXPECT_EQ(store.lockCount(h), 1);
  EXPECT_EQ(store.owner(block + 20, 4), h);
  EXPECT_EQ(store.owner(block + 20, 5), nullptr);

  store.hold(h, "global data");
  EXPECT_TRUE(audit().balanced()) << audit().report();
  store.unhold(h);
  EXPECT_FALSE(audit().balanced());
  store.dispose(h);  // whatever its lock count
  EXPECT_TRUE(audit().balanced()) << audit().report();
  EXPECT_EQ(store.liveCount(), 0u);
}

TEST_F(HandleStoreTest, WritesJustOutsideTheBlockAreCaught) {
  for (const std::ptrdiff_t at : {std::ptrdiff_t{-1}, std::ptrdiff_t{8}, std::ptrdiff_t{-16}}) {
    HandleStore::Handle h = store.allocate(8);
    static_cast<std::uint8_t*>(*h)[at] = 0;
    EXPECT_TRUE(Mentions(audit(), "write outside a handle of 8 bytes")) << at;
    store.dispose(h);
    ASSERT_EQ(ledger.misbehaviours().size(), 1u) << at;
    EXPECT_NE(ledger.misbehaviours()[0].find("when it was disposed"), std::string::npos);
    ledger.clearMisbehaviour();
  }
}

TEST_F(HandleStoreTest, CallsOnHandlesTheStoreDidNotMakeAreRecorded) {
  HandleStore::Handle live = store.allocate(4);
  void* word = nullptr;
  auto* foreign = &word;
  struct Case {
    const char* name;
    std::function<void()> call;
    const char* recorded;  // null: nothing to record
  };
  const Case cases[] = {
      {"lock foreign", [&] { EXPECT_EQ(store.lock(foreign), nullptr); }, "host_lock_handle of"},
      {"unlock foreign", [&] { store.unlock(foreign); }, "host_unlock_handle of a handle"},
      {"dispose foreign", [&] { store.dispose(foreign); }, "host_dispose_handle of"},
      {"unlock not locked", [&] { store.unlock(live); }, "that is not locked"},
      {"dispose twice",
       [&] {
         HandleStore::Handle h = store.allocate(1);
         store.dispose(h);
         store.dispose(h);
       },
       "host_dispose_handle of"},
      {"dispose null", [&] { store.dispose(nullptr); }, nullptr},
  };
  for (const Case& c : cases) {
    ledger.clearMisbehaviour();
    c.call();
    if (c.recorded == nullptr) {
      EXPECT_TRUE(ledger.misbehaviours().empty()) << c.name;
    } else {
      ASSERT_EQ(ledger.misbehaviours().size(), 1u) << c.name;
      EXPECT_NE(ledger.misbehaviours()[0].find(c.recorded), std::string::npos) << c.name;
    }
  }
  EXPECT_EQ(store.liveCount(), 1u);
}

TEST_F(HandleStoreTest, RequestsAboveTheLimitGetNoHandle) {
  store.setLimit(100);
  EXPECT_EQ(store.allocate(101), nullptr);
  EXPECT_EQ(store.allocate(~std::uint64_t{0}), nullptr);
  EXPECT_NE(store.allocate(100), nullptr);
}

}  // namespace
}  // namespace boxwander::minihost
