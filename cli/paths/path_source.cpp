#include "cli/paths/path_source.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/common/cli_error.h"
#include "cli/paths/mask_json.h"
#include "cli/paths/svg_file.h"
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

}  // namespace

shapes::MaskShape ParsePathDataMask(std::string_view data) {
  return OneShape(ParseSvgPathData(data));
}

shapes::MaskShape LoadMaskShape(std::string_view argument) {
  if (argument.empty() || argument.front() != '@') {
    return ParsePathDataMask(argument);
  }
  const std::string path(argument.substr(1));
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension != ".svg" && extension != ".json") {
    throw CliError(path + ": expected an .svg or a .json file");
  }
  const std::string text = ReadTextFile(path);
  try {
    if (extension == ".json") {
      return ParseMaskJson(text);
    }
    return ParsePathDataMask(FirstPathData(text));
  } catch (const CliError& e) {
    throw CliError(path + ": " + e.what());
  }
}

}  // namespace boxwander::cli
