#include "cli/paths/svg_path_data.h"

#include <cmath>
#include <numbers>
#include <optional>

#include "cli/paths/svg_number.h"
#include "common/truncate.h"

namespace boxwander::cli {

PathDataError::PathDataError(std::size_t offset, const std::string& message)
    : CliError("path data, offset " + std::to_string(offset) + ": " + message), offset_(offset) {}

namespace {

using shapes::MaskShape;
using shapes::MaskVertex;
using shapes::ShapePoint;

ShapePoint operator+(ShapePoint a, ShapePoint b) {
  return {a.x + b.x, a.y + b.y};
}
ShapePoint operator-(ShapePoint a, ShapePoint b) {
  return {a.x - b.x, a.y - b.y};
}
ShapePoint operator*(double f, ShapePoint a) {
  return {f * a.x, f * a.y};
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Characters, with the position in the data, for reading path data.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  std::size_t position() const { return pos_; }
  bool atEnd() const { return pos_ >= text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[pos_]; }
  void advance() { ++pos_; }

  void skipSpaces() {
    while (!atEnd() && IsSpace(text_[pos_]))
      ++pos_;
  }
  // Whitespace with at most one comma among it.
  void skipSeparator() {
    skipSpaces();
    if (peek() == ',') {
      ++pos_;
      skipSpaces();
    }
  }
  // Whether a number can start here (after optional separators have been skipped).
  bool atNumber() const {
    const char c = peek();
    return IsDigit(c) || c == '+' || c == '-' || c == '.';
  }

  [[noreturn]] void fail(const std::string& expected) const { fail(pos_, expected); }
  [[noreturn]] void fail(std::size_t at, const std::string& expected) const {
    const std::string found =
        at >= text_.size() ? "the end of the data" : "'" + std::string(1, text_[at]) + "'";
    throw PathDataError(at, "expected " + expected + ", found " + found);
  }

  double number(const char* what) {
    skipSpaces();
    const SvgNumber n = ScanSvgNumber(text_, pos_);
    switch (n.status) {
      case SvgNumber::Status::kOk:
        break;
      case SvgNumber::Status::kNoDigits:
        fail(n.end, what);
      case SvgNumber::Status::kNoExponentDigits:
        fail(n.end, "digits of the exponent");
      case SvgNumber::Status::kOutOfRange:
        throw PathDataError(n.end, "number out of range");
    }
    pos_ = n.end;
    return n.value;
  }

  bool flag(const char* what) {
    skipSpaces();
    const char c = peek();
    if (c != '0' && c != '1')
      fail(what);
    ++pos_;
    return c == '1';
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// The subpaths as they are read, and the drawing state between commands.
class ShapeBuilder {
 public:
  ShapePoint current() const { return current_; }

  void moveTo(ShapePoint p) {
    finish(false);
    current_ = start_ = p;
    ensureOpen();
  }
  void lineTo(ShapePoint p) {
    ensureOpen();
    shape_.vertices.push_back({p, {}, {}});
    current_ = p;
  }
  void cubicTo(ShapePoint c1, ShapePoint c2, ShapePoint p) {
    ensureOpen();
    shape_.vertices.back().out = c1 - current_;
    shape_.vertices.push_back({p, c2 - p, {}});
    current_ = p;
  }
  void close() {
    if (!open_) {
      return;  // a second Z closes nothing more
    }
    auto& v = shape_.vertices;
    if (v.size() >= 2 && v.back().position == v.front().position) {
      v.front().in = v.back().in;
      v.pop_back();
    }
    finish(true);
    current_ = start_;
  }
  // Whether what the last command added (the last vertex, and the handle it gave the one
  // before) is finite.
  bool lastFinite() const {
    const auto finite = [](ShapePoint p) { return std::isfinite(p.x) && std::isfinite(p.y); };
    const auto& v = shape_.vertices;
    for (std::size_t i = v.size() >= 2 ? v.size() - 2 : 0; i < v.size(); ++i) {
      if (!finite(v[i].position) || !finite(v[i].in) || !finite(v[i].out))
        return false;
    }
    return finite(current_);
  }
  std::vector<MaskShape> take() {
    finish(false);
    if (shapes_.empty() && lone_) {
      shapes_.push_back(std::move(*lone_));  // data that draws nothing: its single vertex
    }
    return std::move(shapes_);
  }

 private:
  // A drawing command after Z (or right after M) continues from the current point.
  void ensureOpen() {
    if (!open_) {
      shape_ = {};
      shape_.vertices.push_back({current_, {}, {}});
      open_ = true;
    }
  }
  // A lone moveto leaves a single open vertex: no piece at all, so it is dropped, unless the
  // data holds nothing else.
  void finish(bool closed) {
    if (open_ && (closed || shape_.vertices.size() >= 2)) {
      shape_.closed = closed;
      shapes_.push_back(std::move(shape_));
    } else if (open_) {
      lone_ = std::move(shape_);
    }
    shape_ = {};
    open_ = false;
  }

  std::vector<MaskShape> shapes_;
  std::optional<MaskShape> lone_;  // the last lone moveto
  MaskShape shape_;
  bool open_ = false;
  ShapePoint current_;
  ShapePoint start_;
};

// An elliptical arc from `from` to `to` as cubics of at most a quarter turn each, after
// the endpoint-to-centre conversion of SVG implementations (radii enlarged when too small).
void ArcTo(ShapeBuilder& out, ShapePoint from, double rx, double ry, double rotationDegrees,
           bool largeArc, bool sweep, ShapePoint to) {
  if (from == to) {
    return;  // an arc to its own start is omitted
  }
  rx = std::abs(rx);
  ry = std::abs(ry);
  if (rx == 0.0 || ry == 0.0) {
    out.lineTo(to);
    return;
  }
  const double phi = rotationDegrees * (std::numbers::pi / 180.0);
  const double cosPhi = std::cos(phi);
  const double sinPhi = std::sin(phi);
  const double hx = 0.5 * (from.x - to.x);
  const double hy = 0.5 * (from.y - to.y);
  const double x1 = cosPhi * hx + sinPhi * hy;
  const double y1 = -sinPhi * hx + cosPhi * hy;
  const double lambda = (x1 * x1) / (rx * rx) + (y1 * y1) / (ry * ry);
  if (lambda > 1.0) {
    const double grow = std::sqrt(lambda);
    rx *= grow;
    ry *= grow;
  }
  const double rx2 = rx * rx;
  const double ry2 = ry * ry;
  const double den = rx2 * y1 * y1 + ry2 * x1 * x1;
  double radicand = den > 0.0 ? (rx2 * ry2 - den) / den : 0.0;
  if (!(radicand > 0.0))
    radicand = 0.0;
  const double coef = (largeArc == sweep ? -1.0 : 1.0) * std::sqrt(radicand);
  const double cx1 = coef * (rx * y1 / ry);
  const double cy1 = coef * -(ry * x1 / rx);
  const double cx = cosPhi * cx1 - sinPhi * cy1 + 0.5 * (from.x + to.x);
  const double cy = sinPhi * cx1 + cosPhi * cy1 + 0.5 * (from.y + to.y);

  const double theta = std::atan2((y1 - cy1) / ry, (x1 - cx1) / rx);
  double delta = std::atan2((-y1 - cy1) / ry, (-x1 - cx1) / rx) - theta;
  if (sweep && delta < 0.0)
    delta += 2.0 * std::numbers::pi;
  if (!sweep && delta > 0.0)
    delta -= 2.0 * std::numbers::pi;

  const double quarter = 0.5 * std::numbers::pi;
  int pieces = TruncateToInt32(std::ceil(std::abs(delta) / quarter - 1e-9));
  if (pieces < 1)
    pieces = 1;
  const double step = delta / pieces;
  const double k = 4.0 / 3.0 * std::tan(step / 4.0);
  const auto onEllipse = [&](double ux, double uy) {
    const double ex = rx * ux;
    const double ey = ry * uy;
    return ShapePoint{cosPhi * ex - sinPhi * ey + cx, sinPhi * ex + cosPhi * ey + cy};
  };
  for (int i = 0; i < pieces; ++i) {
    const double a = theta + step * i;
    const double b = a + step;
    const double ca = std::cos(a), sa = std::sin(a);
    const double cb = std::cos(b), sb = std::sin(b);
    const ShapePoint c1 = onEllipse(ca - k * sa, sa + k * ca);
    const ShapePoint c2 = onEllipse(cb + k * sb, sb - k * cb);
    // The last piece ends exactly on the given end point.
    const ShapePoint end = i + 1 == pieces ? to : onEllipse(cb, sb);
    out.cubicTo(c1, c2, end);
  }
}

}  // namespace

std::vector<MaskShape> ParseSvgPathData(std::string_view data) {
  Scanner in(data);
  ShapeBuilder out;
  in.skipSpaces();
  if (in.atEnd()) {
    throw PathDataError(in.position(), "path data is empty");
  }
  if (in.peek() != 'M' && in.peek() != 'm') {
    in.fail("a moveto command 'M' or 'm' first");
  }
  // The previous command's second cubic control or quadratic control, for S and T.
  std::optional<ShapePoint> lastCubic;
  std::optional<ShapePoint> lastQuad;
  char command = '\0';
  while (true) {
    in.skipSeparator();
    if (in.atEnd())
      break;
    const std::size_t at = in.position();
    const char c = in.peek();
    if (std::string_view("MmLlHhVvCcSsQqTtAaZz").find(c) != std::string_view::npos) {
      command = c;
      in.advance();
    } else if (!in.atNumber() || command == '\0' || command == 'Z' || command == 'z') {
      in.fail("a path command");
    }
    const bool relative = command >= 'a' && command <= 'z';
    const ShapePoint base = relative ? out.current() : ShapePoint{};
    const auto point = [&]() {
      const double x = in.number("a number");
      in.skipSeparator();
      const double y = in.number("a number");
      return ShapePoint{x, y} + base;
    };
    std::optional<ShapePoint> nextCubic;
    std::optional<ShapePoint> nextQuad;
    switch (command) {
      case 'M':
      case 'm':
        out.moveTo(point());
        // Further pairs after a moveto are implicit linetos.
        command = relative ? 'l' : 'L';
        break;
      case 'L':
      case 'l':
        out.lineTo(point());
        break;
      case 'H':
      case 'h': {
        const double x = in.number("a number");
        out.lineTo({relative ? base.x + x : x, out.current().y});
        break;
      }
      case 'V':
      case 'v': {
        const double y = in.number("a number");
        out.lineTo({out.current().x, relative ? base.y + y : y});
        break;
      }
      case 'C':
      case 'c': {
        const ShapePoint c1 = point();
        in.skipSeparator();
        const ShapePoint c2 = point();
        in.skipSeparator();
        const ShapePoint p = point();
        out.cubicTo(c1, c2, p);
        nextCubic = c2;
        break;
      }
      case 'S':
      case 's': {
        const ShapePoint cur = out.current();
        const ShapePoint c1 = lastCubic ? cur + (cur - *lastCubic) : cur;
        const ShapePoint c2 = point();
        in.skipSeparator();
        const ShapePoint p = point();
        out.cubicTo(c1, c2, p);
        nextCubic = c2;
        break;
      }
      case 'Q':
      case 'q':
      case 'T':
      case 't': {
        const ShapePoint cur = out.current();
        ShapePoint q;
        if (command == 'Q' || command == 'q') {
          q = point();
          in.skipSeparator();
        } else {
          q = lastQuad ? cur + (cur - *lastQuad) : cur;
        }
        const ShapePoint p = point();
        // A quadratic raised to a cubic: controls two thirds of the way to the quadratic's.
        out.cubicTo(cur + (2.0 / 3.0) * (q - cur), p + (2.0 / 3.0) * (q - p), p);
        nextQuad = q;
        break;
      }
      case 'A':
      case 'a': {
        const double rx = in.number("a radius");
        in.skipSeparator();
        const double ry = in.number("a radius");
        in.skipSeparator();
        const double rotation = in.number("an angle");
        in.skipSeparator();
        const bool large = in.flag("a flag '0' or '1'");
        in.skipSeparator();
        const bool sweep = in.flag("a flag '0' or '1'");
        in.skipSeparator();
        ArcTo(out, out.current(), rx, ry, rotation, large, sweep, point());
        break;
      }
      default:  // Z or z
        out.close();
        break;
    }
    if (!out.lastFinite()) {
      throw PathDataError(at, "coordinates out of range");
    }
    lastCubic = nextCubic;
    lastQuad = nextQuad;
  }
  return out.take();
}

}  // namespace boxwander::cli
