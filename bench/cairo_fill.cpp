#include "bench/cairo_fill.h"

#include <cairo.h>

#include <cstdint>
#include <cstring>

namespace boxwander::bench {

void CairoCopyAndFill(const ImageView& input, const ImageView& output,
                      const std::vector<RectRecord>& rects) {
  const int stride = output.row_pixels * 4;
  std::memcpy(output.pixels, input.pixels,
              static_cast<std::size_t>(stride) * static_cast<std::size_t>(output.height));
  cairo_surface_t* surface =
      cairo_image_surface_create_for_data(static_cast<unsigned char*>(output.pixels),
                                          CAIRO_FORMAT_ARGB32, output.width, output.height, stride);
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  const auto* in = static_cast<const Pixel8*>(input.pixels);
  for (const RectRecord& r : rects) {
    const Pixel8 c = in[static_cast<std::int64_t>(r.anchorY) * input.row_pixels + r.anchorX];
    cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
    cairo_rectangle(cr, r.centerX - r.halfWidth, r.centerY - r.halfHeight, 2.0 * r.halfWidth + 1,
                    2.0 * r.halfHeight + 1);
    cairo_fill(cr);
  }
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  cairo_surface_destroy(surface);
}

}  // namespace boxwander::bench
