#include "cli/rects_json.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "cli/common/cli_error.h"
#include "cli/common/stop_signals.h"

namespace boxwander::cli {

std::string ChainJson(const Chain& chain, std::int32_t frame) {
  nlohmann::json rects = nlohmann::json::array();
  for (const RectRecord& r : chain.records) {
    rects.push_back({{"anchor", {r.anchorX, r.anchorY}},
                     {"center", {r.centerX, r.centerY}},
                     {"halfWidth", r.halfWidth},
                     {"halfHeight", r.halfHeight}});
  }
  const nlohmann::json root = {{"frame", frame},
                               {"rectCount", chain.rectCount},
                               {"halfWidthTotal", chain.halfWidthTotal},
                               {"error", chain.error},
                               {"rects", rects}};
  return root.dump(1) + "\n";
}

void WriteTextFile(const std::string& path, const std::string& text) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  std::error_code error;
  if (target.has_parent_path()) {
    fs::create_directories(target.parent_path(), error);
  }
  const fs::path temporary = target.parent_path() / ("." + target.filename().string() +
                                                     ".partial-" + std::to_string(::getpid()));
  const PendingFile pending(temporary.string());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
      fs::remove(temporary, error);
      throw CliError(path + ": cannot write the file");
    }
  }
  fs::rename(temporary, target, error);
  if (error) {
    fs::remove(temporary, error);
    throw CliError(path + ": cannot rename the finished file");
  }
}

}  // namespace boxwander::cli
