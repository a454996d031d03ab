#include "minihost/property_list.h"

#include "minihost/load_error.h"

namespace boxwander::minihost {
namespace {

constexpr std::uint16_t kResourceVersion = 1;
constexpr std::size_t kListHeaderSize = 2 + 4 + 4;
constexpr std::size_t kPropertyHeaderSize = 4 * 4;

[[noreturn]] void Malformed(const std::string& what, std::size_t offset) {
  throw LoadError(LoadError::Kind::kMalformedPropertyList,
                  "malformed property list: " + what + " at byte " + std::to_string(offset));
}

std::uint32_t Read32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

}  // namespace

std::string FourCCText(std::uint32_t code) {
  std::string text(4, ' ');
  for (int i = 0; i < 4; ++i) {
    text[static_cast<std::size_t>(i)] = static_cast<char>((code >> (24 - 8 * i)) & 0xFF);
  }
  return text;
}

const Property* PropertyList::find(std::uint32_t key) const noexcept {
  for (const Property& p : properties) {
    if (p.key == key) {
      return &p;
    }
  }
  return nullptr;
}

std::optional<std::string> PropertyList::pascalString(std::uint32_t key) const {
  const Property* p = find(key);
  if (p == nullptr || p->data.empty() || p->data[0] + std::size_t{1} > p->data.size()) {
    return std::nullopt;
  }
  return std::string(p->data.begin() + 1, p->data.begin() + 1 + p->data[0]);
}

std::optional<std::uint32_t> PropertyList::word32(std::uint32_t key) const {
  const Property* p = find(key);
  if (p == nullptr || p->data.size() != 4) {
    return std::nullopt;
  }
  return Read32(p->data, 0);
}

std::optional<std::uint16_t> PropertyList::word16(std::uint32_t key, std::size_t at) const {
  const Property* p = find(key);
  if (p == nullptr || at > p->data.size() || p->data.size() - at < 2) {
    return std::nullopt;
  }
  return static_cast<std::uint16_t>(p->data[at] | (p->data[at + 1] << 8));
}

std::optional<std::string> PropertyList::cString(std::uint32_t key) const {
  const Property* p = find(key);
  if (p == nullptr) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < p->data.size(); ++i) {
    if (p->data[i] == 0) {
      return std::string(p->data.begin(), p->data.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  return std::nullopt;
}

std::string PropertyList::codeEntry() const {
  const auto name = cString(FourCC("wx86"));
  if (!name || name->empty()) {
    throw LoadError(LoadError::Kind::kEntryNotFound,
                    "the property list names no code entry (wx86)");
  }
  return *name;
}

PropertyList DecodePropertyList(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kListHeaderSize) {
    Malformed("truncated header", bytes.size());
  }
  PropertyList list;
  list.resourceVersion = static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
  if (list.resourceVersion != kResourceVersion) {
    Malformed("resource version " + std::to_string(list.resourceVersion), 0);
  }
  list.listVersion = Read32(bytes, 2);
  const std::uint32_t count = Read32(bytes, 6);
  std::size_t at = kListHeaderSize;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::string which = "property " + std::to_string(i + 1) + " of " + std::to_string(count);
    if (bytes.size() - at < kPropertyHeaderSize) {
      Malformed(which + " truncated", at);
    }
    Property p;
    p.vendor = Read32(bytes, at);
    p.key = Read32(bytes, at + 4);
    p.id = Read32(bytes, at + 8);
    const std::uint32_t length = Read32(bytes, at + 12);
    at += kPropertyHeaderSize;
    const std::size_t padded = (static_cast<std::size_t>(length) + 3) / 4 * 4;
    if (bytes.size() - at < padded) {
      Malformed(which + " (" + FourCCText(p.key) + ") runs past the end", at);
    }
    p.data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                  bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
    for (std::size_t k = at + length; k < at + padded; ++k) {
      if (bytes[k] != 0) {
        Malformed(which + " (" + FourCCText(p.key) + ") has non-zero padding", k);
      }
    }
    at += padded;
    list.properties.push_back(std::move(p));
  }
  // Section alignment may add zeros; anything else means the count is wrong.
  for (std::size_t k = at; k < bytes.size(); ++k) {
    if (bytes[k] != 0) {
      Malformed("bytes after the last property", k);
    }
  }
  return list;
}

}  // namespace boxwander::minihost
