#include "render/smart_render.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "host/global_data.h"
#include "host/handle_guards.h"
#include "host/handlers.h"
#include "host/return_message.h"
#include "host/suite_cache.h"
#include "render/host_mask_path.h"
#include "render/pre_render_data.h"
#include "render/render_core.h"

namespace boxwander {
namespace {

constexpr char kLoadFailed[] = "Couldn't load suite.";
constexpr char kReleaseFailed[] = "Couldn't release suite.";

// A suite held from acquireScopedSuite to releaseScopedSuite. Whatever is still held when
// the guard goes (a raised failure) is released then.
class ScopedSuite {
 public:
  ScopedSuite(const PF_InData* in_data, PF_OutData* out_data, const char* name,
              std::int32_t version) noexcept
      : in_data_(in_data), out_data_(out_data), name_(name), version_(version) {}
  ~ScopedSuite() { release(); }
  ScopedSuite(const ScopedSuite&) = delete;
  ScopedSuite& operator=(const ScopedSuite&) = delete;

  PF_Err acquire() {
    return acquireScopedSuite(in_data_, out_data_, name_, version_, kLoadFailed, &suite_);
  }
  // 0 when nothing is held.
  PF_Err release() noexcept {
    if (suite_ == nullptr) {
      return PF_Err_NONE;
    }
    suite_ = nullptr;
    return releaseScopedSuite(in_data_, out_data_, name_, version_, kReleaseFailed);
  }
  template <class Suite>
  const Suite& get() const noexcept {
    return *static_cast<const Suite*>(suite_);
  }

 private:
  const PF_InData* in_data_;
  PF_OutData* out_data_;
  const char* name_;
  std::int32_t version_;
  const void* suite_ = nullptr;
};

// The mask path checked out at the frame's time, checked back in unchanged when done.
class CheckedOutPath {
 public:
  CheckedOutPath(PF_ProgPtr effect_ref, PF_PathID id) noexcept : effect_ref_(effect_ref), id_(id) {}
  ~CheckedOutPath() { checkin(); }
  CheckedOutPath(const CheckedOutPath&) = delete;
  CheckedOutPath& operator=(const CheckedOutPath&) = delete;

  PF_Err checkout(const PF_PathQuerySuite1& suite, const PF_InData& in_data) {
    suite_ = &suite;
    return suite.PF_CheckoutPath(effect_ref_, id_, in_data.current_time, in_data.time_step,
                                 in_data.time_scale, &path_);
  }
  void checkin() noexcept {
    if (path_ != nullptr) {
      suite_->PF_CheckinPath(effect_ref_, id_, 0, path_);
      path_ = nullptr;
    }
  }
  PF_PathOutlinePtr get() const noexcept { return path_; }

 private:
  PF_ProgPtr effect_ref_;
  PF_PathID id_;
  const PF_PathQuerySuite1* suite_ = nullptr;
  PF_PathOutlinePtr path_ = nullptr;
};

// Releases both scoped suites, mask first; a failed release becomes the error only when
// none is pending.
PF_Err ReleaseSuites(ScopedSuite& mask, ScopedSuite& world, PF_Err err) noexcept {
  const PF_Err mask_err = mask.release();
  if (err == PF_Err_NONE) {
    err = mask_err;
  }
  const PF_Err world_err = world.release();
  if (err == PF_Err_NONE) {
    err = world_err;
  }
  return err;
}

struct Worlds {
  PF_EffectWorld* input;
  PF_EffectWorld* output;
  PixelFormat format;
};

// Checks out both worlds and asks the world suite for the input's format, each step only
// while err is 0. None when any step failed or the format is not one of the three.
std::optional<Worlds> CheckoutWorlds(const PF_SmartRenderCallbacks& cb, PF_ProgPtr ref,
                                     ScopedSuite& world, PF_Err& err) {
  PF_EffectWorld* input = nullptr;
  PF_EffectWorld* output = nullptr;
  err = cb.checkout_layer_pixels(ref, 0, &input);
  if (err == PF_Err_NONE) {
    err = cb.checkout_output(ref, &output);
  }
  if (err == PF_Err_NONE) {
    err = world.acquire();
  }
  PF_PixelFormat code = PF_PixelFormat_INVALID;
  if (err == PF_Err_NONE && input != nullptr) {
    err = world.get<PF_WorldSuite2>().PF_GetPixelFormat(input, &code);
  }
  const std::optional<PixelFormat> format = PixelFormatOf(code);
  if (!format || input == nullptr || output == nullptr) {
    return std::nullopt;
  }
  return Worlds{input, output, *format};
}

// The world as the core's image view. None when its rows are not whole pixels long: pixels
// are addressed by a stride in pixels, and a byte remainder would shift every row after
// the first.
std::optional<ImageView> ViewOf(const PF_EffectWorld& world, PixelFormat format) {
  const std::int32_t bpp = BytesPerPixel(format);
  if (world.rowbytes % bpp != 0) {
    return std::nullopt;
  }
  return ImageView{world.data, world.width, world.height, world.rowbytes / bpp};
}

// Points the frame at the worlds by the core's buffer rules. False when a world's rows are
// not whole pixels or the worlds do not fit together.
bool AttachWorlds(RenderFrame& frame, const Worlds& w) {
  const std::optional<ImageView> input = ViewOf(*w.input, w.format);
  const std::optional<ImageView> output = ViewOf(*w.output, w.format);
  if (!input || !output || !BuffersFit(*input, *output)) {
    return false;
  }
  AttachBuffers(frame, w.format, *input, *output);
  return true;
}

// The output's starting content: a copy of the input (whose failure ends the render) or
// transparent black.
PF_Err StartOutput(const PF_UtilCallbacks& utils, PF_ProgPtr ref, const PreRenderData& s,
                   const Worlds& w) {
  if (s.on_original != 0) {
    return utils.copy(ref, w.input, w.output, nullptr, nullptr);
  }
  const PF_Pixel transparent_black{0, 0, 0, 0};
  utils.fill(ref, &transparent_black, nullptr, w.output);  // its result is not needed
  return PF_Err_NONE;
}

}  // namespace

std::optional<PixelFormat> PixelFormatOf(PF_PixelFormat code) noexcept {
  switch (code) {
    case PF_PixelFormat_ARGB32:
      return PixelFormat::k8;
    case PF_PixelFormat_ARGB64:
      return PixelFormat::k16;
    case PF_PixelFormat_ARGB128:
      return PixelFormat::kFloat;
    default:
      return std::nullopt;
  }
}

PF_Err SmartRender(PF_InData* in_data, PF_OutData* out_data, PF_SmartRenderExtra* extra) {
  SuiteCache suites(in_data);
  const PF_UtilCallbacks* utils = in_data->utils;
  if (extra == nullptr || extra->input == nullptr || extra->cb == nullptr ||
      extra->cb->checkout_layer_pixels == nullptr || extra->cb->checkout_output == nullptr ||
      utils == nullptr || utils->copy == nullptr || utils->fill == nullptr ||
      utils->host_new_handle == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  const PF_ProgPtr ref = in_data->effect_ref;

  const PF_HandleSuite1& handles = suites.handleSuite();
  HandleLock record_lock(handles, static_cast<PF_Handle>(extra->input->pre_render_data));
  const auto* settings = static_cast<const PreRenderData*>(record_lock.data());
  if (settings == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }

  // The input and output and their depth; any failure on the way is answered with 516.
  PF_Err err = PF_Err_NONE;
  ScopedSuite world(in_data, out_data, kPFWorldSuite, kPFWorldSuiteVersion2);
  const std::optional<Worlds> worlds = CheckoutWorlds(*extra->cb, ref, world, err);
  if (!worlds) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  RenderFrame frame;
  frame.settings = settings;
  if (!AttachWorlds(frame, *worlds)) {
    return kErrMismatchedBuffers;
  }
  if (const PF_Err started = StartOutput(*utils, ref, *settings, *worlds)) {
    return started;
  }

  ScopedSuite mask(in_data, out_data, kAEGPMaskSuite, kAEGPMaskSuiteVersion1);
  if (err == PF_Err_NONE) {
    err = mask.acquire();
  }
  if (NothingToDraw(*settings)) {
    return ReleaseSuites(mask, world, err);
  }

  CheckedOutPath path(ref, settings->path_id);
  if (err == PF_Err_NONE) {
    err = path.checkout(suites.pathQuerySuite(), *in_data);
    if (err == PF_Err_NONE && path.get() == nullptr) {
      return ReleaseSuites(mask, world, err);  // the mask is gone: nothing to draw
    }
  }

  // The walk's working memory, the CoverageMap, lives in host handle memory; the walk
  // starts it afresh, so the block needs no clearing here.
  OwnedHandle coverage(utils->host_new_handle(sizeof(CoverageMap)), utils->host_dispose_handle);
  void* const block = BlockOf<void>(coverage.get());
  if (block == nullptr) {
    CopyReturnMessage(utils->ansi.strcpy, *out_data, "Memory Error!");
    out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
    ReleaseSuites(mask, world, PF_Err_NONE);
    path.checkin();
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
  frame.coverage = new (block) CoverageMap;
  PrepareFrame(frame, HostMath{utils->ansi.pow, utils->ansi.hypot});

  {
    HostMaskPath mask_path(suites, ref, path.get());
    err = RunPathWalk(frame, mask_path, err);
  }
  path.checkin();

  if (err == PF_Err_NONE) {
    ProgressFn progress;
    if (in_data->inter.progress != nullptr) {
      progress = [in_data](std::int32_t done, std::int32_t total) {
        return in_data->inter.progress(in_data->effect_ref, done, total);
      };
    }
    err = RevealWalk(frame, progress);
  }

  frame.rects.clear();
  err = ReleaseSuites(mask, world, err);
  coverage.reset();
  return err;
}

}  // namespace boxwander
