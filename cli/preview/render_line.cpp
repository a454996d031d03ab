#include "cli/preview/render_line.h"

#include "cli/paths/path_data_writer.h"
#include "cli/preview/control_bindings.h"

namespace boxwander::cli::preview {

std::string ShellQuote(const std::string& argument) {
  const bool bare = !argument.empty() && argument.find_first_not_of(
                                             "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                             "0123456789@%+=:,./_-#") == std::string::npos;
  if (bare && argument.front() != '#') {
    return argument;
  }
  std::string quoted = "'";
  for (const char c : argument) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

RenderLine RenderCommandLine(const PreviewState& state, const CommandContext& context,
                             const std::string& output, const AnimatedControls& declared) {
  RenderLine line;
  std::string& t = line.text;
  t = "boxwander render " + ShellQuote(context.input) + " -o " + ShellQuote(output);
  const auto data = ExactPathData(state.mask);
  line.needsMaskFile = !data;
  t += " --path " + ShellQuote(data ? *data : std::string("@") + kMaskFile);
  for (const ControlBinding& b : ControlBindings()) {
    const std::string value = TextOf(b, state.controls);
    if (value == TextOf(b, declared)) {
      continue;
    }
    if (b.kind == BindingKind::kInvert || b.kind == BindingKind::kOnOriginal) {
      t += std::string(" --") + b.option;
    } else if (value.front() == '-') {
      t += " " + ShellQuote(std::string("--") + b.option + "=" + value);
    } else {
      t += std::string(" --") + b.option + " " + ShellQuote(value);
    }
  }
  if (state.downsample != 1) {
    t += " --downsample " + std::to_string(state.downsample);
  }
  if (!context.depth.empty()) {
    t += " --depth " + ShellQuote(context.depth);
  }
  if (!context.module.empty()) {
    t += " --module " + ShellQuote(context.module);
  }
  return line;
}

}  // namespace boxwander::cli::preview
