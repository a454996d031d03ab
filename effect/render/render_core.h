#pragma once

#include <cstdint>
#include <vector>

#include "common/error_code.h"
#include "draw/reveal.h"
#include "geometry/mask_path.h"
#include "render/pre_render_data.h"
#include "render/render_frame.h"

namespace boxwander {

// A borrowed image: pixels of the view's format, row stride in pixels.
struct ImageView {
  void* pixels = nullptr;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t row_pixels = 0;
};

// Whether the output can take a render of the input: a size that is not negative, rows at
// least as long as the input is wide, the same height, and pixels unless the input is
// empty.
bool BuffersFit(const ImageView& input, const ImageView& output);

// Points the frame at the two buffers; the input's size bounds everything.
void AttachBuffers(RenderFrame& frame, PixelFormat format, const ImageView& input,
                   const ImageView& output);

// Seeds width_rng (seed) and ratio_rng (seed + 100), takes the reveal's and the drawing's
// inputs (mode, time, edge_mode, edge_color, invert) from frame.settings and works out the
// drawing values (edge_gain, edge_color16, edge_color_float, edge_inset) with the host's
// math, which the frame keeps for the walk.
void PrepareFrame(RenderFrame& frame, const HostMath& math = {});

// Walks the path into frame.rects and the totals, with frame.coverage as working memory.
// Returns the walk's error; with error pending nothing is placed.
ErrorCode RunPathWalk(RenderFrame& frame, MaskPath& path, ErrorCode error);

// The whole picture on plain buffers, as a render inside the host would make it: copy or
// clear, then (with a path and a Time strictly between 0 and 1) walk, reveal and draw.
// The output must be at least as large as the input. path may be null (no mask).
// Returns the first error (a path failure or a progress result).
ErrorCode RenderOnBuffers(const PreRenderData& settings, PixelFormat format, const ImageView& input,
                          const ImageView& output, MaskPath* path, const ProgressFn& progress = {});

// The chain a render places, copied out of the list: for tools and tests that show it.
struct Chain {
  std::vector<RectRecord> records;
  std::int32_t rectCount = 0;
  std::int32_t halfWidthTotal = 0;
  ErrorCode error = kErrNone;
};
Chain ComputeChain(const PreRenderData& settings, std::int32_t width, std::int32_t height,
                   MaskPath& path);

}  // namespace boxwander
