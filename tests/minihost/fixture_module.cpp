// A tiny effect module for the host's own tests: it copies its input and, driven by the
// text of the completely-general command, misbehaves in one chosen way at a time.

#include <cstring>
#include <stdexcept>

#include "host/host_interface.h"

namespace {

// The property list: resource version 1, list version 0, two properties (kind and the
// code entry), four-character codes stored reversed. A DLL carries the same bytes as a
// resource (fixture_module.rc).
#if !defined(_WIN32)
struct Pipl {
  unsigned char bytes[2 + 4 + 4 + 16 + 4 + 16 + 16];
};
[[gnu::section(".pipl"), gnu::used]] const Pipl kPipl = {{
    1,   0,   0,   0,   0,   0,   2,   0,   0,   0,                              // header
    'M', 'I', 'B', '8', 'd', 'n', 'i', 'k', 0,   0,   0,   0,   4,   0,   0, 0,  // 8BIM kind
    'T', 'K', 'F', 'e',                                                          // eFKT
    'M', 'I', 'B', '8', '6', '8', 'x', 'w', 0,   0,   0,   0,   16,  0,   0, 0,  // 8BIM wx86
    'E', 'n', 't', 'r', 'y', 'P', 'o', 'i', 'n', 't', 'F', 'u', 'n', 'c', 0, 0,
}};
#endif

constexpr int32_t kCheckoutId = 7;

template <class Suite>
const Suite* Acquire(const PF_InData* in, const char* name, int32_t version) {
  const void* suite = nullptr;
  if (in->pica_basicP == nullptr || in->pica_basicP->AcquireSuite(name, version, &suite) != 0) {
    return nullptr;
  }
  return static_cast<const Suite*>(suite);
}

void ReleasePreRenderData(void* data, const PF_InData* in) {
  in->utils->host_dispose_handle(static_cast<PF_Handle>(data));
}

PF_Err ParamsSetup(PF_InData* in, PF_OutData* out) {
  PF_ParamDef def{};
  def.param_type = PF_Param_FIX_SLIDER;
  std::strcpy(def.name, "Amount");
  def.u.fd.valid_max = def.u.fd.slider_max = 100 << 16;
  def.u.fd.value = def.u.fd.dephault = 50 << 16;
  if (PF_Err err = in->inter.add_param(in->effect_ref, -1, &def)) {
    return err;
  }
  def = {};
  def.param_type = PF_Param_POPUP;
  std::strcpy(def.name, "Choice");
  def.u.pd.num_choices = 2;
  def.u.pd.value = def.u.pd.dephault = 1;
  def.u.pd.namesptr = "One|Two";
  if (PF_Err err = in->inter.add_param(in->effect_ref, -1, &def)) {
    return err;
  }
  out->num_params = 3;
  return PF_Err_NONE;
}

PF_Err SmartPreRender(PF_InData* in, PF_PreRenderExtra* extra) {
  const auto* handles = Acquire<PF_HandleSuite1>(in, kPFHandleSuite, kPFHandleSuiteVersion1);
  if (handles == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  PF_Err err = PF_Err_NONE;
  PF_Handle h = handles->host_new_handle(sizeof(int32_t));
  auto* amount = h != nullptr ? static_cast<int32_t*>(handles->host_lock_handle(h)) : nullptr;
  if (amount == nullptr) {
    handles->host_dispose_handle(h);
    err = PF_Err_OUT_OF_MEMORY;
  } else {
    extra->output->pre_render_data = h;
    extra->output->delete_pre_render_data_func = &ReleasePreRenderData;
    PF_ParamDef def{};
    err = in->inter.checkout_param(in->effect_ref, 1, in->current_time, in->time_step,
                                   in->time_scale, &def);
    if (err == PF_Err_NONE) {
      *amount = def.u.fd.value;
      in->inter.checkin_param(in->effect_ref, &def);
    }
    handles->host_unlock_handle(h);
  }
  if (err == PF_Err_NONE) {
    PF_RenderRequest req = extra->input->output_request;
    req.preserve_rgb_of_zero_alpha = 1;
    PF_CheckoutResult result{};
    err = extra->cb->checkout_layer(in->effect_ref, 0, kCheckoutId, &req, in->current_time,
                                    in->time_step, in->time_scale, &result);
    extra->output->result_rect = result.result_rect;
    extra->output->max_result_rect = result.max_result_rect;
  }
  in->pica_basicP->ReleaseSuite(kPFHandleSuite, kPFHandleSuiteVersion1);
  return err;
}

PF_Err SmartRender(PF_InData* in, PF_SmartRenderExtra* extra) {
  PF_EffectWorld* input = nullptr;
  PF_EffectWorld* output = nullptr;
  PF_Err err = extra->cb->checkout_layer_pixels(in->effect_ref, kCheckoutId, &input);
  if (err == PF_Err_NONE) {
    err = extra->cb->checkout_output(in->effect_ref, &output);
  }
  if (err == PF_Err_NONE) {
    err = in->utils->copy(in->effect_ref, input, output, nullptr, nullptr);
  }
  if (err == PF_Err_NONE) {
    err = in->inter.progress(in->effect_ref, 1, 1);
  }
  return err;
}

// One misbehaviour per text; any other text is echoed into the message, as it should be.
PF_Err CompletelyGeneral(PF_InData* in, PF_OutData* out, const char* text) {
  if (std::strcmp(text, "leak-handle") == 0) {
    in->utils->host_new_handle(32);
  } else if (std::strcmp(text, "keep-suite") == 0) {
    Acquire<PF_ANSICallbacksSuite1>(in, kPFANSISuite, kPFANSISuiteVersion1);
  } else if (std::strcmp(text, "long-message") == 0) {
    char text300[301];
    std::memset(text300, 'x', 300);
    text300[300] = '\0';
    in->utils->ansi.sprintf(out->return_msg, "%s", text300);
  } else if (std::strcmp(text, "throw") == 0) {
    throw std::runtime_error("escaped");
  } else if (std::strcmp(text, "progress-outside-render") == 0) {
    in->inter.progress(in->effect_ref, 1, 2);
  } else if (std::strcmp(text, "unlock-unlocked") == 0) {
    PF_Handle h = in->utils->host_new_handle(4);
    const auto* handles = Acquire<PF_HandleSuite1>(in, kPFHandleSuite, kPFHandleSuiteVersion1);
    handles->host_unlock_handle(h);
    handles->host_dispose_handle(h);
    in->pica_basicP->ReleaseSuite(kPFHandleSuite, kPFHandleSuiteVersion1);
  } else {
    const auto* ansi = Acquire<PF_ANSICallbacksSuite1>(in, kPFANSISuite, kPFANSISuiteVersion1);
    if (ansi == nullptr) {
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    ansi->sprintf(out->return_msg, "%s", text);
    in->pica_basicP->ReleaseSuite(kPFANSISuite, kPFANSISuiteVersion1);
  }
  return PF_Err_NONE;
}

}  // namespace

#if defined(_WIN32)
#define FIXTURE_EXPORT __declspec(dllexport)
#else
#define FIXTURE_EXPORT [[gnu::visibility("default")]]
#endif

extern "C" FIXTURE_EXPORT PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in, PF_OutData* out,
                                                PF_ParamDef**, PF_LayerDef*, void* extra) {
  switch (cmd) {
    case PF_Cmd_GLOBAL_SETUP:
      out->global_data = in->utils->host_new_handle(8);
      return out->global_data != nullptr ? PF_Err_NONE : PF_Err_OUT_OF_MEMORY;
    case PF_Cmd_PARAMS_SETUP:
      return ParamsSetup(in, out);
    case PF_Cmd_SEQUENCE_SETUP:
    case PF_Cmd_SEQUENCE_RESETUP:
      in->utils->host_dispose_handle(in->sequence_data);
      out->sequence_data = in->utils->host_new_handle(sizeof(PF_State));
      return PF_Err_NONE;
    case PF_Cmd_SEQUENCE_SETDOWN:
      in->utils->host_dispose_handle(in->sequence_data);
      return PF_Err_NONE;
    case PF_Cmd_COMPLETELY_GENERAL:
      return CompletelyGeneral(in, out, static_cast<const char*>(extra));
    case PF_Cmd_SMART_PRE_RENDER:
      return SmartPreRender(in, static_cast<PF_PreRenderExtra*>(extra));
    case PF_Cmd_SMART_RENDER:
      return SmartRender(in, static_cast<PF_SmartRenderExtra*>(extra));
    default:
      return PF_Err_NONE;
  }
}
