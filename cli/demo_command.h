#pragma once

#include <cstdint>
#include <string>

namespace boxwander::cli {

struct DemoArguments {
  std::string outDir = "out";
  std::string module;
  std::int32_t jobs = 0;
  bool quiet = false;
};

// Renders the built-in picture and path as a 48-frame animation (Time 0 % to 100 %) into
// the output folder, and a contact sheet of eight frames side by side. Returns the exit
// status.
int RunDemo(const DemoArguments& arguments);

}  // namespace boxwander::cli
