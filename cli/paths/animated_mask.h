#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "cli/controls/frame_range.h"
#include "cli/shapes/mask_shape.h"
#include "cli/shapes/mask_track.h"

namespace boxwander::cli {

// The mask of every frame of a run: one mask (a JSON mask may hold keyframes), or a file per
// frame.
class AnimatedMask {
 public:
  explicit AnimatedMask(shapes::MaskTrack track) : track_(std::move(track)) {}
  // Frame by frame; a frame outside the map takes the nearest one's mask.
  explicit AnimatedMask(std::map<std::int32_t, shapes::MaskShape> frames)
      : track_(shapes::MaskShape{}), frames_(std::move(frames)) {}

  shapes::MaskShape at(std::int32_t frame) const;
  // Whether the mask can differ from frame to frame.
  bool animated() const noexcept { return !frames_.empty() || track_.animated(); }

 private:
  shapes::MaskTrack track_;
  std::map<std::int32_t, shapes::MaskShape> frames_;
};

// The --path argument for the frames of a run: what LoadMaskShape reads, a .json mask with
// keyframes, or @FILE with a run of '#' naming one mask file per frame (each file read here,
// before any frame renders); an SVG file's #PICK holds for every frame's file. Throws CliError
// naming the file. `note` receives LoadMaskShape's note for a single mask file.
AnimatedMask LoadAnimatedMask(std::string_view argument, FrameRange frames,
                              std::string* note = nullptr);

}  // namespace boxwander::cli
