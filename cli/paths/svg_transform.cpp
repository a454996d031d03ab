#include "cli/paths/svg_transform.h"

#include <cctype>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "cli/common/cli_error.h"
#include "cli/paths/svg_number.h"

namespace boxwander::cli {

using shapes::ShapePoint;

Affine Affine::operator*(const Affine& in) const {
  return {a * in.a + c * in.b, b * in.a + d * in.b,     a * in.c + c * in.d,
          b * in.c + d * in.d, a * in.e + c * in.f + e, b * in.e + d * in.f + f};
}

ShapePoint Affine::apply(ShapePoint p) const {
  return {a * p.x + c * p.y + e, b * p.x + d * p.y + f};
}

ShapePoint Affine::applyLinear(ShapePoint v) const {
  return {a * v.x + c * v.y, b * v.x + d * v.y};
}

Affine Translation(double x, double y) {
  return {1.0, 0.0, 0.0, 1.0, x, y};
}

Affine Scaling(double x, double y) {
  return {x, 0.0, 0.0, y, 0.0, 0.0};
}

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

double Radians(double degrees) {
  return degrees * (std::numbers::pi / 180.0);
}

class TransformReader {
 public:
  explicit TransformReader(std::string_view text) : text_(text) {}

  Affine read() {
    Affine result;
    skipSpaces();
    bool first = true;
    while (pos_ < text_.size()) {
      if (!first) {
        // Transforms are separated by whitespace and at most one comma.
        if (text_[pos_] == ',') {
          ++pos_;
          skipSpaces();
        }
      }
      result = result * one();
      first = false;
      skipSpaces();
    }
    return result;
  }

 private:
  [[noreturn]] void fail(std::size_t at, const std::string& expected) const {
    const std::string found =
        at >= text_.size() ? "the end of the list" : "'" + std::string(1, text_[at]) + "'";
    throw CliError("transform, offset " + std::to_string(at) + ": expected " + expected +
                   ", found " + found);
  }

  void skipSpaces() {
    while (pos_ < text_.size() && IsSpace(text_[pos_]))
      ++pos_;
  }

  Affine one() {
    const std::size_t nameAt = pos_;
    while (pos_ < text_.size() && std::isalpha(static_cast<unsigned char>(text_[pos_])))
      ++pos_;
    const std::string_view name = text_.substr(nameAt, pos_ - nameAt);
    std::size_t least = 0, most = 0;
    if (name == "matrix") {
      least = most = 6;
    } else if (name == "translate" || name == "scale") {
      least = 1, most = 2;
    } else if (name == "rotate") {
      least = 1, most = 3;
    } else if (name == "skewX" || name == "skewY") {
      least = most = 1;
    } else {
      fail(nameAt, "matrix, translate, scale, rotate, skewX or skewY");
    }
    skipSpaces();
    if (pos_ >= text_.size() || text_[pos_] != '(')
      fail(pos_, "'('");
    ++pos_;
    std::vector<double> v;
    skipSpaces();
    while (pos_ < text_.size() && text_[pos_] != ')') {
      if (!v.empty() && text_[pos_] == ',') {
        ++pos_;
        skipSpaces();
      }
      const SvgNumber n = ScanSvgNumber(text_, pos_);
      if (n.status != SvgNumber::Status::kOk) {
        fail(n.end, n.status == SvgNumber::Status::kOutOfRange         ? "a number in range"
                    : n.status == SvgNumber::Status::kNoExponentDigits ? "digits of the exponent"
                                                                       : "a number");
      }
      if (v.size() == most)
        fail(pos_, "')' after " + std::to_string(most) + " numbers of " + std::string(name));
      v.push_back(n.value);
      pos_ = n.end;
      skipSpaces();
    }
    if (pos_ >= text_.size())
      fail(pos_, "')'");
    const bool countOk = v.size() >= least && (name != "rotate" || v.size() != 2);
    if (!countOk) {
      fail(pos_, name == "rotate" ? "1 or 3 numbers in rotate"
                 : least == most  ? std::to_string(least) + " numbers in " + std::string(name)
                                  : "1 or 2 numbers in " + std::string(name));
    }
    ++pos_;  // ')'
    if (name == "matrix")
      return {v[0], v[1], v[2], v[3], v[4], v[5]};
    if (name == "translate")
      return Translation(v[0], v.size() > 1 ? v[1] : 0.0);
    if (name == "scale")
      return Scaling(v[0], v.size() > 1 ? v[1] : v[0]);
    if (name == "rotate") {
      const double cs = std::cos(Radians(v[0]));
      const double sn = std::sin(Radians(v[0]));
      const Affine r{cs, sn, -sn, cs, 0.0, 0.0};
      if (v.size() == 1)
        return r;
      return Translation(v[1], v[2]) * r * Translation(-v[1], -v[2]);
    }
    const double t = std::tan(Radians(v[0]));
    return name == "skewX" ? Affine{1.0, 0.0, t, 1.0, 0.0, 0.0}
                           : Affine{1.0, t, 0.0, 1.0, 0.0, 0.0};
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

Affine ParseTransformList(std::string_view text) {
  return TransformReader(text).read();
}

shapes::MaskShape TransformShape(const shapes::MaskShape& shape, const Affine& m) {
  shapes::MaskShape out = shape;
  for (shapes::MaskVertex& v : out.vertices) {
    v.position = m.apply(v.position);
    v.in = m.applyLinear(v.in);
    v.out = m.applyLinear(v.out);
  }
  return out;
}

}  // namespace boxwander::cli
