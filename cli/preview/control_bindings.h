#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "cli/controls/controls.h"
#include "minihost/param_store.h"

namespace boxwander::cli::preview {

enum class BindingKind { kNumeric, kMode, kEdgeMode, kColor, kInvert, kOnOriginal };

// How a parameter the module declares meets the tool: the option that sets it on the
// command line and where its value lives in the controls.
struct ControlBinding {
  const char* option;  // without the leading "--"
  const char* param;   // the name the module declares
  BindingKind kind;
  const NumericControl* numeric = nullptr;
  std::optional<Track> AnimatedControls::*track = nullptr;
  const char* words = nullptr;  // popups: the option's words, one per choice, "a|b|c"
};

std::span<const ControlBinding> ControlBindings();
// Null when no control has this option.
const ControlBinding* FindBinding(std::string_view option);

// Sets one control from its text as the option takes it on the command line: one value,
// not keyframes (the preview shows one moment). Throws CliError naming the option.
void ApplyText(const ControlBinding& binding, std::string_view text, AnimatedControls& controls);
// The flags.
void ApplyFlag(const ControlBinding& binding, bool on, AnimatedControls& controls);

// Gives every control `controls` leaves unset the value it has in `declared`.
void FillUnset(AnimatedControls& controls, const AnimatedControls& declared);

// The control's value in the form the option takes it: the number in its shortest exact
// form, the popup's word, "#AARRGGBB", "true"/"false" for the flags.
// The control must be set (see FillUnset); throws std::logic_error otherwise.
std::string TextOf(const ControlBinding& binding, const AnimatedControls& controls);

// The value the host stores for the parameter, as the module session hands it out.
minihost::ParamValue HostValueOf(const ControlBinding& binding, const AnimatedControls& controls);

}  // namespace boxwander::cli::preview
