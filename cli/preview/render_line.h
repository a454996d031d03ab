#pragma once

#include <string>

#include "cli/preview/preview_state.h"

namespace boxwander::cli::preview {

// What the preview was started with that a render command repeats.
struct CommandContext {
  std::string input;   // as the user gave it
  std::string module;  // empty: beside the tool
  std::string depth;   // empty: the input file's
};

struct RenderLine {
  std::string text;
  // The mask is not exact as path data: the command reads it from maskFile, which the
  // page saves.
  bool needsMaskFile = false;
};

inline constexpr char kMaskFile[] = "mask.json";

// The `boxwander render` command that renders the state to `output`: controls away from
// `declared`, the values the module declares (the render command keeps those), the mask as path
// data when that reads back exactly (else @mask.json), the downsampling. Arguments are quoted for a
// POSIX shell.
RenderLine RenderCommandLine(const PreviewState& state, const CommandContext& context,
                             const std::string& output, const AnimatedControls& declared);

// One argument quoted for a POSIX shell, left bare when that is safe.
std::string ShellQuote(const std::string& argument);

}  // namespace boxwander::cli::preview
