#include "minihost/elf_section.h"

#include "minihost/load_error.h"

namespace boxwander::minihost {
namespace {

constexpr std::size_t kFileHeaderSize = 64;
constexpr std::size_t kSectionHeaderSize = 64;
constexpr std::uint32_t kSectionNoBits = 8;
constexpr std::uint16_t kExtendedIndex = 0xFFFF;

[[noreturn]] void Damaged(const std::string& what) {
  throw LoadError(LoadError::Kind::kNotElf, "not a usable 64-bit ELF file: " + what);
}

// Little-endian reads at offsets already checked against the image size.
std::uint64_t ReadLE(std::span<const std::uint8_t> image, std::uint64_t offset, int bytes) {
  std::uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) {
    value = (value << 8) | image[offset + static_cast<std::uint64_t>(i)];
  }
  return value;
}

// True when [offset, offset + size) lies inside the image, without overflow.
bool Inside(std::span<const std::uint8_t> image, std::uint64_t offset, std::uint64_t size) {
  return offset <= image.size() && size <= image.size() - offset;
}

struct SectionHeader {
  std::uint32_t name;
  std::uint32_t type;
  std::uint64_t offset;
  std::uint64_t size;
  std::uint32_t link;
};

SectionHeader ReadSectionHeader(std::span<const std::uint8_t> image, std::uint64_t at) {
  SectionHeader h{};
  h.name = static_cast<std::uint32_t>(ReadLE(image, at + 0x00, 4));
  h.type = static_cast<std::uint32_t>(ReadLE(image, at + 0x04, 4));
  h.offset = ReadLE(image, at + 0x18, 8);
  h.size = ReadLE(image, at + 0x20, 8);
  h.link = static_cast<std::uint32_t>(ReadLE(image, at + 0x28, 4));
  return h;
}

}  // namespace

ElfSection FindElfSection(std::span<const std::uint8_t> image, std::string_view name) {
  if (image.size() < kFileHeaderSize || image[0] != 0x7F || image[1] != 'E' || image[2] != 'L' ||
      image[3] != 'F') {
    throw LoadError(LoadError::Kind::kNotElf, "not an ELF file");
  }
  if (image[4] != 2 || image[5] != 1) {
    Damaged("not 64-bit little-endian");
  }
  const std::uint64_t tableOffset = ReadLE(image, 0x28, 8);
  const std::uint64_t entrySize = ReadLE(image, 0x3A, 2);
  std::uint64_t count = ReadLE(image, 0x3C, 2);
  std::uint64_t namesIndex = ReadLE(image, 0x3E, 2);
  if (tableOffset == 0) {
    return {};  // no section table at all
  }
  if (entrySize < kSectionHeaderSize || !Inside(image, tableOffset, entrySize)) {
    Damaged("section table outside the file");
  }
  // Counts that do not fit the file header are kept in the first section header.
  const SectionHeader first = ReadSectionHeader(image, tableOffset);
  if (count == 0) {
    count = first.size;
  }
  if (namesIndex == kExtendedIndex) {
    namesIndex = first.link;
  }
  if (count > (image.size() - tableOffset) / entrySize) {
    Damaged("section table outside the file");
  }
  if (namesIndex >= count) {
    Damaged("no section-name table");
  }
  const SectionHeader names = ReadSectionHeader(image, tableOffset + namesIndex * entrySize);
  if (names.type == kSectionNoBits || !Inside(image, names.offset, names.size)) {
    Damaged("section-name table outside the file");
  }
  const auto nameTable = image.subspan(names.offset, names.size);

  for (std::uint64_t i = 0; i < count; ++i) {
    const SectionHeader h = ReadSectionHeader(image, tableOffset + i * entrySize);
    if (h.name >= nameTable.size()) {
      Damaged("section name outside the name table");
    }
    // The name must end with its zero inside the table to count as a name at all.
    const auto rest = nameTable.subspan(h.name);
    const std::string_view candidate(reinterpret_cast<const char*>(rest.data()), rest.size());
    const auto end = candidate.find('\0');
    if (end == std::string_view::npos) {
      Damaged("unterminated section name");
    }
    if (candidate.substr(0, end) != name) {
      continue;
    }
    ElfSection found;
    found.found = true;
    if (h.type == kSectionNoBits) {
      return found;
    }
    if (!Inside(image, h.offset, h.size)) {
      Damaged("section " + std::string(name) + " outside the file");
    }
    const auto data = image.subspan(h.offset, h.size);
    found.bytes.assign(data.begin(), data.end());
    return found;
  }
  return {};
}

}  // namespace boxwander::minihost
