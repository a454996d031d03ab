#include "minihost/world.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace boxwander::minihost {
namespace {

TEST(WorldTest, RowsArePaddedAndPixelsAddressedThroughRowBytes) {
  struct Case {
    PixelFormat format;
    std::int32_t padding;
    std::int32_t rowBytes;
    std::int32_t rowPixels;  // what the core sees: whole pixels per row
  };
  const Case cases[] = {
      {PixelFormat::k8, 0, 20, 5},      {PixelFormat::k8, 12, 32, 8},
      {PixelFormat::k8, 3, 23, 5},      {PixelFormat::k16, 4, 44, 5},
      {PixelFormat::kFloat, 16, 96, 6}, {PixelFormat::kFloat, 4, 84, 5},
  };
  for (const Case& c : cases) {
    World w(c.format, 5, 3, c.padding);
    const auto where = "format " + std::to_string(static_cast<int>(c.format)) + " padding " +
                       std::to_string(c.padding);
    EXPECT_EQ(w.rowBytes(), c.rowBytes) << where;
    EXPECT_EQ(w.rowPadding(), c.padding) << where;
    EXPECT_EQ(w.view().row_pixels, c.rowPixels) << where;
    EXPECT_EQ(w.view().pixels, w.data()) << where;
    EXPECT_TRUE(w.intact()) << where;
    for (std::int32_t y = 0; y < 3; ++y) {
      for (std::int32_t x = 0; x < 5; ++x) {
        // Every pixel byte starts at zero and is the one the host hands out.
        std::uint8_t* p = w.data() + y * c.rowBytes + x * BytesPerPixel(c.format);
        EXPECT_EQ(std::count(p, p + BytesPerPixel(c.format), 0), BytesPerPixel(c.format));
        std::fill(p, p + BytesPerPixel(c.format), 0xFF);  // pixels may be written freely
      }
    }
    EXPECT_TRUE(w.intact()) << where;
  }
  World w16(PixelFormat::k16, 5, 3, 4);
  w16.at<Pixel16>(4, 2) = {1, 2, 3, 4};
  EXPECT_EQ(reinterpret_cast<Pixel16*>(w16.data() + 2 * 44)[4], (Pixel16{1, 2, 3, 4}));
}

TEST(WorldTest, WritesOutsideThePixelsAreFoundWithTheirPlace) {
  // 4 x 2 pixels of 8 bits with 8 padding bytes: rows of 24 bytes.
  struct Case {
    std::ptrdiff_t offset;  // from the first pixel
    const char* expected;
  };
  const Case cases[] = {
      {-1, "guard before the first row overwritten at byte 63"},
      {-64, "guard before the first row overwritten at byte 0"},
      {16, "padding of row 0 overwritten at byte 16"},
      {24 + 23, "padding of row 1 overwritten at byte 23"},
      {48, "guard after the last row overwritten at byte 0"},
      {48 + 63, "guard after the last row overwritten at byte 63"},
  };
  for (const Case& c : cases) {
    World w(PixelFormat::k8, 4, 2, 8);
    w.data()[c.offset] ^= 1;
    ASSERT_FALSE(w.intact()) << c.offset;
    EXPECT_EQ(*w.damage(), c.expected);
  }
}

TEST(WorldTest, ImpossibleWorldsAreRefused) {
  EXPECT_THROW(World(PixelFormat::k8, -1, 2), std::invalid_argument);
  EXPECT_THROW(World(PixelFormat::k8, 2, -1), std::invalid_argument);
  EXPECT_THROW(World(PixelFormat::k8, 2, 2, -4), std::invalid_argument);
  EXPECT_THROW(World(PixelFormat::k16, 2, 2, 3), std::invalid_argument);
  EXPECT_THROW(World(PixelFormat::kFloat, 2, 2, 6), std::invalid_argument);
  EXPECT_THROW(World(PixelFormat::kFloat, 0x8000000, 1), std::invalid_argument);
  World w(PixelFormat::k16, 2, 2);
  EXPECT_THROW(w.at<Pixel8>(0, 0), std::logic_error);
}

TEST(WorldTest, FirstDifferenceNamesThePixelBitForBit) {
  World a(PixelFormat::kFloat, 3, 2, 16);
  World b(PixelFormat::kFloat, 3, 2);
  EXPECT_EQ(FirstDifference(a, b), std::nullopt);  // padding is not compared
  b.at<PixelFloat>(2, 1).red = -0.0f;
  b.at<PixelFloat>(1, 1).green = 0.5f;
  EXPECT_EQ(FirstDifference(a, b), "pixel (1, 1): 0 0 0 0 vs 0 0 0.5 0");
  b.at<PixelFloat>(1, 1).green = 0.0f;
  EXPECT_EQ(FirstDifference(a, b), "pixel (2, 1): 0 0 0 0 vs 0 -0 0 0");
  EXPECT_EQ(FirstDifference(a, World(PixelFormat::k8, 3, 2)), "worlds differ in depth or size");
}

}  // namespace
}  // namespace boxwander::minihost
