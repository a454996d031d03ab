#include "cli/paths/svg_drawing.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <utility>

#include "cli/common/cli_error.h"
#include "cli/paths/svg_basic_shapes.h"
#include "cli/paths/svg_document.h"
#include "cli/paths/svg_path_data.h"
#include "cli/paths/svg_transform.h"

namespace boxwander::cli {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back()))
    text.remove_suffix(1);
  return std::string(text);
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// display="none", as an attribute or in the style attribute (the only style read: it
// decides whether anything is drawn at all).
bool DisplayNone(const SvgElement& e) {
  if (const std::string* d = e.attribute("display"); d && Trim(*d) == "none")
    return true;
  const std::string* style = e.attribute("style");
  if (!style)
    return false;
  std::string_view rest = *style;
  bool none = false;
  while (!rest.empty()) {
    const std::size_t semicolon = rest.find(';');
    const std::string_view declaration = rest.substr(0, semicolon);
    rest = semicolon == std::string_view::npos ? "" : rest.substr(semicolon + 1);
    const std::size_t colon = declaration.find(':');
    if (colon == std::string_view::npos)
      continue;
    if (Lower(Trim(declaration.substr(0, colon))) == "display") {
      std::string value = Lower(Trim(declaration.substr(colon + 1)));
      if (const std::size_t bang = value.find('!'); bang != std::string::npos)
        value = Trim(std::string_view(value).substr(0, bang));
      none = value == "none";  // the last declaration wins
    }
  }
  return none;
}

bool NeverDrawn(const std::string& name) {
  static const char* const kNames[] = {"defs", "clipPath", "mask", "symbol", "marker", "pattern"};
  return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

bool IsContainer(const std::string& name) {
  return name == "g" || name == "a" || name == "svg" || name == "switch";
}

class Walker {
 public:
  explicit Walker(SvgDrawing& out) : out_(out) {}

  void root(const SvgElement& svg) {
    const SvgViewport none;
    const std::string* vbText = svg.attribute("viewBox");
    const auto absolute = [&](const char* name, LengthAxis axis) -> std::optional<double> {
      const std::string* v = svg.attribute(name);
      if (!v || Trim(*v).empty() || Trim(*v) == "auto" || Trim(*v).back() == '%')
        return std::nullopt;
      return ParseLength(*v, none, axis);
    };
    std::optional<double> width, height;
    std::optional<ViewBox> box;
    try {
      width = absolute("width", LengthAxis::kHorizontal);
      height = absolute("height", LengthAxis::kVertical);
      if (vbText)
        box = ParseViewBox(*vbText);
    } catch (const CliError& e) {
      throw CliError(svg.describe() + ": " + e.what());
    }
    // Without a size of its own the document takes its viewBox's, or the other side's
    // proportion of it, as SVG renderers do.
    if (box && box->width > 0.0 && box->height > 0.0) {
      if (!width && !height) {
        width = box->width;
        height = box->height;
      } else if (!width) {
        width = *height * box->width / box->height;
      } else if (!height) {
        height = *width * box->height / box->width;
      }
    }
    out_.layer = {width.value_or(0.0), height.value_or(0.0)};
    if ((width && !(*width > 0.0)) || (height && !(*height > 0.0))) {
      children(svg, Affine{}, out_.layer, "in an <svg> of no size");  // draws nothing
      return;
    }
    viewportThenChildren(svg, Affine{}, out_.layer, box, "");
  }

 private:
  // The children of an <svg>, mapped from its viewBox (if any) onto its viewport.
  void viewportThenChildren(const SvgElement& svg, const Affine& ctm, const SvgViewport& port,
                            const std::optional<ViewBox>& box, const std::string& hidden) {
    Affine inner = ctm;
    SvgViewport childPort = port;
    if (box) {
      if (box->width == 0.0 || box->height == 0.0) {
        // A viewBox of no size draws nothing.
        children(svg, ctm, port, "in an <svg> whose viewBox has no size");
        return;
      }
      const std::string* pAR = svg.attribute("preserveAspectRatio");
      try {
        inner = ctm * ViewBoxTransform(*box, 0.0, 0.0, port.width, port.height, pAR ? *pAR : "");
      } catch (const CliError& e) {
        throw CliError(svg.describe() + ": " + e.what());
      }
      childPort = {box->width, box->height};
    }
    children(svg, inner, childPort, hidden);
  }

  void children(const SvgElement& e, const Affine& ctm, const SvgViewport& port,
                const std::string& hidden) {
    for (const auto& child : e.children) {
      visit(*child, ctm, port, hidden);
      // A <switch> draws only its first child (conditions are not evaluated).
      if (e.name == "switch" && child->inSvgNamespace && hidden.empty())
        break;
    }
  }

  void visit(const SvgElement& e, const Affine& parent, const SvgViewport& port,
             std::string hidden) {
    if (!e.inSvgNamespace)
      return;  // editors' own elements (sodipodi:namedview, metadata): not drawn
    const std::string* id = e.attribute("id");
    if (hidden.empty() && DisplayNone(e))
      hidden = "under display=\"none\"";
    const bool drawing = IsDrawingElement(e);
    if (id && !drawing && !IsContainer(e.name)) {
      out_.notShapes.emplace(*id, e.describe() + " is not a shape");
    } else if (id && !hidden.empty()) {
      out_.notDrawn.emplace(*id, e.describe() + " is " + hidden + ", not drawn");
    } else if (id && !drawing) {
      out_.notShapes.emplace(*id, e.describe() + " is a group, not a shape");
    }
    if (NeverDrawn(e.name)) {
      if (hidden.empty())
        hidden = "inside <" + e.name + ">";
      children(e, parent, port, hidden);
      return;
    }
    if (!hidden.empty()) {
      if (IsContainer(e.name))
        children(e, parent, port, hidden);
      return;
    }
    if (!drawing && !IsContainer(e.name)) {
      if (e.name == "use" || e.name == "text" || e.name == "image" || e.name == "foreignObject")
        ++out_.ignored[e.name];
      return;
    }
    // A malformed transform or geometry spoils the shapes it applies to, not the document:
    // they are refused with the reason when picked, the others stay available.
    Affine ctm = parent;
    std::string error = broken_;
    if (error.empty()) {
      try {
        if (const std::string* t = e.attribute("transform"))
          ctm = parent * ParseTransformList(*t);
      } catch (const CliError& x) {
        error = e.describe() + ": " + x.what();
      }
    }
    if (drawing) {
      if (error.empty()) {
        try {
          shape(e, ctm, port);
          return;
        } catch (const CliError& x) {
          error = e.describe() + ": " + x.what();
        }
      }
      unreadable(e, error);
      return;
    }
    const std::string outer = std::exchange(broken_, error);
    if (e.name == "svg") {
      nested(e, ctm, port);
    } else {
      children(e, ctm, port, hidden);
    }
    broken_ = outer;
  }

  void unreadable(const SvgElement& e, const std::string& error) {
    SvgShape s;
    s.element = e.name;
    s.label = e.describe();
    if (const std::string* id = e.attribute("id"))
      s.id = *id;
    s.error = error;
    out_.shapes.push_back(std::move(s));
  }

  void nested(const SvgElement& svg, const Affine& ctm, const SvgViewport& port) {
    const auto length = [&](const char* name, LengthAxis axis, const char* fallback) {
      const std::string* v = svg.attribute(name);
      const std::string text = v && Trim(*v) != "auto" ? *v : fallback;
      return ParseLength(text, port, axis);
    };
    double x = 0.0, y = 0.0, w = 0.0, h = 0.0;
    std::optional<ViewBox> box;
    try {
      x = length("x", LengthAxis::kHorizontal, "0");
      y = length("y", LengthAxis::kVertical, "0");
      w = length("width", LengthAxis::kHorizontal, "100%");
      h = length("height", LengthAxis::kVertical, "100%");
      if (const std::string* vb = svg.attribute("viewBox"))
        box = ParseViewBox(*vb);
    } catch (const CliError& e) {
      if (broken_.empty()) {
        const std::string outer = std::exchange(broken_, svg.describe() + ": " + e.what());
        children(svg, ctm, port, "");
        broken_ = outer;
        return;
      }
    }
    if (!(w > 0.0 && h > 0.0)) {
      children(svg, ctm, port, "in an <svg> of no size");
      return;
    }
    viewportThenChildren(svg, ctm * Translation(x, y), {w, h}, box, "");
  }

  void shape(const SvgElement& e, const Affine& ctm, const SvgViewport& port) {
    SvgShape s;
    s.element = e.name;
    s.label = e.describe();
    if (const std::string* id = e.attribute("id"))
      s.id = *id;
    const std::string data = ShapePathData(e, port);
    if (!data.empty()) {
      for (const shapes::MaskShape& sub : ParseSvgPathData(data))
        s.subpaths.push_back(TransformShape(sub, ctm));
    }
    for (const shapes::MaskShape& sub : s.subpaths) {
      for (const shapes::MaskVertex& v : sub.vertices) {
        for (const shapes::ShapePoint& p : {v.position, v.in, v.out}) {
          if (!std::isfinite(p.x) || !std::isfinite(p.y))
            throw CliError("coordinates out of range once transformed");
        }
      }
    }
    if (s.subpaths.empty()) {
      if (!s.id.empty())
        out_.notDrawn.emplace(s.id, s.label + " draws nothing (no path data, or no size)");
      return;
    }
    out_.shapes.push_back(std::move(s));
  }

  SvgDrawing& out_;
  std::string broken_;  // why the shapes below cannot be read, from an enclosing element
};

}  // namespace

SvgDrawing ReadSvgDrawing(std::string_view document) {
  const std::unique_ptr<SvgElement> root = ParseSvgDocument(document);
  SvgDrawing drawing;
  Walker(drawing).root(*root);
  return drawing;
}

}  // namespace boxwander::cli
