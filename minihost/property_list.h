#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace boxwander::minihost {

// A four-character code as the property list stores it: a 32-bit number whose most
// significant byte is the first character (so the characters stand reversed in a
// little-endian file).
constexpr std::uint32_t FourCC(const char (&code)[5]) noexcept {
  return (static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[3]));
}
std::string FourCCText(std::uint32_t code);

struct Property {
  std::uint32_t vendor = 0;
  std::uint32_t key = 0;
  std::uint32_t id = 0;
  std::vector<std::uint8_t> data;  // exactly the stated data length, padding excluded
};

// The plug-in property list: resource version 1, list version 0, then the properties in
// file order.
struct PropertyList {
  std::uint16_t resourceVersion = 0;
  std::uint32_t listVersion = 0;
  std::vector<Property> properties;

  // First property with this key (any vendor), or null.
  const Property* find(std::uint32_t key) const noexcept;

  // Typed readers; nullopt when the key is missing or its data has the wrong shape.
  std::optional<std::string> pascalString(std::uint32_t key) const;  // length byte + text
  std::optional<std::uint32_t> word32(std::uint32_t key) const;      // little-endian
  std::optional<std::uint16_t> word16(std::uint32_t key, std::size_t at = 0) const;
  // Zero-terminated text such as the code entry's symbol name.
  std::optional<std::string> cString(std::uint32_t key) const;

  // The name of the entry function: the "wx86" code entry. Throws LoadError
  // kEntryNotFound when the list has none.
  std::string codeEntry() const;
};

// Decodes the list from the bytes of the module's .pipl section or PIPL resource. Throws LoadError
// kMalformedPropertyList, with what was wrong and where, for a list that is truncated, has
// an unknown resource version, or whose property count or lengths run past the end.
// Bytes after the last property (section alignment) are ignored.
PropertyList DecodePropertyList(std::span<const std::uint8_t> bytes);

}  // namespace boxwander::minihost
