#include "geometry/rect_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace boxwander {
namespace {

std::vector<RectRecord> Records(const RectList& list) {
  std::vector<RectRecord> out;
  for (const RectNode* n = list.first(); n != nullptr; n = n->next) {
    out.push_back(n->record);
  }
  return out;
}

const RectRecord kA{1, 2, 3, 4, 5, 6};
const RectRecord kB{-7, 8, -9, 10, 2, 0};
const RectRecord kC{11, 12, 13, 14, 15, 16};

TEST(RectList, NewAndClearedListsAreEmptyAndUsable) {
  RectList list;
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.first(), nullptr);
  list.clear();
  EXPECT_TRUE(list.empty());
  list.append(kB);
  EXPECT_EQ(Records(list), std::vector<RectRecord>{kB});
}

TEST(RectList, KeepsAppendOrderAndEndsAfterLast) {
  RectList list;
  list.append(kA);
  list.append(kB);
  list.append(kC);
  EXPECT_EQ(Records(list), (std::vector<RectRecord>{kA, kB, kC}));
  const RectNode* last = list.first()->next->next;
  EXPECT_EQ(last->record, kC);
  EXPECT_EQ(last->next, nullptr);
}

TEST(RectList, ClearThenAppendHoldsOnlyTheNewRecord) {
  RectList list;
  list.append(kA);
  list.append(kB);
  list.clear();
  EXPECT_TRUE(list.empty());
  // The tail must be back on the sentinel, or this append would link after a freed node.
  list.append(kC);
  list.append(kA);
  EXPECT_EQ(Records(list), (std::vector<RectRecord>{kC, kA}));
}

TEST(RectList, RecordsAreCopiedInAndOut) {
  RectList list;
  RectRecord r = kA;
  list.append(r);
  r.centerX = 99;
  RectRecord copy = list.first()->record;
  copy.halfWidth = 42;
  EXPECT_NE(copy, list.first()->record);
  EXPECT_EQ(list.first()->record, kA);
}

}  // namespace
}  // namespace boxwander
