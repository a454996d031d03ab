#include "cli/module_session.h"

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <type_traits>
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

// Where a control's value stands in the record.
using Field =
    std::variant<std::int32_t ControlValues::*, double ControlValues::*, Pixel8 ControlValues::*>;

// The module's controls in their declared order: the parameter each binds to, by name, the
// type it must have, and the field of the record that holds its value.
struct ControlSlot {
  const char* name;
  PF_ParamType type;
  Field field;
};
constexpr ControlSlot kSlots[] = {
    {"Path", PF_Param_PATH, &ControlValues::path_id},
    {"Mode", PF_Param_POPUP, &ControlValues::mode},
    {kTime.name, PF_Param_FIX_SLIDER, &ControlValues::time_fixed},
    {kMaxWidth.name, PF_Param_SLIDER, &ControlValues::max_width},
    {kMinWidth.name, PF_Param_FIX_SLIDER, &ControlValues::min_width_fixed},
    {kWidthHeight.name, PF_Param_FLOAT_SLIDER, &ControlValues::wh},
    {kWidthHeightVariance.name, PF_Param_FIX_SLIDER, &ControlValues::wh_variance_fixed},
    {kEdgeThickness.name, PF_Param_SLIDER, &ControlValues::edge_thickness},
    {"Edge Mode", PF_Param_POPUP, &ControlValues::edge_mode},
    {kEdgeBrightness.name, PF_Param_FLOAT_SLIDER, &ControlValues::edge_brightness},
    {"Edge Color", PF_Param_COLOR, &ControlValues::edge_color},
    {"Invert", PF_Param_CHECKBOX, &ControlValues::invert},
    {kSeed.name, PF_Param_SLIDER, &ControlValues::seed},
    {"On Original", PF_Param_CHECKBOX, &ControlValues::on_original},
};

// The value of a slot's field as the host stores it.
ParamValue ValueOf(const ControlValues& v, const ControlSlot& slot) {
  return std::visit(
      [&v](auto field) -> ParamValue {
        const auto& value = v.*field;
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, Pixel8>) {
          return PF_Pixel{value.alpha, value.red, value.green, value.blue};
        } else {
          return value;
        }
      },
      slot.field);
}

// The inverse of ValueOf: the field filled from what the host hands out.
void Store(ControlValues& v, const ControlSlot& slot, const ParamValue& value) {
  std::visit(
      [&v, &value](auto field) {
        auto& target = v.*field;
        if constexpr (std::is_same_v<std::decay_t<decltype(target)>, Pixel8>) {
          const PF_Pixel p = std::get<PF_Pixel>(value);
          target = {p.alpha, p.red, p.green, p.blue};
        } else {
          target = std::get<std::decay_t<decltype(target)>>(value);
        }
      },
      slot.field);
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

  // What the module declared is where every control not given stays.
  auto& params = host_->params();
  const HostTime start = timeOf(0);
  ControlValues declared;
  for (const ControlSlot& slot : kSlots) {
    PF_ParamIndex found = -1;
    for (PF_ParamIndex i = 1; i <= params.count(); ++i) {
      if (std::strncmp(params.def(i).name, slot.name, sizeof params.def(i).name) == 0) {
        found = i;
        break;
      }
    }
    if (found < 0) {
      fail(std::string("the effect declares no parameter \"") + slot.name + "\"");
    }
    if (params.def(found).param_type != slot.type) {
      fail(std::string("parameter \"") + slot.name + "\" has type " +
           std::to_string(params.def(found).param_type) + ", expected " +
           std::to_string(slot.type));
    }
    index_.push_back(found);
    Store(declared, slot, params.valueAt(found, start));
  }
  declared.path_id = kMaskId;
  for (std::size_t i = 0; i < std::size(kSlots); ++i) {
    const std::uint32_t rate = fps_;
    params.set(index_[i], minihost::ParamSource(
                              [controls, declared, &slot = kSlots[i], rate](const HostTime& time) {
                                // The frame the time falls in, at the tool's frame rate.
                                const double frame = std::floor(time.seconds() * rate + 1e-9);
                                return ValueOf(controls.at(TruncateToInt32(frame), declared), slot);
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
  VisitFormat(input.format(), [&]<class P>(PixelTag<P>) { CopyIn<P>(input, world); });
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
  VisitFormat(input.format(), [&]<class P>(PixelTag<P>) { CopyOut<P>(f.output, output); });
  return output;
}

Chain ModuleSession::chain(std::int32_t frame, std::int32_t width, std::int32_t height,
                           std::int32_t downsample) {
  ControlValues values;
  for (std::size_t i = 0; i < std::size(kSlots); ++i) {
    Store(values, kSlots[i], host_->params().valueAt(index_[i], timeOf(frame)));
  }
  const PreRenderData settings =
      DerivePreRenderData(values, 1, static_cast<std::uint32_t>(downsample));
  // The factor the host hands its path source for this downsampling.
  const double scale = 1.0 / downsample;
  const std::shared_ptr<MaskPath> served = MaskAt(mask_.at(frame), scale, scale);
  return ComputeChain(settings, width, height, *served);
}

}  // namespace boxwander::cli
