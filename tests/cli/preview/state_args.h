#pragma once

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace boxwander::test {

// The render command's arguments for a state in the form the page sends, written out here
// independently of the server: controls as --option=value, the mask through a JSON file.
inline std::vector<std::string> RenderArgs(const nlohmann::json& state, const std::string& input,
                                           const std::string& output, const std::string& maskFile) {
  std::ofstream(maskFile) << state.at("mask").dump();
  std::vector<std::string> args = {"render", input, "-o", output, "--path=@" + maskFile};
  const nlohmann::json controls = state.value("controls", nlohmann::json::object());
  for (const auto& item : controls.items()) {
    const nlohmann::json& v = item.value();
    if (v.is_boolean()) {
      if (v.get<bool>())
        args.push_back("--" + item.key());
    } else {
      args.push_back("--" + item.key() + "=" + (v.is_string() ? v.get<std::string>() : v.dump()));
    }
  }
  args.push_back("--downsample=" + std::to_string(state.value("downsample", 1)));
  return args;
}

}  // namespace boxwander::test
