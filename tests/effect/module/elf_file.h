#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace boxwander::test {

// A 64-bit little-endian ELF file read whole, for inspecting the built module.
class ElfFile {
 public:
  // Throws std::runtime_error when the file cannot be read or is not such an ELF file.
  explicit ElfFile(const std::string& path);

  // The bytes of the named section; nullopt when there is none.
  std::optional<std::vector<std::uint8_t>> section(const std::string& name) const;

  struct Symbol {
    std::string name;
    unsigned type;     // STT_*
    unsigned binding;  // STB_*
  };
  // The dynamic symbols that the file defines and exports (not local, not undefined).
  std::vector<Symbol> definedDynamicSymbols() const;

 private:
  struct Section {
    std::string name;
    std::uint32_t type;
    std::uint64_t offset, size, entsize;
    std::uint32_t link;
  };
  std::vector<std::uint8_t> bytes_;
  std::vector<Section> sections_;
};

}  // namespace boxwander::test
