#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace boxwander::cli::preview {

// The frame a page shows, as its request names it: {"base": {"page": "...", "frame": n}}.
// The page's name is the one the session handed it; frame 0 is none.
struct FrameBase {
  std::string page;
  std::uint64_t frame = 0;
};

// The request's "base", when there is one. Throws CliError when it is malformed.
std::optional<FrameBase> ParseFrameBase(const nlohmann::json& body);

// The frame each page was sent last, so that the next answer to it carries only what
// changed. Frames are numbered once for all pages, so a page that missed an answer never
// takes another frame for the one it shows. Holds the latest few pages, forgetting the one
// longest unused. Thread-safe.
class SentFrames {
 public:
  struct Reply {
    std::uint64_t frame = 0;                  // the new frame's number
    std::uint64_t base = 0;                   // what `patch` applies to; 0: a full frame
    std::shared_ptr<const std::string> full;  // the new frame, when sent whole
    std::string patch;                        // see FramePatch
  };

  // A name for a new page, not guessable from the others.
  std::string newPage();
  // Storage for the page's next frame: that of a frame it no longer needs, or empty.
  std::string spare(const std::string& page);
  // The answer to a page that shows `base` (frame 0 or an unknown page: nothing), for the
  // new frame `pixels` (rows of 8-bit RGBA, width by height). The page is then taken to
  // show the new frame.
  Reply send(const FrameBase& base, std::int32_t width, std::int32_t height, std::string pixels);

 private:
  struct Held {
    std::uint64_t frame = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::shared_ptr<std::string> pixels;
    std::string spare;
  };

  std::mutex mutex_;
  std::map<std::string, Held> pages_;
  std::uint64_t count_ = 0;  // frames numbered so far
};

}  // namespace boxwander::cli::preview
