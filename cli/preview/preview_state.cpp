#include "cli/preview/preview_state.h"

#include <charconv>

#include "cli/common/cli_error.h"
#include "cli/paths/mask_json.h"
#include "cli/preview/control_bindings.h"

namespace boxwander::cli::preview {
namespace {

std::string Shortest(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

void ApplyJson(const ControlBinding& b, const nlohmann::json& value, AnimatedControls& c) {
  const std::string option = std::string("--") + b.option;
  switch (b.kind) {
    case BindingKind::kNumeric:
      if (!value.is_number()) {
        throw CliError(option + ": expected a number");
      }
      ApplyText(b, Shortest(value.get<double>()), c);
      break;
    case BindingKind::kMode:
    case BindingKind::kEdgeMode:
    case BindingKind::kColor:
      if (!value.is_string()) {
        throw CliError(option + ": expected a text");
      }
      ApplyText(b, value.get<std::string>(), c);
      break;
    case BindingKind::kInvert:
    case BindingKind::kOnOriginal:
      if (!value.is_boolean()) {
        throw CliError(option + ": expected true or false");
      }
      ApplyFlag(b, value.get<bool>(), c);
      break;
  }
}

}  // namespace

std::int32_t CheckDownsample(std::int64_t factor) {
  if (factor != 1 && factor != 2 && factor != 4) {
    throw CliError("downsample: expected 1, 2 or 4, found " + std::to_string(factor));
  }
  return static_cast<std::int32_t>(factor);
}

nlohmann::json ParseBody(std::string_view text) {
  nlohmann::json body;
  try {
    body = nlohmann::json::parse(text.begin(), text.end());
  } catch (const nlohmann::json::exception& e) {
    throw CliError(std::string("request: ") + e.what());
  }
  if (!body.is_object()) {
    throw CliError("request: expected a JSON object");
  }
  return body;
}

PreviewState ParseState(const nlohmann::json& body, const AnimatedControls& declared) {
  PreviewState state;
  state.controls = declared;
  if (const auto controls = body.find("controls"); controls != body.end()) {
    if (!controls->is_object()) {
      throw CliError("controls: expected an object");
    }
    for (const auto& item : controls->items()) {
      const ControlBinding* b = FindBinding(item.key());
      if (b == nullptr) {
        throw CliError("controls: unknown control '" + item.key() + "'");
      }
      ApplyJson(*b, item.value(), state.controls);
    }
  }
  const auto mask = body.find("mask");
  if (mask == body.end()) {
    throw CliError("mask: missing");
  }
  state.mask = ParseMaskJson(mask->dump());
  if (const auto factor = body.find("downsample"); factor != body.end()) {
    if (!factor->is_number_integer()) {
      throw CliError("downsample: expected 1, 2 or 4");
    }
    state.downsample = CheckDownsample(factor->get<std::int64_t>());
  }
  return state;
}

nlohmann::json StateJson(const PreviewState& state) {
  nlohmann::json controls = nlohmann::json::object();
  for (const ControlBinding& b : ControlBindings()) {
    switch (b.kind) {
      case BindingKind::kNumeric:
        controls[b.option] = (state.controls.*b.track).value().at(0);
        break;
      case BindingKind::kInvert:
        controls[b.option] = state.controls.invert;
        break;
      case BindingKind::kOnOriginal:
        controls[b.option] = state.controls.onOriginal;
        break;
      default:
        controls[b.option] = TextOf(b, state.controls);
        break;
    }
  }
  return {{"controls", controls},
          {"mask", nlohmann::json::parse(WriteMaskJson(state.mask))},
          {"downsample", state.downsample}};
}

}  // namespace boxwander::cli::preview
