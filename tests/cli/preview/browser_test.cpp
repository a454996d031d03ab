// The preview page in headless Chromium, driven as a user drives it: sliders and a vertex
// dragged with the mouse; the picture the page shows must change and be the tool's render
// of the state the page reports.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/demo_picture.h"
#include "cli/io/image_io.h"
#include "tests/cli/preview/preview_process.h"
#include "tests/cli/preview/state_args.h"
#include "tests/cli/preview/web_driver.h"

namespace boxwander::cli {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::string Which(const char* name) {
  for (const char* dir : {"/usr/bin", "/usr/local/bin", "/usr/lib/chromium"}) {
    const fs::path p = fs::path(dir) / name;
    if (access(p.c_str(), X_OK) == 0)
      return p.string();
  }
  return "";
}

// An 8-bit picture as the page's canvas takes it: red, green, blue, alpha.
std::string Rgba(const Image& image) {
  std::string out;
  for (std::int64_t i = 0; i < image.pixelCount(); ++i) {
    const Pixel8 p = image.pixels<Pixel8>()[i];
    out += {static_cast<char>(p.red), static_cast<char>(p.green), static_cast<char>(p.blue),
            static_cast<char>(p.alpha)};
  }
  return out;
}

std::string Sha256Hex(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha256(), nullptr);
  std::string hex;
  for (unsigned int k = 0; k < size; ++k) {
    char text[3];
    std::snprintf(text, sizeof text, "%02x", digest[k]);
    hex += text;
  }
  return hex;
}

class Browser : public ::testing::Test {
 protected:
  void SetUp() override {
    chromium_ = Which("chromium");
    driver_ = Which("chromedriver");
    if (chromium_.empty() || driver_.empty()) {
      if (std::getenv("BOXWANDER_REQUIRE_BROWSER") != nullptr) {
        FAIL() << "chromium and chromium-driver are needed (scripts/install-deps.sh --test)";
      }
      GTEST_SKIP() << "no chromium or chromium-driver; scripts/install-deps.sh --test";
    }
    dir_ = fs::temp_directory_path() / ("boxwander-browser-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "profile");
  }
  void TearDown() override {
    if (!dir_.empty())
      fs::remove_all(dir_);
  }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  void waitSettled(test::WebDriver& page) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
      if (page.script("return !!(window.boxwander && window.boxwander.settled());") == true)
        return;
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    FAIL() << "the page did not settle: "
           << page.script("return document.getElementById('message').textContent;");
  }

  // The state the page reports and the pixels it shows, checked against the tool's
  // render of that state; `patched`: the last update came as a patch of the picture before.
  // Returns the pixels' digest.
  std::string shownAndChecked(test::WebDriver& page, json& state, bool patched = true) {
    waitSettled(page);
    EXPECT_EQ(page.script("return window.boxwander.stats().patch;"), patched);
    state = json::parse(page.script("return window.boxwander.shownState();").get<std::string>());
    const std::string shown = page.script("return window.boxwander.shownDigest();");
    std::vector<std::string> args =
        test::RenderArgs(state, path("in.png"), path("tool.png"), path("mask.json"));
    args.insert(args.begin(), BOXWANDER_TOOL);
    EXPECT_EQ(test::RunTool(args, path("err.txt")), 0) << test::ReadFile(path("err.txt"));
    EXPECT_EQ(shown, Sha256Hex(Rgba(ReadImage(path("tool.png"))))) << state.dump();
    return shown;
  }

  // A mouse drag from an element's centre (or a point of the viewport) by dx, in steps.
  static json Drag(const json& origin, int x, int y, int dx, int dy, int steps, int msPerStep) {
    json a = json::array();
    a.push_back({{"type", "pointerMove"}, {"duration", 0}, {"origin", origin}, {"x", x}, {"y", y}});
    a.push_back({{"type", "pointerDown"}, {"button", 0}});
    for (int k = 0; k < steps; ++k) {
      a.push_back({{"type", "pointerMove"},
                   {"duration", msPerStep},
                   {"origin", "pointer"},
                   {"x", dx / steps},
                   {"y", dy / steps}});
    }
    a.push_back({{"type", "pointerUp"}, {"button", 0}});
    return a;
  }

  // Time from a change to the picture that shows it, over a slider drag of 30 steps.
  json timeDrag(test::WebDriver& page, const char* slider, int dx) {
    page.script("window.boxwander.resetStats();");
    page.mouse(Drag(page.element(slider), 0, 0, dx, 0, 30, 33));
    waitSettled(page);
    return page.script("return window.boxwander.stats();");
  }

  std::string chromium_;
  std::string driver_;
  fs::path dir_;
};

TEST_F(Browser, ThePictureFollowsSlidersTimeAndTheMask) {
  WriteImage(path("in.png"), DemoPicture(6));  // 1920 by 1080
  test::PreviewProcess server(
      BOXWANDER_TOOL,
      {path("in.png"), "--path", "M 190 820 C 480 120 900 120 1100 560 S 1500 1000 1760 380",
       "--max-width", "60", "--min-width", "20", "--wh-variance", "40", "--edge-thickness", "4",
       "--edge-brightness", "0.6", "--seed", "7", "--on-original"},
      path("server-err.txt"));
  ASSERT_GT(server.port(), 0) << test::ReadFile(path("server-err.txt"));
  test::WebDriver page(driver_, chromium_, path("profile"), path("driver.txt"), 1400, 900);
  page.go("http://127.0.0.1:" + std::to_string(server.port()) + "/");

  json state;
  std::string before = shownAndChecked(page, state, false);
  EXPECT_EQ(state["controls"]["max-width"], 60);

  // Max Width: a drag along its slider.
  page.mouse(Drag(page.element("input[name=max-width]"), 0, 0, 40, 0, 4, 50));
  std::string after = shownAndChecked(page, state);
  EXPECT_NE(state["controls"]["max-width"], 60);
  EXPECT_NE(before, after);

  // Time: the scrubber, from its middle leftwards.
  before = after;
  page.mouse(Drag(page.element("input[name=time]"), 0, 0, -20, 0, 4, 40));
  after = shownAndChecked(page, state);
  EXPECT_LT(state["controls"]["time"].get<double>(), 50.0);
  EXPECT_GT(state["controls"]["time"].get<double>(), 20.0);
  EXPECT_NE(before, after);

  // A vertex of the mask, dragged on the picture.
  before = after;
  const json mask = state["mask"];
  const json at = page.script("return window.boxwander.vertexOnScreen(1);");
  page.mouse(Drag("viewport", static_cast<int>(std::lround(at[0].get<double>())),
                  static_cast<int>(std::lround(at[1].get<double>())), 40, 60, 6, 40));
  after = shownAndChecked(page, state);
  EXPECT_NE(state["mask"]["v"][1], mask["v"][1]);
  EXPECT_EQ(state["mask"]["v"][0], mask["v"][0]);
  EXPECT_NE(before, after);

  // Time per update while dragging, at full resolution and at 1/2.
  const json full = timeDrag(page, "input[name=max-width]", 90);
  page.script(
      "const s = document.getElementById('downsample'); s.value = '2';"
      "s.dispatchEvent(new Event('change'));");
  waitSettled(page);
  const json half = timeDrag(page, "input[name=max-width]", -90);
  shownAndChecked(page, state);
  EXPECT_EQ(state["downsample"], 2);
  for (const auto& [name, s] : {std::pair{"1920x1080", full}, std::pair{"960x540 (1/2)", half}}) {
    std::printf(
        "preview %s: %d updates while dragging (%d whole), %.0f ms mean and %.0f ms at most "
        "from a change to its picture on screen; the last: render %.0f ms, pixels %.0f ms, "
        "answer %.0f ms, body %.0f ms (%.0f KiB), draw %.0f ms\n",
        name, s["updates"].get<int>(), s["full"].get<int>(), s["meanMs"].get<double>(),
        s["maxMs"].get<double>(), s["renderMs"].get<double>(), s["encodeMs"].get<double>(),
        s["answerMs"].get<double>(), s["bodyMs"].get<double>(), s["bytes"].get<double>() / 1024,
        s["drawMs"].get<double>());
    EXPECT_GT(s["updates"].get<int>(), 1);
  }
  RecordProperty("update_ms_full", std::to_string(full["meanMs"].get<double>()));
  RecordProperty("update_ms_half", std::to_string(half["meanMs"].get<double>()));

  // One update alone, at each resolution: a change of Max Width, its render, the patch of
  // the picture and its drawing; and the whole frame the change of resolution brings.
  for (const char* factor : {"1", "2"}) {
    page.script("const s = document.getElementById('downsample'); s.value = '" +
                std::string(factor) + "'; s.dispatchEvent(new Event('change'));");
    waitSettled(page);
    const json whole = page.script("return window.boxwander.stats();");
    double total = 0;
    double most = 0;
    json s;
    for (int k = 0; k < 6; ++k) {
      s = page.script("return window.boxwander.updateAlone('max-width', " +
                      std::to_string(k % 2 == 0 ? 52 : 64) + ");");
      EXPECT_TRUE(s["patch"].get<bool>());
      total += s["lastMs"].get<double>();
      most = std::max(most, s["lastMs"].get<double>());
    }
    const auto parts = [](const json& u) {
      char text[160];
      std::snprintf(text, sizeof text,
                    "render %.0f ms, pixels %.0f ms, answer %.0f ms, body %.0f ms (%.0f KiB), "
                    "draw %.0f ms",
                    u["renderMs"].get<double>(), u["encodeMs"].get<double>(),
                    u["answerMs"].get<double>(), u["bodyMs"].get<double>(),
                    u["bytes"].get<double>() / 1024, u["drawMs"].get<double>());
      return std::string(text);
    };
    std::printf(
        "preview at 1/%s: %.0f ms mean and %.0f ms at most per update alone (6); the last: %s; "
        "the whole frame on the change of resolution: %.0f ms (%s)\n",
        factor, total / 6, most, parts(s).c_str(), whole["lastMs"].get<double>(),
        parts(whole).c_str());
  }
  shownAndChecked(page, state);
  EXPECT_EQ(state["controls"]["max-width"], 64);
  EXPECT_EQ(state["downsample"], 2);
  page.script(
      "const s = document.getElementById('downsample'); s.value = '1';"
      "s.dispatchEvent(new Event('change'));");
  shownAndChecked(page, state, false);

  // Full resolution with the chain's rectangles shown, for the screenshot: values typed
  // into the number fields.
  for (const auto& [field, value] : {std::pair{"max-width", "56"}, std::pair{"time", "42"}}) {
    const json box = page.element(std::string("input[name=") + field + "-value]");
    page.clear(box);
    page.type(box, value);
  }
  page.click(page.element("#show-rects"));
  waitSettled(page);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (page.script("return document.querySelectorAll('#overlay .rect').length;") == 0 &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_GT(page.script("return document.querySelectorAll('#overlay .rect').length;"), 0);
  std::ofstream(BOXWANDER_SCREENSHOT, std::ios::binary) << page.screenshotPng();
  std::printf("screenshot: %s\n", BOXWANDER_SCREENSHOT);
}

}  // namespace
}  // namespace boxwander::cli
