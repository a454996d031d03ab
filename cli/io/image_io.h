#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "cli/io/alpha_storage.h"
#include "cli/io/image.h"

namespace boxwander::cli {

// "8", "16" or "32" (float). Throws CliError naming --depth.
PixelFormat ParseDepth(std::string_view text);

// Reads the first image of a file through OpenImageIO. Its depth follows the file: 8-bit
// files give 8-bit, 16-bit files 16-bit (0..65535 to 0..32768, see sample_convert.h), every
// other sample type float; `depth` overrides. One channel is grey; the first three that are
// not alpha are red, green and blue; without alpha the picture is opaque. Colour comes out
// straight: files whose alpha OpenImageIO reports as associated (EXR, TIFF marked so) are
// unpremultiplied; `stored`, when given, receives how the file kept it. Throws CliError
// naming the file.
Image ReadImage(const std::string& path, std::optional<PixelFormat> depth = std::nullopt,
                AlphaStorage* stored = nullptr);

// The width and height of a file's first image, from its header alone. Throws CliError
// naming the file.
std::pair<std::int32_t, std::int32_t> ImageSize(const std::string& path);

// Writes the straight-colour image in its own depth, in the format the file name's extension
// names, with alpha where the format holds it, in the format's convention: EXR premultiplied,
// TIFF as `source` says (the convention of the file the picture came from), every other
// format straight. A format that cannot hold the depth gets the nearest it
// can, converted by OpenImageIO. The file is written under a temporary name beside the
// target and renamed when complete, so a failure never leaves a partial file (missing
// directories are created). Throws CliError naming the file.
void WriteImage(const std::string& path, const Image& image,
                AlphaStorage source = AlphaStorage::kStraight);

// The image as PNG bytes in memory, converted as WriteImage converts it for a .png file
// (the same pixels when read back); compressed for speed rather than size. Throws CliError.
std::string EncodePng(const Image& image);

// Throws CliError naming the file, as WriteImage would, when no format writes files with
// this name's extension: a check before any frame is rendered.
void CheckImageFormat(const std::string& path);

}  // namespace boxwander::cli
