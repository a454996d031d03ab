#include "cli/module_session.h"

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <variant>

#include "cli/common/cli_error.h"
#include "cli/shapes/degenerate_shape.h"
#include "cli/shapes/shape_path.h"
#include "common/truncate.h"
#include "minihost/load_error.h"

namespace boxwander::cli {
namespace {

using minihost::HostTime;
using minihost::ParamValue;
using minihost::World;

constexpr PF_PathID kMaskId = 1;

// The module's controls in their declared order, with the type each must have.
struct ControlSlot {
  const char* name;
  PF_ParamType type;
};
constexpr ControlSlot kSlots[] = {
    {"Path", PF_Param_PATH},
    {"Mode", PF_Param_POPUP},
    {kTime.name, PF_Param_FIX_SLIDER},
    {kMaxWidth.name, PF_Param_SLIDER},
    {kMinWidth.name, PF_Param_FIX_SLIDER},
    {kWidthHeight.name, PF_Param_FLOAT_SLIDER},
    {kWidthHeightVariance.name, PF_Param_FIX_SLIDER},
    {kEdgeThickness.name, PF_Param_SLIDER},
    {"Edge Mode", PF_Param_POPUP},
    {kEdgeBrightness.name, PF_Param_FLOAT_SLIDER},
    {"Edge Color", PF_Param_COLOR},
    {"Invert", PF_Param_CHECKBOX},
    {kSeed.name, PF_Param_SLIDER},
    {"On Original", PF_Param_CHECKBOX},
};
constexpr int kSlotCount = static_cast<int>(std::size(kSlots));

// The value of slot `slot` as the host stores it.
ParamValue ValueOf(const ControlValues& v, int slot) {
  switch (slot) {
    case 0:
      return kMaskId;
    case 1:
      return v.mode;
    case 2:
      return v.time_fixed;
    case 3:
      return v.max_width;
    case 4:
      return v.min_width_fixed;
    case 5:
      return v.wh;
    case 6:
      return v.wh_variance_fixed;
    case 7:
      return v.edge_thickness;
    case 8:
      return v.edge_mode;
    case 9:
      return v.edge_brightness;
    case 10:
      return PF_Pixel{v.edge_color.alpha, v.edge_color.red, v.edge_color.green, v.edge_color.blue};
    case 11:
      return v.invert;
    case 12:
      return v.seed;
    default:
      return v.on_original;
  }
}

// The inverse of ValueOf: the record filled from what the host hands out.
void Store(ControlValues& v, int slot, const ParamValue& value) {
  const auto i = [&value] { return std::get<std::int32_t>(value); };
  switch (slot) {
    case 0:
      v.path_id = i();
      break;
    case 1:
      v.mode = i();
      break;
    case 2:
      v.time_fixed = i();
      break;
    case 3:
      v.max_width = i();
      break;
    case 4:
      v.min_width_fixed = i();
      break;
    case 5:
      v.wh = std::get<double>(value);
      break;
    case 6:
      v.wh_variance_fixed = i();
      break;
    case 7:
      v.edge_thickness = i();
      break;
    case 8:
      v.edge_mode = i();
      break;
    case 9:
      v.edge_brightness = std::get<double>(value);
      break;
    case 10: {
      const PF_Pixel p = std::get<PF_Pixel>(value);
      v.edge_color = {p.alpha, p.red, p.green, p.blue};
      break;
    }
    case 11:
      v.invert = i();
      break;
    case 12:
      v.seed = i();
      break;
    default:
      v.on_original = i();
      break;
  }
}

template <class P>
void CopyIn(const Image& image, World& world) {
  for (std::int32_t y = 0; y < image.height(); ++y) {
    std::memcpy(world.row<P>(y), image.pixels<P>() + std::int64_t{y} * image.width(),
                sizeof(P) * static_cast<std::size_t>(image.width()));
  }
}

template <class P>
void CopyOut(const World& world, Image& image) {
  for (std::int32_t y = 0; y < image.height(); ++y) {
    std::memcpy(image.pixels<P>() + std::int64_t{y} * image.width(), world.row<P>(y),
                sizeof(P) * static_cast<std::size_t>(image.width()));
  }
}

template <class F>
void ForFormat(PixelFormat format, F f) {
  switch (format) {
    case PixelFormat::k8:
      f(Pixel8{});
      break;
    case PixelFormat::k16:
      f(Pixel16{});
      break;
    case PixelFormat::kFloat:
      f(PixelFloat{});
      break;
  }
}

std::string Hex(std::uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", v);
  return text;
}

// The mask at a render's downsampling: straight pieces stay the core's straight segments
// on the scaled vertices, curves are the scaled cubics; a mask with nothing to walk along
// has no segment.
std::shared_ptr<MaskPath> MaskAt(const shapes::MaskShape& mask, double sx, double sy) {
  return std::make_shared<shapes::ShapePath>(shapes::ScaleShape(shapes::ServedShape(mask), sx, sy));
}

}  // namespace

std::string FindModule(const std::string& explicitPath) {
  if (!explicitPath.empty()) {
    return explicitPath;
  }
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) {
    throw CliError("cannot find the module beside the tool; give --module PATH");
  }
  return (self.parent_path() / "libboxwander.so").string();
}

std::unique_ptr<minihost::Host> OpenModule(const std::string& modulePath) {
  std::unique_ptr<minihost::Host> host;
  try {
    host = std::make_unique<minihost::Host>(modulePath);
  } catch (const minihost::LoadError& e) {
    throw CliError(e.what());
  }
  const auto kind = host->propertyList().word32(minihost::FourCC("kind"));
  if (kind != minihost::FourCC("eFKT")) {
    throw CliError(modulePath + ": the property list does not describe an effect (kind " +
                   (kind ? minihost::FourCCText(*kind) : std::string("missing")) + ")");
  }
  return host;
}

ModuleSession::ModuleSession(const std::string& modulePath, const AnimatedControls& controls,
                             const shapes::MaskShape& mask, std::uint32_t fps)
    : ModuleSession(modulePath, controls, AnimatedMask(shapes::MaskTrack(mask)), fps) {}

ModuleSession::ModuleSession(const std::string& modulePath, const AnimatedControls& controls,
                             AnimatedMask mask, std::uint32_t fps)
    : host_(OpenModule(modulePath)), mask_(std::move(mask)), fps_(fps) {
  const minihost::PropertyList& list = host_->propertyList();
  const auto fail = [&modulePath](const std::string& what) {
    throw CliError(modulePath + ": " + what);
  };
  // The host stops at the first command that fails.
  const auto check = [&fail](const minihost::CommandResult& result, const char* what) {
    if (result.err != PF_Err_NONE) {
      fail(std::string(what) + " failed with code " + std::to_string(result.err) +
           (result.message.empty() ? "" : ": " + result.message));
    }
    return result;
  };
  // Global setup first: the flags it sets must be the ones the property list promised.
  const auto global = check(host_->globalSetup(), "global setup");
  const auto flags = list.word32(minihost::FourCC("eGLO"));
  const auto flags2 = list.word32(minihost::FourCC("eGL2"));
  if (!flags || !flags2) {
    fail("the property list holds no global flags (eGLO and eGL2)");
  }
  if (*flags != static_cast<std::uint32_t>(global.outFlags) ||
      *flags2 != static_cast<std::uint32_t>(global.outFlags2)) {
    fail("the property list's flags (" + Hex(*flags) + ", " + Hex(*flags2) +
         ") differ from global setup's (" + Hex(static_cast<std::uint32_t>(global.outFlags)) +
         ", " + Hex(static_cast<std::uint32_t>(global.outFlags2)) + ")");
  }
  if ((*flags2 & PF_OutFlag2_SUPPORTS_SMART_RENDER) == 0) {
    fail("the effect does not support smart render");
  }
  check(host_->paramsSetup(), "parameter setup");
  check(host_->sequenceSetup(), "sequence setup");
  check(host_->updateParamsUI(), "UI update");

  auto& params = host_->params();
  for (int slot = 0; slot < kSlotCount; ++slot) {
    PF_ParamIndex found = -1;
    for (PF_ParamIndex i = 1; i <= params.count(); ++i) {
      if (std::strncmp(params.def(i).name, kSlots[slot].name, sizeof params.def(i).name) == 0) {
        found = i;
        break;
      }
    }
    if (found < 0) {
      fail(std::string("the effect declares no parameter \"") + kSlots[slot].name + "\"");
    }
    if (params.def(found).param_type != kSlots[slot].type) {
      fail(std::string("parameter \"") + kSlots[slot].name + "\" has type " +
           std::to_string(params.def(found).param_type) + ", expected " +
           std::to_string(kSlots[slot].type));
    }
    index_[slot] = found;
    const std::uint32_t rate = fps_;
    params.set(found, minihost::ParamSource([controls, slot, rate](const HostTime& time) {
                 // The frame the time falls in, at the tool's frame rate.
                 const double frame = std::floor(time.seconds() * rate + 1e-9);
                 return ValueOf(controls.at(TruncateToInt32(frame)), slot);
               }));
  }
  host_->paths().setScaled(kMaskId,
                           [mask = mask_, rate = fps_](const HostTime& time, double sx, double sy) {
                             // The frame the time falls in, as for the controls.
                             const double frame = std::floor(time.seconds() * rate + 1e-9);
                             return MaskAt(mask.at(TruncateToInt32(frame)), sx, sy);
                           });
}

ModuleSession::~ModuleSession() {
  host_->shutdown();
}

HostTime ModuleSession::timeOf(std::int32_t frame) const noexcept {
  return HostTime::Frame(frame, fps_);
}

Image ModuleSession::render(const Image& input, std::int32_t frame, std::int32_t downsample,
                            std::vector<std::string>& warnings, const ProgressHook& progress) {
  World world(input.format(), input.width(), input.height());
  ForFormat(input.format(), [&](auto pixel) { CopyIn<decltype(pixel)>(input, world); });
  minihost::RenderOptions options;
  options.time = timeOf(frame);
  options.downsampleX = {1, static_cast<std::uint32_t>(downsample)};
  options.downsampleY = options.downsampleX;
  options.onProgress = progress;
  const minihost::Frame f = host_->render(world, options);
  for (const std::string& finding : f.audit.findings) {
    warnings.push_back(finding);
  }
  host_->ledger().clearMisbehaviour();
  if (f.err != PF_Err_NONE) {
    const auto& result = f.render ? *f.render : f.preRender;
    throw CliError("the effect failed with code " + std::to_string(f.err) +
                   (result.message.empty() ? "" : ": " + result.message));
  }
  Image output(input.format(), input.width(), input.height());
  ForFormat(input.format(), [&](auto pixel) { CopyOut<decltype(pixel)>(f.output, output); });
  return output;
}

Chain ModuleSession::chain(std::int32_t frame, std::int32_t width, std::int32_t height,
                           std::int32_t downsample) {
  ControlValues values;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    Store(values, slot, host_->params().valueAt(index_[slot], timeOf(frame)));
  }
  const PreRenderData settings =
      DerivePreRenderData(values, 1, static_cast<std::uint32_t>(downsample));
  // The factor the host hands its path source for this downsampling.
  const double scale = 1.0 / downsample;
  const std::shared_ptr<MaskPath> served = MaskAt(mask_.at(frame), scale, scale);
  return ComputeChain(settings, width, height, *served);
}

}  // namespace boxwander::cli
