// The preview server as a user starts it, talked to over real HTTP on loopback.
#include <gtest/gtest.h>
#include <httplib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/io/image_io.h"
#include "cli/module_session.h"
#include "cli/paths/mask_json.h"
#include "cli/paths/path_source.h"
#include "tests/cli/image_difference.h"
#include "tests/cli/preview/preview_process.h"
#include "tests/cli/preview/state_args.h"

namespace boxwander::cli {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test::PreviewProcess;

// Colour bands with a few clear pixels, so that rectangles take varied colours.
Image Picture(PixelFormat format, std::int32_t width, std::int32_t height) {
  Image image(format, width, height);
  for (std::int64_t i = 0; i < image.pixelCount(); ++i) {
    const auto x = static_cast<std::uint32_t>(i % width);
    const auto y = static_cast<std::uint32_t>(i / width);
    const std::uint8_t alpha = (x * 7 + y * 3) % 23 == 0 ? 0 : 255;
    const Pixel8 p{alpha, static_cast<std::uint8_t>(x * 255 / width),
                   static_cast<std::uint8_t>(y * 255 / height),
                   static_cast<std::uint8_t>((x + y) * 3 % 256)};
    if (format == PixelFormat::k8) {
      image.pixels<Pixel8>()[i] = p;
    } else {
      image.pixels<Pixel16>()[i] = {static_cast<std::uint16_t>(p.alpha * 128),
                                    static_cast<std::uint16_t>(p.red * 128 + 5),
                                    static_cast<std::uint16_t>(p.green * 128 + 3),
                                    static_cast<std::uint16_t>(p.blue * 128 + 1)};
    }
  }
  return image;
}

class PreviewServer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new fs::path(fs::temp_directory_path() /
                        ("boxwander-preview-" + std::to_string(::getpid())));
    fs::remove_all(*dir_);
    fs::create_directories(*dir_);
    WriteImage(path("in.png"), Picture(PixelFormat::k8, 120, 72));
    server_ = new PreviewProcess(BOXWANDER_TOOL, {path("in.png")}, path("server-err.txt"));
  }
  static void TearDownTestSuite() {
    delete server_;
    fs::remove_all(*dir_);
    delete dir_;
  }
  void SetUp() override {
    ASSERT_GT(server_->port(), 0) << test::ReadFile(path("server-err.txt"));
    client_ = std::make_unique<httplib::Client>("127.0.0.1", server_->port());
    client_->set_read_timeout(60);
  }
  static std::string path(const std::string& name) { return (*dir_ / name).string(); }

  httplib::Result post(const char* route, const json& body) {
    return client_->Post(route, body.dump(), "application/json");
  }
  // The picture of a state, decoded.
  Image renderOf(const json& state) {
    const auto res = post("/api/render", state);
    EXPECT_TRUE(res);
    if (!res)
      return {};
    EXPECT_EQ(res->status, 200) << res->body;
    EXPECT_EQ(res->get_header_value("Content-Type"), "image/png");
    std::ofstream(path("served.png"), std::ios::binary) << res->body;
    return ReadImage(path("served.png"));
  }
  // The tool's render with the arguments given.
  Image toolRender(std::vector<std::string> args) {
    args.insert(args.begin(), BOXWANDER_TOOL);
    EXPECT_EQ(test::RunTool(args, path("err.txt")), 0) << test::ReadFile(path("err.txt"));
    return ReadImage(path("tool.png"));
  }

  static fs::path* dir_;
  static PreviewProcess* server_;
  std::unique_ptr<httplib::Client> client_;
};
fs::path* PreviewServer::dir_ = nullptr;
PreviewProcess* PreviewServer::server_ = nullptr;

TEST_F(PreviewServer, RendersWhatTheRenderCommandAndItsCopiedCommandRender) {
  const json cases[] = {
      {{"controls", {{"time", 40}, {"max-width", 12}, {"seed", 3}, {"on-original", true}}},
       {"mask",
        {{"v", {{5, 60}, {60, 10}, {115, 50}}},
         {"o", {{20, -30}, {10, 0}, {0, 0}}},
         {"i", {{0, 0}, {-10, 0}, {-5, -20}}},
         {"c", false}}},
       {"downsample", 1}},
      {{"controls",
        {{"time", 63.3},
         {"wh", -0.35},
         {"wh-variance", 40},
         {"mode", "discrete1"},
         {"edge-mode", "color"},
         {"edge-color", "#ff2040a0"},
         {"edge-thickness", 3},
         {"invert", true},
         {"max-width", 20}}},
       {"mask", {{"v", {{10, 10}, {110, 15}, {60, 65}}}, {"c", true}}},
       {"downsample", 2}},
      // Handles that absolute path data would not give back to the last bit: the copied
      // command reads the mask from the file the page saves.
      {{"controls", {{"time", 25.5}, {"max-width", 9}, {"min-width", 33}, {"on-original", true}}},
       {"mask",
        {{"v", {{3.1, 70.7}, {117.3, 2.9}}},
         {"o", {{40.7, 0.3}, {0, 0}}},
         {"i", {{0, 0}, {-0.1, 50.9}}},
         {"c", false}}},
       {"downsample", 4}},
  };
  for (const json& state : cases) {
    SCOPED_TRACE(state.dump());
    const Image served = renderOf(state);
    const Image input = ReadImage(path("in.png"));
    const Image tool = toolRender(
        test::RenderArgs(state, path("in.png"), path("tool.png"), path("state-mask.json")));
    EXPECT_EQ(FirstDifference(served, tool), "");
    // The page's canvas pixels: the same values, as red, green, blue, alpha rows.
    const auto frame = post("/api/frame", state);
    ASSERT_TRUE(frame);
    ASSERT_EQ(frame->status, 200) << frame->body;
    std::string rgba;
    for (std::int64_t i = 0; i < tool.pixelCount(); ++i) {
      const Pixel8 p = tool.pixels<Pixel8>()[i];
      rgba += {static_cast<char>(p.red), static_cast<char>(p.green), static_cast<char>(p.blue),
               static_cast<char>(p.alpha)};
    }
    EXPECT_TRUE(frame->body == rgba);
    EXPECT_EQ(frame->get_header_value("X-Width"), std::to_string(tool.width()));
    if (state["downsample"] == 1) {
      EXPECT_NE(FirstDifference(served, input), "");  // something was drawn
    }

    const auto res = post("/api/command", state);
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200) << res->body;
    const json answer = json::parse(res->body);
    std::string command = answer["command"];
    ASSERT_EQ(command.rfind("boxwander render ", 0), 0u) << command;
    command.replace(0, std::strlen("boxwander"), BOXWANDER_TOOL);
    EXPECT_EQ(answer["needsMaskFile"], state["controls"]["time"] == 25.5) << command;
    fs::remove(path("preview.png"));
    fs::remove(path("mask.json"));
    if (answer["needsMaskFile"]) {
      std::ofstream(path("mask.json")) << state["mask"].dump();
    }
    ASSERT_EQ(test::RunTool({"/bin/sh", "-c", command}, path("err.txt"), dir_->string()), 0)
        << command << "\n"
        << test::ReadFile(path("err.txt"));
    EXPECT_EQ(FirstDifference(served, ReadImage(path("preview.png"))), "") << command;
  }
}

std::uint32_t Get32(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (int k = 3; k >= 0; --k)
    v = v << 8 | static_cast<unsigned char>(bytes.at(at + static_cast<std::size_t>(k)));
  return v;
}

// Copies a patch's runs into `pixels`, as the page does; false when it does not fit them.
bool ApplyPatch(const std::string& patch, std::string& pixels) {
  const std::size_t runs = Get32(patch, 0);
  std::size_t at = 4 + 8 * runs;
  for (std::size_t k = 0; k < runs; ++k) {
    const std::size_t first = Get32(patch, 4 + 8 * k);
    const std::uint32_t count = Get32(patch, 8 + 8 * k);
    const std::size_t n = count & 0x7FFFFFFFu;
    const bool fill = (count & 0x80000000u) != 0;
    if (4 * (first + n) > pixels.size() || at + (fill ? 4 : 4 * n) > patch.size())
      return false;
    for (std::size_t i = 0; i < n; ++i)
      pixels.replace(4 * (first + i), 4, patch, fill ? at : at + 4 * i, 4);
    at += fill ? 4 : 4 * n;
  }
  return at == patch.size();
}

// A page that names the frame it shows gets only the pixels that changed since, and the
// whole frame whenever the server cannot know what it shows.
TEST_F(PreviewServer, SendsAPageThePixelsThatChangedSinceTheFrameItShows) {
  const auto session = client_->Get("/api/session");
  ASSERT_TRUE(session);
  const std::string page = json::parse(session->body)["page"];
  ASSERT_FALSE(page.empty());
  json state = {{"controls", {{"time", 40}, {"max-width", 12}, {"seed", 3}, {"on-original", true}}},
                {"mask", {{"v", {{5, 60}, {60, 10}, {115, 50}}}, {"c", false}}},
                {"downsample", 1}};
  std::string shown;
  std::uint64_t frame = 0;
  struct Step {
    const char* what;
    const char* control;
    double value;
    std::int32_t downsample;
    bool patch;
  };
  const Step steps[] = {
      {"the first frame", "time", 40, 1, false},
      {"Time moves", "time", 41, 1, true},
      {"Max Width changes", "max-width", 10, 1, true},
      {"nothing changes", "max-width", 10, 1, true},
      {"another resolution", "max-width", 10, 2, false},
      {"Time moves back", "time", 40, 2, true},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    state["controls"][step.control] = step.value;
    state["downsample"] = step.downsample;
    const auto whole = post("/api/frame", state);  // no base: the whole frame
    ASSERT_TRUE(whole);
    ASSERT_EQ(whole->status, 200) << whole->body;
    json request = state;
    request["base"] = {{"page", page}, {"frame", frame}};
    const auto res = post("/api/frame", request);
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200) << res->body;
    EXPECT_EQ(res->get_header_value("X-Frame-Kind"), step.patch ? "patch" : "full");
    if (res->get_header_value("X-Frame-Kind") == "patch") {
      EXPECT_EQ(res->get_header_value("X-Base-Frame"), std::to_string(frame));
      EXPECT_LT(res->body.size(), whole->body.size());
      ASSERT_TRUE(ApplyPatch(res->body, shown));
    } else {
      shown = res->body;
    }
    EXPECT_TRUE(shown == whole->body);
    const std::uint64_t next = std::stoull(res->get_header_value("X-Frame"));
    EXPECT_GT(next, frame);
    frame = next;
  }
  // Naming a frame the page no longer shows, or a page the server does not know, brings the
  // whole frame.
  for (const json& base :
       {json{{"page", page}, {"frame", frame - 1}}, json{{"page", "another"}, {"frame", frame}}}) {
    json request = state;
    request["base"] = base;
    const auto res = post("/api/frame", request);
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200) << res->body;
    EXPECT_EQ(res->get_header_value("X-Frame-Kind"), "full") << base.dump();
    EXPECT_TRUE(res->body == shown);
  }
}

TEST_F(PreviewServer, BadRequestsAreRefusedWithAMessage) {
  const json mask = {{"v", {{5, 5}, {100, 60}}}};
  struct Case {
    const char* what;
    const char* route;
    std::string body;
    const char* type;
    httplib::Headers headers;
    int status;
    const char* message;
  };
  const auto state = [&mask](const json& controls) {
    return json{{"controls", controls}, {"mask", mask}}.dump();
  };
  const Case cases[] = {
      {"out of range",
       "/api/render",
       state({{"time", 140}}),
       "application/json",
       {},
       400,
       "--time: 140 is out of range 0..100"},
      {"not whole",
       "/api/render",
       state({{"max-width", 2.5}}),
       "application/json",
       {},
       400,
       "--max-width: 2.5 is not a whole number"},
      {"unknown control",
       "/api/render",
       state({{"depth", 8}}),
       "application/json",
       {},
       400,
       "unknown control 'depth'"},
      {"wrong kind",
       "/api/render",
       state({{"invert", "yes"}}),
       "application/json",
       {},
       400,
       "--invert: expected true or false"},
      {"bad popup",
       "/api/ui",
       state({{"edge-mode", "glow"}}),
       "application/json",
       {},
       400,
       "--edge-mode: expected brightness or color"},
      {"bad colour",
       "/api/command",
       state({{"edge-color", "#12"}}),
       "application/json",
       {},
       400,
       "--edge-color"},
      {"no mask",
       "/api/render",
       R"({"controls":{}})",
       "application/json",
       {},
       400,
       "mask: missing"},
      {"empty mask",
       "/api/chain",
       R"({"mask":{"v":[]}})",
       "application/json",
       {},
       400,
       "holds no vertex"},
      {"bad downsample",
       "/api/render",
       R"({"mask":{"v":[[1,2]]},"downsample":3})",
       "application/json",
       {},
       400,
       "downsample: expected 1, 2 or 4"},
      {"bad base",
       "/api/frame",
       json{{"mask", mask}, {"base", {{"page", "p"}, {"frame", -1}}}}.dump(),
       "application/json",
       {},
       400,
       "base: expected"},
      {"base without a page",
       "/api/frame",
       json{{"mask", mask}, {"base", {{"frame", 1}}}}.dump(),
       "application/json",
       {},
       400,
       "base: expected"},
      {"not JSON", "/api/render", "{\"mask\":", "application/json", {}, 400, "request:"},
      {"not an object",
       "/api/render",
       "[1,2]",
       "application/json",
       {},
       400,
       "expected a JSON object"},
      {"bad path data",
       "/api/mask",
       R"({"text":"M 10 10 L 20 x"})",
       "application/json",
       {},
       400,
       "path data, offset 13"},
      {"a file name",
       "/api/mask",
       R"({"text":"@/etc/passwd"})",
       "application/json",
       {},
       400,
       "path data"},
      {"form post", "/api/render", state({}), "text/plain", {}, 415, "Content-Type"},
      {"too large",
       "/api/render",
       std::string(std::size_t{1} << 21, ' '),
       "application/json",
       {},
       413,
       "too large"},
      {"other site",
       "/api/render",
       state({}),
       "application/json",
       {{"Origin", "http://example.com"}},
       403,
       "other sites"},
      {"other host",
       "/api/render",
       state({}),
       "application/json",
       {{"Host", "example.com"}},
       403,
       "wrong Host"},
      {"no such route",
       "/api/render/../../etc/passwd",
       state({}),
       "application/json",
       {},
       404,
       "no such page"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto res = client_->Post(c.route, c.headers, c.body, c.type);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, c.status) << res->body;
    const json body = json::parse(res->body, nullptr, false);
    ASSERT_TRUE(body.is_object()) << res->body;
    EXPECT_NE(body.value("error", "").find(c.message), std::string::npos) << res->body;
  }
  // Nothing is served from the file system, whatever the path.
  for (const char* route : {"/../../etc/passwd", "/%2e%2e/%2e%2e/etc/passwd", "/in.png"}) {
    const auto res = client_->Get(route);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 404) << route;
  }
}

const char* TypeName(PF_ParamType type) {
  switch (type) {
    case PF_Param_SLIDER:
      return "slider";
    case PF_Param_FIX_SLIDER:
      return "fixed";
    case PF_Param_FLOAT_SLIDER:
      return "float";
    case PF_Param_POPUP:
      return "popup";
    case PF_Param_CHECKBOX:
      return "checkbox";
    case PF_Param_COLOR:
      return "color";
    case PF_Param_PATH:
      return "path";
    default:
      return "other";
  }
}

// The description against the parameters the module declares to a host of our own, and
// the enabled flags against what the module's UI update sets for the same values.
TEST_F(PreviewServer, DescribesTheParametersTheModuleDeclares) {
  const auto res = client_->Get("/api/session");
  ASSERT_TRUE(res);
  ASSERT_EQ(res->status, 200);
  const json session = json::parse(res->body);
  EXPECT_EQ(session["input"]["width"], 120);
  EXPECT_EQ(session["input"]["height"], 72);

  auto host = OpenModule(FindModule(BOXWANDER_MODULE));
  host->setup();
  const auto check = [&host](const json& params) {
    const auto& store = host->params();
    ASSERT_EQ(params.size(), static_cast<std::size_t>(store.count()));
    for (PF_ParamIndex i = 1; i <= store.count(); ++i) {
      const PF_ParamDef& d = store.def(i);
      const json& p = params[static_cast<std::size_t>(i - 1)];
      SCOPED_TRACE(d.name);
      EXPECT_EQ(p["name"], std::string(d.name));
      EXPECT_EQ(p["type"], TypeName(d.param_type));
      EXPECT_EQ(p["enabled"], (d.ui_flags & PF_PUI_DISABLED) == 0);
      switch (d.param_type) {
        case PF_Param_SLIDER:
          EXPECT_EQ(p["validMin"], d.u.sd.valid_min);
          EXPECT_EQ(p["validMax"], d.u.sd.valid_max);
          EXPECT_EQ(p["sliderMax"], d.u.sd.slider_max);
          EXPECT_EQ(p["default"], d.u.sd.dephault);
          break;
        case PF_Param_FIX_SLIDER:
          EXPECT_EQ(p["validMax"], d.u.fd.valid_max / 65536.0);
          EXPECT_EQ(p["default"], d.u.fd.dephault / 65536.0);
          EXPECT_EQ(p["precision"], d.u.fd.precision);
          EXPECT_EQ(p["percent"], (d.u.fd.display_flags & PF_ValueDisplayFlag_PERCENT) != 0);
          break;
        case PF_Param_FLOAT_SLIDER:
          EXPECT_EQ(p["validMin"], d.u.fs_d.valid_min);
          EXPECT_EQ(p["sliderMax"], d.u.fs_d.slider_max);
          EXPECT_EQ(p["default"], d.u.fs_d.dephault);
          EXPECT_EQ(p["precision"], d.u.fs_d.precision);
          break;
        case PF_Param_POPUP: {
          std::string choices;
          for (const auto& c : p["choices"])
            choices += (choices.empty() ? "" : "|") + c.get<std::string>();
          EXPECT_EQ(choices, store.text(i));
          EXPECT_EQ(p["words"].size(), p["choices"].size());
          EXPECT_EQ(p["default"], d.u.pd.dephault);
          break;
        }
        case PF_Param_CHECKBOX:
          EXPECT_EQ(p["default"], d.u.bd.dephault != 0);
          break;
        case PF_Param_COLOR: {
          char text[16];
          const PF_Pixel c = d.u.cd.dephault;
          std::snprintf(text, sizeof text, "#%02x%02x%02x%02x", c.alpha, c.red, c.green, c.blue);
          EXPECT_EQ(p["default"], text);
          break;
        }
        default:
          break;
      }
      // Every control but the mask is bound to an option of the tool.
      EXPECT_EQ(p.contains("option"), d.param_type != PF_Param_PATH);
    }
  };
  check(session["params"]);

  // Edge Mode "color": the module's UI update disables Edge Brightness, enables Edge Color.
  for (PF_ParamIndex i = 1; i <= host->params().count(); ++i) {
    if (std::string(host->params().def(i).name) == "Edge Mode")
      host->params().set(i, std::int32_t{2});
  }
  ASSERT_EQ(host->updateParamsUI().err, PF_Err_NONE);
  const auto ui =
      post("/api/ui", {{"controls", {{"edge-mode", "color"}}}, {"mask", {{"v", {{1, 1}}}}}});
  ASSERT_TRUE(ui);
  ASSERT_EQ(ui->status, 200) << ui->body;
  const json params = json::parse(ui->body)["params"];
  check(params);
  for (const auto& p : params) {
    if (p["name"] == "Edge Brightness") {
      EXPECT_FALSE(p["enabled"]);
    }
    if (p["name"] == "Edge Color") {
      EXPECT_TRUE(p["enabled"]);
    }
  }
  host->shutdown();
}

// Started without controls, the page shows every control at its declared value, and the
// copied command for that state gives none of them.
TEST_F(PreviewServer, StartsAtTheDeclaredValuesWhichTheCopiedCommandLeavesOut) {
  const auto res = client_->Get("/api/session");
  ASSERT_TRUE(res);
  ASSERT_EQ(res->status, 200);
  const json session = json::parse(res->body);
  const json& controls = session["state"]["controls"];
  std::size_t bound = 0;
  for (const auto& p : session["params"]) {
    if (!p.contains("option"))
      continue;
    ++bound;
    SCOPED_TRACE(p["name"].dump());
    const json& value = controls.at(p["option"].get<std::string>());
    if (p["type"] == "popup") {
      EXPECT_EQ(value, p["words"][p["default"].get<std::size_t>() - 1]);
    } else {
      EXPECT_EQ(value, p["default"]);
    }
  }
  EXPECT_EQ(controls.size(), bound);

  const auto command = post("/api/command", session["state"]);
  ASSERT_TRUE(command);
  ASSERT_EQ(command->status, 200) << command->body;
  const std::string line = json::parse(command->body)["command"];
  for (const auto& item : controls.items()) {
    EXPECT_EQ(line.find("--" + item.key()), std::string::npos) << line;
  }
}

TEST_F(PreviewServer, LoadsMasksAsTheToolReadsThem) {
  std::ofstream(path("m.svg"))
      << R"(<svg xmlns="http://www.w3.org/2000/svg"><path d="M 1 2 Q 40 0 60 30 Z"/></svg>)";
  const std::string texts[] = {
      "M 20 150 C 80 20 140 20 160 90 S 240 160 300 30",
      R"({"v":[[2,3],[37,5],[20,22]],"o":[[0,0],[0,9],[0,0]],"c":true})",
      test::ReadFile(path("m.svg")),
  };
  const std::string arguments[] = {texts[0], "@" + path("m.json"), "@" + path("m.svg")};
  std::ofstream(path("m.json")) << texts[1];
  for (std::size_t k = 0; k < std::size(texts); ++k) {
    SCOPED_TRACE(texts[k]);
    const auto res = post("/api/mask", {{"text", texts[k]}});
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200) << res->body;
    const json mask = json::parse(res->body)["mask"];
    EXPECT_EQ(ParseMaskJson(mask.dump()), LoadMaskShape(arguments[k]));
  }
}

TEST(PreviewCommand, StopsCleanlyOnInterruptAndRefusesBadStarts) {
  const fs::path dir = fs::temp_directory_path() / ("boxwander-stop-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string input = (dir / "in.png").string();
  const std::string err = (dir / "err.txt").string();
  WriteImage(input, Picture(PixelFormat::k16, 40, 30));
  {
    PreviewProcess server(BOXWANDER_TOOL, {input, "--time", "30", "--downsample", "2"}, err);
    ASSERT_GT(server.port(), 0) << test::ReadFile(err);
    httplib::Client client("127.0.0.1", server.port());
    const auto res = client.Get("/api/session");
    ASSERT_TRUE(res);
    const json session = json::parse(res->body);
    EXPECT_EQ(session["input"]["depth"], "16");
    EXPECT_EQ(session["state"]["controls"]["time"], 30);
    EXPECT_EQ(session["state"]["downsample"], 2);
    EXPECT_EQ(server.stop(), 0);
    EXPECT_NE(test::ReadFile(err).find("stopping"), std::string::npos);
  }
  // Refused before serving, in one line.
  const struct {
    std::vector<std::string> args;
    const char* message;
  } bad[] = {
      {{input, "--time", "0@0,100@10"}, "--time: the preview takes one value"},
      {{input, "--max-width", "1"}, "--max-width: 1 is out of range"},
      {{input, "--path", "M 1"}, "--path: path data"},
      {{input, "--downsample", "3"}, "--downsample: expected 1, 2 or 4"},
      {{(dir / "missing.png").string()}, "missing.png"},
  };
  for (const auto& b : bad) {
    std::vector<std::string> args = {BOXWANDER_TOOL, "preview"};
    args.insert(args.end(), b.args.begin(), b.args.end());
    EXPECT_EQ(test::RunTool(args, err), 1);
    const std::string text = test::ReadFile(err);
    EXPECT_NE(text.find(b.message), std::string::npos) << text;
    EXPECT_EQ(text.find('\n'), text.size() - 1) << text;
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace boxwander::cli
