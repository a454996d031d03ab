#include "cli/preview/frame_patch.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace boxwander::cli::preview {
namespace {

// Unchanged pixels up to this many between two changes are sent rather than split the run.
constexpr std::uint64_t kJoin = 8;
// Equal frames are compared this many pixels at a time.
constexpr std::uint64_t kBlock = 64;

void Put32(std::string& out, std::uint64_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<char>(value >> shift & 0xFF));
  }
}

}  // namespace

std::optional<std::string> FramePatch(std::string_view before, std::string_view after) {
  const std::uint64_t pixels = after.size() / 4;
  if (before.size() != after.size() || pixels > std::numeric_limits<std::uint32_t>::max()) {
    return std::nullopt;
  }
  const char* a = before.data();
  const char* b = after.data();
  std::vector<std::pair<std::uint64_t, std::uint64_t>> runs;  // first, end
  std::uint64_t changed = 0;
  for (std::uint64_t i = 0; i < pixels;) {
    if (i % kBlock == 0 && i + kBlock <= pixels &&
        std::memcmp(a + 4 * i, b + 4 * i, 4 * kBlock) == 0) {
      i += kBlock;
      continue;
    }
    if (std::memcmp(a + 4 * i, b + 4 * i, 4) != 0) {
      if (!runs.empty() && i - runs.back().second <= kJoin) {
        changed += i + 1 - runs.back().second;
        runs.back().second = i + 1;
      } else {
        runs.emplace_back(i, i + 1);
        changed += 1;
      }
    }
    ++i;
  }
  const std::uint64_t size = 4 + 8 * runs.size() + 4 * changed;
  if (size >= after.size()) {
    return std::nullopt;
  }
  std::string out;
  out.reserve(size);
  Put32(out, runs.size());
  for (const auto& [first, end] : runs) {
    Put32(out, first);
    Put32(out, end - first);
  }
  for (const auto& [first, end] : runs) {
    out.append(b + 4 * first, 4 * (end - first));
  }
  return out;
}

}  // namespace boxwander::cli::preview
