#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/progress_bar.h"

namespace boxwander::cli {

// What a worker process tells its parent, one line each on its standard output:
//   "p PERMILLE"    the share of its current frame done, in thousandths, from the host's
//                   progress callback (sent only when it changes)
//   "f FRAME MS"    the frame is written, after MS milliseconds
//   "x FRAME MS"    the frame failed (with --keep-going; the reason is on its stderr)
class WorkerReporter {
 public:
  void progress(std::int32_t count, std::int32_t total);
  void frameDone(std::int32_t frame, double seconds);
  void frameFailed(std::int32_t frame, double seconds);

 private:
  int permille_ = -1;
};

struct WorkersOutcome {
  bool ok = true;      // every worker exited with status 0
  int stopSignal = 0;  // the SIGINT or SIGTERM that stopped the run; 0 when none came
  std::vector<std::int32_t> failedFrames;  // as reported, in the order they came
};

// Runs this executable once per argument list, all at the same time, as worker processes.
// Their reports move the progress: whole frames plus the shares of the frames under way.
// Each line a worker writes on its standard error is printed on the parent's, on a line of
// its own above the bar; a warning repeated word for word by another worker is printed
// once. Unless `keepGoing`, the first worker that fails stops the others (SIGTERM: they
// remove their temporary files). A SIGINT or SIGTERM to this process stops every worker the
// same way. Throws CliError when a worker cannot be started.
WorkersOutcome RunWorkers(const std::vector<std::vector<std::string>>& argumentLists,
                          std::int64_t total, ProgressBar& bar, bool keepGoing);

}  // namespace boxwander::cli
