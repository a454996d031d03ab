#include "cli/preview/preview_command.h"

#include <httplib.h>
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <new>
#include <optional>
#include <set>
#include <thread>

#include "cli/common/cli_error.h"
#include "cli/common/report_errors.h"
#include "cli/io/image_io.h"
#include "cli/module_session.h"
#include "cli/paths/mask_json.h"
#include "cli/paths/path_source.h"
#include "cli/paths/svg_drawing.h"
#include "cli/paths/svg_mask_pick.h"
#include "cli/preview/control_bindings.h"
#include "cli/preview/display_pixels.h"
#include "cli/preview/module_worker.h"
#include "cli/preview/page_assets.h"
#include "cli/preview/preview_state.h"
#include "cli/preview/render_line.h"
#include "cli/preview/sent_frames.h"
#include "cli/rects_json.h"

namespace boxwander::cli::preview {
namespace {

// A request body larger than this is refused before it is read: a mask of some ten
// thousand vertices still fits.
constexpr std::size_t kMaxBody = std::size_t{1} << 20;
constexpr char kLoopback[] = "127.0.0.1";

// Without --path: a wave across the picture, so that there is something to shape.
shapes::MaskShape DefaultMask(std::int32_t width, std::int32_t height) {
  const double w = width;
  const double h = height;
  shapes::MaskShape shape;
  shape.vertices = {
      {{0.1 * w, 0.7 * h}, {}, {0.15 * w, -0.5 * h}},
      {{0.5 * w, 0.5 * h}, {-0.12 * w, -0.3 * h}, {0.12 * w, 0.3 * h}},
      {{0.9 * w, 0.3 * h}, {-0.15 * w, 0.5 * h}, {}},
  };
  return shape;
}

PreviewState InitialState(const PreviewArguments& a, const Image& input) {
  PreviewState state;
  for (const auto& [option, text] : a.controls) {
    const ControlBinding* b = FindBinding(option);
    if (b == nullptr) {
      throw CliError("--" + option + ": not a control");
    }
    if (!text.empty()) {
      ApplyText(*b, text, state.controls);
    }
  }
  state.controls.invert = a.invert;
  state.controls.onOriginal = a.onOriginal;
  if (a.path.empty()) {
    state.mask = DefaultMask(input.width(), input.height());
  } else {
    try {
      state.mask = LoadMaskShape(a.path);
    } catch (const CliError& e) {
      throw CliError(std::string("--path: ") + e.what());
    }
  }
  try {
    state.downsample = CheckDownsample(a.downsample);
  } catch (const CliError&) {
    throw CliError("--downsample: expected 1, 2 or 4");
  }
  return state;
}

// A mask the page loads: JSON mask form, an SVG document (the first subpath of its first
// drawn shape, placed where the document draws it) or path data.
shapes::MaskShape MaskFromText(std::string text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) {
    throw CliError("mask: the text is empty");
  }
  if (text[first] == '{') {
    return ParseMaskJson(text);
  }
  if (text[first] == '<') {
    return PickSvgMask(ReadSvgDrawing(text), std::nullopt, "mask").shape;
  }
  return ParsePathDataMask(text);
}

void SendJson(httplib::Response& res, const nlohmann::json& body, int status = 200) {
  res.status = status;
  res.set_content(body.dump(), "application/json");
}

// Moved into the answer: set_content would copy a frame of megabytes.
void SendBytes(httplib::Response& res, std::string bytes, const char* type) {
  res.body = std::move(bytes);
  res.set_header("Content-Type", type);
}

void SendError(httplib::Response& res, int status, const std::string& message) {
  SendJson(res, {{"error", message}}, status);
}

// Runs a handler; what it throws becomes an error the page shows.
template <class F>
void Answer(httplib::Response& res, F f) {
  try {
    f();
  } catch (const CliError& e) {
    SendError(res, 400, e.what());
  } catch (const std::bad_alloc&) {
    SendError(res, 503, "out of memory");
  } catch (const std::exception& e) {
    SendError(res, 500, e.what());
  }
}

// Stops the server on SIGINT or SIGTERM. The signals are blocked in every thread before
// any is started and taken here, so no handler runs inside the server or the module.
class SignalWatch {
 public:
  explicit SignalWatch(sigset_t set) : set_(set) {}
  void start(httplib::Server& server) {
    thread_ = std::thread([this, &server] {
      int signal = 0;
      sigwait(&set_, &signal);
      if (quit_) {
        return;
      }
      std::fprintf(stderr, "boxwander: stopping\n");
      // A signal that came while the server was starting waits for it to run: stopping a
      // server that does not run yet does nothing.
      while (!quit_ && !server.is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      server.stop();
    });
  }
  // Ends the watch when the server stopped for another reason.
  ~SignalWatch() {
    if (thread_.joinable()) {
      quit_ = true;
      pthread_kill(thread_.native_handle(), SIGTERM);
      thread_.join();
    }
  }

 private:
  sigset_t set_;
  std::atomic<bool> quit_{false};
  std::thread thread_;
};

class PreviewServer {
 public:
  PreviewServer(const PreviewArguments& a, Image input, PreviewState initial)
      : context_{a.input, a.module, a.depth},
        initial_(std::move(initial)),
        worker_(FindModule(a.module), std::move(input), static_cast<std::uint32_t>(a.fps)),
        fps_(a.fps) {
    // Controls the command line left out show the values the module declares.
    FillUnset(initial_.controls, worker_.declared());
    // A bad control on the command line is told before the server starts.
    initialParams_ = worker_.describe(initial_.controls);
    routes();
  }

  int bindTo(std::int32_t port) {
    port_ = port == 0 ? server_.bind_to_any_port(kLoopback)
                      : (server_.bind_to_port(kLoopback, port) ? port : -1);
    if (port_ <= 0) {
      throw CliError("cannot listen on " + std::string(kLoopback) + ":" + std::to_string(port));
    }
    return port_;
  }
  bool listen() { return server_.listen_after_bind(); }
  httplib::Server& server() { return server_; }

 private:
  void routes() {
    server_.set_payload_max_length(kMaxBody);
    // An answer's headers and its body go out in two writes: without this, the body's last
    // segment waits for the browser's delayed acknowledgement of the headers (some 40 ms).
    server_.set_tcp_nodelay(true);
    // An idle connection is closed after a second: stopping waits for open ones, and a
    // page reconnects on loopback at no cost.
    server_.set_keep_alive_timeout(1);
    server_.set_default_headers({
        {"Cache-Control", "no-store"},
        {"X-Content-Type-Options", "nosniff"},
        {"Referrer-Policy", "no-referrer"},
        {"Content-Security-Policy",
         "default-src 'self'; img-src 'self' blob: data:; connect-src 'self'; "
         "frame-ancestors 'none'"},
    });
    server_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
      return admit(req, res) ? httplib::Server::HandlerResponse::Unhandled
                             : httplib::Server::HandlerResponse::Handled;
    });
    server_.set_error_handler([](const httplib::Request&, httplib::Response& res) {
      if (!res.body.empty())
        return;
      switch (res.status) {
        case 404:
          SendError(res, 404, "no such page");
          break;
        case 413:
          SendError(res, 413, "request too large (at most 1 MiB)");
          break;
        default:
          SendError(res, res.status, "request refused");
          break;
      }
    });
    server_.Get("/", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(kIndexHtml.data(), kIndexHtml.size(), "text/html; charset=utf-8");
    });
    server_.Get("/preview.js", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(kPreviewJs.data(), kPreviewJs.size(), "text/javascript; charset=utf-8");
    });
    server_.Get("/preview.css", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(kPreviewCss.data(), kPreviewCss.size(), "text/css; charset=utf-8");
    });
    server_.Get("/api/session", [this](const httplib::Request&, httplib::Response& res) {
      Answer(res, [&] { SendJson(res, session()); });
    });
    server_.Get("/api/input.png", [this](const httplib::Request&, httplib::Response& res) {
      Answer(res, [&] {
        const std::lock_guard lock(inputMutex_);
        if (inputPng_.empty())
          inputPng_ = EncodePng(worker_.input());
        res.set_content(inputPng_, "image/png");
      });
    });
    // The picture as PNG, in the bytes a .png file of it would hold.
    post("/api/render", [this](const nlohmann::json& body, httplib::Response& res) {
      renderAnswer(body, res, true);
    });
    // The same picture as raw 8-bit RGBA rows for the page's canvas.
    post("/api/frame", [this](const nlohmann::json& body, httplib::Response& res) {
      renderAnswer(body, res, false);
    });
    post("/api/chain", [this](const nlohmann::json& body, httplib::Response& res) {
      const PreviewState state = ParseState(body, worker_.declared());
      nlohmann::json chain = nlohmann::json::parse(ChainJson(worker_.chain(state), 0));
      chain["downsample"] = state.downsample;
      SendJson(res, chain);
    });
    post("/api/ui", [this](const nlohmann::json& body, httplib::Response& res) {
      SendJson(res, {{"params", worker_.describe(ParseState(body, worker_.declared()).controls)}});
    });
    post("/api/mask", [](const nlohmann::json& body, httplib::Response& res) {
      const auto text = body.find("text");
      if (text == body.end() || !text->is_string()) {
        throw CliError("mask: expected {\"text\": \"...\"}");
      }
      SendJson(res, {{"mask", nlohmann::json::parse(WriteMaskJson(MaskFromText(*text)))}});
    });
    post("/api/command", [this](const nlohmann::json& body, httplib::Response& res) {
      const PreviewState state = ParseState(body, worker_.declared());
      const RenderLine line = RenderCommandLine(state, context_, "preview.png", worker_.declared());
      SendJson(
          res,
          {{"command", line.text}, {"needsMaskFile", line.needsMaskFile}, {"maskFile", kMaskFile}});
    });
  }

  // Frames: with the "base" the page names, only what changed since it (see SentFrames).
  void renderAnswer(const nlohmann::json& body, httplib::Response& res, bool png) {
    const PreviewState state = ParseState(body, worker_.declared());
    const std::optional<FrameBase> base = png ? std::nullopt : ParseFrameBase(body);
    const auto rendered = worker_.render(state);
    if (!rendered) {
      SendError(res, 409, "superseded by a newer request");
      return;
    }
    warn(rendered->warnings);
    const auto start = std::chrono::steady_clock::now();
    const std::int32_t width = rendered->image.width();
    const std::int32_t height = rendered->image.height();
    res.set_header("X-Width", std::to_string(width));
    res.set_header("X-Height", std::to_string(height));
    res.set_header("X-Render-Ms", std::to_string(rendered->milliseconds));
    const auto encoded = [&] {
      return std::to_string(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
              .count());
    };
    if (png) {
      std::string bytes = EncodePng(rendered->image);
      res.set_header("X-Encode-Ms", encoded());
      SendBytes(res, std::move(bytes), "image/png");
      return;
    }
    std::string pixels = base ? sent_.spare(base->page) : std::string();
    DisplayPixels(rendered->image, pixels);
    if (!base) {
      res.set_header("X-Encode-Ms", encoded());
      SendBytes(res, std::move(pixels), "application/octet-stream");
      return;
    }
    SentFrames::Reply reply = sent_.send(*base, width, height, std::move(pixels));
    res.set_header("X-Encode-Ms", encoded());
    res.set_header("X-Frame", std::to_string(reply.frame));
    if (reply.full) {
      res.set_header("X-Frame-Kind", "full");
      // Sent from the frame kept for the next patch, not from a copy of it.
      const std::shared_ptr<const std::string> full = std::move(reply.full);
      res.set_content_provider(
          full->size(), "application/octet-stream",
          [full](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            return sink.write(full->data() + offset, length);
          });
    } else {
      res.set_header("X-Frame-Kind", "patch");
      res.set_header("X-Base-Frame", std::to_string(reply.base));
      SendBytes(res, std::move(reply.patch), "application/octet-stream");
    }
  }

  template <class F>
  void post(const char* route, F f) {
    server_.Post(route, [f](const httplib::Request& req, httplib::Response& res) {
      Answer(res, [&] {
        const std::string type = req.get_header_value("Content-Type");
        if (type.rfind("application/json", 0) != 0) {
          SendError(res, 415, "expected Content-Type application/json");
          return;
        }
        f(ParseBody(req.body), res);
      });
    });
  }

  // Only this server's own address, and no other site's page: a page elsewhere that
  // reaches loopback through a name of its own (DNS rebinding) or posts to it is refused.
  bool admit(const httplib::Request& req, httplib::Response& res) const {
    const std::string port = std::to_string(port_);
    const std::set<std::string> hosts = {std::string(kLoopback) + ":" + port, "localhost:" + port};
    const std::string host = req.get_header_value("Host");
    if (hosts.count(host) == 0) {
      SendError(res, 403, "wrong Host: the preview answers only at 127.0.0.1:" + port);
      return false;
    }
    if (req.has_header("Origin") && req.get_header_value("Origin") != "http://" + host) {
      SendError(res, 403, "requests from other sites are refused");
      return false;
    }
    if (req.method != "GET" && req.method != "POST") {
      SendError(res, 405, "only GET and POST");
      return false;
    }
    return true;
  }

  nlohmann::json session() {
    const Image& input = worker_.input();
    const char* depth = input.format() == PixelFormat::k8    ? "8"
                        : input.format() == PixelFormat::k16 ? "16"
                                                             : "32";
    return {{"input",
             {{"name", std::filesystem::path(context_.input).filename().string()},
              {"width", input.width()},
              {"height", input.height()},
              {"depth", depth}}},
            {"params", initialParams_},
            {"state", StateJson(initial_)},
            {"fps", fps_},
            {"page", sent_.newPage()},
            {"maxBody", kMaxBody}};
  }

  // Each finding of the host's books once, as the render command tells them.
  void warn(const std::vector<std::string>& warnings) {
    const std::lock_guard lock(warnMutex_);
    for (const std::string& w : warnings) {
      if (warned_.insert(w).second)
        std::fprintf(stderr, "boxwander: warning: host: %s\n", w.c_str());
    }
  }

  CommandContext context_;
  PreviewState initial_;
  ModuleWorker worker_;
  std::int32_t fps_;
  nlohmann::json initialParams_;
  httplib::Server server_;
  int port_ = 0;
  std::mutex inputMutex_;
  std::string inputPng_;
  SentFrames sent_;
  std::mutex warnMutex_;
  std::set<std::string> warned_;
};

}  // namespace

int RunPreview(const PreviewArguments& a) {
  // Before any thread starts, so that every thread inherits the mask.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  return RunReportingErrors([&] {
    std::optional<PixelFormat> depth;
    if (!a.depth.empty())
      depth = ParseDepth(a.depth);
    Image input = ReadImage(a.input, depth);
    PreviewState initial = InitialState(a, input);
    PreviewServer server(a, std::move(input), std::move(initial));
    const int port = server.bindTo(a.port);
    SignalWatch watch(signals);
    watch.start(server.server());
    std::printf("Preview of %s at http://%s:%d/ (Ctrl-C stops it)\n", a.input.c_str(), kLoopback,
                port);
    std::fflush(stdout);
    server.listen();
    return 0;
  });
}

}  // namespace boxwander::cli::preview
