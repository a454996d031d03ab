#include "cli/progress_mode.h"

#include <unistd.h>

#include <string>

#include "cli/common/cli_error.h"

namespace boxwander::cli {

ProgressStyle ChooseProgressStyle(std::string_view mode, bool quiet, std::FILE* stream) {
  ProgressStyle style;
  if (mode.empty() || mode == "auto") {
    style = ::isatty(::fileno(stream)) ? ProgressStyle::kBar : ProgressStyle::kLines;
  } else if (mode == "bar") {
    style = ProgressStyle::kBar;
  } else if (mode == "lines") {
    style = ProgressStyle::kLines;
  } else if (mode == "none") {
    style = ProgressStyle::kNone;
  } else {
    throw CliError("--progress: expected auto, bar, lines or none, found '" + std::string(mode) +
                   "'");
  }
  return quiet ? ProgressStyle::kNone : style;
}

}  // namespace boxwander::cli
