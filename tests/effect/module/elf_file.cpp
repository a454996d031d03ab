#include "tests/effect/module/elf_file.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace boxwander::test {
namespace {

template <class T>
T ReadAt(const std::vector<std::uint8_t>& bytes, std::uint64_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) {
    throw std::runtime_error("ELF structure past the end of the file");
  }
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

std::string StringAt(const std::vector<std::uint8_t>& bytes, std::uint64_t table,
                     std::uint64_t table_size, std::uint32_t index) {
  if (index >= table_size || table + table_size > bytes.size()) {
    throw std::runtime_error("ELF string outside its table");
  }
  const char* begin = reinterpret_cast<const char*>(bytes.data() + table + index);
  return std::string(begin, strnlen(begin, table_size - index));
}

}  // namespace

ElfFile::ElfFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw std::runtime_error("cannot read " + path);
  }
  bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  const auto header = ReadAt<Elf64_Ehdr>(bytes_, 0);
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
      header.e_ident[EI_DATA] != ELFDATA2LSB) {
    throw std::runtime_error(path + " is not a 64-bit little-endian ELF file");
  }
  std::vector<Elf64_Shdr> raw;
  for (std::uint16_t i = 0; i < header.e_shnum; ++i) {
    raw.push_back(
        ReadAt<Elf64_Shdr>(bytes_, header.e_shoff + std::uint64_t{i} * header.e_shentsize));
  }
  const Elf64_Shdr& names = raw.at(header.e_shstrndx);
  for (const Elf64_Shdr& s : raw) {
    sections_.push_back({StringAt(bytes_, names.sh_offset, names.sh_size, s.sh_name), s.sh_type,
                         s.sh_offset, s.sh_size, s.sh_entsize, s.sh_link});
  }
}

std::optional<std::vector<std::uint8_t>> ElfFile::section(const std::string& name) const {
  for (const Section& s : sections_) {
    if (s.name == name) {
      if (s.offset + s.size > bytes_.size()) {
        throw std::runtime_error("section " + name + " past the end of the file");
      }
      return std::vector<std::uint8_t>(
          bytes_.begin() + static_cast<std::ptrdiff_t>(s.offset),
          bytes_.begin() + static_cast<std::ptrdiff_t>(s.offset + s.size));
    }
  }
  return std::nullopt;
}

std::vector<ElfFile::Symbol> ElfFile::definedDynamicSymbols() const {
  std::vector<Symbol> symbols;
  for (const Section& s : sections_) {
    if (s.type != SHT_DYNSYM) {
      continue;
    }
    const Section& strings = sections_.at(s.link);
    for (std::uint64_t at = 0; at + sizeof(Elf64_Sym) <= s.size; at += sizeof(Elf64_Sym)) {
      const auto sym = ReadAt<Elf64_Sym>(bytes_, s.offset + at);
      if (sym.st_shndx == SHN_UNDEF || ELF64_ST_BIND(sym.st_info) == STB_LOCAL) {
        continue;
      }
      symbols.push_back({StringAt(bytes_, strings.offset, strings.size, sym.st_name),
                         ELF64_ST_TYPE(sym.st_info), ELF64_ST_BIND(sym.st_info)});
    }
  }
  return symbols;
}

}  // namespace boxwander::test
