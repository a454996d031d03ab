#include "cli/preview/module_worker.h"

#include <chrono>
#include <cstring>
#include <future>
#include <stdexcept>
#include <variant>

#include "cli/common/cli_error.h"
#include "cli/io/downsample.h"
#include "cli/module_session.h"
#include "cli/preview/control_bindings.h"

namespace boxwander::cli::preview {

struct ModuleWorker::RenderJob {
  PreviewState state;
  std::promise<std::optional<Rendered>> answer;
};

namespace {

std::string NameOf(const PF_ParamDef& def) {
  return std::string(def.name, strnlen(def.name, sizeof def.name));
}

PF_ParamIndex IndexOf(const minihost::ParamStore& params, std::string_view name) {
  for (PF_ParamIndex i = 1; i <= params.count(); ++i) {
    if (NameOf(params.def(i)) == name)
      return i;
  }
  return -1;
}

std::vector<std::string> Split(std::string_view text) {
  std::vector<std::string> parts;
  while (true) {
    const auto bar = text.find('|');
    parts.emplace_back(text.substr(0, bar));
    if (bar == std::string_view::npos)
      return parts;
    text.remove_prefix(bar + 1);
  }
}

// Runs f, handing its result or its exception to the promise.
template <class T, class F>
void Fulfil(std::promise<T>& promise, F& f) {
  try {
    if constexpr (std::is_void_v<T>) {
      f();
      promise.set_value();
    } else {
      promise.set_value(f());
    }
  } catch (...) {
    promise.set_exception(std::current_exception());
  }
}

}  // namespace

nlohmann::json DescribeParams(const minihost::ParamStore& params) {
  nlohmann::json list = nlohmann::json::array();
  // The names the module declared, as the host holds them now (a UI update may rename).
  for (PF_ParamIndex i = 1; i <= params.count(); ++i) {
    const PF_ParamDef& d = params.def(i);
    nlohmann::json p = {
        {"index", i}, {"name", NameOf(d)}, {"enabled", (d.ui_flags & PF_PUI_DISABLED) == 0}};
    const auto range = [&p](double validMin, double validMax, double sliderMin, double sliderMax,
                            double dephault) {
      p["validMin"] = validMin;
      p["validMax"] = validMax;
      p["sliderMin"] = sliderMin;
      p["sliderMax"] = sliderMax;
      p["default"] = dephault;
    };
    switch (d.param_type) {
      case PF_Param_SLIDER:
        p["type"] = "slider";
        range(d.u.sd.valid_min, d.u.sd.valid_max, d.u.sd.slider_min, d.u.sd.slider_max,
              d.u.sd.dephault);
        p["precision"] = 0;
        p["percent"] = false;
        break;
      case PF_Param_FIX_SLIDER:
        p["type"] = "fixed";
        range(d.u.fd.valid_min / 65536.0, d.u.fd.valid_max / 65536.0, d.u.fd.slider_min / 65536.0,
              d.u.fd.slider_max / 65536.0, d.u.fd.dephault / 65536.0);
        p["precision"] = d.u.fd.precision;
        p["percent"] = (d.u.fd.display_flags & PF_ValueDisplayFlag_PERCENT) != 0;
        break;
      case PF_Param_FLOAT_SLIDER:
        p["type"] = "float";
        range(d.u.fs_d.valid_min, d.u.fs_d.valid_max, d.u.fs_d.slider_min, d.u.fs_d.slider_max,
              d.u.fs_d.dephault);
        p["precision"] = d.u.fs_d.precision;
        p["percent"] = (d.u.fs_d.display_flags & PF_ValueDisplayFlag_PERCENT) != 0;
        break;
      case PF_Param_POPUP:
        p["type"] = "popup";
        p["choices"] = Split(params.text(i));
        p["default"] = d.u.pd.dephault;
        break;
      case PF_Param_CHECKBOX:
        p["type"] = "checkbox";
        p["label"] = params.text(i);
        p["default"] = d.u.bd.dephault != 0;
        break;
      case PF_Param_COLOR: {
        const PF_Pixel c = d.u.cd.dephault;
        char text[16];
        std::snprintf(text, sizeof text, "#%02x%02x%02x%02x", c.alpha, c.red, c.green, c.blue);
        p["type"] = "color";
        p["default"] = text;
        break;
      }
      case PF_Param_PATH:
        p["type"] = "path";
        p["default"] = d.u.path_d.dephault;
        break;
      default:
        p["type"] = "other";
        break;
    }
    for (const ControlBinding& b : ControlBindings()) {
      if (NameOf(d) == b.param) {
        p["option"] = b.option;
        if (b.words != nullptr)
          p["words"] = Split(b.words);
      }
    }
    list.push_back(p);
  }
  return list;
}

AnimatedControls DeclaredControls(const minihost::ParamStore& params) {
  AnimatedControls c;
  for (const ControlBinding& b : ControlBindings()) {
    const PF_ParamIndex i = IndexOf(params, b.param);
    if (i < 0) {
      throw CliError(std::string("the effect declares no parameter \"") + b.param + "\"");
    }
    // The value the host holds after setup, as a render session finds it.
    const minihost::ParamValue value = params.valueAt(i, minihost::HostTime{});
    const auto expect = [&](PF_ParamType type) {
      if (params.def(i).param_type != type) {
        throw CliError(std::string("parameter \"") + b.param +
                       "\" is not of the type the tool binds");
      }
    };
    switch (b.kind) {
      case BindingKind::kNumeric:
        switch (b.numeric->kind) {
          case ControlKind::kInteger:
            expect(PF_Param_SLIDER);
            c.*b.track = Track(std::get<std::int32_t>(value));
            break;
          case ControlKind::kFixed:
            expect(PF_Param_FIX_SLIDER);
            c.*b.track = Track(std::get<std::int32_t>(value) / 65536.0);
            break;
          case ControlKind::kFloat:
            expect(PF_Param_FLOAT_SLIDER);
            c.*b.track = Track(std::get<double>(value));
            break;
        }
        break;
      case BindingKind::kMode:
        expect(PF_Param_POPUP);
        c.mode = std::get<std::int32_t>(value);
        break;
      case BindingKind::kEdgeMode:
        expect(PF_Param_POPUP);
        c.edgeMode = std::get<std::int32_t>(value);
        break;
      case BindingKind::kColor: {
        expect(PF_Param_COLOR);
        const PF_Pixel p = std::get<PF_Pixel>(value);
        c.edgeColor = Pixel8{p.alpha, p.red, p.green, p.blue};
        break;
      }
      case BindingKind::kInvert:
        expect(PF_Param_CHECKBOX);
        c.invert = std::get<std::int32_t>(value) != 0;
        break;
      case BindingKind::kOnOriginal:
        expect(PF_Param_CHECKBOX);
        c.onOriginal = std::get<std::int32_t>(value) != 0;
        break;
    }
  }
  return c;
}

ModuleWorker::ModuleWorker(std::string modulePath, Image input, std::uint32_t fps)
    : modulePath_(std::move(modulePath)), input_(std::move(input)), fps_(fps) {
  thread_ = std::thread([this] { run(); });
  try {
    call([this] {
      host_ = OpenModule(modulePath_);
      try {
        host_->setup();
      } catch (const minihost::CommandFailed& e) {
        throw CliError(modulePath_ + ": " + e.what());
      }
      try {
        declared_ = DeclaredControls(host_->params());
      } catch (const CliError& e) {
        throw CliError(modulePath_ + ": " + e.what());
      }
      return 0;
    });
  } catch (...) {
    stop();
    throw;
  }
}

ModuleWorker::~ModuleWorker() {
  try {
    call([this] {
      if (host_)
        host_->shutdown();
      host_.reset();
      return 0;
    });
  } catch (...) {
    // Shutting down: nothing left to tell.
  }
  stop();
}

void ModuleWorker::stop() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

template <class F>
auto ModuleWorker::call(F f) -> decltype(f()) {
  using T = decltype(f());
  auto promise = std::make_shared<std::promise<T>>();
  auto answer = promise->get_future();
  {
    const std::lock_guard lock(mutex_);
    if (stopping_) {
      throw CliError("the preview is stopping");
    }
    tasks_.push_back([promise, f]() mutable { Fulfil(*promise, f); });
  }
  wake_.notify_all();
  return answer.get();
}

void ModuleWorker::run() {
  while (true) {
    std::function<void()> task;
    std::shared_ptr<RenderJob> job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !tasks_.empty() || pending_; });
      if (!tasks_.empty()) {
        task = std::move(tasks_.front());
        tasks_.pop_front();
      } else if (pending_) {
        job = std::move(pending_);
      } else {
        return;  // stopping, nothing left
      }
    }
    if (task) {
      task();
      continue;
    }
    auto work = [this, &job]() -> std::optional<Rendered> {
      const auto start = std::chrono::steady_clock::now();
      const Image& in = inputAt(job->state.downsample);
      ModuleSession session(modulePath_, job->state.controls, job->state.mask, fps_);
      Rendered r;
      r.image = session.render(in, 0, job->state.downsample, r.warnings);
      r.milliseconds =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
              .count();
      return r;
    };
    Fulfil(job->answer, work);
  }
}

const Image& ModuleWorker::inputAt(std::int32_t downsample) {
  if (downsample == 1) {
    return input_;
  }
  auto found = downsampled_.find(downsample);
  if (found == downsampled_.end()) {
    found = downsampled_.emplace(downsample, Downsample(input_, downsample)).first;
  }
  return found->second;
}

std::optional<ModuleWorker::Rendered> ModuleWorker::render(const PreviewState& state) {
  auto job = std::make_shared<RenderJob>();
  job->state = state;
  auto answer = job->answer.get_future();
  {
    const std::lock_guard lock(mutex_);
    if (stopping_) {
      throw CliError("the preview is stopping");
    }
    if (pending_) {
      pending_->answer.set_value(std::nullopt);
    }
    pending_ = job;
  }
  wake_.notify_all();
  return answer.get();
}

Chain ModuleWorker::chain(const PreviewState& state) {
  return call([this, &state] {
    const Image& in = inputAt(state.downsample);
    ModuleSession session(modulePath_, state.controls, state.mask, fps_);
    return session.chain(0, in.width(), in.height(), state.downsample);
  });
}

nlohmann::json ModuleWorker::describe(const AnimatedControls& controls) {
  return call([this, &controls] {
    minihost::ParamStore& params = host_->params();
    for (const ControlBinding& b : ControlBindings()) {
      try {
        params.set(IndexOf(params, b.param), HostValueOf(b, controls));
      } catch (const std::exception&) {
        throw CliError(modulePath_ + ": parameter \"" + std::string(b.param) +
                       "\" does not take the value the tool hands it");
      }
    }
    const minihost::CommandResult result = host_->updateParamsUI();
    if (result.err != PF_Err_NONE) {
      throw CliError(modulePath_ + ": UI update failed with code " + std::to_string(result.err));
    }
    return DescribeParams(params);
  });
}

}  // namespace boxwander::cli::preview
