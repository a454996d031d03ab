#include "cli/progress_bar.h"

#include <string>

namespace boxwander::cli {

ProgressBar::ProgressBar(std::int64_t total, bool enabled, std::FILE* stream)
    : total_(total),
      enabled_(enabled && total > 0),
      stream_(stream),
      start_(std::chrono::steady_clock::now()) {}

ProgressBar::~ProgressBar() {
  finish();
}

void ProgressBar::update(std::int64_t done, double partial) {
  if (!enabled_) {
    return;
  }
  constexpr int kWidth = 30;
  double fraction = (static_cast<double>(done) + partial) / static_cast<double>(total_);
  fraction = fraction < 0 ? 0 : (fraction > 1 ? 1 : fraction);
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  std::string bar(static_cast<std::size_t>(fraction * kWidth), '#');
  bar.resize(kWidth, '.');
  char eta[32] = "--";
  if (fraction > 0) {
    std::snprintf(eta, sizeof eta, "%.1fs", elapsed * (1 - fraction) / fraction);
  }
  std::fprintf(stream_, "\r[%s] %lld/%lld frames  elapsed %.1fs  left %s ", bar.c_str(),
               static_cast<long long>(done), static_cast<long long>(total_), elapsed, eta);
  std::fflush(stream_);
  drawn_ = true;
}

void ProgressBar::finish() {
  if (drawn_) {
    std::fputc('\n', stream_);
    std::fflush(stream_);
    drawn_ = false;
  }
}

}  // namespace boxwander::cli
