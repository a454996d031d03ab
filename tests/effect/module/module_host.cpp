#include "tests/effect/module/module_host.h"

#include <cmath>

namespace boxwander::test {
namespace {

PF_ParamIndex I(ParamIndex index) {
  return ToInt(index);
}

}  // namespace

void SetControls(Host& host, const ControlValues& c) {
  minihost::ParamStore& p = host.params();
  p.set(I(ParamIndex::Path), c.path_id);
  p.set(I(ParamIndex::Mode), c.mode);
  p.set(I(ParamIndex::Time), c.time_fixed);
  p.set(I(ParamIndex::MaxWidth), c.max_width);
  p.set(I(ParamIndex::MinWidth), c.min_width_fixed);
  p.set(I(ParamIndex::WidthHeight), c.wh);
  p.set(I(ParamIndex::WidthHeightVariance), c.wh_variance_fixed);
  p.set(I(ParamIndex::EdgeThickness), c.edge_thickness);
  p.set(I(ParamIndex::EdgeMode), c.edge_mode);
  p.set(I(ParamIndex::EdgeBrightness), c.edge_brightness);
  p.set(I(ParamIndex::EdgeColor),
        PF_Pixel{c.edge_color.alpha, c.edge_color.red, c.edge_color.green, c.edge_color.blue});
  p.set(I(ParamIndex::Invert), c.invert);
  p.set(I(ParamIndex::Seed), c.seed);
  p.set(I(ParamIndex::OnOriginal), c.on_original);
}

std::unique_ptr<Host> ReadyHost() {
  auto host = std::make_unique<Host>(BOXWANDER_MODULE_PATH);
  host->setup();
  return host;
}

std::shared_ptr<StraightSegmentPath> TestPath(double w, double h) {
  std::vector<StraightSegmentPath::Point> points;
  for (int i = 0; i <= 24; ++i) {
    const double t = i / 24.0;
    points.push_back({w * (0.05 + 0.9 * t), h * (0.5 + 0.35 * std::sin(t * 9.0))});
  }
  points.push_back({w * 0.2, h * 0.15});
  return std::make_shared<StraightSegmentPath>(StraightSegmentPath::Polyline(points, false));
}

ControlValues DrawingControls() {
  ControlValues c;
  c.path_id = kMaskId;
  c.time_fixed = 40 << 16;
  c.max_width = 24;
  c.min_width_fixed = 30 << 16;
  c.wh = 0.2;
  c.wh_variance_fixed = 25 << 16;
  c.edge_thickness = 2;
  c.edge_brightness = 1.5;
  c.seed = 7;
  c.on_original = 1;
  return c;
}

World TestPicture(PixelFormat format, std::int32_t width, std::int32_t height,
                  std::int32_t rowPadding) {
  World w(format, width, height, rowPadding);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const int a = 128 + (x * 5 + y * 3) % 128;
      const int r = (x * 7) % 256;
      const int g = (y * 11) % 256;
      const int b = (x * 3 + y * 5) % 256;
      switch (format) {
        case PixelFormat::k8:
          w.at<Pixel8>(x, y) = {static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(r),
                                static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)};
          break;
        case PixelFormat::k16:
          w.at<Pixel16>(x, y) = {
              static_cast<std::uint16_t>(a * 128), static_cast<std::uint16_t>(r * 128),
              static_cast<std::uint16_t>(g * 128 + x % 128), static_cast<std::uint16_t>(b * 128)};
          break;
        case PixelFormat::kFloat:
          // Some colour channels above 1.0, as float layers may hold.
          w.at<PixelFloat>(x, y) = {a / 255.0f, r / 200.0f, g / 255.0f, b / 255.0f};
          break;
      }
    }
  }
  return w;
}

World MarkedWorld(PixelFormat format, std::int32_t width, std::int32_t height,
                  std::int32_t rowPadding) {
  World w(format, width, height, rowPadding);
  switch (format) {
    case PixelFormat::k8:
      w.fill(Pixel8{77, 1, 2, 3});
      break;
    case PixelFormat::k16:
      w.fill(Pixel16{7777, 1, 2, 3});
      break;
    case PixelFormat::kFloat:
      w.fill(PixelFloat{0.77f, 0.01f, 0.02f, 0.03f});
      break;
  }
  return w;
}

}  // namespace boxwander::test
