#include "render/render_core.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "common/truncate.h"
#include "draw/color.h"
#include "geometry/path_walk.h"

namespace boxwander {
namespace {

// seed + 100 as a 32-bit sum that wraps instead of overflowing.
std::int32_t RatioSeed(std::int32_t seed) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(seed) + 100u);
}

// The output's starting content: a copy of the input, or transparent black.
void StartOutput(const PreRenderData& settings, PixelFormat format, const ImageView& input,
                 const ImageView& output) {
  const std::size_t bpp = static_cast<std::size_t>(BytesPerPixel(format));
  auto* out = static_cast<unsigned char*>(output.pixels);
  const auto* in = static_cast<const unsigned char*>(input.pixels);
  const std::int32_t out_width = std::min(output.width, output.row_pixels);
  // Rows without gaps between them go as one block: a copy that large may bypass the
  // caches, which row-sized copies cannot.
  if (settings.on_original != 0 && input.row_pixels == input.width &&
      output.row_pixels == input.width && output.height == input.height) {
    std::memcpy(
        out, in,
        static_cast<std::size_t>(input.width) * static_cast<std::size_t>(input.height) * bpp);
    return;
  }
  for (std::int64_t y = 0; y < output.height; ++y) {
    unsigned char* row = out + y * output.row_pixels * static_cast<std::int64_t>(bpp);
    if (settings.on_original != 0) {
      std::memcpy(row, in + y * input.row_pixels * static_cast<std::int64_t>(bpp),
                  static_cast<std::size_t>(input.width) * bpp);
    } else {
      std::memset(row, 0, static_cast<std::size_t>(std::max(out_width, 0)) * bpp);
    }
  }
}

// Coverage, seeding, drawing values and the walk: everything a render does before the
// reveal. The coverage map lives with the caller.
ErrorCode PlaceChain(RenderFrame& frame, MaskPath& path, CoverageMap& coverage) {
  frame.coverage = &coverage;
  PrepareFrame(frame);
  return RunPathWalk(frame, path, kErrNone);
}

}  // namespace

bool BuffersFit(const ImageView& input, const ImageView& output) {
  return input.width >= 0 && input.height >= 0 && input.row_pixels >= input.width &&
         output.row_pixels >= input.width && output.height == input.height &&
         (input.pixels != nullptr || input.width == 0 || input.height == 0) &&
         (output.pixels != nullptr || input.width == 0 || input.height == 0);
}

void AttachBuffers(RenderFrame& frame, PixelFormat format, const ImageView& input,
                   const ImageView& output) {
  frame.format = format;
  frame.width = input.width;
  frame.height = input.height;
  frame.in_row_pixels = input.row_pixels;
  frame.out_row_pixels = output.row_pixels;
  frame.in_pixels = input.pixels;
  frame.out_pixels = output.pixels;
  frame.pixel_count = static_cast<std::int64_t>(input.width) * input.height;
}

void PrepareFrame(RenderFrame& frame, const HostMath& math) {
  const PreRenderData& s = *frame.settings;
  frame.mode = s.mode;
  frame.time = s.time;
  frame.edge_mode = s.edge_mode;
  frame.edge_color = s.edge_color;
  frame.invert = s.invert;
  SeedForRender(frame.width_rng, s.seed);
  SeedForRender(frame.ratio_rng, RatioSeed(s.seed));
  frame.math = math;
  frame.edge_gain = math.Pow(2.0, s.edge_brightness) - 1.0;
  frame.edge_color16 = Color8To16(s.edge_color);
  frame.edge_color_float = Color8ToFloat(s.edge_color);
  frame.edge_inset = SaturatingAdd(s.edge_thickness, -1);
}

ErrorCode RunPathWalk(RenderFrame& frame, MaskPath& path, ErrorCode error) {
  const WalkResult result =
      WalkPath(path, ChainSettingsOf(*frame.settings, frame.math), frame.width, frame.height,
               frame.coverage, frame.width_rng, frame.ratio_rng, frame.rects, error);
  frame.rectCount = result.rectCount;
  frame.halfWidthTotal = result.halfWidthTotal;
  return result.error;
}

ErrorCode RenderOnBuffers(const PreRenderData& settings, PixelFormat format, const ImageView& input,
                          const ImageView& output, MaskPath* path, const ProgressFn& progress) {
  if (!BuffersFit(input, output)) {
    return kErrMismatchedBuffers;
  }
  StartOutput(settings, format, input, output);
  if (path == nullptr || NothingToDraw(settings)) {
    return kErrNone;
  }
  try {
    RenderFrame frame;
    frame.settings = &settings;
    AttachBuffers(frame, format, input, output);
    CoverageMap coverage;
    const ErrorCode error = PlaceChain(frame, *path, coverage);
    if (error != kErrNone) {
      return error;
    }
    return RevealWalk(frame, progress);
  } catch (const std::bad_alloc&) {
    return kErrOutOfMemory;
  }
}

Chain ComputeChain(const PreRenderData& settings, std::int32_t width, std::int32_t height,
                   MaskPath& path) {
  Chain chain;
  RenderFrame frame;
  frame.settings = &settings;
  AttachBuffers(frame, PixelFormat::k8, ImageView{nullptr, width, height, width},
                ImageView{nullptr, width, height, width});
  CoverageMap coverage;
  chain.error = PlaceChain(frame, path, coverage);
  chain.rectCount = frame.rectCount;
  chain.halfWidthTotal = frame.halfWidthTotal;
  for (const RectNode* node = frame.rects.first(); node != nullptr; node = node->next) {
    chain.records.push_back(node->record);
  }
  return chain;
}

}  // namespace boxwander
