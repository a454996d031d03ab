#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace boxwander::cli {

// An element of an SVG document, as far as geometry needs it: text, comments and processing
// instructions are left out, entities and character references are resolved.
struct SvgElement {
  std::string name;             // the local name, without a prefix (svg:path is "path")
  bool inSvgNamespace = false;  // the SVG namespace, or none at all
  std::map<std::string, std::string> attributes;  // attributes in no namespace
  std::vector<std::unique_ptr<SvgElement>> children;
  long line = 0;

  const std::string* attribute(const std::string& key) const;
  // "<path id="outline"> (line 12)", or "<rect> (line 4)" without an id, for messages.
  std::string describe() const;
};

// Reads an SVG document with expat. Nothing outside the text is ever loaded: external
// entities and DTDs are not fetched, and entity expansion is bounded by expat's protection
// against amplification. Throws CliError with the line and column of malformed XML, or
// when the root element is not <svg> (in the SVG namespace or none) or the elements nest
// too deeply.
std::unique_ptr<SvgElement> ParseSvgDocument(std::string_view text);

}  // namespace boxwander::cli
