#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace boxwander::minihost {

struct ElfSection {
  bool found = false;
  std::vector<std::uint8_t> bytes;  // empty for a section that takes no room in the file
};

// Looks up a section by name in a 64-bit little-endian ELF image held in memory, reading
// only the file header, the section table and the section-name table. Throws LoadError
// kNotElf when the image is not such a file or any header, table or section it needs lies
// outside the image. A missing section is not an error: found stays false.
ElfSection FindElfSection(std::span<const std::uint8_t> image, std::string_view name);

}  // namespace boxwander::minihost
