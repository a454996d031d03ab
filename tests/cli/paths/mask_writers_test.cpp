#include <gtest/gtest.h>

#include "cli/paths/mask_json.h"
#include "cli/paths/path_data_writer.h"
#include "cli/paths/path_source.h"

namespace boxwander::cli {
namespace {

using shapes::MaskShape;

const MaskShape kShapes[] = {
    {{{{1, 2}, {}, {}}, {{30, 4}, {}, {}}}, false},                               // one line
    {{{{1, 2}, {}, {10, 0}}, {{30, 4}, {0, -8}, {}}, {{5, 40}, {}, {}}}, false},  // curve, line
    {{{{0, 0}, {-3, 2}, {}}, {{40, 0}, {}, {0, 9}}, {{20, 30}, {}, {}}}, true},   // curved close
    {{{{0, 0}, {}, {}}, {{40, 0}, {}, {}}, {{20, 30}, {}, {}}}, true},            // straight close
    {{{{-1.25, 1e-3}, {}, {0.5, 0}}, {{7.75, 3}, {0, 0.25}, {}}}, false},         // fractions
};

TEST(MaskWriters, JsonReadsBackAsTheSameShape) {
  for (const MaskShape& shape : kShapes) {
    EXPECT_EQ(ParseMaskJson(WriteMaskJson(shape)), shape) << WriteMaskJson(shape);
  }
  const MaskShape awkward{{{{0.1, 0.2}, {}, {0.7, 0.3}}, {{3.3, 0.9}, {-0.1, 0.7}, {}}}, false};
  EXPECT_EQ(ParseMaskJson(WriteMaskJson(awkward)), awkward);
}

TEST(MaskWriters, PathDataOnlyWhenItReadsBackExactly) {
  for (const MaskShape& shape : kShapes) {
    const auto data = ExactPathData(shape);
    ASSERT_TRUE(data) << WriteMaskJson(shape);
    EXPECT_EQ(ParsePathDataMask(*data), shape) << *data;
  }
  // Handles a piece does not use (an open shape's first in, last out) do not count.
  const MaskShape ends{{{{1, 2}, {5, 5}, {}}, {{30, 4}, {}, {7, 7}}}, false};
  const auto data = ExactPathData(ends);
  ASSERT_TRUE(data);
  EXPECT_EQ(*data, "M 1 2 L 30 4");
  // 0.1 + 0.7 - 0.1 is not 0.7 in binary: the relative handle would not come back.
  const MaskShape awkward{{{{0.1, 0.2}, {}, {0.7, 0.3}}, {{3.3, 0.9}, {-0.1, 0.7}, {}}}, false};
  EXPECT_FALSE(ExactPathData(awkward));
  // A closed shape whose last vertex lies on its first would merge the two when read.
  const MaskShape doubled{{{{0, 0}, {}, {}}, {{9, 9}, {}, {}}, {{0, 0}, {}, {}}}, true};
  EXPECT_FALSE(ExactPathData(doubled));
}

}  // namespace
}  // namespace boxwander::cli
