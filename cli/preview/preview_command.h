#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace boxwander::cli::preview {

// The preview command's arguments as typed. Control texts are keyed by option, as the
// render command takes them; empty texts keep the effect's defaults.
struct PreviewArguments {
  std::string input;
  std::string path;  // empty: a wave across the picture
  std::string module;
  std::string depth;
  std::int32_t port = 0;  // 0: a free one
  std::int32_t downsample = 1;
  std::int32_t fps = 24;
  std::map<std::string, std::string> controls;
  bool invert = false;
  bool onOriginal = false;
};

// Serves the live preview page on 127.0.0.1 until SIGINT or SIGTERM; the address is one
// line on stdout. Errors before serving are one line on stderr. Returns the exit status.
int RunPreview(const PreviewArguments& arguments);

}  // namespace boxwander::cli::preview
