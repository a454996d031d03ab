#include "cli/paths/svg_listing.h"

#include <cstdio>

namespace boxwander::cli {
namespace {

std::string Real(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", v);
  return text;
}

}  // namespace

std::string ListSvgShapes(const SvgDrawing& drawing, const std::string& file) {
  std::string out =
      file + ": layer " + Real(drawing.layer.width) + " x " + Real(drawing.layer.height) +
      " pixels, " + std::to_string(drawing.shapes.size()) + " drawn shape" +
      (drawing.shapes.size() == 1 ? "" : "s") + "; pick one with @" + file + "#ID:N\n";
  for (std::size_t k = 0; k < drawing.shapes.size(); ++k) {
    const SvgShape& s = drawing.shapes[k];
    // A shape without an id is picked by its number.
    const std::string pick = "#" + (s.id.empty() ? std::to_string(k + 1) : s.id);
    out += "  " + pick + "  " + s.label + (s.error.empty() ? "" : " cannot be read") + "\n";
    if (!s.error.empty())
      out += "    " + s.error + "\n";
    for (std::size_t i = 0; i < s.subpaths.size(); ++i) {
      const shapes::MaskShape& sub = s.subpaths[i];
      const shapes::ShapePoint start = sub.vertices.front().position;
      out += "    " + pick + ":" + std::to_string(i + 1) + "  " +
             (sub.closed ? "closed, " : "open, ") + std::to_string(shapes::PieceCount(sub)) +
             " pieces, from (" + Real(start.x) + ", " + Real(start.y) + ")\n";
    }
  }
  if (!drawing.notDrawn.empty()) {
    out += "Not drawn:\n";
    for (const auto& [id, why] : drawing.notDrawn)
      out += "  #" + id + "  " + why + "\n";
  }
  if (!drawing.ignored.empty()) {
    out += "Not read:";
    for (const auto& [name, count] : drawing.ignored)
      out += " " + std::to_string(count) + " <" + name + ">";
    out += "\n";
  }
  return out;
}

}  // namespace boxwander::cli
