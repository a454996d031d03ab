#include "cli/paths/animated_mask.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>

#include "cli/common/cli_error.h"
#include "cli/paths/mask_json.h"
#include "cli/paths/path_source.h"

namespace boxwander::cli {

shapes::MaskShape AnimatedMask::at(std::int32_t frame) const {
  if (frames_.empty())
    return track_.at(frame);
  const auto next = frames_.lower_bound(frame);
  if (next == frames_.end())
    return std::prev(next)->second;
  if (next->first == frame || next == frames_.begin())
    return next->second;
  return std::prev(next)->second;
}

namespace {

bool IsJson(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".json";
}

// One file's mask at `frame`: a keyframed JSON mask is evaluated there.
shapes::MaskShape MaskAtFrame(const std::string& path, std::int32_t frame) {
  if (!IsJson(path))
    return LoadMaskShape("@" + path);
  const std::string text = ReadTextFile(path);
  try {
    return ParseMaskTrackJson(text).at(frame);
  } catch (const CliError& e) {
    throw CliError(path + ": " + e.what());
  }
}

}  // namespace

AnimatedMask LoadAnimatedMask(std::string_view argument, FrameRange frames, std::string* note) {
  if (argument.empty() || argument.front() != '@')
    return AnimatedMask(shapes::MaskTrack(LoadMaskShape(argument, note)));
  // An SVG file's pick stands after the name and holds for every frame's file.
  const auto [pattern, pick] = SplitSvgPick(argument.substr(1));
  if (HasFrameNumber(pattern)) {
    std::map<std::int32_t, shapes::MaskShape> masks;
    for (std::int64_t f = frames.first; f <= frames.last; ++f) {
      const auto frame = static_cast<std::int32_t>(f);
      const std::string file = FrameFileName(pattern, frame);
      masks.emplace(frame, MaskAtFrame(pick ? file + "#" + *pick : file, frame));
    }
    return AnimatedMask(std::move(masks));
  }
  if (!IsJson(pattern))
    return AnimatedMask(shapes::MaskTrack(LoadMaskShape(argument, note)));
  const std::string text = ReadTextFile(pattern);
  try {
    return AnimatedMask(ParseMaskTrackJson(text));
  } catch (const CliError& e) {
    throw CliError(pattern + ": " + e.what());
  }
}

}  // namespace boxwander::cli
