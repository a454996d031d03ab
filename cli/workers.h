#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/progress_bar.h"

namespace boxwander::cli {

// What a worker process tells its parent, one line each on its standard output:
//   "p PERMILLE"  the share of its current frame done, in thousandths, from the host's
//                 progress callback (sent only when it changes)
//   "f FRAME"     the frame is written
class WorkerReporter {
 public:
  void progress(std::int32_t count, std::int32_t total);
  void frameDone(std::int32_t frame);

 private:
  int permille_ = -1;
};

// Runs this executable once per argument list, all at the same time, as worker processes.
// Their reports move the bar: whole frames plus the shares of the frames under way. Each
// line a worker writes on its standard error is printed on the parent's, on a line of its
// own above the bar. Returns true when every worker exited with status 0; throws CliError
// when one cannot be started.
bool RunWorkers(const std::vector<std::vector<std::string>>& argumentLists, std::int64_t total,
                ProgressBar& bar);

}  // namespace boxwander::cli
