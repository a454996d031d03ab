#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/controls/frame_range.h"

namespace boxwander::cli {

// The render command's arguments as typed, so that worker processes get the very same.
// Empty control texts keep the effect's defaults.
struct RenderArguments {
  std::string input;  // a run of '#' takes the frame number
  std::string output;
  std::string path;
  std::string module;
  std::string rectsJson;
  std::string frames = "0";
  std::string depth;
  std::int32_t fps = 24;
  std::int32_t downsample = 1;
  std::int32_t jobs = 0;          // 0: the number of cores
  std::string progress = "auto";  // auto, bar, lines or none
  bool quiet = false;
  bool keepGoing = false;  // render every frame that can be, then list those that failed
  bool worker = false;     // report progress to the parent on stdout instead of drawing a bar

  std::string mode;
  std::string time;
  std::string maxWidth;
  std::string minWidth;
  std::string widthHeight;
  std::string widthHeightVariance;
  std::string edgeThickness;
  std::string edgeMode;
  std::string edgeBrightness;
  std::string edgeColor;
  std::string seed;
  bool invert = false;
  bool onOriginal = false;
};

// Renders the frames; errors are one line on stderr. Returns the exit status.
int RunRender(const RenderArguments& arguments);

// The command line of a worker that renders `range` of the same job.
std::vector<std::string> WorkerArguments(const RenderArguments& arguments, FrameRange range);

}  // namespace boxwander::cli
