#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace boxwander::cli {

enum class ProgressStyle {
  kNone,
  kBar,    // one line redrawn in place, for a terminal
  kLines,  // a plain line per finished frame, for logs
};

// Progress on a stream (stderr). As a bar: one line redrawn in place with the share done,
// frames done of the total, the time elapsed and an estimate of the time left; redrawn only
// when the percentage or the frame count it shows changes, so that a report per rectangle
// costs nothing on the terminal. As lines: nothing but a line per finished frame. Silent
// when disabled.
class ProgressBar {
 public:
  ProgressBar(std::int64_t total, ProgressStyle style, std::FILE* stream = stderr);
  ProgressBar(std::int64_t total, bool enabled, std::FILE* stream = stderr)
      : ProgressBar(total, enabled ? ProgressStyle::kBar : ProgressStyle::kNone, stream) {}
  // An unfinished bar is erased, so that an error printed next has the line to itself.
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // `done` whole frames, plus `partial`: the shares (0..1 each, summed) of the frames
  // under way, as the host's progress callback reports them.
  void update(std::int64_t done, double partial = 0.0);
  // Frame `frame` finished in `seconds`, the `finished`-th of the run: in the lines style,
  // "frame 7 done in 1.25s, 30% (3/10), about 2.9s left" ("failed after" when `failed`).
  void frameDone(std::int32_t frame, double seconds, std::int64_t finished, bool failed = false);
  // Prints one line of text (no newline at its end) on the bar's line, then draws the bar
  // again below it. Works the same when the bar is disabled.
  void message(const std::string& line);
  // Draws the last state and ends the line; later updates draw nothing.
  void finish();

 private:
  void draw();
  void erase();

  std::int64_t total_;
  bool enabled_;  // as a bar
  bool lines_;
  bool finished_ = false;
  std::FILE* stream_;
  std::chrono::steady_clock::time_point start_;
  std::int64_t done_ = 0;
  double fraction_ = 0.0;
  int percent_ = -1;            // what the drawn bar shows; -1: nothing drawn yet
  std::size_t drawnWidth_ = 0;  // characters on the line now; 0: the line is clear
};

}  // namespace boxwander::cli
