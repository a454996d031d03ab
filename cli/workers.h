#pragma once

#include <string>
#include <vector>

#include "cli/progress_bar.h"

namespace boxwander::cli {

// Runs this executable once per argument list, all at the same time, as worker processes.
// Each worker prints one line on its standard output per finished frame; those lines move
// the progress bar. Workers' standard error passes through. Returns true when every
// worker exited with status 0; throws CliError when one cannot be started.
bool RunWorkers(const std::vector<std::vector<std::string>>& argumentLists, std::int64_t total,
                ProgressBar& bar);

}  // namespace boxwander::cli
