#include "cli/paths/svg_viewport.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "cli/common/cli_error.h"
#include "cli/paths/svg_number.h"

namespace boxwander::cli {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back()))
    text.remove_suffix(1);
  return text;
}

}  // namespace

double SvgViewport::diagonal() const {
  return std::sqrt((width * width + height * height) / 2.0);
}

double ParseLength(std::string_view text, const SvgViewport& viewport, LengthAxis axis) {
  const std::string_view t = Trim(text);
  const SvgNumber n = ScanSvgNumber(t, 0);
  // CSS numbers, unlike path data, need digits after a point: renderers refuse "10.".
  if (n.status != SvgNumber::Status::kOk || t[n.end - 1] == '.') {
    throw CliError("'" + std::string(text) + "' is not a length");
  }
  const std::string_view unit = t.substr(n.end);
  double factor = 1.0;
  if (unit.empty() || unit == "px") {
    factor = 1.0;
  } else if (unit == "in") {
    factor = 96.0;
  } else if (unit == "cm") {
    factor = 96.0 / 2.54;
  } else if (unit == "mm") {
    factor = 96.0 / 25.4;
  } else if (unit == "pt") {
    factor = 96.0 / 72.0;
  } else if (unit == "pc") {
    factor = 16.0;
  } else if (unit == "em") {
    factor = 12.0;
  } else if (unit == "ex") {
    factor = 6.0;
  } else if (unit == "%") {
    factor = (axis == LengthAxis::kHorizontal ? viewport.width
              : axis == LengthAxis::kVertical ? viewport.height
                                              : viewport.diagonal()) /
             100.0;
  } else {
    throw CliError("'" + std::string(text) + "' is not a length (unknown unit)");
  }
  const double value = n.value * factor;
  if (!std::isfinite(value))
    throw CliError("'" + std::string(text) + "' is out of range");
  return value;
}

ViewBox ParseViewBox(std::string_view text) {
  std::vector<double> v;
  std::size_t pos = 0;
  const auto skip = [&] {
    while (pos < text.size() && IsSpace(text[pos]))
      ++pos;
  };
  skip();
  while (pos < text.size()) {
    if (!v.empty() && text[pos] == ',') {
      ++pos;
      skip();
    }
    const SvgNumber n = ScanSvgNumber(text, pos);
    if (n.status != SvgNumber::Status::kOk || v.size() == 4) {
      throw CliError("viewBox \"" + std::string(text) + "\" is not four numbers");
    }
    v.push_back(n.value);
    pos = n.end;
    skip();
  }
  if (v.size() != 4)
    throw CliError("viewBox \"" + std::string(text) + "\" is not four numbers");
  if (v[2] < 0.0 || v[3] < 0.0)
    throw CliError("viewBox \"" + std::string(text) + "\" has a negative size");
  return {v[0], v[1], v[2], v[3]};
}

Affine ViewBoxTransform(const ViewBox& box, double x, double y, double width, double height,
                        std::string_view preserveAspectRatio) {
  std::istringstream words{std::string(preserveAspectRatio)};
  std::string align = "xMidYMid";
  std::string fit = "meet";
  std::string word;
  std::vector<std::string> list;
  while (words >> word)
    list.push_back(word);
  std::size_t k = 0;
  if (k < list.size() && list[k] == "defer")
    ++k;  // only meaningful on <image>
  if (k < list.size())
    align = list[k++];
  if (k < list.size())
    fit = list[k++];
  static const char* const kAligns[] = {"none",     "xMinYMin", "xMidYMin", "xMaxYMin", "xMinYMid",
                                        "xMidYMid", "xMaxYMid", "xMinYMax", "xMidYMax", "xMaxYMax"};
  const bool alignOk =
      std::find(std::begin(kAligns), std::end(kAligns), align) != std::end(kAligns);
  if (!alignOk || (fit != "meet" && fit != "slice") || k != list.size()) {
    throw CliError("preserveAspectRatio \"" + std::string(preserveAspectRatio) +
                   "\" is not an alignment with an optional meet or slice");
  }
  double sx = width / box.width;
  double sy = height / box.height;
  if (align != "none") {
    sx = sy = fit == "meet" ? std::min(sx, sy) : std::max(sx, sy);
  }
  double tx = x - box.x * sx;
  double ty = y - box.y * sy;
  if (align != "none") {
    const std::string xAlign = align.substr(1, 3);
    const std::string yAlign = align.substr(5, 3);
    const double spareX = width - box.width * sx;
    const double spareY = height - box.height * sy;
    tx += xAlign == "Mid" ? spareX / 2.0 : xAlign == "Max" ? spareX : 0.0;
    ty += yAlign == "Mid" ? spareY / 2.0 : yAlign == "Max" ? spareY : 0.0;
  }
  return {sx, 0.0, 0.0, sy, tx, ty};
}

}  // namespace boxwander::cli
