#include "cli/io/image_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "cli/common/cli_error.h"
#include "cli/common/stop_signals.h"
#include "cli/io/sample_convert.h"

namespace boxwander::cli {
namespace {

namespace fs = std::filesystem;

// Images larger than this are refused rather than attempted.
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 30;

std::string FirstLine(const std::string& text) {
  const std::string line = text.substr(0, text.find('\n'));
  return line.empty() ? "unknown error" : line;
}

// Which file channels make up the picture.
struct ChannelMap {
  int count = 0;  // channels per file pixel
  int colour[3] = {0, 0, 0};
  int colours = 0;  // 1: grey, 2: red and green, 3: red, green, blue
  int alpha = -1;   // -1: opaque
};

template <class P, class T>
void Convert(const std::vector<T>& samples, const ChannelMap& map, Image& image) {
  using Channel = typename PixelTraits<P>::Channel;
  using Sample = FileSample<Channel>;
  P* out = image.pixels<P>();
  const std::int64_t count = image.pixelCount();
  for (std::int64_t i = 0; i < count; ++i) {
    const T* s = samples.data() + i * map.count;
    P& p = out[i];
    p.red = Sample::From(s[map.colour[0]]);
    p.green = map.colours >= 2 ? Sample::From(s[map.colour[1]]) : p.red;
    p.blue =
        map.colours >= 3 ? Sample::From(s[map.colour[2]]) : (map.colours == 2 ? Channel{} : p.red);
    p.alpha = map.alpha >= 0 ? Sample::From(s[map.alpha]) : PixelTraits<P>::kFull;
  }
}

template <class T>
Image ReadSamples(OIIO::ImageInput& in, const std::string& path, OIIO::TypeDesc type,
                  const ChannelMap& map, PixelFormat depth, std::int32_t width,
                  std::int32_t height) {
  std::vector<T> samples(static_cast<std::size_t>(std::int64_t{width} * height * map.count));
  if (!in.read_image(0, 0, 0, map.count, type, samples.data())) {
    throw CliError(path + ": " + FirstLine(in.geterror()));
  }
  Image image(depth, width, height);
  VisitFormat(depth, [&]<class P>(PixelTag<P>) { Convert<P>(samples, map, image); });
  return image;
}

template <class P>
auto FileSamples(const Image& image, int channels) {
  using Channel = typename PixelTraits<P>::Channel;
  std::vector<Channel> samples(static_cast<std::size_t>(image.pixelCount() * channels));
  const P* in = image.pixels<P>();
  for (std::int64_t i = 0; i < image.pixelCount(); ++i) {
    Channel* s = samples.data() + i * channels;
    s[0] = ToFile(in[i].red);
    s[1] = ToFile(in[i].green);
    s[2] = ToFile(in[i].blue);
    if (channels == 4)
      s[3] = ToFile(in[i].alpha);
  }
  return samples;
}

// Image libraries (libpng among them) print complaints of their own on stderr. The tool
// tells every failure in one line of its own, with the library's reason taken from
// OpenImageIO, so theirs are held back while a file is read or written.
class QuietStderr {
 public:
  QuietStderr() {
    std::fflush(stderr);
    saved_ = ::dup(STDERR_FILENO);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ >= 0 && null >= 0) {
      ::dup2(null, STDERR_FILENO);
    }
    if (null >= 0) {
      ::close(null);
    }
  }
  ~QuietStderr() {
    if (saved_ >= 0) {
      std::fflush(stderr);
      ::dup2(saved_, STDERR_FILENO);
      ::close(saved_);
    }
  }
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;

 private:
  int saved_ = -1;
};

// Removes the temporary file unless the write got as far as renaming it; so does a stop
// signal meanwhile.
struct TemporaryFile {
  fs::path path;
  std::optional<PendingFile> pending;
  bool keep = false;
  ~TemporaryFile() {
    if (!keep) {
      std::error_code ignored;
      fs::remove(path, ignored);
    }
  }
};

std::unique_ptr<OIIO::ImageInput> OpenImage(const std::string& path) {
  OIIO::ImageSpec config;
  // Samples as stored: the readers of unassociated files then mark the image as such
  // instead of premultiplying.
  config.attribute("oiio:UnassociatedAlpha", 1);
  auto in = OIIO::ImageInput::open(path, &config);
  if (!in) {
    throw CliError(path + ": " + FirstLine(OIIO::geterror()));
  }
  return in;
}

}  // namespace

PixelFormat ParseDepth(std::string_view text) {
  if (text == "8")
    return PixelFormat::k8;
  if (text == "16")
    return PixelFormat::k16;
  if (text == "32")
    return PixelFormat::kFloat;
  throw CliError("--depth: expected 8, 16 or 32, found '" + std::string(text) + "'");
}

std::pair<std::int32_t, std::int32_t> ImageSize(const std::string& path) {
  const QuietStderr quiet;
  const auto in = OpenImage(path);
  return {in->spec().width, in->spec().height};
}

Image ReadImage(const std::string& path, std::optional<PixelFormat> depth, AlphaStorage* stored) {
  const QuietStderr quiet;
  const auto in = OpenImage(path);
  const OIIO::ImageSpec& spec = in->spec();
  if (spec.width <= 0 || spec.height <= 0 || spec.nchannels <= 0) {
    throw CliError(path + ": the image is empty");
  }
  if (std::int64_t{spec.width} * spec.height > kMaxPixels || spec.depth > 1) {
    throw CliError(path + ": the image is too large or not a flat picture");
  }
  ChannelMap map;
  map.count = spec.nchannels;
  map.alpha =
      spec.alpha_channel >= 0 && spec.alpha_channel < spec.nchannels ? spec.alpha_channel : -1;
  for (int c = 0; c < spec.nchannels && map.colours < 3; ++c) {
    if (c != map.alpha)
      map.colour[map.colours++] = c;
  }
  if (map.colours == 0) {
    throw CliError(path + ": the image has no colour channel");
  }
  const AlphaStorage storage =
      map.alpha >= 0 && spec.get_int_attribute("oiio:UnassociatedAlpha") == 0
          ? AlphaStorage::kPremultiplied
          : AlphaStorage::kStraight;
  if (stored)
    *stored = storage;
  const auto base = spec.format.basetype;
  try {
    Image image;
    if (base == OIIO::TypeDesc::UINT8) {
      image = ReadSamples<std::uint8_t>(*in, path, OIIO::TypeDesc::UINT8, map,
                                        depth.value_or(PixelFormat::k8), spec.width, spec.height);
    } else if (base == OIIO::TypeDesc::UINT16) {
      image = ReadSamples<std::uint16_t>(*in, path, OIIO::TypeDesc::UINT16, map,
                                         depth.value_or(PixelFormat::k16), spec.width, spec.height);
    } else {
      image = ReadSamples<float>(*in, path, OIIO::TypeDesc::FLOAT, map,
                                 depth.value_or(PixelFormat::kFloat), spec.width, spec.height);
    }
    if (storage == AlphaStorage::kPremultiplied)
      Unpremultiply(image);
    return image;
  } catch (const std::bad_alloc&) {
    throw CliError(path + ": out of memory");
  }
}

void CheckImageFormat(const std::string& path) {
  if (!OIIO::ImageOutput::create(path)) {
    throw CliError(path + ": " + FirstLine(OIIO::geterror()));
  }
}

namespace {

// Writes the image in its own depth through `out`, opened on `name` (the file, or a name
// whose extension picked the format when a proxy takes the bytes). `shown` names the file
// in errors. `premultiplied` says the samples are associated, as the format stores them.
void WriteThrough(OIIO::ImageOutput& out, const std::string& name, const Image& image,
                  const std::string& shown, const OIIO::ParamValueList& extra,
                  bool premultiplied = false) {
  const int channels = out.supports("alpha") ? 4 : 3;
  const auto write = [&](OIIO::TypeDesc type, const auto& samples) {
    OIIO::ImageSpec spec(image.width(), image.height(), channels, type);
    spec.alpha_channel = channels == 4 ? 3 : -1;
    if (!premultiplied)
      spec.attribute("oiio:UnassociatedAlpha", 1);  // store straight colour as it is
    for (const OIIO::ParamValue& p : extra) {
      spec.attribute(p.name(), p.type(), p.data());
    }
    const bool ok = out.open(name, spec) && out.write_image(type, samples.data()) && out.close();
    if (!ok) {
      throw CliError(shown + ": " + FirstLine(out.geterror()));
    }
  };
  try {
    VisitFormat(image.format(), [&]<class P>(PixelTag<P>) {
      using Channel = typename PixelTraits<P>::Channel;
      write(OIIO::TypeDescFromC<Channel>::value(), FileSamples<P>(image, channels));
    });
  } catch (const std::bad_alloc&) {
    throw CliError(shown + ": out of memory");
  }
}

}  // namespace

void WriteImage(const std::string& path, const Image& straight, AlphaStorage source) {
  const QuietStderr quiet;
  const fs::path target(path);
  std::error_code error;
  if (target.has_parent_path()) {
    fs::create_directories(target.parent_path(), error);
    if (error) {
      throw CliError(path + ": cannot create the directory: " + error.message());
    }
  }
  // The extension stays last: it names the format.
  TemporaryFile temporary;
  temporary.path =
      target.parent_path() / ("." + target.stem().string() + ".partial-" +
                              std::to_string(::getpid()) + target.extension().string());
  temporary.pending.emplace(temporary.path.string());
  auto out = OIIO::ImageOutput::create(temporary.path.string());
  if (!out) {
    throw CliError(path + ": " + FirstLine(OIIO::geterror()));
  }
  const int channels = out->supports("alpha") ? 4 : 3;
  const std::string format = out->format_name();
  const bool premultiplied =
      channels == 4 &&
      (format == "openexr" || (format == "tiff" && source == AlphaStorage::kPremultiplied));
  std::optional<Image> copy;
  if (premultiplied) {
    copy = straight;
    Premultiply(*copy);
  }
  WriteThrough(*out, temporary.path.string(), copy ? *copy : straight, path, {}, premultiplied);
  out.reset();
  fs::rename(temporary.path, target, error);
  if (error) {
    throw CliError(path + ": cannot rename the finished file: " + error.message());
  }
  temporary.keep = true;
}

std::string EncodePng(const Image& image) {
  const QuietStderr quiet;
  std::vector<unsigned char> bytes;
  OIIO::Filesystem::IOVecOutput proxy(bytes);
  const std::string name = "picture.png";
  auto out = OIIO::ImageOutput::create(name, &proxy);
  if (!out) {
    throw CliError(name + ": " + FirstLine(OIIO::geterror()));
  }
  // Fast rather than small: the bytes go to a viewer on the same machine. No row filter
  // and the lightest compression take a fourth of the default's time.
  OIIO::ParamValueList fast;
  fast.attribute("png:compressionLevel", 1);
  fast.attribute("png:filter", 8);  // PNG_FILTER_NONE
  WriteThrough(*out, name, image, name, fast);
  out.reset();
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace boxwander::cli
