#include "cli/paths/svg_mask_pick.h"

#include <algorithm>

#include "cli/common/cli_error.h"
#include "cli/common/number_text.h"

namespace boxwander::cli {
namespace {

std::string Plural(std::size_t n, const std::string& word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

std::string NoShapeReason(const SvgDrawing& drawing) {
  std::string text =
      "no drawable shape (path, rect, circle, ellipse, line, polyline or polygon outside "
      "<defs>, <clipPath>, <mask>, <symbol>, <marker> and <pattern>)";
  std::string ignored;
  for (const auto& [name, count] : drawing.ignored) {
    ignored += (ignored.empty() ? "" : ", ") + std::to_string(count) + " <" + name + ">";
  }
  if (!ignored.empty())
    text += "; not read: " + ignored;
  return text;
}

const SvgShape& FindShape(const SvgDrawing& drawing, const std::string& id) {
  for (const SvgShape& s : drawing.shapes) {
    if (s.id == id)
      return s;
  }
  for (const auto* reasons : {&drawing.notDrawn, &drawing.notShapes}) {
    if (const auto it = reasons->find(id); it != reasons->end())
      throw CliError("#" + id + ": " + it->second);
  }
  const bool number =
      !id.empty() && std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (number) {
    const auto k = ReadInt32(id);
    if (k && *k >= 1 && static_cast<std::size_t>(*k) <= drawing.shapes.size())
      return drawing.shapes[static_cast<std::size_t>(*k - 1)];
    throw CliError("#" + id + ": no element has this id, and the file draws " +
                   Plural(drawing.shapes.size(), "shape"));
  }
  throw CliError("#" + id + ": no element has this id");
}

}  // namespace

SvgPick ParseSvgPick(std::string_view text) {
  SvgPick pick;
  if (text.empty())
    throw CliError("expected an id, ID:N or :N after '#'");
  const std::size_t colon = text.rfind(':');
  const std::string_view tail =
      colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
  // An id may hold a colon itself; only digits after the last one make a subpath number.
  const bool numbered = colon != std::string_view::npos && !tail.empty() &&
                        std::all_of(tail.begin(), tail.end(), [](char c) {
                          return (c >= '0' && c <= '9') || c == '-' || c == '+';
                        });
  if (!numbered) {
    if (colon == text.size() - 1 || colon == 0) {
      throw CliError("#" + std::string(text) + ": expected a subpath number from 1 after ':'");
    }
    pick.shape = std::string(text);
    return pick;
  }
  const auto n = ReadInt32(tail);
  if (!n || *n < 1)
    throw CliError("#" + std::string(text) + ": subpaths are numbered from 1");
  pick.shape = std::string(text.substr(0, colon));
  pick.subpath = *n;
  return pick;
}

PickedMask PickSvgMask(const SvgDrawing& drawing, const std::optional<SvgPick>& pick,
                       const std::string& file) {
  const bool byId = pick && !pick->shape.empty();
  if (drawing.shapes.empty() && !byId)
    throw CliError(NoShapeReason(drawing));
  const SvgShape& shape = byId ? FindShape(drawing, pick->shape) : drawing.shapes.front();
  if (!shape.error.empty()) {
    const bool others = std::any_of(drawing.shapes.begin(), drawing.shapes.end(),
                                    [](const SvgShape& s) { return s.error.empty(); });
    throw CliError(shape.error + (others && !byId
                                      ? "; pick another shape with @" + file +
                                            "#ID:N (boxwander info " + file + " lists them)"
                                      : ""));
  }
  const std::size_t count = shape.subpaths.size();
  const int subpath = pick && pick->subpath > 0 ? pick->subpath : 1;
  if (static_cast<std::size_t>(subpath) > count) {
    throw CliError(shape.label + " has " + Plural(count, "subpath") + "; subpath " +
                   std::to_string(subpath) + " is out of range");
  }
  PickedMask out{shape.subpaths[static_cast<std::size_t>(subpath - 1)], ""};
  const bool subpathChosen = pick && pick->subpath > 0;
  const bool severalShapes = !byId && drawing.shapes.size() > 1;
  const bool severalSubpaths = !subpathChosen && count > 1;
  if (severalShapes || severalSubpaths) {
    std::string took = "took subpath 1 of " + std::to_string(count) + " of " + shape.label;
    if (!subpathChosen && count == 1)
      took = "took " + shape.label;
    if (subpathChosen)
      took = "took subpath " + std::to_string(subpath) + " of " + shape.label;
    if (severalShapes)
      took += ", the first of " + Plural(drawing.shapes.size(), "drawn shape");
    const std::string idText = byId ? pick->shape : "ID";
    out.note = file + ": " + took + "; pick another with @" + file + "#" + idText +
               ":N (boxwander info " + file + " lists them)";
  }
  return out;
}

}  // namespace boxwander::cli
