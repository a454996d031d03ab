// The boxwander tool run as a process on real files, as a user runs it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/io/downsample.h"
#include "cli/io/image_io.h"
#include "cli/shapes/shape_path.h"
#include "render/render_core.h"
#include "tests/cli/tool_fixture.h"

extern char** environ;

namespace boxwander::cli {
namespace {

// The picture the effect's own core paints from the same settings and path, at
// 1/downsample.
Image CoreRender(const Image& input, const ControlValues& controls, MaskPath& path,
                 std::uint32_t downsample = 1) {
  Image out(input.format(), input.width(), input.height());
  const ImageView in{const_cast<void*>(input.data()), input.width(), input.height(), input.width()};
  const ImageView o{out.data(), out.width(), out.height(), out.width()};
  EXPECT_EQ(
      RenderOnBuffers(DerivePreRenderData(controls, 1, downsample), input.format(), in, o, &path),
      kErrNone);
  return out;
}

const shapes::MaskShape kShape{{{{3, 4}, {}, {}}, {{35, 6}, {}, {0, 12}}, {{8, 20}, {8, 0}, {}}},
                               false};
const char kShapeData[] = "M 3 4 L 35 6 C 35 18 16 20 8 20";

TEST_F(Tool, EachDepthRoundTripsAndMatchesTheCore) {
  struct Case {
    const char* file;
    PixelFormat format;
  };
  const Case cases[] = {{"in8.png", PixelFormat::k8},
                        {"in16.png", PixelFormat::k16},
                        {"inf.tif", PixelFormat::kFloat}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const Image picture = Picture(c.format);
    WriteImage(path(c.file), picture);
    const std::string out = path(std::string("out-") + c.file);
    // Time 0 %: the layer passes through untouched.
    Outcome r = run(
        {"render", path(c.file), "-o", out, "--path", kShapeData, "--time", "0", "--on-original"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(FirstDifference(ReadImage(out), picture), "");
    // Time 50 %: what the effect's core paints from the same values and path.
    r = run({"render", path(c.file), "-o", out, "--path", kShapeData, "--time", "50", "--max-width",
             "12", "--edge-thickness", "2", "--seed", "3", "--on-original"});
    ASSERT_EQ(r.status, 0) << r.err;
    ControlValues controls;
    controls.path_id = 1;
    controls.time_fixed = 50 << 16;
    controls.max_width = 12;
    controls.edge_thickness = 2;
    controls.seed = 3;
    controls.on_original = 1;
    shapes::ShapePath mask(kShape);
    const Image expected = CoreRender(picture, controls, mask);
    EXPECT_NE(FirstDifference(expected, picture), "");  // something was drawn
    EXPECT_EQ(FirstDifference(ReadImage(out), expected), "");
  }
}

TEST_F(Tool, DownsampledChainIsTheCoresOnTheScaledPath) {
  const Image picture = Picture(PixelFormat::k8);
  WriteImage(path("in.png"), picture);
  fs::create_directories(dir_ / "mask");
  std::ofstream(path("mask/m.json"))
      << R"({"v":[[2,3],[37,5],[20,22]],"o":[[0,0],[0,9],[0,0]],"c":true})";
  const Outcome r = run({"render", path("in.png"), "-o", path("third.png"), "--path",
                         "@" + path("mask/m.json"), "--downsample", "3", "--max-width", "8",
                         "--rects-json", path("chain.json"), "--seed", "11", "--time", "40"});
  ASSERT_EQ(r.status, 0) << r.err;
  const Image third = ReadImage(path("third.png"));
  EXPECT_EQ(third.width(), 14);
  EXPECT_EQ(third.height(), 8);

  // The compositing host's reduced resolution: the mask's vertices and handles
  // scaled, so straight pieces keep the core's own arithmetic.
  ControlValues controls;
  controls.path_id = 1;
  controls.max_width = 8;
  controls.seed = 11;
  controls.time_fixed = 40 << 16;
  const shapes::MaskShape full{{{{2, 3}, {}, {}}, {{37, 5}, {}, {0, 9}}, {{20, 22}, {}, {}}}, true};
  shapes::ShapePath scaled(shapes::ScaleShape(full, 1.0 / 3.0));
  EXPECT_EQ(FirstDifference(third, CoreRender(Downsample(picture, 3), controls, scaled, 3)), "");
  const Chain chain = ComputeChain(DerivePreRenderData(controls, 1, 3), 14, 8, scaled);
  ASSERT_GT(chain.rectCount, 1);

  std::stringstream text;
  text << std::ifstream(path("chain.json")).rdbuf();
  const auto json = nlohmann::json::parse(text.str());
  EXPECT_EQ(json["rectCount"], chain.rectCount);
  EXPECT_EQ(json["halfWidthTotal"], chain.halfWidthTotal);
  ASSERT_EQ(json["rects"].size(), chain.records.size());
  for (std::size_t i = 0; i < chain.records.size(); ++i) {
    const RectRecord& e = chain.records[i];
    const auto& g = json["rects"][i];
    EXPECT_EQ(g["anchor"], nlohmann::json({e.anchorX, e.anchorY})) << i;
    EXPECT_EQ(g["center"], nlohmann::json({e.centerX, e.centerY})) << i;
    EXPECT_EQ(g["halfWidth"], e.halfWidth) << i;
    EXPECT_EQ(g["halfHeight"], e.halfHeight) << i;
  }
}

TEST_F(Tool, KeyframedRangeInWorkersEqualsOneProcess) {
  WriteImage(path("in.png"), Picture(PixelFormat::k8));
  const std::vector<std::string> common = {"--path", kShapeData,  "--frames",          "2-5",
                                           "--time", "10@2,90@5", "--wh=-0.4@2,0.6@5", "--quiet"};
  auto args = [&](const std::string& out, const char* jobs) {
    std::vector<std::string> a = {"render", path("in.png"), "-o", out, "--jobs", jobs};
    a.insert(a.end(), common.begin(), common.end());
    return a;
  };
  Outcome r = run(args(path("one/f.###.png"), "1"));
  ASSERT_EQ(r.status, 0) << r.err;
  r = run(args(path("two/f.###.png"), "3"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");  // --quiet: no bar
  for (int frame = 2; frame <= 5; ++frame) {
    const std::string name = "/f.00" + std::to_string(frame) + ".png";
    EXPECT_EQ(FirstDifference(ReadImage(path("one") + name), ReadImage(path("two") + name)), "")
        << frame;
  }
  EXPECT_NE(FirstDifference(ReadImage(path("one/f.002.png")), ReadImage(path("one/f.003.png"))),
            "");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "two"), fs::directory_iterator()), 4);
}

TEST_F(Tool, FailuresSayWhyInOneLineAndWriteNothing) {
  WriteImage(path("in.png"), Picture(PixelFormat::k8));
  std::ofstream(path("bad.png")) << "not an image";
  fs::copy_file(path("in.png"), path("cut.png"));
  fs::resize_file(path("cut.png"), fs::file_size(path("cut.png")) / 2);  // its data cut short
  std::ofstream(path("not-a-module.so")) << "not a module";
  struct Case {
    std::vector<std::string> args;
    std::string says;
  };
  const std::string in = path("in.png");
  const std::string out = path("out.png");
  const Case cases[] = {
      {{"render", path("missing.png"), "-o", out, "--path", kShapeData}, path("missing.png")},
      {{"render", path("bad.png"), "-o", out, "--path", kShapeData}, path("bad.png")},
      {{"render", path("cut.png"), "-o", out, "--path", kShapeData}, path("cut.png")},
      {{"render", in, "-o", out, "--path", "M 3 4 L 35"}, "--path: path data, offset 10: "},
      {{"render", in, "-o", out, "--path", kShapeData, "--time", "150"},
       "--time: 150 is out of range 0..100"},
      {{"render", in, "-o", out, "--path", kShapeData, "--edge-color", "#12345"}, "--edge-color: "},
      {{"render", in, "-o", out, "--path", kShapeData, "--module", path("not-a-module.so")},
       path("not-a-module.so")},
      {{"render", in, "-o", path("out.nosuchformat"), "--path", kShapeData},
       path("out.nosuchformat")},
      // Refused once, before any worker starts, not once per worker.
      {{"render", in, "-o", path("f.#.nosuchformat"), "--path", kShapeData, "--frames", "0-3",
        "--jobs", "2"},
       path("f.0.nosuchformat")},
      {{"render", in, "-o", out, "--path", kShapeData, "--frames", "0-3"}, "'#'"},
      {{"render", in, "-o", out, "--path", kShapeData, "--fps", "0"}, "--fps"},
#ifdef FIXTURE_MODULE_PATH
      {{"render", in, "-o", out, "--path", kShapeData, "--module", FIXTURE_MODULE_PATH},
       "the property list holds no global flags"},
      {{"render", in, "-o", path("f.#.png"), "--path", kShapeData, "--frames", "0-3", "--jobs", "2",
        "--module", FIXTURE_MODULE_PATH},
       "the property list holds no global flags"},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[4] + " " + c.args.back());
    const Outcome r = run(c.args);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 4);
  }
}

// The states of the progress bar on stderr: each is drawn after a carriage
// return.
std::vector<std::string> BarStates(const std::string& err) {
  std::vector<std::string> states;
  std::size_t start = 0;
  for (std::size_t end; start < err.size(); start = end + 1) {
    end = std::min(err.find('\r', start), err.find('\n', start));
    end = end == std::string::npos ? err.size() : end;
    if (err.compare(start, 1, "[") == 0)
      states.push_back(err.substr(start, end - start));
  }
  return states;
}

TEST_F(Tool, TheBarMovesWithTheHostsProgressCallsInOneProcessOrInWorkers) {
  WriteImage(path("in.png"), Picture(PixelFormat::k8));
  for (const std::string jobs : {"1", "2"}) {
    SCOPED_TRACE("jobs " + jobs);
    const Outcome r =
        run({"render", path("in.png"), "-o", path("j" + jobs + "/f.#.png"), "--path", kShapeData,
             "--frames", "0-1", "--max-width", "4", "--jobs", jobs, "--progress", "bar"});
    ASSERT_EQ(r.status, 0) << r.err;
    // While no frame is done, only the module's progress reports can move the
    // bar.
    bool moved = false;
    for (const std::string& state : BarStates(r.err)) {
      int percent = 0;
      int matched = 0;
      std::sscanf(state.c_str(), "[%*[#.]] %d%% 0/2 frames%n", &percent, &matched);
      moved |= matched > 0 && percent > 0;
    }
    EXPECT_TRUE(moved) << r.err;
    EXPECT_NE(BarStates(r.err).back().find("100% 2/2 frames"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.back(), '\n');
  }
}

TEST_F(Tool, AFailingFramesMessageHasALineOfItsOwnBesideTheBar) {
  WriteImage(path("in.png"), Picture(PixelFormat::k8));
  for (const std::string jobs : {"1", "2"}) {
    SCOPED_TRACE("jobs " + jobs);
    const fs::path out = dir_ / ("j" + jobs);
    fs::create_directories(out / "f.3.png");  // frame 3 cannot take its name
    const Outcome r = run({"render", path("in.png"), "-o", (out / "f.#.png").string(), "--path",
                           kShapeData, "--frames", "0-3", "--max-width", "4", "--jobs", jobs});
    EXPECT_NE(r.status, 0);
    const std::size_t at = r.err.find("boxwander: ");
    ASSERT_NE(at, std::string::npos) << r.err;
    // The bar's line was cleared first: the message starts a line and holds no
    // bar.
    EXPECT_TRUE(at == 0 || r.err[at - 1] == '\r' || r.err[at - 1] == '\n') << r.err;
    const std::string line = r.err.substr(at, r.err.find('\n', at) - at);
    EXPECT_NE(line.find("f.3.png"), std::string::npos) << line;
    EXPECT_EQ(line.find_first_of("\r["), std::string::npos) << line;
    // Frames 0 to 2 written whole (in one process; workers stop at the failure), nothing
    // half-written beside them.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(out))
      names.push_back(entry.path().filename().string());
    if (jobs == "1") {
      EXPECT_EQ(names.size(), 4u);
    }
    for (const std::string& name : names)
      EXPECT_NE(name.front(), '.') << name;
  }
}

TEST_F(Tool, InfoShowsThePropertyListAndParameters) {
  const Outcome bad = run({"info", path("missing.so")});
  EXPECT_NE(bad.status, 0);
  EXPECT_NE(bad.err.find(path("missing.so")), std::string::npos);
  const std::string out = path("info.txt");
  std::vector<std::string> args = {"/bin/sh", "-c", std::string(BOXWANDER_TOOL) + " info > " + out};
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv.data(), environ), 0);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::stringstream text;
  text << std::ifstream(out).rdbuf();
  for (const char* line : {"8BIM kind  eFKT", "8BIM name  \"Boxwander\"",
                           "Max Width        integer slider, valid 2..5000, "
                           "slider 2..500, default 50",
                           "Time             fixed slider, valid 0..100, "
                           "slider 0..100, default 50, 1 decimal, "
                           "percent",
                           "W/H              float slider, valid -1..1, slider "
                           "-1..1, default 0, 2 decimals"}) {
    EXPECT_NE(text.str().find(line), std::string::npos) << line << "\n" << text.str();
  }
}

}  // namespace
}  // namespace boxwander::cli
