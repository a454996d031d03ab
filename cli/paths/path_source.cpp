#include "cli/paths/path_source.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "cli/common/cli_error.h"
#include "cli/paths/mask_json.h"
#include "cli/paths/svg_drawing.h"
#include "cli/paths/svg_listing.h"
#include "cli/paths/svg_mask_pick.h"
#include "cli/paths/svg_path_data.h"

namespace boxwander::cli {

std::string ReadTextFile(const std::string& path, std::size_t limit) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    throw CliError(path + ": is a directory");
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    throw CliError(path + ": cannot open the file");
  }
  std::string text;
  char buffer[1 << 16];
  while (file) {
    file.read(buffer, sizeof buffer);
    text.append(buffer, static_cast<std::size_t>(file.gcount()));
    if (text.size() > limit) {
      throw CliError(path + ": file too large");
    }
  }
  if (file.bad()) {
    throw CliError(path + ": cannot read the file");
  }
  return text;
}

namespace {

shapes::MaskShape OneShape(std::vector<shapes::MaskShape> shapes) {
  if (shapes.empty()) {
    throw CliError("path data draws nothing (a moveto alone)");
  }
  if (shapes.size() > 1) {
    throw CliError("path data holds " + std::to_string(shapes.size()) +
                   " subpaths; a mask path is a single subpath");
  }
  return std::move(shapes.front());
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool EndsWithSvg(std::string_view path) {
  return path.size() >= 4 && Lower(std::string(path.substr(path.size() - 4))) == ".svg";
}

}  // namespace

std::pair<std::string, std::optional<std::string>> SplitSvgPick(std::string_view file) {
  std::string path(file);
  // The pick follows the last '#' after a name ending in .svg.
  if (const std::size_t hash = path.rfind('#');
      hash != std::string::npos && !EndsWithSvg(path) && EndsWithSvg(path.substr(0, hash))) {
    std::string pick = path.substr(hash + 1);
    path.resize(hash);
    return {std::move(path), std::move(pick)};
  }
  return {std::move(path), std::nullopt};
}

shapes::MaskShape ParsePathDataMask(std::string_view data) {
  return OneShape(ParseSvgPathData(data));
}

shapes::MaskShape LoadMaskShape(std::string_view argument, std::string* note) {
  if (note)
    note->clear();
  if (argument.empty() || argument.front() != '@') {
    return ParsePathDataMask(argument);
  }
  auto [path, pickText] = SplitSvgPick(argument.substr(1));
  const std::string extension = Lower(std::filesystem::path(path).extension().string());
  if (extension != ".svg" && extension != ".json") {
    throw CliError(path + ": expected an .svg or a .json file");
  }
  try {
    std::optional<SvgPick> pick;
    if (pickText)
      pick = ParseSvgPick(*pickText);
    const std::string text = ReadTextFile(path);
    if (extension == ".json") {
      return ParseMaskJson(text);
    }
    PickedMask picked = PickSvgMask(ReadSvgDrawing(text), pick, path);
    if (note)
      *note = std::move(picked.note);
    return std::move(picked.shape);
  } catch (const CliError& e) {
    const std::string what = e.what();
    // ReadTextFile names the file itself.
    throw CliError(what.starts_with(path + ": ") ? what : path + ": " + what);
  }
}

std::string ListSvgFile(const std::string& path) {
  const std::string text = ReadTextFile(path);
  try {
    return ListSvgShapes(ReadSvgDrawing(text), path);
  } catch (const CliError& e) {
    throw CliError(path + ": " + e.what());
  }
}

}  // namespace boxwander::cli
