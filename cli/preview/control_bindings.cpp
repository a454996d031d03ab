#include "cli/preview/control_bindings.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <stdexcept>

#include "cli/common/cli_error.h"

namespace boxwander::cli::preview {
namespace {

using B = BindingKind;

constexpr std::array<ControlBinding, 13> kBindings = {{
    {"mode", "Mode", B::kMode, nullptr, nullptr, "continuous|discrete1|discrete2"},
    {kTime.option, kTime.name, B::kNumeric, &kTime, &AnimatedControls::time},
    {kMaxWidth.option, kMaxWidth.name, B::kNumeric, &kMaxWidth, &AnimatedControls::maxWidth},
    {kMinWidth.option, kMinWidth.name, B::kNumeric, &kMinWidth, &AnimatedControls::minWidth},
    {kWidthHeight.option, kWidthHeight.name, B::kNumeric, &kWidthHeight,
     &AnimatedControls::widthHeight},
    {kWidthHeightVariance.option, kWidthHeightVariance.name, B::kNumeric, &kWidthHeightVariance,
     &AnimatedControls::widthHeightVariance},
    {kEdgeThickness.option, kEdgeThickness.name, B::kNumeric, &kEdgeThickness,
     &AnimatedControls::edgeThickness},
    {"edge-mode", "Edge Mode", B::kEdgeMode, nullptr, nullptr, "brightness|color"},
    {kEdgeBrightness.option, kEdgeBrightness.name, B::kNumeric, &kEdgeBrightness,
     &AnimatedControls::edgeBrightness},
    {"edge-color", "Edge Color", B::kColor},
    {"invert", "Invert", B::kInvert},
    {kSeed.option, kSeed.name, B::kNumeric, &kSeed, &AnimatedControls::seed},
    {"on-original", "On Original", B::kOnOriginal},
}};

std::string Shortest(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string Word(const char* words, std::int32_t choice) {
  std::string_view all(words);
  for (std::int32_t k = 1; k < choice && all.find('|') != std::string_view::npos; ++k) {
    all.remove_prefix(all.find('|') + 1);
  }
  return std::string(all.substr(0, all.find('|')));
}

// The value of a control that must be set by now: the preview fills every control from
// the module's declaration when it starts.
template <class T>
const T& Set(const ControlBinding& b, const std::optional<T>& value) {
  if (!value) {
    throw std::logic_error(std::string("--") + b.option + ": no value");
  }
  return *value;
}

}  // namespace

std::span<const ControlBinding> ControlBindings() {
  return kBindings;
}

const ControlBinding* FindBinding(std::string_view option) {
  for (const ControlBinding& b : kBindings) {
    if (option == b.option)
      return &b;
  }
  return nullptr;
}

void ApplyText(const ControlBinding& b, std::string_view text, AnimatedControls& c) {
  switch (b.kind) {
    case B::kNumeric: {
      Track track = ParseControlTrack(*b.numeric, text);
      if (track.keys().size() != 1 || text.find('@') != std::string_view::npos) {
        throw CliError(std::string("--") + b.option +
                       ": the preview takes one value, not keyframes");
      }
      c.*b.track = std::move(track);
      break;
    }
    case B::kMode:
      c.mode = ParseMode(text);
      break;
    case B::kEdgeMode:
      c.edgeMode = ParseEdgeMode(text);
      break;
    case B::kColor:
      c.edgeColor = ParseColor(text);
      break;
    case B::kInvert:
    case B::kOnOriginal:
      if (text != "true" && text != "false") {
        throw CliError(std::string("--") + b.option + ": expected true or false");
      }
      ApplyFlag(b, text == "true", c);
      break;
  }
}

void ApplyFlag(const ControlBinding& b, bool on, AnimatedControls& c) {
  if (b.kind == B::kInvert) {
    c.invert = on;
  } else if (b.kind == B::kOnOriginal) {
    c.onOriginal = on;
  } else {
    throw CliError(std::string("--") + b.option + ": expected a value, not true or false");
  }
}

void FillUnset(AnimatedControls& c, const AnimatedControls& declared) {
  for (const ControlBinding& b : kBindings) {
    if (b.track != nullptr && !(c.*b.track)) {
      c.*b.track = declared.*b.track;
    }
  }
  if (!c.mode)
    c.mode = declared.mode;
  if (!c.edgeMode)
    c.edgeMode = declared.edgeMode;
  if (!c.edgeColor)
    c.edgeColor = declared.edgeColor;
  // A flag given is on; one not given keeps the declared state.
  c.invert = c.invert || declared.invert;
  c.onOriginal = c.onOriginal || declared.onOriginal;
}

std::string TextOf(const ControlBinding& b, const AnimatedControls& c) {
  switch (b.kind) {
    case B::kNumeric:
      return Shortest(Set(b, c.*b.track).at(0));
    case B::kMode:
      return Word(b.words, Set(b, c.mode));
    case B::kEdgeMode:
      return Word(b.words, Set(b, c.edgeMode));
    case B::kColor: {
      const Pixel8& color = Set(b, c.edgeColor);
      char text[16];
      std::snprintf(text, sizeof text, "#%02x%02x%02x%02x", color.alpha, color.red, color.green,
                    color.blue);
      return text;
    }
    case B::kInvert:
      return c.invert ? "true" : "false";
    case B::kOnOriginal:
      return c.onOriginal ? "true" : "false";
  }
  return {};
}

minihost::ParamValue HostValueOf(const ControlBinding& b, const AnimatedControls& c) {
  switch (b.kind) {
    case B::kNumeric: {
      const double value = Set(b, c.*b.track).at(0);
      if (b.numeric->kind == ControlKind::kFloat)
        return value;
      return QuantiseToInt32(*b.numeric, value);
    }
    case B::kMode:
      return Set(b, c.mode);
    case B::kEdgeMode:
      return Set(b, c.edgeMode);
    case B::kColor: {
      const Pixel8& color = Set(b, c.edgeColor);
      return PF_Pixel{color.alpha, color.red, color.green, color.blue};
    }
    case B::kInvert:
      return std::int32_t{c.invert ? 1 : 0};
    case B::kOnOriginal:
      return std::int32_t{c.onOriginal ? 1 : 0};
  }
  return std::int32_t{0};
}

}  // namespace boxwander::cli::preview
