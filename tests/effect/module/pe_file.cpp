#include "tests/effect/module/pe_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace boxwander::test {
namespace {

constexpr std::uint32_t kSubdirectory = 0x80000000u;

}  // namespace

PeFile::PeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw std::runtime_error(path + ": cannot be opened");
  }
  bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (bytes_.size() < 64 || bytes_[0] != 'M' || bytes_[1] != 'Z') {
    throw std::runtime_error(path + ": not a PE file");
  }
  const std::uint64_t header = u32(0x3C);
  if (u32(header) != 0x00004550) {  // "PE\0\0"
    throw std::runtime_error(path + ": no PE signature");
  }
  machine_ = u16(header + 4);
  const std::uint16_t sectionCount = u16(header + 6);
  const std::uint16_t optionalSize = u16(header + 20);
  characteristics_ = u16(header + 22);
  const std::uint64_t optional = header + 24;
  if (u16(optional) != 0x20B) {
    throw std::runtime_error(path + ": not PE32+");
  }
  const std::uint32_t directoryCount = u32(optional + 108);
  for (std::uint32_t i = 0; i < 3 && i < directoryCount; ++i) {
    directories_[i][0] = u32(optional + 112 + 8 * i);
    directories_[i][1] = u32(optional + 112 + 8 * i + 4);
  }
  const std::uint64_t table = optional + optionalSize;
  for (std::uint16_t i = 0; i < sectionCount; ++i) {
    const std::uint64_t at = table + 40u * i;
    sections_.push_back({u32(at + 12), u32(at + 8), u32(at + 16), u32(at + 20)});
  }
}

std::uint32_t PeFile::u32(std::uint64_t offset) const {
  return static_cast<std::uint32_t>(u16(offset)) |
         (static_cast<std::uint32_t>(u16(offset + 2)) << 16);
}

std::uint16_t PeFile::u16(std::uint64_t offset) const {
  if (offset > bytes_.size() || bytes_.size() - offset < 2) {
    throw std::runtime_error("PE structure past the end of the file");
  }
  return static_cast<std::uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
}

std::string PeFile::cString(std::uint64_t offset) const {
  std::string text;
  for (; offset < bytes_.size() && bytes_[offset] != 0; ++offset) {
    text += static_cast<char>(bytes_[offset]);
  }
  return text;
}

std::uint64_t PeFile::offsetOf(std::uint32_t rva) const {
  for (const Section& s : sections_) {
    const std::uint32_t size = std::max(s.virtualSize, s.rawSize);
    if (rva >= s.address && rva - s.address < size && rva - s.address < s.rawSize) {
      return std::uint64_t{s.rawOffset} + (rva - s.address);
    }
  }
  throw std::runtime_error("address outside every section");
}

std::vector<std::string> PeFile::exportedNames() const {
  std::vector<std::string> names;
  if (directories_[0][1] == 0) {
    return names;
  }
  const std::uint64_t dir = offsetOf(directories_[0][0]);
  const std::uint32_t count = u32(dir + 24);
  const std::uint64_t table = offsetOf(u32(dir + 32));
  for (std::uint32_t i = 0; i < count; ++i) {
    names.push_back(cString(offsetOf(u32(table + 4u * i))));
  }
  return names;
}

std::vector<std::string> PeFile::importedDlls() const {
  std::vector<std::string> dlls;
  if (directories_[1][1] == 0) {
    return dlls;
  }
  for (std::uint64_t at = offsetOf(directories_[1][0]);; at += 20) {
    const std::uint32_t name = u32(at + 12);
    if (name == 0) {
      return dlls;
    }
    dlls.push_back(cString(offsetOf(name)));
  }
}

std::string PeFile::resourceName(std::uint64_t base, std::uint32_t entry) const {
  if ((entry & kSubdirectory) == 0) {
    return "#" + std::to_string(entry);
  }
  const std::uint64_t at = base + (entry & ~kSubdirectory);
  std::string name;
  for (std::uint16_t i = 0, n = u16(at); i < n; ++i) {
    name += static_cast<char>(u16(at + 2 + 2u * i));  // the names we use are ASCII
  }
  return name;
}

std::vector<PeFile::Resource> PeFile::resources() const {
  std::vector<Resource> found;
  if (directories_[2][1] == 0) {
    return found;
  }
  const std::uint64_t base = offsetOf(directories_[2][0]);
  // Entries of a directory: (name or id, offset of what it leads to).
  const auto entries = [&](std::uint64_t dir) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> list;
    const std::uint32_t count = std::uint32_t{u16(dir + 12)} + u16(dir + 14);
    for (std::uint32_t i = 0; i < count; ++i) {
      list.emplace_back(u32(dir + 16 + 8u * i), u32(dir + 16 + 8u * i + 4));
    }
    return list;
  };
  for (const auto& [type, typeDir] : entries(base)) {
    for (const auto& [name, nameDir] : entries(base + (typeDir & ~kSubdirectory))) {
      for (const auto& [language, leaf] : entries(base + (nameDir & ~kSubdirectory))) {
        const std::uint64_t data = base + leaf;
        const std::uint64_t at = offsetOf(u32(data));
        const std::uint32_t size = u32(data + 4);
        if (at + size > bytes_.size()) {
          throw std::runtime_error("resource past the end of the file");
        }
        found.push_back(
            {resourceName(base, type), resourceName(base, name), language,
             std::vector<std::uint8_t>(bytes_.begin() + static_cast<std::ptrdiff_t>(at),
                                       bytes_.begin() + static_cast<std::ptrdiff_t>(at + size))});
      }
    }
  }
  return found;
}

}  // namespace boxwander::test
