#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace boxwander::test {

// A 64-bit Windows PE file read whole, for inspecting the built module: its headers, its
// export and import tables and its resources, read from the bytes alone.
class PeFile {
 public:
  // Throws std::runtime_error when the file cannot be read or is not such a PE file.
  explicit PeFile(const std::string& path);

  std::uint16_t machine() const noexcept { return machine_; }
  std::uint16_t characteristics() const noexcept { return characteristics_; }

  // The names the export table gives, in its order.
  std::vector<std::string> exportedNames() const;
  // The DLLs the import table names.
  std::vector<std::string> importedDlls() const;

  struct Resource {
    std::string type;  // a named type as it stands, a numbered one as "#N"
    std::string name;  // likewise
    std::uint32_t language;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<Resource> resources() const;

 private:
  struct Section {
    std::uint32_t address, virtualSize, rawSize, rawOffset;
  };
  std::uint64_t offsetOf(std::uint32_t rva) const;  // throws when no section holds it
  std::uint32_t u32(std::uint64_t offset) const;
  std::uint16_t u16(std::uint64_t offset) const;
  std::string cString(std::uint64_t offset) const;
  std::string resourceName(std::uint64_t base, std::uint32_t entry) const;

  std::vector<std::uint8_t> bytes_;
  std::uint16_t machine_ = 0;
  std::uint16_t characteristics_ = 0;
  std::uint32_t directories_[3][2] = {};  // export, import, resource: address and size
  std::vector<Section> sections_;
};

}  // namespace boxwander::test
