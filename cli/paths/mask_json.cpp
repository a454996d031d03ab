#include "cli/paths/mask_json.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/common/cli_error.h"

namespace boxwander::cli {
namespace {

using shapes::ShapePoint;

[[noreturn]] void Fail(const std::string& what) {
  throw CliError("mask JSON: " + what);
}

std::vector<ShapePoint> Points(const nlohmann::json& list, const char* key) {
  if (!list.is_array())
    Fail(std::string("\"") + key + "\" is not a list");
  std::vector<ShapePoint> points;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const auto& pair = list[i];
    const std::string where = std::string("\"") + key + "\"[" + std::to_string(i) + "]";
    if (!pair.is_array() || pair.size() != 2 || !pair[0].is_number() || !pair[1].is_number()) {
      Fail(where + " is not a pair of numbers");
    }
    const ShapePoint p{pair[0].get<double>(), pair[1].get<double>()};
    if (!std::isfinite(p.x) || !std::isfinite(p.y))
      Fail(where + " is out of range");
    points.push_back(p);
  }
  return points;
}

}  // namespace

shapes::MaskShape ParseMaskJson(std::string_view text) {
  nlohmann::json root;
  try {
    root = nlohmann::json::parse(text.begin(), text.end());
  } catch (const nlohmann::json::exception& e) {
    Fail(e.what());
  }
  if (!root.is_object())
    Fail("expected an object with \"v\", \"i\", \"o\" and \"c\"");
  for (const auto& item : root.items()) {
    const std::string& key = item.key();
    if (key != "v" && key != "i" && key != "o" && key != "c") {
      Fail("unknown key \"" + key + "\"; expected \"v\", \"i\", \"o\" or \"c\"");
    }
  }
  if (!root.contains("v"))
    Fail("missing \"v\", the list of vertices");
  const std::vector<ShapePoint> vertices = Points(root.at("v"), "v");
  if (vertices.empty())
    Fail("\"v\" holds no vertex");
  std::vector<ShapePoint> in(vertices.size());
  std::vector<ShapePoint> out(vertices.size());
  for (const auto& [key, handles] : {std::pair{"i", &in}, std::pair{"o", &out}}) {
    if (!root.contains(key))
      continue;
    *handles = Points(root.at(key), key);
    if (handles->size() != vertices.size()) {
      Fail(std::string("\"") + key + "\" has " + std::to_string(handles->size()) +
           " entries, \"v\" has " + std::to_string(vertices.size()));
    }
  }
  shapes::MaskShape shape;
  shape.closed = true;
  if (root.contains("c")) {
    if (!root.at("c").is_boolean())
      Fail("\"c\" is not true or false");
    shape.closed = root.at("c").get<bool>();
  }
  for (std::size_t k = 0; k < vertices.size(); ++k) {
    shape.vertices.push_back({vertices[k], in[k], out[k]});
  }
  return shape;
}

std::string WriteMaskJson(const shapes::MaskShape& shape) {
  nlohmann::json v = nlohmann::json::array();
  nlohmann::json i = nlohmann::json::array();
  nlohmann::json o = nlohmann::json::array();
  for (const shapes::MaskVertex& vertex : shape.vertices) {
    v.push_back({vertex.position.x, vertex.position.y});
    i.push_back({vertex.in.x, vertex.in.y});
    o.push_back({vertex.out.x, vertex.out.y});
  }
  const nlohmann::json root = {{"v", v}, {"i", i}, {"o", o}, {"c", shape.closed}};
  return root.dump();
}

}  // namespace boxwander::cli
