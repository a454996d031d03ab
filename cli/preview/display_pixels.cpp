#include "cli/preview/display_pixels.h"

#include "cli/io/sample_convert.h"

namespace boxwander::cli::preview {
namespace {

template <class P>
void Convert(const Image& image, std::string& out) {
  const P* in = image.pixels<P>();
  const auto eight = [](auto channel) {
    return static_cast<char>(FileSample<std::uint8_t>::From(ToFile(channel)));
  };
  for (std::int64_t i = 0; i < image.pixelCount(); ++i) {
    char* o = out.data() + i * 4;
    o[0] = eight(in[i].red);
    o[1] = eight(in[i].green);
    o[2] = eight(in[i].blue);
    o[3] = eight(in[i].alpha);
  }
}

}  // namespace

void DisplayPixels(const Image& image, std::string& out) {
  out.resize(static_cast<std::size_t>(image.pixelCount() * 4));
  VisitFormat(image.format(), [&]<class P>(PixelTag<P>) { Convert<P>(image, out); });
}

}  // namespace boxwander::cli::preview
