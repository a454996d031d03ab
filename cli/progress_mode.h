#pragma once

#include <cstdio>
#include <string_view>

#include "cli/progress_bar.h"

namespace boxwander::cli {

// The --progress choice: "auto" (a bar when `stream` is a terminal, else lines), "bar",
// "lines" or "none"; `quiet` is "none". Throws CliError naming --progress.
ProgressStyle ChooseProgressStyle(std::string_view mode, bool quiet, std::FILE* stream = stderr);

}  // namespace boxwander::cli
