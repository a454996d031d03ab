#include "minihost/host.h"

#include <cmath>
#include <cstring>

#include "common/truncate.h"
#include "minihost/callbacks.h"
#include "minihost/host_frame.h"

namespace boxwander::minihost {
namespace {

PF_EffectWorld EffectWorldOf(World& w, bool writable) {
  PF_EffectWorld e{};
  e.world_flags = (w.format() == PixelFormat::k16 ? PF_WorldFlag_DEEP : 0) |
                  (writable ? PF_WorldFlag_WRITEABLE : 0);
  e.data = w.data();
  e.rowbytes = w.rowBytes();
  e.width = w.width();
  e.height = w.height();
  e.extent_hint = {0, 0, w.width(), w.height()};
  e.pix_aspect_ratio = {1, 1};
  return e;
}

// Bits per channel: a pixel is four channels.
std::int16_t BitDepthOf(PixelFormat f) {
  return static_cast<std::int16_t>(BytesPerPixel(f) / 4 * 8);
}

// Marks the command under way for the callbacks, and clears it however the call ends.
class ActiveCommand {
 public:
  ActiveCommand(PF_Cmd& active, PF_OutData*& out, PF_Cmd cmd, PF_OutData* data)
      : active_(active), out_(out) {
    active_ = cmd;
    out_ = data;
  }
  ~ActiveCommand() {
    active_ = -1;
    out_ = nullptr;
  }
  ActiveCommand(const ActiveCommand&) = delete;
  ActiveCommand& operator=(const ActiveCommand&) = delete;

 private:
  PF_Cmd& active_;
  PF_OutData*& out_;
};

}  // namespace

double ScaleOf(const PF_RationalScale& s) noexcept {
  const double scale = s.den == 0 ? 0.0 : static_cast<double>(s.num) / static_cast<double>(s.den);
  return scale > 0.0 && std::isfinite(scale) ? scale : 1.0;
}

Host::Host(const std::string& modulePath)
    : module_(std::make_unique<ModuleFile>(modulePath)),
      entry_(reinterpret_cast<PF_EntryPointFunc>(module_->entry())) {}

Host::~Host() {
  try {
    shutdown();
  } catch (...) {
    // A destructor cannot report; shutdown() called directly would have.
  }
}

PF_InData Host::makeInData() {
  utils_ = Callbacks::Utils();
  PF_InData in{};
  in.inter = Callbacks::Interact();
  in.utils = &utils_;
  in.effect_ref = reinterpret_cast<PF_ProgPtr>(this);
  in.num_params = params_.count() + 1;
  const HostTime t = frame_ != nullptr ? frame_->time : time_;
  in.current_time = t.value;
  in.time_step = t.step;
  in.time_scale = t.scale;
  in.total_time = TruncateToInt32(static_cast<double>(t.scale) * 10.0);
  in.downsample_x = {1, 1};
  in.downsample_y = {1, 1};
  if (frame_ != nullptr) {
    in.downsample_x = frame_->downsampleX;
    in.downsample_y = frame_->downsampleY;
    // The layer at full resolution.
    in.width = TruncateToInt32(frame_->input.width() / ScaleOf(frame_->downsampleX) + 0.5);
    in.height = TruncateToInt32(frame_->input.height() / ScaleOf(frame_->downsampleY) + 0.5);
  }
  in.global_data = globalData_;
  in.sequence_data = sequenceData_;
  in.pica_basicP = basicSuite_ ? Callbacks::BasicSuite() : nullptr;
  return in;
}

std::vector<PF_ParamDef> Host::paramArray() const {
  std::vector<PF_ParamDef> defs;
  if (params_.count() == 0) {
    return defs;
  }
  const HostTime t = frame_ != nullptr ? frame_->time : time_;
  defs.resize(static_cast<std::size_t>(params_.count()) + 1);
  defs[0].param_type = PF_Param_LAYER;
  if (frame_ != nullptr) {
    defs[0].u.ld = frame_->inputWorld;
  }
  for (PF_ParamIndex i = 1; i <= params_.count(); ++i) {
    PF_ParamDef& d = defs[static_cast<std::size_t>(i)];
    d = params_.def(i);
    // Reuse checkout's filling without counting a checkout.
    const ParamValue v = params_.valueAt(i, t);
    switch (d.param_type) {
      case PF_Param_SLIDER:
        d.u.sd.value = std::get<std::int32_t>(v);
        break;
      case PF_Param_FIX_SLIDER:
        d.u.fd.value = std::get<std::int32_t>(v);
        break;
      case PF_Param_FLOAT_SLIDER:
        d.u.fs_d.value = std::get<double>(v);
        break;
      case PF_Param_POPUP:
        d.u.pd.value = std::get<std::int32_t>(v);
        break;
      case PF_Param_CHECKBOX:
        d.u.bd.value = std::get<std::int32_t>(v);
        break;
      case PF_Param_COLOR:
        d.u.cd.value = std::get<PF_Pixel>(v);
        break;
      case PF_Param_PATH:
        d.u.path_d.path_id = std::get<std::int32_t>(v);
        break;
      default:
        break;
    }
  }
  return defs;
}

CommandResult Host::run(PF_Cmd cmd, void* extra) {
  if (shutDown_) {
    throw std::logic_error("command " + std::to_string(cmd) + " after shutdown");
  }
  PF_InData in = makeInData();
  PF_OutData out{};
  std::vector<PF_ParamDef> defs = paramArray();
  std::vector<PF_ParamDef*> pointers;
  for (PF_ParamDef& d : defs) {
    pointers.push_back(&d);
  }
  CommandResult result;
  result.cmd = cmd;
  {
    Callbacks::Scope scope(*this);
    ActiveCommand active(activeCmd_, activeOut_, cmd, &out);
    try {
      result.err =
          entry_(cmd, &in, &out, pointers.empty() ? nullptr : pointers.data(), nullptr, extra);
    } catch (...) {
      ledger_.misbehaviour("an exception left " + module_->entryName() + " in command " +
                           std::to_string(cmd));
      result.err = PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
  }
  afterCommand(cmd, out, result);
  return result;
}

void Host::adoptSequenceData(PF_Handle handle, const char* when) {
  if (sequenceData_ != nullptr && sequenceData_ != handle) {
    // The effect should have disposed of the old block; if not, the audit shows it.
    handles_.unhold(sequenceData_);
  }
  if (handle != nullptr && !handles_.live(handle)) {
    ledger_.misbehaviour(std::string("sequence_data after ") + when +
                         " is not a live handle of this host");
    handle = nullptr;
  }
  sequenceData_ = handle;
  if (handle != nullptr) {
    handles_.hold(handle, "sequence data");
  }
}

void Host::afterCommand(PF_Cmd cmd, const PF_OutData& out, CommandResult& r) {
  const void* end = std::memchr(out.return_msg, '\0', sizeof out.return_msg);
  if (end == nullptr) {
    ledger_.misbehaviour("return_msg not terminated within its " +
                         std::to_string(sizeof out.return_msg) + " bytes");
  }
  r.message.assign(out.return_msg, end != nullptr
                                       ? static_cast<const char*>(end) - out.return_msg
                                       : static_cast<std::ptrdiff_t>(sizeof out.return_msg));
  r.outFlags = out.out_flags;
  r.outFlags2 = out.out_flags2;
  r.myVersion = out.my_version;
  r.numParams = out.num_params;
  r.globalData = out.global_data;
  r.sequenceData = out.sequence_data;

  switch (cmd) {
    case PF_Cmd_GLOBAL_SETUP:
      if (out.global_data != nullptr) {
        if (!handles_.live(out.global_data)) {
          ledger_.misbehaviour("global_data is not a live handle of this host");
        } else {
          if (globalData_ != nullptr && globalData_ != out.global_data) {
            handles_.unhold(globalData_);
          }
          globalData_ = out.global_data;
          handles_.hold(globalData_, "global data");
        }
      }
      if (r.err == PF_Err_NONE) {
        lifecycle_ = Lifecycle::kGlobalSetUp;
      }
      break;
    case PF_Cmd_PARAMS_SETUP:
      if (r.err == PF_Err_NONE) {
        if (out.num_params != params_.count() + 1) {
          ledger_.misbehaviour("num_params " + std::to_string(out.num_params) + " after adding " +
                               std::to_string(params_.count()) + " parameters");
        }
        lifecycle_ = Lifecycle::kParamsSetUp;
      }
      break;
    case PF_Cmd_SEQUENCE_SETUP:
    case PF_Cmd_SEQUENCE_RESETUP:
      adoptSequenceData(out.sequence_data, "sequence setup");
      if (r.err == PF_Err_NONE && sequenceData_ != nullptr) {
        lifecycle_ = Lifecycle::kSequenceSetUp;
      }
      break;
    case PF_Cmd_SEQUENCE_SETDOWN:
      adoptSequenceData(nullptr, "sequence setdown");
      if (lifecycle_ == Lifecycle::kSequenceSetUp) {
        lifecycle_ = Lifecycle::kParamsSetUp;
      }
      break;
    case PF_Cmd_USER_CHANGED_PARAM:
    case PF_Cmd_UPDATE_PARAMS_UI:
      if (out.sequence_data != nullptr) {
        adoptSequenceData(out.sequence_data, "a UI update");
      }
      break;
    default:
      break;
  }
}

CommandResult Host::about() {
  return run(PF_Cmd_ABOUT, nullptr);
}
CommandResult Host::globalSetup() {
  return run(PF_Cmd_GLOBAL_SETUP, nullptr);
}
CommandResult Host::paramsSetup() {
  params_.clear();
  return run(PF_Cmd_PARAMS_SETUP, nullptr);
}
CommandResult Host::sequenceSetup() {
  return run(PF_Cmd_SEQUENCE_SETUP, nullptr);
}
CommandResult Host::sequenceResetup() {
  return run(PF_Cmd_SEQUENCE_RESETUP, nullptr);
}
CommandResult Host::sequenceSetdown() {
  return run(PF_Cmd_SEQUENCE_SETDOWN, nullptr);
}
CommandResult Host::updateParamsUI() {
  return run(PF_Cmd_UPDATE_PARAMS_UI, nullptr);
}
CommandResult Host::userChangedParam() {
  return run(PF_Cmd_USER_CHANGED_PARAM, nullptr);
}
CommandResult Host::completelyGeneral(const char* text) {
  return run(PF_Cmd_COMPLETELY_GENERAL, const_cast<char*>(text));
}
CommandResult Host::globalSetdown() {
  return run(PF_Cmd_GLOBAL_SETDOWN, nullptr);
}
CommandResult Host::command(PF_Cmd cmd, void* extra) {
  return run(cmd, extra);
}

void Host::setup() {
  const auto check = [](const CommandResult& r, const char* what) {
    if (r.err != PF_Err_NONE) {
      throw CommandFailed(r, std::string(what) + " failed with code " + std::to_string(r.err) +
                                 (r.message.empty() ? "" : ": " + r.message));
    }
  };
  check(globalSetup(), "global setup");
  check(paramsSetup(), "parameter setup");
  check(sequenceSetup(), "sequence setup");
  check(updateParamsUI(), "UI update");
}

void Host::releasePreRenderData(void* data, PF_DeletePreRenderDataFunc release) {
  const auto handle = static_cast<PF_Handle>(data);
  const bool isHandle = handles_.live(handle);
  if (release == nullptr) {
    ledger_.misbehaviour("pre-render data handed over without a release routine");
  } else {
    PF_InData in = makeInData();
    Callbacks::Scope scope(*this);
    inRelease_ = true;
    try {
      release(data, &in);
    } catch (...) {
      ledger_.misbehaviour("an exception left the pre-render data's release routine");
    }
    inRelease_ = false;
  }
  if (isHandle && handles_.live(handle)) {
    handles_.unhold(handle);  // not freed by its release routine: the audit shows it
  }
}

Frame Host::render(const World& input, const RenderOptions& options) {
  if (options.output && options.output->format() != input.format()) {
    throw std::invalid_argument("the output world must have the input's depth");
  }
  Frame f;
  f.output = options.output
                 ? *options.output
                 : World(input.format(), input.width(), input.height(), options.outputPadding);
  FrameContext ctx(input, f.output);
  ctx.inputWorld = EffectWorldOf(ctx.input, false);
  ctx.outputWorld = EffectWorldOf(f.output, true);
  ctx.reportedFormat = options.reportedFormat.value_or(FormatCodeOf(input.format()));
  ctx.time = options.time;
  ctx.downsampleX = options.downsampleX;
  ctx.downsampleY = options.downsampleY;
  ctx.onProgress = options.onProgress;
  struct FrameScope {
    FrameContext*& slot;
    ~FrameScope() { slot = nullptr; }
  } frameScope{frame_};
  frame_ = &ctx;

  PF_PreRenderInput preIn{};
  preIn.output_request.rect =
      options.request.value_or(PF_LRect{0, 0, input.width(), input.height()});
  preIn.output_request.channel_mask = 0xF;
  preIn.bitdepth = BitDepthOf(input.format());
  PF_PreRenderOutput preOut{};
  PF_PreRenderCallbacks preCallbacks = Callbacks::PreRender();
  PF_PreRenderExtra preExtra{&preIn, &preOut, &preCallbacks};
  f.preRender = run(PF_Cmd_SMART_PRE_RENDER, &preExtra);
  f.resultRect = preOut.result_rect;
  f.maxResultRect = preOut.max_result_rect;
  f.layerRequest = ctx.layerRequest;
  void* data = preOut.pre_render_data;
  if (data != nullptr && handles_.live(static_cast<PF_Handle>(data))) {
    handles_.hold(static_cast<PF_Handle>(data), "pre-render data");
  }

  if (f.preRender.err == PF_Err_NONE) {
    PF_SmartRenderInput renderIn{};
    renderIn.output_request = preIn.output_request;
    renderIn.bitdepth = preIn.bitdepth;
    renderIn.pre_render_data = data;
    PF_SmartRenderCallbacks renderCallbacks = Callbacks::SmartRender();
    PF_SmartRenderExtra renderExtra{&renderIn, &renderCallbacks};
    f.render = run(PF_Cmd_SMART_RENDER, &renderExtra);
  }
  if (data != nullptr) {
    releasePreRenderData(data, preOut.delete_pre_render_data_func);
    f.preRenderDataReleased = preOut.delete_pre_render_data_func != nullptr;
  }

  if (const auto diff = FirstDifference(ctx.input, input)) {
    ledger_.misbehaviour("the input layer was written: " + *diff);
  }
  if (const auto damage = ctx.input.damage()) {
    ledger_.misbehaviour("input world: " + *damage);
  }
  if (const auto damage = f.output.damage()) {
    ledger_.misbehaviour("output world: " + *damage);
  }
  f.progress = std::move(ctx.progress);
  f.err = f.preRender.err != PF_Err_NONE ? f.preRender.err : f.render->err;
  f.audit = audit();
  return f;
}

Audit Host::audit() const {
  Audit a;
  ledger_.auditInto(a);
  handles_.auditInto(a);
  if (params_.outstandingCheckouts() != 0) {
    a.findings.push_back(std::to_string(params_.outstandingCheckouts()) +
                         " parameter checkouts never checked in");
  }
  return a;
}

Audit Host::shutdown() {
  if (shutDown_) {
    return audit();
  }
  if (sequenceData_ != nullptr) {
    sequenceSetdown();
  }
  if (lifecycle_ != Lifecycle::kLoaded) {
    globalSetdown();
  }
  // The host owns the global block: it goes with the module.
  if (globalData_ != nullptr && handles_.live(globalData_)) {
    handles_.dispose(globalData_);
  }
  globalData_ = nullptr;
  shutDown_ = true;
  lifecycle_ = Lifecycle::kShutDown;
  return audit();
}

}  // namespace boxwander::minihost
