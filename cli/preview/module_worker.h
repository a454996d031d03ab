#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/io/image.h"
#include "cli/preview/preview_state.h"
#include "minihost/host.h"
#include "render/render_core.h"

namespace boxwander::cli::preview {

// The one thread that calls into the module: the effect does not declare itself
// thread-safe. Every render is the render command's: a module session with the state's
// controls and mask renders frame 0 of the input at the state's downsampling. A render
// request that is still waiting when a newer one comes is skipped, so the page never
// waits for a picture it no longer wants. Calls block until their answer; failures throw
// CliError.
class ModuleWorker {
 public:
  struct Rendered {
    Image image;
    std::vector<std::string> warnings;  // the host's findings on the module's conduct
    double milliseconds = 0.0;
  };

  // Loads the module for the parameter description (setup and UI update, as the host).
  ModuleWorker(std::string modulePath, Image input, std::uint32_t fps);
  ~ModuleWorker();
  ModuleWorker(const ModuleWorker&) = delete;
  ModuleWorker& operator=(const ModuleWorker&) = delete;

  // Empty when a newer render request superseded this one before it started.
  std::optional<Rendered> render(const PreviewState& state);
  // The chain the module places for the state, in render pixels.
  Chain chain(const PreviewState& state);
  // The parameters the module declares, as the host holds them after a UI update with the
  // controls' values: see DescribeParams.
  nlohmann::json describe(const AnimatedControls& controls);

  const Image& input() const noexcept { return input_; }
  // Every control at the value the module declares for it.
  const AnimatedControls& declared() const noexcept { return declared_; }

 private:
  struct RenderJob;
  void run();
  // Lets the module thread finish and waits for it.
  void stop();
  template <class F>
  auto call(F f) -> decltype(f());
  const Image& inputAt(std::int32_t downsample);

  std::string modulePath_;
  Image input_;
  std::uint32_t fps_;
  AnimatedControls declared_;
  std::map<std::int32_t, Image> downsampled_;  // module thread only
  std::unique_ptr<minihost::Host> host_;       // module thread only

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> tasks_;
  std::shared_ptr<RenderJob> pending_;
  bool stopping_ = false;
  std::thread thread_;
};

// The parameter list as the page builds its panel from it: per parameter its index, name,
// type ("path", "popup", "slider", "fixed", "float", "checkbox", "color"), whether the UI
// shows it enabled, ranges, default, precision, percent display, popup choices, and the
// tool's option with its words.
nlohmann::json DescribeParams(const minihost::ParamStore& params);

// Every control the tool binds at the value the host holds for its parameter after setup
// (the module's declared value, where a render leaves a control not given), in the tool's
// units.
// Throws CliError when a parameter is missing or not of the type the tool expects.
AnimatedControls DeclaredControls(const minihost::ParamStore& params);

}  // namespace boxwander::cli::preview
