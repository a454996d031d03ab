#include "cli/progress_bar.h"

#include <algorithm>
#include <cmath>

#include "cli/common/stop_signals.h"
#include "common/truncate.h"

namespace boxwander::cli {

ProgressBar::ProgressBar(std::int64_t total, ProgressStyle style, std::FILE* stream)
    : total_(total),
      enabled_(style == ProgressStyle::kBar && total > 0),
      lines_(style == ProgressStyle::kLines && total > 0),
      stream_(stream),
      start_(std::chrono::steady_clock::now()) {}

ProgressBar::~ProgressBar() {
  erase();
}

void ProgressBar::update(std::int64_t done, double partial) {
  if (!enabled_ || finished_) {
    return;
  }
  double fraction = (static_cast<double>(done) + partial) / static_cast<double>(total_);
  fraction = std::clamp(std::isnan(fraction) ? 0.0 : fraction, 0.0, 1.0);
  const int percent = TruncateToInt32(fraction * 100.0);
  if (drawnWidth_ > 0 && percent == percent_ && done == done_) {
    return;
  }
  done_ = done;
  fraction_ = fraction;
  percent_ = percent;
  draw();
}

void ProgressBar::draw() {
  constexpr int kWidth = 30;
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  std::string bar(static_cast<std::size_t>(TruncateToInt32(fraction_ * kWidth)), '#');
  bar.resize(kWidth, '.');
  char eta[32] = "--";
  if (fraction_ > 0) {
    std::snprintf(eta, sizeof eta, "%.1fs", elapsed * (1 - fraction_) / fraction_);
  }
  char line[160];
  const int n = std::snprintf(
      line, sizeof line, "[%s] %3d%% %lld/%lld frames  elapsed %.1fs  left %s", bar.c_str(),
      percent_, static_cast<long long>(done_), static_cast<long long>(total_), elapsed, eta);
  const std::size_t width = n > 0 ? std::min(static_cast<std::size_t>(n), sizeof line - 1) : 0;
  // Blanks over what is left of a longer line drawn before.
  std::fprintf(stream_, "\r%s%*s", line,
               static_cast<int>(drawnWidth_ > width ? drawnWidth_ - width : 0), "");
  std::fflush(stream_);
  drawnWidth_ = std::max(width, drawnWidth_);
  SetStderrLineOpen(stream_ == stderr);
}

void ProgressBar::erase() {
  if (drawnWidth_ > 0) {
    std::fprintf(stream_, "\r%*s\r", static_cast<int>(drawnWidth_), "");
    std::fflush(stream_);
    drawnWidth_ = 0;
    SetStderrLineOpen(false);
  }
}

void ProgressBar::frameDone(std::int32_t frame, double seconds, std::int64_t finished,
                            bool failed) {
  if (!lines_)
    return;
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  const double share =
      std::clamp(static_cast<double>(finished) / static_cast<double>(total_), 0.0, 1.0);
  std::fprintf(stream_, "frame %d %s %.2fs, %d%% (%lld/%lld), about %.1fs left\n", frame,
               failed ? "failed after" : "done in", seconds, TruncateToInt32(share * 100.0),
               static_cast<long long>(finished), static_cast<long long>(total_),
               share > 0 ? elapsed * (1 - share) / share : 0.0);
  std::fflush(stream_);
}

void ProgressBar::message(const std::string& line) {
  const bool redraw = drawnWidth_ > 0;
  erase();
  std::fprintf(stream_, "%s\n", line.c_str());
  std::fflush(stream_);
  if (redraw) {
    draw();
  }
}

void ProgressBar::finish() {
  if (!enabled_ || finished_) {
    return;
  }
  finished_ = true;
  if (percent_ >= 0) {
    draw();
    std::fputc('\n', stream_);
    std::fflush(stream_);
    drawnWidth_ = 0;
    SetStderrLineOpen(false);
  }
}

}  // namespace boxwander::cli
