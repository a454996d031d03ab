#include "cli/paths/svg_basic_shapes.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "cli/common/cli_error.h"
#include "cli/paths/svg_number.h"

namespace boxwander::cli {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Shortest text that reads back as the same double, so the path data parser sees exactly
// the numbers computed here.
std::string Number(double v) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, v);
  return std::string(text, result.ptr);
}

std::string Point(double x, double y) {
  return Number(x) + " " + Number(y);
}

struct Lengths {
  const SvgElement& element;
  const SvgViewport& viewport;

  bool has(const char* name) const {
    const std::string* v = element.attribute(name);
    return v != nullptr && *v != "auto";
  }
  double operator()(const char* name, LengthAxis axis) const {
    const std::string* v = element.attribute(name);
    if (v == nullptr || *v == "auto")
      return 0.0;
    try {
      return ParseLength(*v, viewport, axis);
    } catch (const CliError& e) {
      throw CliError(std::string(name) + ": " + e.what());
    }
  }
};

// "A rx ry 0 0 1 x y": a quarter of an ellipse, turning the way the shape runs.
std::string Arc(double rx, double ry, double x, double y) {
  return " A " + Point(rx, ry) + " 0 0 1 " + Point(x, y);
}

std::string Rect(const Lengths& get) {
  const double x = get("x", LengthAxis::kHorizontal);
  const double y = get("y", LengthAxis::kVertical);
  const double w = get("width", LengthAxis::kHorizontal);
  const double h = get("height", LengthAxis::kVertical);
  if (!(w > 0.0 && h > 0.0))
    return "";
  // A radius left out takes the other's value; both are limited to half the side.
  double rx = get("rx", LengthAxis::kHorizontal);
  double ry = get("ry", LengthAxis::kVertical);
  if (!get.has("rx"))
    rx = ry;
  if (!get.has("ry"))
    ry = rx;
  rx = std::clamp(rx, 0.0, w / 2.0);
  ry = std::clamp(ry, 0.0, h / 2.0);
  if (rx == 0.0 || ry == 0.0) {
    return "M " + Point(x, y) + " H " + Number(x + w) + " V " + Number(y + h) + " H " + Number(x) +
           " Z";
  }
  // Straight sides of zero length (radius half the side) are left out: they add nothing.
  std::string d = "M " + Point(x + rx, y);
  if (x + rx < x + w - rx)
    d += " H " + Number(x + w - rx);
  d += Arc(rx, ry, x + w, y + ry);
  if (y + ry < y + h - ry)
    d += " V " + Number(y + h - ry);
  d += Arc(rx, ry, x + w - rx, y + h);
  if (x + rx < x + w - rx)
    d += " H " + Number(x + rx);
  d += Arc(rx, ry, x, y + h - ry);
  if (y + ry < y + h - ry)
    d += " V " + Number(y + ry);
  d += Arc(rx, ry, x + rx, y);
  return d + " Z";
}

std::string Ellipse(double cx, double cy, double rx, double ry) {
  if (!(rx > 0.0 && ry > 0.0))
    return "";
  return "M " + Point(cx + rx, cy) + Arc(rx, ry, cx, cy + ry) + Arc(rx, ry, cx - rx, cy) +
         Arc(rx, ry, cx, cy - ry) + Arc(rx, ry, cx + rx, cy) + " Z";
}

std::string Poly(const SvgElement& element, bool closed) {
  const std::string* text = element.attribute("points");
  if (text == nullptr)
    return "";
  const std::string_view t = *text;
  std::vector<double> v;
  std::size_t pos = 0;
  const auto skip = [&] {
    while (pos < t.size() && IsSpace(t[pos]))
      ++pos;
  };
  skip();
  while (pos < t.size()) {
    if (!v.empty() && t[pos] == ',') {
      ++pos;
      skip();
    }
    const SvgNumber n = ScanSvgNumber(t, pos);
    if (n.status != SvgNumber::Status::kOk) {
      throw CliError("points, offset " + std::to_string(n.end) + ": expected a number");
    }
    v.push_back(n.value);
    pos = n.end;
    skip();
  }
  if (v.size() % 2 != 0)
    throw CliError("points: an odd count of coordinates");
  if (v.size() < 4)
    return "";
  std::string d = "M " + Point(v[0], v[1]);
  for (std::size_t i = 2; i < v.size(); i += 2)
    d += " L " + Point(v[i], v[i + 1]);
  return closed ? d + " Z" : d;
}

}  // namespace

bool IsDrawingElement(const SvgElement& e) {
  static const char* const kNames[] = {"path", "rect",     "circle", "ellipse",
                                       "line", "polyline", "polygon"};
  return e.inSvgNamespace &&
         std::find(std::begin(kNames), std::end(kNames), e.name) != std::end(kNames);
}

std::string ShapePathData(const SvgElement& e, const SvgViewport& viewport) {
  const Lengths get{e, viewport};
  if (e.name == "path") {
    const std::string* d = e.attribute("d");
    const bool blank = d == nullptr || std::all_of(d->begin(), d->end(), IsSpace);
    return blank ? "" : *d;
  }
  if (e.name == "rect")
    return Rect(get);
  if (e.name == "circle") {
    const double r = get("r", LengthAxis::kOther);
    return Ellipse(get("cx", LengthAxis::kHorizontal), get("cy", LengthAxis::kVertical), r, r);
  }
  if (e.name == "ellipse") {
    double rx = get("rx", LengthAxis::kHorizontal);
    double ry = get("ry", LengthAxis::kVertical);
    if (!get.has("rx"))
      rx = ry;
    if (!get.has("ry"))
      ry = rx;
    return Ellipse(get("cx", LengthAxis::kHorizontal), get("cy", LengthAxis::kVertical), rx, ry);
  }
  if (e.name == "line") {
    return "M " + Point(get("x1", LengthAxis::kHorizontal), get("y1", LengthAxis::kVertical)) +
           " L " + Point(get("x2", LengthAxis::kHorizontal), get("y2", LengthAxis::kVertical));
  }
  if (e.name == "polyline" || e.name == "polygon")
    return Poly(e, e.name == "polygon");
  return "";
}

}  // namespace boxwander::cli
