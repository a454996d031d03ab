#include "cli/paths/svg_file.h"

#include <cstdint>
#include <optional>

#include "cli/common/cli_error.h"

namespace boxwander::cli {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

[[noreturn]] void Fail(std::size_t offset, const std::string& what) {
  throw CliError("SVG, offset " + std::to_string(offset) + ": " + what);
}

// Decodes the five named entities and numeric references of ASCII characters.
std::string DecodeReferences(std::string_view value, std::size_t offset) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '&') {
      out += value[i];
      continue;
    }
    const std::size_t end = value.find(';', i);
    if (end == std::string_view::npos)
      Fail(offset + i, "unterminated character reference");
    const std::string_view name = value.substr(i + 1, end - i - 1);
    if (name == "amp") {
      out += '&';
    } else if (name == "lt") {
      out += '<';
    } else if (name == "gt") {
      out += '>';
    } else if (name == "quot") {
      out += '"';
    } else if (name == "apos") {
      out += '\'';
    } else if (name.size() >= 2 && name[0] == '#') {
      const bool hex = name[1] == 'x' || name[1] == 'X';
      const std::string_view digits = name.substr(hex ? 2 : 1);
      std::uint32_t code = 0;
      bool ok = !digits.empty() && digits.size() <= 6;
      for (const char c : digits) {
        std::uint32_t d = 0;
        if (c >= '0' && c <= '9') {
          d = static_cast<std::uint32_t>(c - '0');
        } else if (hex && c >= 'a' && c <= 'f') {
          d = static_cast<std::uint32_t>(c - 'a' + 10);
        } else if (hex && c >= 'A' && c <= 'F') {
          d = static_cast<std::uint32_t>(c - 'A' + 10);
        } else {
          ok = false;
          break;
        }
        code = code * (hex ? 16 : 10) + d;
      }
      // Path data is ASCII; anything else could only be an error in it.
      if (!ok || code == 0 || code > 127)
        Fail(offset + i, "unsupported character reference");
      out += static_cast<char>(code);
    } else {
      Fail(offset + i, "unknown entity '&" + std::string(name) + ";'");
    }
    i = end;
  }
  return out;
}

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  std::string firstPathData() {
    while (true) {
      const std::size_t open = text_.find('<', pos_);
      if (open == std::string_view::npos) {
        throw CliError("SVG: no <path> element");
      }
      pos_ = open;
      if (startsWith("<!--")) {
        skipPast("-->", "unterminated comment");
      } else if (startsWith("<![CDATA[")) {
        skipPast("]]>", "unterminated CDATA section");
      } else if (startsWith("<?")) {
        skipPast("?>", "unterminated processing instruction");
      } else if (startsWith("<!")) {
        skipDeclaration();
      } else if (startsWith("</")) {
        skipPast(">", "unterminated end tag");
      } else if (auto d = readTag()) {
        return *d;
      }
    }
  }

 private:
  bool startsWith(std::string_view s) const { return text_.substr(pos_, s.size()) == s; }

  void skipPast(std::string_view end, const char* error) {
    const std::size_t at = text_.find(end, pos_);
    if (at == std::string_view::npos)
      Fail(pos_, error);
    pos_ = at + end.size();
  }

  // <!DOCTYPE ...> with an optional internal subset in brackets.
  void skipDeclaration() {
    const std::size_t start = pos_;
    int depth = 0;
    for (; pos_ < text_.size(); ++pos_) {
      const char c = text_[pos_];
      if (c == '[')
        ++depth;
      if (c == ']')
        --depth;
      if (c == '>' && depth <= 0) {
        ++pos_;
        return;
      }
    }
    Fail(start, "unterminated declaration");
  }

  void skipSpaces() {
    while (pos_ < text_.size() && IsSpace(text_[pos_]))
      ++pos_;
  }

  std::string_view readName() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !IsSpace(text_[pos_]) && text_[pos_] != '/' &&
           text_[pos_] != '>' && text_[pos_] != '=') {
      ++pos_;
    }
    return text_.substr(start, pos_ - start);
  }

  // Reads one start tag; returns the decoded d value when it is the first <path>.
  std::optional<std::string> readTag() {
    const std::size_t start = pos_;
    ++pos_;  // '<'
    std::string_view name = readName();
    if (name.empty())
      Fail(start, "malformed tag");
    // A namespace prefix (svg:path) does not change the element.
    if (const auto colon = name.rfind(':'); colon != std::string_view::npos) {
      name = name.substr(colon + 1);
    }
    const bool isPath = name == "path";
    while (true) {
      skipSpaces();
      if (pos_ >= text_.size())
        Fail(start, "unterminated tag");
      if (text_[pos_] == '>' || startsWith("/>")) {
        pos_ += text_[pos_] == '>' ? 1 : 2;
        if (isPath)
          Fail(start, "the first <path> element has no d attribute");
        return std::nullopt;
      }
      const std::size_t attributeAt = pos_;
      const std::string_view attribute = readName();
      skipSpaces();
      if (attribute.empty() || pos_ >= text_.size() || text_[pos_] != '=') {
        Fail(attributeAt, "malformed attribute");
      }
      ++pos_;
      skipSpaces();
      const char quote = pos_ < text_.size() ? text_[pos_] : '\0';
      if (quote != '"' && quote != '\'')
        Fail(pos_, "expected a quoted attribute value");
      const std::size_t valueAt = pos_ + 1;
      const std::size_t end = text_.find(quote, valueAt);
      if (end == std::string_view::npos)
        Fail(pos_, "unterminated attribute value");
      pos_ = end + 1;
      if (isPath && attribute == "d") {
        return DecodeReferences(text_.substr(valueAt, end - valueAt), valueAt);
      }
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

std::string FirstPathData(std::string_view document) {
  return Reader(document).firstPathData();
}

}  // namespace boxwander::cli
