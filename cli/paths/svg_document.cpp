#include "cli/paths/svg_document.h"

#include <expat.h>

#include <limits>

#include "cli/common/cli_error.h"

namespace boxwander::cli {
namespace {

constexpr std::string_view kSvgNamespace = "http://www.w3.org/2000/svg";
constexpr char kSeparator = '\x01';
// Deeper nesting than any drawing needs; it bounds the recursion that walks the tree.
constexpr int kMaxDepth = 256;

struct Builder {
  XML_Parser parser = nullptr;
  std::unique_ptr<SvgElement> root;
  std::vector<SvgElement*> open;
  std::string error;
};

// Splits expat's "namespace<separator>local" names.
void SplitName(std::string_view full, std::string& local, std::string_view& space) {
  const std::size_t at = full.rfind(kSeparator);
  if (at == std::string_view::npos) {
    local = std::string(full);
    space = {};
  } else {
    local = std::string(full.substr(at + 1));
    space = full.substr(0, at);
  }
}

void XMLCALL Start(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto& b = *static_cast<Builder*>(data);
  if (static_cast<int>(b.open.size()) >= kMaxDepth) {
    b.error = "elements nest deeper than " + std::to_string(kMaxDepth) + " levels";
    XML_StopParser(b.parser, XML_FALSE);
    return;
  }
  auto element = std::make_unique<SvgElement>();
  std::string_view space;
  SplitName(name, element->name, space);
  element->inSvgNamespace = space.empty() || space == kSvgNamespace;
  element->line = static_cast<long>(XML_GetCurrentLineNumber(b.parser));
  for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
    std::string key;
    SplitName(a[0], key, space);
    if (space.empty())
      element->attributes[key] = a[1];
  }
  SvgElement* raw = element.get();
  if (b.open.empty()) {
    b.root = std::move(element);
  } else {
    b.open.back()->children.push_back(std::move(element));
  }
  b.open.push_back(raw);
}

void XMLCALL End(void* data, const XML_Char*) {
  static_cast<Builder*>(data)->open.pop_back();
}

}  // namespace

const std::string* SvgElement::attribute(const std::string& key) const {
  const auto it = attributes.find(key);
  return it == attributes.end() ? nullptr : &it->second;
}

std::string SvgElement::describe() const {
  const std::string* id = attribute("id");
  return "<" + name + (id ? " id=\"" + *id + "\"" : "") + "> (line " + std::to_string(line) + ")";
}

std::unique_ptr<SvgElement> ParseSvgDocument(std::string_view text) {
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    throw CliError("SVG: document too large");
  }
  const std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)> parser(
      XML_ParserCreateNS(nullptr, kSeparator), XML_ParserFree);
  if (!parser)
    throw CliError("SVG: out of memory");
  Builder b;
  b.parser = parser.get();
  XML_SetUserData(b.parser, &b);
  XML_SetElementHandler(b.parser, Start, End);
  // Parameter entities and the external DTD subset are never read; with no handler for
  // external entity references, such references are skipped rather than loaded.
  XML_SetParamEntityParsing(b.parser, XML_PARAM_ENTITY_PARSING_NEVER);
  const XML_Status status =
      XML_Parse(b.parser, text.data(), static_cast<int>(text.size()), XML_TRUE);
  if (status != XML_STATUS_OK) {
    const std::string where = "line " + std::to_string(XML_GetCurrentLineNumber(b.parser)) +
                              ", column " +
                              std::to_string(XML_GetCurrentColumnNumber(b.parser) + 1);
    const std::string what =
        b.error.empty() ? XML_ErrorString(XML_GetErrorCode(b.parser)) : b.error;
    throw CliError("XML, " + where + ": " + what);
  }
  if (!b.root)
    throw CliError("XML: no root element");
  if (b.root->name != "svg" || !b.root->inSvgNamespace) {
    throw CliError("not an SVG document: the root element is <" + b.root->name + ">" +
                   (b.root->inSvgNamespace ? "" : " outside the SVG namespace"));
  }
  return std::move(b.root);
}

}  // namespace boxwander::cli
