// The boxwander tool run as a process on real files: the fixture and pictures its tests
// share.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/io/image.h"
#include "draw/pixel.h"
#include "tests/cli/image_difference.h"
#include "tests/common/spawn.h"

namespace boxwander::cli {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string err;
};

class Tool : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("boxwander-tool-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  Outcome run(std::vector<std::string> args) const {
    args.insert(args.begin(), BOXWANDER_TOOL);
    const std::string errFile = path("stderr.txt");
    Outcome r;
    r.status = test::Run(std::move(args), {.outFile = "/dev/null", .errFile = errFile});
    std::stringstream text;
    text << std::ifstream(errFile).rdbuf();
    r.err = text.str();
    fs::remove(errFile);
    return r;
  }

  fs::path dir_;
};

// A picture with straight alpha and colour under clear pixels, in any depth.
inline Image Picture(PixelFormat format) {
  Image image(format, 40, 24);
  for (std::int64_t i = 0; i < image.pixelCount(); ++i) {
    const auto v = static_cast<std::uint32_t>(i * 2654435761u >> 7);
    const auto c = [&](int k) { return (v >> (k * 6)) & 63; };
    const std::uint32_t alpha = i % 7 == 0 ? 0 : 40 + c(3);
    switch (format) {
      case PixelFormat::k8:
        image.pixels<Pixel8>()[i] = {
            static_cast<std::uint8_t>(alpha * 2), static_cast<std::uint8_t>(c(0) * 4),
            static_cast<std::uint8_t>(c(1) * 4), static_cast<std::uint8_t>(c(2) * 4)};
        break;
      case PixelFormat::k16:
        image.pixels<Pixel16>()[i] = {
            static_cast<std::uint16_t>(alpha * 317), static_cast<std::uint16_t>(c(0) * 511),
            static_cast<std::uint16_t>(c(1) * 509), static_cast<std::uint16_t>(c(2) * 520)};
        break;
      case PixelFormat::kFloat:
        image.pixels<PixelFloat>()[i] = {alpha / 103.0f, c(0) / 50.0f, c(1) / 63.0f - 0.1f,
                                         c(2) / 61.0f};
        break;
    }
  }
  return image;
}

}  // namespace boxwander::cli
