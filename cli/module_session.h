#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli/controls/controls.h"
#include "cli/io/image.h"
#include "cli/paths/animated_mask.h"
#include "cli/shapes/mask_shape.h"
#include "geometry/mask_path.h"
#include "minihost/host.h"
#include "render/render_core.h"

namespace boxwander::cli {

// Where the module is: `explicitPath` when given, else libboxwander.so beside the running
// executable.
std::string FindModule(const std::string& explicitPath);

// Loads a module and checks its property list, as the host does before anything else:
// an effect ("eFKT") with a code entry. Throws CliError with the loader's one-line reason.
std::unique_ptr<minihost::Host> OpenModule(const std::string& modulePath);

// One applied instance of the effect in our host, driven as the compositing host drives
// it: setup, then per frame smart pre-render and smart render, sequence setdown at the end.
// The controls are bound to the parameters the module declares, found by their names; the
// mask is path 1, chosen by the Path parameter, served at each render's time and
// downsampling with its vertices and handles scaled, as the compositing host does. Every failure
// throws CliError.
class ModuleSession {
 public:
  using ProgressHook = std::function<void(std::int32_t count, std::int32_t total)>;

  ModuleSession(const std::string& modulePath, const AnimatedControls& controls,
                const shapes::MaskShape& mask, std::uint32_t fps);
  // The mask of each frame as `mask` says.
  ModuleSession(const std::string& modulePath, const AnimatedControls& controls, AnimatedMask mask,
                std::uint32_t fps);
  ~ModuleSession();
  ModuleSession(const ModuleSession&) = delete;
  ModuleSession& operator=(const ModuleSession&) = delete;

  // Renders one frame of `input` (already at the render's downsampling 1/downsample);
  // `progress` sees every progress call of the module as it is made. Findings of the
  // host's books on the module's conduct are added to `warnings`.
  Image render(const Image& input, std::int32_t frame, std::int32_t downsample,
               std::vector<std::string>& warnings, const ProgressHook& progress = {});

  // The chain the module places for the frame, computed by the same core from the control
  // values the host hands out at that time and the path as the host serves it.
  Chain chain(std::int32_t frame, std::int32_t width, std::int32_t height, std::int32_t downsample);

 private:
  minihost::HostTime timeOf(std::int32_t frame) const noexcept;

  std::unique_ptr<minihost::Host> host_;
  AnimatedMask mask_;
  std::uint32_t fps_;
  std::vector<PF_ParamIndex> index_;  // the parameter of each control, in declared order
};

}  // namespace boxwander::cli
