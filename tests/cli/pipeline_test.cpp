// The tool in a pipeline, run as a process on real files: alpha conventions, image
// sequences, animated masks, progress for logs, stops on failure and on signals, and paths
// with nothing to walk along.
#include <OpenImageIO/imageio.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <set>
#include <thread>

#include "cli/io/image_io.h"
#include "tests/cli/tool_fixture.h"

namespace boxwander::cli {
namespace {

// The samples as the file stores them, and whether OpenImageIO reports them unassociated.
struct Stored {
  std::vector<float> samples;
  bool unassociated = false;
};

Stored ReadStored(const std::string& path) {
  OIIO::ImageSpec config;
  config.attribute("oiio:UnassociatedAlpha", 1);
  auto in = OIIO::ImageInput::open(path, &config);
  Stored s;
  if (!in) {
    ADD_FAILURE() << path << ": " << OIIO::geterror();
    return s;
  }
  s.unassociated = in->spec().get_int_attribute("oiio:UnassociatedAlpha") != 0;
  s.samples.resize(static_cast<std::size_t>(in->spec().image_pixels()) * in->spec().nchannels);
  EXPECT_TRUE(
      in->read_image(0, 0, 0, in->spec().nchannels, OIIO::TypeDesc::FLOAT, s.samples.data()));
  return s;
}

// Picture(kFloat) with colour 0 wherever alpha is 0: what a premultiplied file can hold.
Image FloatPictureWithoutHiddenColour() {
  Image image = Picture(PixelFormat::kFloat);
  for (std::int64_t i = 0; i < image.pixelCount(); ++i) {
    PixelFloat& p = image.pixels<PixelFloat>()[i];
    if (p.alpha == 0.0f)
      p = {};
  }
  return image;
}

const char kPath[] = "M 3 4 L 35 6 C 35 18 16 20 8 20";
const std::vector<std::string> kDraw = {"--path", kPath, "--max-width",   "6",
                                        "--time", "70",  "--on-original", "--quiet"};

TEST_F(Tool, AssociatedAlphaIsStraightenedForTheEffectAndStoredBackAsTheFormatKeepsIt) {
  // The same semi-transparent picture, premultiplied in EXR and straight in float TIFF.
  const Image picture = FloatPictureWithoutHiddenColour();
  WriteImage(path("in.exr"), picture);
  WriteImage(path("in.tif"), picture);
  const Stored exr = ReadStored(path("in.exr"));
  EXPECT_FALSE(exr.unassociated);
  EXPECT_EQ(exr.samples[4 * 1 + 0],
            picture.pixels<PixelFloat>()[1].red * picture.pixels<PixelFloat>()[1].alpha);
  for (const char* ext : {"exr", "tif"}) {
    std::vector<std::string> args = {"render", path(std::string("in.") + ext), "-o",
                                     path(std::string("out.") + ext)};
    args.insert(args.end(), kDraw.begin(), kDraw.end());
    const Outcome r = run(args);
    ASSERT_EQ(r.status, 0) << r.err;
  }
  const Image fromExr = ReadImage(path("out.exr"));
  const Image fromTiff = ReadImage(path("out.tif"));
  ASSERT_EQ(fromExr.pixelCount(), fromTiff.pixelCount());
  for (std::int64_t i = 0; i < fromExr.pixelCount(); ++i) {
    const PixelFloat a = fromExr.pixels<PixelFloat>()[i];
    const PixelFloat b = fromTiff.pixels<PixelFloat>()[i];
    // Division and multiplication by alpha on the way: a few units in the last place.
    const auto near = [](float x, float y) {
      return std::fabs(x - y) <= 1e-6f * std::max(1.0f, std::fabs(y));
    };
    ASSERT_EQ(a.alpha, b.alpha) << i;
    EXPECT_TRUE(near(a.red, b.red) && near(a.green, b.green) && near(a.blue, b.blue))
        << i << ": " << a.red << " " << a.green << " " << a.blue << " vs " << b.red << " "
        << b.green << " " << b.blue;
  }
  // The rectangles are there: the render is not the input.
  EXPECT_NE(FirstDifference(fromTiff, picture), "");
}

TEST_F(Tool, ATiffMarkedAssociatedRoundTripsUnchangedAtTimeZero) {
  for (const PixelFormat depth : {PixelFormat::k8, PixelFormat::k16, PixelFormat::kFloat}) {
    SCOPED_TRACE(static_cast<int>(depth));
    WriteImage(path("in.tif"), Picture(depth), AlphaStorage::kPremultiplied);
    const Stored in = ReadStored(path("in.tif"));
    ASSERT_FALSE(in.unassociated);
    const Outcome r = run({"render", path("in.tif"), "-o", path("out.tif"), "--path", kPath,
                           "--time", "0", "--on-original"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Stored out = ReadStored(path("out.tif"));
    EXPECT_FALSE(out.unassociated);
    EXPECT_EQ(out.samples, in.samples);
    // And read as straight colour, both are the picture (alpha 0 pixels lose their colour).
    EXPECT_EQ(FirstDifference(ReadImage(path("out.tif")), ReadImage(path("in.tif"))), "");
  }
}

TEST_F(Tool, AlphaZeroPixelsOfAPremultipliedFileHaveColourZero) {
  // Colour under alpha 0, as an additive (glow) pixel keeps it: 0/0 must not become NaN.
  {
    auto out = OIIO::ImageOutput::create(path("glow.exr"));
    ASSERT_TRUE(out);
    OIIO::ImageSpec spec(8, 4, 4, OIIO::TypeDesc::FLOAT);
    spec.alpha_channel = 3;
    std::vector<float> samples(8 * 4 * 4);
    for (std::size_t i = 0; i < 32; ++i) {
      const float alpha = i % 2 ? 0.0f : 0.5f;
      samples[i * 4 + 0] = 0.25f;
      samples[i * 4 + 1] = 0.0f;
      samples[i * 4 + 2] = 0.5f;
      samples[i * 4 + 3] = alpha;
    }
    ASSERT_TRUE(out->open(path("glow.exr"), spec) &&
                out->write_image(OIIO::TypeDesc::FLOAT, samples.data()) && out->close());
  }
  const Outcome r = run({"render", path("glow.exr"), "-o", path("out.tif"), "--path", "M 0 0 L 7 3",
                         "--time", "0", "--on-original"});
  ASSERT_EQ(r.status, 0) << r.err;
  // Written back as it came, premultiplied: colour 0 under alpha 0, the rest unchanged.
  const Stored out = ReadStored(path("out.tif"));
  EXPECT_FALSE(out.unassociated);
  for (std::size_t i = 0; i < 32; ++i) {
    const float* p = &out.samples[i * 4];
    if (i % 2) {
      EXPECT_EQ(std::vector<float>(p, p + 4), std::vector<float>(4, 0.0f)) << i;
    } else {
      EXPECT_EQ(std::vector<float>(p, p + 4), (std::vector<float>{0.25f, 0.0f, 0.5f, 0.5f})) << i;
    }
  }
  const PixelFloat straight = ReadImage(path("out.tif")).pixels<PixelFloat>()[0];
  EXPECT_EQ(straight, (PixelFloat{0.5f, 0.5f, 0.0f, 1.0f}));
}

// Picture(k8) with its pixels moved by `shift`: a different picture per frame.
Image Shifted(std::int64_t shift) {
  const Image base = Picture(PixelFormat::k8);
  Image image(PixelFormat::k8, base.width(), base.height());
  for (std::int64_t i = 0; i < image.pixelCount(); ++i)
    image.pixels<Pixel8>()[i] = base.pixels<Pixel8>()[(i + shift) % image.pixelCount()];
  return image;
}

TEST_F(Tool, AnImageSequenceGivesEachFrameItsOwnInputCheckedBeforeAnyFrameRenders) {
  for (int frame = 0; frame < 4; ++frame)
    WriteImage(path("in." + std::to_string(frame) + ".png"), Shifted(frame * 37));
  std::vector<std::string> args = {
      "render", path("in.#.png"), "-o", path("seq/f.#.png"), "--frames", "0-3", "--jobs", "2"};
  args.insert(args.end(), kDraw.begin(), kDraw.end());
  Outcome r = run(args);
  ASSERT_EQ(r.status, 0) << r.err;
  for (const std::string frame : {"0", "3"}) {
    std::vector<std::string> one = {"render",   path("in." + frame + ".png"),
                                    "-o",       path("one." + frame + ".png"),
                                    "--frames", frame};
    one.insert(one.end(), kDraw.begin(), kDraw.end());
    ASSERT_EQ(run(one).status, 0);
    EXPECT_EQ(FirstDifference(ReadImage(path("seq/f." + frame + ".png")),
                              ReadImage(path("one." + frame + ".png"))),
              "")
        << frame;
  }

  // A frame of another size, or a missing one: named, and no frame rendered.
  Image small(PixelFormat::k8, 20, 24);
  WriteImage(path("in.2.png"), small);
  const struct {
    const char* name;
    std::function<void()> prepare;
    std::string says;
  } cases[] = {
      {"other size", [] {}, path("in.2.png") + " is 20x24"},
      {"missing", [&] { fs::remove(path("in.2.png")); },
       path("in.2.png") + " (frame 2) is missing"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.prepare();
    args[3] = path(std::string("bad-") + c.name + "/f.#.png");
    r = run(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(path(std::string("bad-") + c.name)));
  }
}

TEST_F(Tool, AMaskMovesByKeyframesOrByAFilePerFrame) {
  WriteImage(path("in.png"), Picture(PixelFormat::k8));
  const auto render = [&](const std::string& mask, const std::string& frames,
                          const std::string& out) {
    std::vector<std::string> args = {
        "render",   path("in.png"), "-o",     path(out), "--path",      "@" + path(mask),
        "--frames", frames,         "--jobs", "2",       "--max-width", "6",
        "--time",   "70",           "--quiet"};
    const Outcome r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
  };
  std::ofstream(path("keys.json"))
      << R"({"keyframes":[{"frame":4,"v":[[30,20],[2,2],[38,4]],"o":[[0,0],[8,0],[0,0]],"c":false},)"
      << R"({"frame":0,"v":[[2,20],[20,2],[38,22]],"o":[[0,0],[4,4],[0,0]],"c":false}]})";
  // Frame 1 is a quarter of the way; before and after the keyframes the mask is held.
  std::ofstream(path("at1.json"))
      << R"({"v":[[9,20],[15.5,2],[38,17.5]],"o":[[0,0],[5,3],[0,0]],"c":false})";
  std::ofstream(path("at4.json"))
      << R"({"v":[[30,20],[2,2],[38,4]],"o":[[0,0],[8,0],[0,0]],"c":false})";
  render("keys.json", "1-6", "keys/f.#.png");
  render("at1.json", "1", "at1.png");
  render("at4.json", "6", "at4.png");
  EXPECT_EQ(FirstDifference(ReadImage(path("keys/f.1.png")), ReadImage(path("at1.png"))), "");
  EXPECT_EQ(FirstDifference(ReadImage(path("keys/f.6.png")), ReadImage(path("at4.png"))), "");
  EXPECT_NE(FirstDifference(ReadImage(path("keys/f.1.png")), ReadImage(path("keys/f.2.png"))), "");

  // A file per frame, in either format.
  fs::copy_file(path("at1.json"), path("mask.07.json"));
  std::ofstream(path("mask.08.json")) << R"({"v":[[1,1],[39,23]],"c":false})";
  std::ofstream(path("mask.07.svg")) << R"(<svg><path d="M 9 20 L 15 2 L 38 17"/></svg>)";
  std::ofstream(path("mask.08.svg")) << R"(<svg><path d="M 1 1 L 39 23"/></svg>)";
  std::ofstream(path("frame8.svg")) << R"(<svg><path d="M 1 1 L 39 23"/></svg>)";
  render("mask.##.json", "7-8", "json/f.#.png");
  render("mask.##.svg", "7-8", "svg/f.#.png");
  render("frame8.svg", "8", "frame8.png");
  EXPECT_EQ(FirstDifference(ReadImage(path("json/f.7.png")), ReadImage(path("at1.png"))), "");
  EXPECT_EQ(FirstDifference(ReadImage(path("json/f.8.png")), ReadImage(path("frame8.png"))), "");
  EXPECT_EQ(FirstDifference(ReadImage(path("svg/f.8.png")), ReadImage(path("frame8.png"))), "");

  // Keyframes of different vertex counts, and a missing file of a run, are refused by name.
  std::ofstream(path("uneven.json"))
      << R"({"keyframes":[{"frame":0,"v":[[1,1],[9,9]]},{"frame":5,"v":[[1,1],[9,9],[3,3]]}]})";
  Outcome r =
      run({"render", path("in.png"), "-o", path("x.png"), "--path", "@" + path("uneven.json")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("keyframe at frame 5 has 3 vertices, the one at frame 0 has 2"),
            std::string::npos)
      << r.err;
  r = run({"render", path("in.png"), "-o", path("x.#.png"), "--path", "@" + path("mask.##.svg"),
           "--frames", "7-9"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(path("mask.09.svg")), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(path("x.7.png")));
}

TEST_F(Tool, ProgressWithoutATerminalIsALinePerFrame) {
  WriteImage(path("in.png"), Picture(PixelFormat::k8));
  for (const std::string jobs : {"1", "2"}) {
    for (const std::string progress : {"auto", "lines", "none"}) {
      SCOPED_TRACE("jobs " + jobs + ", " + progress);
      const Outcome r = run({"render", path("in.png"), "-o", path("p/f.#.png"), "--path", kPath,
                             "--frames", "3-5", "--jobs", jobs, "--progress", progress});
      ASSERT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.err.find('\r'), std::string::npos) << r.err;
      if (progress == "none") {
        EXPECT_EQ(r.err, "");
        continue;
      }
      std::istringstream lines(r.err);
      std::set<int> frames;
      int count = 0;
      for (std::string line; std::getline(lines, line); ++count) {
        int frame = -1, percent = -1, done = -1, total = -1;
        double took = -1, left = -1;
        ASSERT_EQ(std::sscanf(line.c_str(), "frame %d done in %lfs, %d%% (%d/%d), about %lfs left",
                              &frame, &took, &percent, &done, &total, &left),
                  6)
            << line;
        frames.insert(frame);
        EXPECT_EQ(total, 3);
        EXPECT_EQ(done, count + 1);
        EXPECT_EQ(percent, done * 100 / 3);
      }
      EXPECT_EQ(frames, (std::set<int>{3, 4, 5}));
    }
  }
  const Outcome quiet = run({"render", path("in.png"), "-o", path("q/f.#.png"), "--path", kPath,
                             "--frames", "0-1", "--progress", "lines", "--quiet"});
  EXPECT_EQ(quiet.err, "");
  const Outcome bad = run({"render", path("in.png"), "-o", path("q/f.#.png"), "--path", kPath,
                           "--frames", "0-1", "--progress", "sometimes"});
  EXPECT_NE(bad.err.find("--progress: expected auto, bar, lines or none"), std::string::npos);
}

// Hidden temporaries left anywhere under the folder.
std::vector<std::string> Temporaries(const fs::path& dir) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.path().filename().string().find(".partial-") != std::string::npos)
      found.push_back(entry.path().string());
  }
  return found;
}

TEST_F(Tool, AFailedFrameStopsTheRunOrWithKeepGoingIsListedAtTheEnd) {
  WriteImage(path("in.png"), Picture(PixelFormat::k8));
  for (const std::string jobs : {"1", "3"}) {
    for (const bool keepGoing : {false, true}) {
      SCOPED_TRACE("jobs " + jobs + (keepGoing ? ", keep going" : ""));
      const fs::path out = dir_ / ("j" + jobs + (keepGoing ? "k" : ""));
      fs::create_directories(out / "f.1.png");  // frames 1 and 4 cannot take their names
      fs::create_directories(out / "f.4.png");
      std::vector<std::string> args = {
          "render", path("in.png"), "-o",       (out / "f.#.png").string(),
          "--path", kPath,          "--frames", "0-5",
          "--jobs", jobs,           "--quiet"};
      if (keepGoing)
        args.push_back("--keep-going");
      const Outcome r = run(args);
      EXPECT_EQ(r.status, 1);
      // Side by side, either failure may come first and stop the run.
      const bool first =
          r.err.find("boxwander: frame 1: " + (out / "f.1.png").string()) != std::string::npos;
      const bool second =
          r.err.find("boxwander: frame 4: " + (out / "f.4.png").string()) != std::string::npos;
      EXPECT_TRUE(jobs == "1" || keepGoing ? first : first || second) << r.err;
      EXPECT_EQ(Temporaries(out), std::vector<std::string>{});
      if (keepGoing) {
        EXPECT_TRUE(second) << r.err;
        EXPECT_NE(r.err.find("boxwander: 2 of 6 frames failed: 1, 4\n"), std::string::npos)
            << r.err;
        for (const char* frame : {"0", "2", "3", "5"})
          EXPECT_TRUE(fs::is_regular_file(out / ("f." + std::string(frame) + ".png"))) << frame;
      } else {
        EXPECT_FALSE(fs::exists(out / "f.5.png")) << r.err;  // stopped before the last frame
        EXPECT_EQ(r.err.find("failed:"), std::string::npos) << r.err;
      }
    }
  }
}

// The tool started in a process group of its own, as a shell starts a job.
pid_t StartInGroup(std::vector<std::string> args, const std::string& errFile) {
  args.insert(args.begin(), BOXWANDER_TOOL);
  pid_t pid = -1;
  EXPECT_EQ(test::Spawn(std::move(args), {.errFile = errFile, .ownGroup = true}, pid), 0);
  return pid;
}

std::string Text(const std::string& file) {
  std::stringstream text;
  text << std::ifstream(file).rdbuf();
  return text.str();
}

TEST_F(Tool, SigintAndSigtermStopEveryProcessAndLeaveOnlyWholeFiles) {
  // Slow frames: a large picture and narrow rectangles.
  Image big(PixelFormat::k8, 640, 480);
  for (std::int64_t i = 0; i < big.pixelCount(); ++i)
    big.pixels<Pixel8>()[i] = {255, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i / 7),
                               90};
  WriteImage(path("big.png"), big);
  struct Case {
    const char* name;
    int signal;
    bool group;  // Ctrl-C reaches the whole group; kill and schedulers the tool alone
    const char* jobs;
  };
  for (const Case c : {Case{"ctrl-c", SIGINT, true, "2"}, Case{"kill", SIGTERM, false, "2"},
                       Case{"one process", SIGTERM, false, "1"}}) {
    SCOPED_TRACE(c.name);
    const fs::path out = dir_ / c.name;
    const std::string err = path(std::string(c.name) + ".txt");
    const pid_t pid = StartInGroup(
        {"render", path("big.png"), "-o", (out / "f.###.png").string(), "--path",
         "M 2 2 C 900 0 -300 500 630 470 L 5 470 L 600 5", "--max-width", "2", "--frames", "0-999",
         "--jobs", c.jobs, "--progress", "lines", "--rects-json", (out / "r.###.json").string()},
        err);
    ASSERT_GT(pid, 0);
    // Stop it in the middle of the run, once some frame is done.
    for (int i = 0; i < 600 && Text(err).find("frame ") == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_NE(Text(err).find("frame "), std::string::npos) << Text(err);
    ASSERT_EQ(c.group ? ::kill(-pid, c.signal) : ::kill(pid, c.signal), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << Text(err);
    EXPECT_EQ(WEXITSTATUS(status), 128 + c.signal) << Text(err);
    EXPECT_NE(Text(err).find(std::string("boxwander: stopped by ") +
                             (c.signal == SIGINT ? "SIGINT" : "SIGTERM")),
              std::string::npos)
        << Text(err);
    // No worker outlives the tool.
    EXPECT_EQ(::kill(-pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
    EXPECT_EQ(Temporaries(out), std::vector<std::string>{});
    std::size_t images = 0;
    for (const auto& entry : fs::directory_iterator(out)) {
      if (entry.path().extension() == ".png") {
        ++images;
        EXPECT_EQ(ReadImage(entry.path().string()).width(), 640) << entry.path();
      }
    }
    EXPECT_GT(images, 0u);
    EXPECT_LT(images, 1000u);
  }
}

TEST_F(Tool, APathWithNothingToWalkAlongDrawsNothingInEveryFormatWithOneWarning) {
  const Image picture = Picture(PixelFormat::k8);
  WriteImage(path("in.png"), picture);
  std::ofstream(path("point.svg")) << R"(<svg><path d="M 5 5"/></svg>)";
  std::ofstream(path("point.json")) << R"({"v":[[5,5]]})";
  std::ofstream(path("still.json")) << R"({"v":[[5,5],[5,5],[5,5]],"c":false})";
  const struct {
    std::string path;
    const char* says;
  } cases[] = {
      {"M 10 10", "has a single vertex"},
      {"M 10 10 Z", "has a single vertex"},
      {"M 10 10 L 10 10 L 10 10", "has only zero-length segments"},
      {"@" + path("point.svg"), "has a single vertex"},
      {"@" + path("point.json"), "has a single vertex"},
      {"@" + path("still.json"), "has only zero-length segments"},
  };
  for (const auto& c : cases) {
    for (const std::string jobs : {"1", "2"}) {
      SCOPED_TRACE(c.path + ", jobs " + jobs);
      const Outcome r = run({"render", path("in.png"), "-o", path("out.#.png"), "--path", c.path,
                             "--on-original", "--frames", "0-2", "--jobs", jobs, "--quiet"});
      ASSERT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.err, std::string("boxwander: warning: the mask path ") + c.says +
                           "; nothing is drawn along it\n");
      EXPECT_EQ(FirstDifference(ReadImage(path("out.2.png")), picture), "");
    }
  }
}

}  // namespace
}  // namespace boxwander::cli
