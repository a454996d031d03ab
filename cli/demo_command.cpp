#include "cli/demo_command.h"

#include <cstdio>
#include <filesystem>

#include "cli/common/cli_error.h"
#include "cli/controls/frame_range.h"
#include "cli/demo_picture.h"
#include "cli/io/image_io.h"
#include "cli/render_command.h"

namespace boxwander::cli {
namespace {

constexpr std::int32_t kFrames = 48;
// A wave across the picture and back in a loop.
constexpr char kDemoPath[] =
    "M 16 140 C 60 20 110 20 140 90 S 210 170 250 100 S 300 20 304 60 "
    "A 40 30 0 1 1 230 40";

// Frames side by side on a dark ground, four to a row.
Image ContactSheet(const std::vector<Image>& frames) {
  constexpr std::int32_t kGap = 6;
  constexpr std::int32_t kColumns = 4;
  const auto count = static_cast<std::int32_t>(frames.size());
  const std::int32_t rows = (count + kColumns - 1) / kColumns;
  const std::int32_t w = frames[0].width();
  const std::int32_t h = frames[0].height();
  Image sheet(PixelFormat::k8, kColumns * (w + kGap) + kGap, rows * (h + kGap) + kGap);
  Pixel8* out = sheet.pixels<Pixel8>();
  for (std::int64_t i = 0; i < sheet.pixelCount(); ++i)
    out[i] = {255, 24, 24, 28};
  for (std::int32_t k = 0; k < count; ++k) {
    const std::int32_t ox = kGap + (k % kColumns) * (w + kGap);
    const std::int32_t oy = kGap + (k / kColumns) * (h + kGap);
    const Pixel8* in = frames[static_cast<std::size_t>(k)].pixels<Pixel8>();
    for (std::int32_t y = 0; y < h; ++y) {
      for (std::int32_t x = 0; x < w; ++x) {
        out[std::int64_t{oy + y} * sheet.width() + ox + x] = in[std::int64_t{y} * w + x];
      }
    }
  }
  return sheet;
}

}  // namespace

int RunDemo(const DemoArguments& d) {
  const std::string dir = d.outDir.empty() ? "." : d.outDir;
  RenderArguments a;
  a.input = dir + "/demo-input.png";
  a.output = dir + "/demo.####.png";
  a.path = kDemoPath;
  a.module = d.module;
  a.frames = "0-" + std::to_string(kFrames - 1);
  a.time = "0@0,100@" + std::to_string(kFrames - 1);
  a.maxWidth = "36";
  a.minWidth = "20";
  a.widthHeightVariance = "40";
  a.edgeThickness = "2";
  a.edgeBrightness = "0.6";
  a.seed = "7";
  a.onOriginal = true;
  a.jobs = d.jobs;
  a.quiet = d.quiet;
  try {
    WriteImage(a.input, DemoPicture());
  } catch (const CliError& e) {
    std::fprintf(stderr, "boxwander: %s\n", e.what());
    return 1;
  }
  if (const int status = RunRender(a); status != 0) {
    return status;
  }
  try {
    std::vector<Image> frames;
    for (std::int32_t k = 0; k < 8; ++k) {
      // Frames 3, 9, ... 45: the chain growing, standing and going again.
      frames.push_back(ReadImage(FrameFileName(a.output, 3 + 6 * k), PixelFormat::k8));
    }
    const std::string sheet = dir + "/contact-sheet.png";
    WriteImage(sheet, ContactSheet(frames));
    if (!d.quiet) {
      std::printf("wrote %d frames as %s and the contact sheet %s\n", kFrames, a.output.c_str(),
                  sheet.c_str());
    }
  } catch (const CliError& e) {
    std::fprintf(stderr, "boxwander: %s\n", e.what());
    return 1;
  }
  return 0;
}

}  // namespace boxwander::cli
