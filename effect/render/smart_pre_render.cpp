#include "render/smart_pre_render.h"

#include <array>
#include <cstring>

#include "host/handle_guards.h"
#include "host/handlers.h"
#include "host/suite_cache.h"
#include "params/param_index.h"
#include "render/pre_render_data.h"

namespace boxwander {
namespace {

bool IsEmpty(const PF_LRect& r) noexcept {
  return r.left >= r.right || r.top >= r.bottom;
}

// The order in which the controls are read at the frame's time.
constexpr std::array<ParamIndex, 14> kCheckoutOrder = {
    ParamIndex::Path,          ParamIndex::Mode,
    ParamIndex::MaxWidth,      ParamIndex::MinWidth,
    ParamIndex::EdgeThickness, ParamIndex::EdgeBrightness,
    ParamIndex::OnOriginal,    ParamIndex::Seed,
    ParamIndex::EdgeMode,      ParamIndex::EdgeColor,
    ParamIndex::Invert,        ParamIndex::Time,
    ParamIndex::WidthHeight,   ParamIndex::WidthHeightVariance};

// The controls checked out at one time, each checked back in when this goes.
class CheckedOutParams {
 public:
  explicit CheckedOutParams(const PF_InData& in_data) noexcept : in_data_(in_data) {}
  ~CheckedOutParams() {
    if (in_data_.inter.checkin_param == nullptr) {
      return;
    }
    for (std::size_t i = 0; i < defs_.size(); ++i) {
      if (checked_out_[i]) {
        in_data_.inter.checkin_param(in_data_.effect_ref, &defs_[i]);
      }
    }
  }
  CheckedOutParams(const CheckedOutParams&) = delete;
  CheckedOutParams& operator=(const CheckedOutParams&) = delete;

  // Checks out in kCheckoutOrder and stops at the first failure, whose code it returns.
  PF_Err checkoutAll() {
    if (in_data_.inter.checkout_param == nullptr) {
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    for (const ParamIndex index : kCheckoutOrder) {
      const auto i = static_cast<std::size_t>(ToInt(index));
      std::memset(&defs_[i], 0, sizeof defs_[i]);
      const PF_Err err =
          in_data_.inter.checkout_param(in_data_.effect_ref, ToInt(index), in_data_.current_time,
                                        in_data_.time_step, in_data_.time_scale, &defs_[i]);
      if (err != PF_Err_NONE) {
        return err;
      }
      checked_out_[i] = true;
    }
    return PF_Err_NONE;
  }

  // By parameter index; entry 0 (the layer) is never checked out here.
  const PF_ParamDef* defs() const noexcept { return defs_.data(); }

 private:
  static constexpr std::size_t kCount = static_cast<std::size_t>(ToInt(ParamIndex::Count));
  const PF_InData& in_data_;
  std::array<PF_ParamDef, kCount> defs_{};
  std::array<bool, kCount> checked_out_{};
};

}  // namespace

ControlValues ControlsOf(const PF_ParamDef* defs) {
  const auto p = [defs](ParamIndex index) -> const PF_ParamDefUnion& {
    return defs[ToInt(index)].u;
  };
  ControlValues c;
  c.path_id = p(ParamIndex::Path).path_d.path_id;
  c.mode = p(ParamIndex::Mode).pd.value;
  c.time_fixed = p(ParamIndex::Time).fd.value;
  c.max_width = p(ParamIndex::MaxWidth).sd.value;
  c.min_width_fixed = p(ParamIndex::MinWidth).fd.value;
  c.wh = p(ParamIndex::WidthHeight).fs_d.value;
  c.wh_variance_fixed = p(ParamIndex::WidthHeightVariance).fd.value;
  c.edge_thickness = p(ParamIndex::EdgeThickness).sd.value;
  c.edge_mode = p(ParamIndex::EdgeMode).pd.value;
  c.edge_brightness = p(ParamIndex::EdgeBrightness).fs_d.value;
  const PF_Pixel color = p(ParamIndex::EdgeColor).cd.value;
  c.edge_color = Pixel8{color.alpha, color.red, color.green, color.blue};
  c.invert = p(ParamIndex::Invert).bd.value;
  c.seed = p(ParamIndex::Seed).sd.value;
  c.on_original = p(ParamIndex::OnOriginal).bd.value;
  return c;
}

void UnionRect(const PF_LRect& source, PF_LRect& destination) noexcept {
  if (IsEmpty(destination)) {
    destination = source;
    return;
  }
  if (IsEmpty(source)) {
    return;
  }
  destination.left = source.left < destination.left ? source.left : destination.left;
  destination.top = source.top < destination.top ? source.top : destination.top;
  destination.right = source.right > destination.right ? source.right : destination.right;
  destination.bottom = source.bottom > destination.bottom ? source.bottom : destination.bottom;
}

void ReleasePreRenderData(void* pre_render_data, const PF_InData* in_data) {
  if (pre_render_data != nullptr && in_data != nullptr && in_data->utils != nullptr &&
      in_data->utils->host_dispose_handle != nullptr) {
    in_data->utils->host_dispose_handle(static_cast<PF_Handle>(pre_render_data));
  }
}

PF_Err SmartPreRender(PF_InData* in_data, PF_OutData* /*out_data*/, PF_PreRenderExtra* extra) {
  if (extra == nullptr || extra->input == nullptr || extra->output == nullptr ||
      extra->cb == nullptr || extra->cb->checkout_layer == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  PF_RenderRequest request = extra->input->output_request;
  SuiteCache suites(in_data);

  const PF_HandleSuite1& handles = suites.handleSuite();
  OwnedHandle handle(handles.host_new_handle(sizeof(PreRenderData)), handles.host_dispose_handle);
  if (!handle) {
    return PF_Err_OUT_OF_MEMORY;
  }
  HandleLock lock(handles, handle.get());
  auto* record = static_cast<PreRenderData*>(lock.data());
  if (record == nullptr) {
    return PF_Err_OUT_OF_MEMORY;  // the handle is disposed of, not leaked
  }
  // Zeroed at once: a record left unfilled by a failure below reads as "no mask".
  std::memset(record, 0, sizeof *record);
  extra->output->pre_render_data = handle.release();
  extra->output->delete_pre_render_data_func = ReleasePreRenderData;

  CheckedOutParams params(*in_data);
  PF_Err err = params.checkoutAll();
  PF_CheckoutResult input{};
  if (err == PF_Err_NONE) {
    request.preserve_rgb_of_zero_alpha = 1;
    err = extra->cb->checkout_layer(in_data->effect_ref, 0, 0, &request, in_data->current_time,
                                    in_data->time_step, in_data->time_scale, &input);
  }
  if (err == PF_Err_NONE) {
    const PowFn pow = in_data->utils != nullptr ? in_data->utils->ansi.pow : nullptr;
    *record = DerivePreRenderData(ControlsOf(params.defs()), in_data->downsample_x.num,
                                  in_data->downsample_x.den, pow);
    UnionRect(input.result_rect, extra->output->result_rect);
    UnionRect(input.max_result_rect, extra->output->max_result_rect);
  }
  return err;
}

}  // namespace boxwander
