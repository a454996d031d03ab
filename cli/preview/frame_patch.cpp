#include "cli/preview/frame_patch.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace boxwander::cli::preview {
namespace {

// Unchanged pixels up to this many between two changes are sent rather than split the run.
constexpr std::uint64_t kJoin = 8;
// Equal pixels from this many on are sent as a fill: its header and one pixel cost less
// than them, even when it splits a run in two.
constexpr std::uint64_t kFill = 8;
// Equal frames are compared this many pixels at a time.
constexpr std::uint64_t kBlock = 64;

void Put32(std::string& out, std::uint64_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<char>(value >> shift & 0xFF));
  }
}

struct Run {
  std::uint64_t first;
  std::uint64_t count;
  bool fill;
};

// The runs of pixels that differ, joined across short gaps: [first, end).
std::vector<std::pair<std::uint64_t, std::uint64_t>> Changed(const char* a, const char* b,
                                                             std::uint64_t pixels) {
  std::vector<std::pair<std::uint64_t, std::uint64_t>> runs;
  for (std::uint64_t i = 0; i < pixels;) {
    if (i % kBlock == 0 && i + kBlock <= pixels &&
        std::memcmp(a + 4 * i, b + 4 * i, 4 * kBlock) == 0) {
      i += kBlock;
      continue;
    }
    if (std::memcmp(a + 4 * i, b + 4 * i, 4) != 0) {
      if (!runs.empty() && i - runs.back().second <= kJoin) {
        runs.back().second = i + 1;
      } else {
        runs.emplace_back(i, i + 1);
      }
    }
    ++i;
  }
  return runs;
}

// A changed run split into fills of equal pixels and the pixels between.
void Split(const char* b, std::uint64_t first, std::uint64_t end, std::vector<Run>& out) {
  std::uint64_t literal = first;
  for (std::uint64_t i = first; i < end;) {
    std::uint64_t j = i + 1;
    while (j < end && std::memcmp(b + 4 * j, b + 4 * i, 4) == 0) {
      ++j;
    }
    if (j - i >= kFill) {
      if (i > literal) {
        out.push_back({literal, i - literal, false});
      }
      out.push_back({i, j - i, true});
      literal = j;
    }
    i = j;
  }
  if (end > literal) {
    out.push_back({literal, end - literal, false});
  }
}

}  // namespace

std::optional<std::string> FramePatch(std::string_view before, std::string_view after) {
  const std::uint64_t pixels = after.size() / 4;
  if (before.size() != after.size() || pixels >= kFillRun) {
    return std::nullopt;
  }
  const char* b = after.data();
  std::vector<Run> runs;
  for (const auto& [first, end] : Changed(before.data(), b, pixels)) {
    Split(b, first, end, runs);
  }
  std::uint64_t size = 4;
  for (const Run& run : runs) {
    size += 8 + 4 * (run.fill ? 1 : run.count);
  }
  if (size >= after.size()) {
    return std::nullopt;
  }
  std::string out;
  out.reserve(size);
  Put32(out, runs.size());
  for (const Run& run : runs) {
    Put32(out, run.first);
    Put32(out, run.fill ? run.count | kFillRun : run.count);
  }
  for (const Run& run : runs) {
    out.append(b + 4 * run.first, 4 * (run.fill ? 1 : run.count));
  }
  return out;
}

}  // namespace boxwander::cli::preview
