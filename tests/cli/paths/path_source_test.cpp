#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "cli/common/cli_error.h"
#include "cli/paths/mask_json.h"
#include "cli/paths/path_source.h"
#include "tests/cli/failure_of.h"

namespace boxwander::cli {
namespace {

using shapes::MaskShape;

TEST(MaskJson, ReadsTheHostsExchangeForm) {
  const MaskShape full =
      ParseMaskJson(R"({"v":[[1,2],[3.5,4]],"i":[[0,0],[-1,0]],"o":[[2,0],[0,0]],"c":false})");
  EXPECT_EQ(full, (MaskShape{{{{1, 2}, {0, 0}, {2, 0}}, {{3.5, 4}, {-1, 0}, {0, 0}}}, false}));
  // Handles left out are zero; a shape is closed unless it says otherwise.
  const MaskShape bare = ParseMaskJson(R"({"v":[[1,2],[3,4],[5,6]]})");
  EXPECT_EQ(bare, (MaskShape{{{{1, 2}, {}, {}}, {{3, 4}, {}, {}}, {{5, 6}, {}, {}}}, true}));
}

TEST(MaskJson, RefusesMalformedMasksWithTheReason) {
  struct Case {
    const char* json;
    const char* says;
  };
  const Case cases[] = {
      {R"({"v":[[1,2]],)", "parse error"},
      {R"([[1,2]])", "expected an object"},
      {R"({"v":[[1,2]],"closed":true})", "unknown key \"closed\""},
      {R"({"i":[[1,2]]})", "missing \"v\""},
      {R"({"v":[]})", "no vertex"},
      {R"({"v":[[1,2],[3]]})", "\"v\"[1] is not a pair of numbers"},
      {R"({"v":[[1,"2"]]})", "\"v\"[0] is not a pair of numbers"},
      {R"({"v":[[1,2],[3,4]],"o":[[0,0]]})", "\"o\" has 1 entries, \"v\" has 2"},
      {R"({"v":[[1,2]],"c":1})", "\"c\" is not true or false"},
      {R"({"v":[[1e400,2]]})", "mask JSON"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    const std::string message = FailureOf([&] { ParseMaskJson(c.json); });
    EXPECT_NE(message.find(c.says), std::string::npos) << message;
  }
}

TEST(MaskJson, KeyframesInterpolateVertexByVertexAndHoldOutside) {
  const shapes::MaskTrack track = ParseMaskTrackJson(
      R"({"keyframes":[{"frame":10,"v":[[10,0],[4,4]],"i":[[0,0],[2,0]],"c":false},)"
      R"({"frame":6,"v":[[2,0],[4,8]],"o":[[4,0],[0,0]],"c":false}]})");
  EXPECT_TRUE(track.animated());
  EXPECT_EQ(track.at(0), (MaskShape{{{{2, 0}, {}, {4, 0}}, {{4, 8}, {}, {}}}, false}));
  EXPECT_EQ(track.at(9), (MaskShape{{{{8, 0}, {}, {1, 0}}, {{4, 5}, {1.5, 0}, {}}}, false}));
  EXPECT_EQ(track.at(10), track.at(99));
  // A plain mask is one for every frame.
  EXPECT_FALSE(ParseMaskTrackJson(R"({"v":[[1,2]]})").animated());

  struct Case {
    const char* json;
    const char* says;
  };
  const Case cases[] = {
      {R"({"keyframes":[]})", "not a list of keyframes"},
      {R"({"keyframes":[{"v":[[1,2]]}]})", "\"keyframes\"[0] has no \"frame\""},
      {R"({"keyframes":[{"frame":1.5,"v":[[1,2]]}]})", "not a whole frame number"},
      {R"({"keyframes":[{"frame":18446744073709551615,"v":[[1,2]]}]})", "not a whole frame"},
      {R"({"keyframes":[{"frame":1,"v":[[1,2]],"x":0}]})", "unknown key \"x\""},
      {R"({"keyframes":[{"frame":1,"v":[[1,2]]},{"frame":1,"v":[[1,2]]}]})", "two keyframes"},
      {R"({"keyframes":[{"frame":0,"v":[[1,2]]},{"frame":3,"v":[[1,2],[3,4]]}]})",
       "the keyframe at frame 3 has 2 vertices, the one at frame 0 has 1"},
      {R"({"keyframes":[{"frame":0,"v":[[1,2]]},{"frame":3,"v":[[1,2]],"c":false}]})",
       "the keyframe at frame 3 is open"},
      {R"({"keyframes":[{"frame":0,"v":[[1,2]]}],"v":[[1,2]]})", "stands alone"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    const std::string message = FailureOf([&] { ParseMaskTrackJson(c.json); });
    EXPECT_NE(message.find(c.says), std::string::npos) << message;
  }
}

class PathSourceFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("boxwander-path-source-" +
            std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string write(const std::string& name, const std::string& text) {
    const auto path = dir_ / name;
    std::ofstream(path) << text;
    return path.string();
  }
  std::filesystem::path dir_;
};

TEST_F(PathSourceFiles, ReadsDataSvgAndJsonAndNamesTheCulprit) {
  const MaskShape line{{{{0, 0}, {}, {}}, {{10, 0}, {}, {}}}, false};
  EXPECT_EQ(LoadMaskShape("M 0 0 H 10"), line);
  EXPECT_EQ(LoadMaskShape("@" + write("a.SVG", "<svg><path d='M 0 0 H 10'/></svg>")), line);
  EXPECT_EQ(LoadMaskShape("@" + write("a.json", R"({"v":[[0,0],[10,0]],"c":false})")), line);
  // A pick follows the last '#' after the .svg name; a file name may hold a '#' itself.
  const std::string two = write("two#1.svg", "<svg><path d='M 5 5 H 9 M 0 0 H 10'/></svg>");
  std::string note;
  EXPECT_EQ(LoadMaskShape("@" + two + "#:2", &note), line);
  EXPECT_EQ(note, "");
  EXPECT_EQ(LoadMaskShape("@" + two, &note).vertices[0].position, (shapes::ShapePoint{5, 5}));
  EXPECT_NE(note.find(two + ": took subpath 1 of 2"), std::string::npos) << note;
  // Data that only moves draws nothing: a single vertex, as a one-vertex JSON mask.
  EXPECT_EQ(LoadMaskShape("M 3 3"), (MaskShape{{{{3, 3}, {}, {}}}, false}));

  struct Case {
    std::string argument;
    std::string says;
  };
  const std::string badSvg = write("bad.svg", "<svg><path d='M 0 0 L 5'/></svg>");
  std::filesystem::create_directory(dir_ / "sub.json");
  const Case cases[] = {
      {"M 0 0 L 5", "offset 9"},
      {"M 0 0 L 5 5 M 1 1 L 2 2", "2 subpaths"},
      {"@" + badSvg, badSvg + ": <path> (line 1): path data, offset 9"},
      {"@" + write("mask.txt", "M 0 0"), ".svg or a .json"},
      {"@" + two + "#:3", two + ": <path> (line 1) has 2 subpaths"},
      {"@" + (dir_ / "a.json#x").string(), ".svg or a .json"},
      {"@" + (dir_ / "missing.json").string(), "missing.json: cannot open"},
      {"@" + dir_.string() + "/sub.json", "is a directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.argument);
    const std::string message = FailureOf([&] { LoadMaskShape(c.argument); });
    EXPECT_NE(message.find(c.says), std::string::npos) << message;
  }
}

}  // namespace
}  // namespace boxwander::cli
