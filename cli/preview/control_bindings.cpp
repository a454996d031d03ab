#include "cli/preview/control_bindings.h"

#include <array>
#include <charconv>
#include <cstdio>

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

std::string TextOf(const ControlBinding& b, const AnimatedControls& c) {
  switch (b.kind) {
    case B::kNumeric:
      return Shortest((c.*b.track).at(0));
    case B::kMode:
      return Word(b.words, c.mode);
    case B::kEdgeMode:
      return Word(b.words, c.edgeMode);
    case B::kColor: {
      char text[16];
      std::snprintf(text, sizeof text, "#%02x%02x%02x%02x", c.edgeColor.alpha, c.edgeColor.red,
                    c.edgeColor.green, c.edgeColor.blue);
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
      const double value = (c.*b.track).at(0);
      if (b.numeric->kind == ControlKind::kFloat)
        return value;
      return QuantiseToInt32(*b.numeric, value);
    }
    case B::kMode:
      return c.mode;
    case B::kEdgeMode:
      return c.edgeMode;
    case B::kColor:
      return PF_Pixel{c.edgeColor.alpha, c.edgeColor.red, c.edgeColor.green, c.edgeColor.blue};
    case B::kInvert:
      return std::int32_t{c.invert ? 1 : 0};
    case B::kOnOriginal:
      return std::int32_t{c.onOriginal ? 1 : 0};
  }
  return std::int32_t{0};
}

}  // namespace boxwander::cli::preview
