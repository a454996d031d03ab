#include "cli/preview/sent_frames.h"

#include <algorithm>
#include <cstdio>
#include <random>

#include "cli/common/cli_error.h"
#include "cli/preview/frame_patch.h"

namespace boxwander::cli::preview {
namespace {

// Pages held at once: a few tabs on the same preview.
constexpr std::size_t kPages = 4;
constexpr std::size_t kMaxName = 64;

}  // namespace

std::optional<FrameBase> ParseFrameBase(const nlohmann::json& body) {
  const auto base = body.find("base");
  if (base == body.end()) {
    return std::nullopt;
  }
  const auto fail = [] {
    throw CliError("base: expected {\"page\": \"name\", \"frame\": number}");
  };
  if (!base->is_object()) {
    fail();
  }
  const auto page = base->find("page");
  const auto frame = base->find("frame");
  if (page == base->end() || !page->is_string() || page->get_ref<const std::string&>().empty() ||
      page->get_ref<const std::string&>().size() > kMaxName || frame == base->end() ||
      !frame->is_number_unsigned()) {
    fail();
  }
  return FrameBase{page->get<std::string>(), frame->get<std::uint64_t>()};
}

std::string SentFrames::newPage() {
  std::random_device random;
  char name[40];
  std::snprintf(name, sizeof name, "%08x%08x%08x%08x", random(), random(), random(), random());
  return name;
}

std::string SentFrames::spare(const std::string& page) {
  const std::lock_guard lock(mutex_);
  const auto held = pages_.find(page);
  return held == pages_.end() ? std::string() : std::move(held->second.spare);
}

SentFrames::Reply SentFrames::send(const FrameBase& base, std::int32_t width, std::int32_t height,
                                   std::string pixels) {
  auto frame = std::make_shared<std::string>(std::move(pixels));
  std::shared_ptr<std::string> old;
  bool patchable = false;
  Reply reply;
  {
    const std::lock_guard lock(mutex_);
    auto held = pages_.find(base.page);
    if (held == pages_.end()) {
      if (pages_.size() >= kPages) {
        pages_.erase(std::min_element(
            pages_.begin(), pages_.end(),
            // Frames are numbered in order: the oldest frame marks the page longest unused.
            [](const auto& x, const auto& y) { return x.second.frame < y.second.frame; }));
      }
      held = pages_.emplace(base.page, Held{}).first;
    }
    Held& h = held->second;
    patchable = base.frame != 0 && h.frame == base.frame && h.width == width && h.height == height;
    old = std::move(h.pixels);
    reply.frame = ++count_;
    h.frame = reply.frame;
    h.width = width;
    h.height = height;
    h.pixels = frame;
  }
  // Outside the lock: the comparison takes a few milliseconds at HD.
  std::optional<std::string> patch;
  if (patchable) {
    patch = FramePatch(*old, *frame);
  }
  // The frame before is the storage of the next, unless an answer still sends from it.
  if (old && old.use_count() == 1) {
    const std::lock_guard lock(mutex_);
    if (const auto held = pages_.find(base.page); held != pages_.end()) {
      held->second.spare = std::move(*old);
    }
  }
  if (patch) {
    reply.base = base.frame;
    reply.patch = std::move(*patch);
  } else {
    reply.full = std::move(frame);
  }
  return reply;
}

}  // namespace boxwander::cli::preview
