#include <gtest/gtest.h>
#include <unistd.h>

#include <OpenImageIO/imageio.h>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "cli/common/cli_error.h"
#include "cli/io/image_io.h"
#include "cli/io/sample_convert.h"

namespace boxwander::cli {
namespace {

namespace fs = std::filesystem;

TEST(SampleConvert, SixteenBitScalesRoundToTheNearest) {
  for (std::uint32_t q = 0; q <= 32768; ++q) {
    const std::uint16_t file = ToFile(static_cast<std::uint16_t>(q));
    // Nearest to q * 65535 / 32768, the one tie (16384) going up.
    EXPECT_LE(std::abs(file - q * 65535.0 / 32768.0), 0.5) << q;
    // Every effect value comes back unchanged from its file value.
    ASSERT_EQ(FileSample<std::uint16_t>::From(file), q);
  }
  EXPECT_EQ(ToFile(std::uint16_t{16384}), 32768);
  EXPECT_EQ(ToFile(std::uint16_t{40000}), 65535);  // beyond full scale counts as full
  for (std::uint32_t v = 0; v <= 65535; ++v) {
    const std::uint16_t q = FileSample<std::uint16_t>::From(static_cast<std::uint16_t>(v));
    ASSERT_LT(std::abs(q - v * 32768.0 / 65535.0), 0.5) << v;
  }
  for (std::uint32_t v = 0; v <= 255; ++v) {
    const std::uint16_t q = FileSample<std::uint16_t>::From(static_cast<std::uint8_t>(v));
    ASSERT_LT(std::abs(q - v * 32768.0 / 255.0), 0.5) << v;
  }
  EXPECT_EQ(FileSample<std::uint8_t>::From(1.5f), 255);
  EXPECT_EQ(FileSample<std::uint8_t>::From(-0.5f), 0);
  EXPECT_EQ(FileSample<std::uint8_t>::From(std::nanf("")), 0);
  EXPECT_EQ(FileSample<std::uint16_t>::From(0.5f), 16384);
}

class ImageFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("boxwander-image-io-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  // Files in the directory, to see that nothing partial is left behind.
  std::vector<std::string> listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }
  fs::path dir_;
};

// Every channel of every pixel different, straight alpha with colour under alpha 0.
template <class P, class F>
Image Pattern(PixelFormat format, F value) {
  Image image(format, 7, 5);
  P* p = image.pixels<P>();
  for (std::int64_t i = 0; i < image.pixelCount(); ++i) {
    p[i] = {value(i * 4), value(i * 4 + 1), value(i * 4 + 2), value(i * 4 + 3)};
  }
  p[3].alpha = value(0) * 0;
  return image;
}

template <class P>
void ExpectSamePixels(const Image& a, const Image& b) {
  ASSERT_EQ(a.format(), b.format());
  ASSERT_EQ(a.width(), b.width());
  ASSERT_EQ(a.height(), b.height());
  for (std::int64_t i = 0; i < a.pixelCount(); ++i) {
    ASSERT_EQ(std::memcmp(&a.pixels<P>()[i], &b.pixels<P>()[i], sizeof(P)), 0) << "pixel " << i;
  }
}

TEST_F(ImageFiles, EachDepthRoundTripsThroughItsFileFormat) {
  const Image eight = Pattern<Pixel8>(
      PixelFormat::k8, [](std::int64_t i) { return static_cast<std::uint8_t>(i * 37 % 256); });
  WriteImage(path("a.png"), eight);
  ExpectSamePixels<Pixel8>(ReadImage(path("a.png")), eight);

  const Image sixteen = Pattern<Pixel16>(PixelFormat::k16, [](std::int64_t i) {
    return static_cast<std::uint16_t>(i * 7919 % 32769);
  });
  WriteImage(path("b.png"), sixteen);
  ExpectSamePixels<Pixel16>(ReadImage(path("b.png")), sixteen);
  // In the file the effect's 0..32768 spans 0..65535.
  Image scale(PixelFormat::k16, 1, 1);
  scale.pixels<Pixel16>()[0] = {32768, 16384, 0, 1};
  WriteImage(path("scale.png"), scale);
  std::uint16_t stored[4] = {};
  auto in = OIIO::ImageInput::open(path("scale.png"));
  ASSERT_TRUE(in && in->read_image(0, 0, 0, 4, OIIO::TypeDesc::UINT16, stored));
  EXPECT_EQ(std::vector<std::uint16_t>(stored, stored + 4),
            (std::vector<std::uint16_t>{32768, 0, 2, 65535}));
  in.reset();
  WriteImage(path("b.tif"), sixteen);
  ExpectSamePixels<Pixel16>(ReadImage(path("b.tif")), sixteen);

  const Image real = Pattern<PixelFloat>(PixelFormat::kFloat, [](std::int64_t i) {
    return static_cast<float>(i) * 0.071f - 0.5f;  // beyond 0..1 both ways
  });
  // Float TIFF keeps straight colour as it is (EXR premultiplies; see the tool's tests).
  WriteImage(path("c.tif"), real);
  ExpectSamePixels<PixelFloat>(ReadImage(path("c.tif")), real);
  EXPECT_EQ(listing().size(), 5u);
}

TEST_F(ImageFiles, FileChannelsBecomeOpaqueOrGreyAndDepthCanBeChosen) {
  // An RGB and a grey 8-bit file, written directly.
  const std::uint8_t rgb[] = {10, 20, 30, 200, 150, 100};
  const std::uint8_t grey[] = {0, 255};
  for (const auto& [name, channels, data] :
       {std::tuple{"rgb.png", 3, rgb}, std::tuple{"grey.png", 1, grey}}) {
    auto out = OIIO::ImageOutput::create(path(name));
    ASSERT_TRUE(out &&
                out->open(path(name), OIIO::ImageSpec(2, 1, channels, OIIO::TypeDesc::UINT8)));
    ASSERT_TRUE(out->write_image(OIIO::TypeDesc::UINT8, data) && out->close());
  }
  const Image a = ReadImage(path("rgb.png"));
  EXPECT_EQ(a.pixels<Pixel8>()[1], (Pixel8{255, 200, 150, 100}));
  const Image g = ReadImage(path("grey.png"));
  EXPECT_EQ(g.pixels<Pixel8>()[0], (Pixel8{255, 0, 0, 0}));
  EXPECT_EQ(g.pixels<Pixel8>()[1], (Pixel8{255, 255, 255, 255}));

  const Image as16 = ReadImage(path("rgb.png"), PixelFormat::k16);
  EXPECT_EQ(as16.pixels<Pixel16>()[0], (Pixel16{32768, 1285, 2570, 3855}));  // v * 32768 / 255
  const Image asFloat = ReadImage(path("rgb.png"), PixelFormat::kFloat);
  EXPECT_EQ(asFloat.pixels<PixelFloat>()[1],
            (PixelFloat{1.0f, 200 / 255.0f, 150 / 255.0f, 100 / 255.0f}));
}

TEST_F(ImageFiles, FailuresNameTheFileAndLeaveNothingBehind) {
  std::ofstream(path("corrupt.png")) << "\x89PNG but not really";
  std::ofstream(path("a-file")) << "x";
  const Image image(PixelFormat::k8, 2, 2);
  WriteImage(path("kept.png"), image);
  const auto before = listing();

  struct Case {
    const char* name;
    std::function<void()> run;
    std::string says;
  };
  const Case cases[] = {
      {"missing input", [&] { ReadImage(path("missing.png")); }, path("missing.png") + ": "},
      {"corrupt input", [&] { ReadImage(path("corrupt.png")); }, path("corrupt.png") + ": "},
      {"unknown format", [&] { WriteImage(path("out.nosuchformat"), image); },
       path("out.nosuchformat") + ": "},
      {"unknown format found early", [&] { CheckImageFormat(path("out.nosuchformat")); },
       path("out.nosuchformat") + ": "},
      {"directory is a file", [&] { WriteImage(path("a-file/out.png"), image); },
       "cannot create the directory"},
      {"depth", [] { ParseDepth("24"); }, "--depth: expected 8, 16 or 32"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      c.run();
      ADD_FAILURE() << "succeeded";
    } catch (const CliError& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(listing(), before);
}

}  // namespace
}  // namespace boxwander::cli
