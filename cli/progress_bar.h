#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace boxwander::cli {

// A one-line progress bar on a stream (stderr), redrawn in place: frames done of the
// total, the time elapsed and an estimate of the time left. Silent when disabled.
class ProgressBar {
 public:
  ProgressBar(std::int64_t total, bool enabled, std::FILE* stream = stderr);
  ~ProgressBar();

  // `done` whole frames, plus the fraction of the frames under way (0..1 each, summed).
  void update(std::int64_t done, double partial = 0.0);
  // Ends the line (the destructor does it too).
  void finish();

 private:
  std::int64_t total_;
  bool enabled_;
  bool drawn_ = false;
  std::FILE* stream_;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace boxwander::cli
