#include "cli/input_sequence.h"

#include <filesystem>

#include "cli/common/cli_error.h"
#include "cli/io/image_io.h"

namespace boxwander::cli {

void CheckInputSequence(const std::string& pattern, FrameRange frames) {
  std::string firstName;
  std::pair<std::int32_t, std::int32_t> firstSize;
  for (std::int64_t f = frames.first; f <= frames.last; ++f) {
    const std::string name = FrameFileName(pattern, static_cast<std::int32_t>(f));
    std::error_code error;
    if (!std::filesystem::exists(name, error)) {
      throw CliError("input sequence: " + name + " (frame " + std::to_string(f) + ") is missing");
    }
    const auto size = ImageSize(name);
    if (firstName.empty()) {
      firstName = name;
      firstSize = size;
    } else if (size != firstSize) {
      const auto text = [](std::pair<std::int32_t, std::int32_t> s) {
        return std::to_string(s.first) + "x" + std::to_string(s.second);
      };
      throw CliError("input sequence: " + name + " is " + text(size) + ", " + firstName + " is " +
                     text(firstSize) + "; every frame needs the same size");
    }
  }
}

}  // namespace boxwander::cli
