#include "minihost/module_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "byte_writer.h"
#include "minihost/elf_section.h"
#include "minihost/file_bytes.h"
#include "minihost/load_error.h"
#include "refused_module.h"
#include "temp_file.h"

namespace boxwander::minihost {
namespace {

// A minimal 64-bit little-endian ELF image: file header, the section contents, then the
// section table with a null section, the named sections and the name table.
struct ElfImage {
  std::vector<std::uint8_t> bytes;
  std::size_t table = 0;  // offset of the section table

  // Offset of a field of section header i.
  std::size_t field(std::size_t i, std::size_t at) const { return table + 64 * i + at; }
  void put64(std::size_t at, std::uint64_t v) {
    for (int k = 0; k < 8; ++k) {
      bytes[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(v >> (8 * k));
    }
  }
};

ElfImage MakeElf(const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& sections) {
  std::string names(1, '\0');
  std::vector<std::uint32_t> nameAt;
  for (const auto& s : sections) {
    nameAt.push_back(static_cast<std::uint32_t>(names.size()));
    names += s.first + '\0';
  }
  const auto namesName = static_cast<std::uint32_t>(names.size());
  names += std::string(".shstrtab") + '\0';

  ByteWriter w;
  w.zeros(64);
  std::vector<std::uint64_t> offsets;
  for (const auto& s : sections) {
    offsets.push_back(w.bytes.size());
    w.bytes.insert(w.bytes.end(), s.second.begin(), s.second.end());
  }
  const std::uint64_t namesOffset = w.bytes.size();
  w.text(names);
  w.zeros((8 - w.bytes.size() % 8) % 8);
  const std::uint64_t table = w.bytes.size();
  const auto header = [&](std::uint32_t name, std::uint32_t type, std::uint64_t off,
                          std::uint64_t size) {
    w.u32(name).u32(type).u64(0).u64(0).u64(off).u64(size).u32(0).u32(0).u64(1).u64(0);
  };
  header(0, 0, 0, 0);
  for (std::size_t i = 0; i < sections.size(); ++i) {
    header(nameAt[i], 1, offsets[i], sections[i].second.size());
  }
  header(namesName, 3, namesOffset, names.size());

  ByteWriter h;
  h.text(
       "\x7F"
       "ELF")
      .u8(2)
      .u8(1)
      .u8(1)
      .zeros(9);  // 64-bit, little-endian, version 1
  h.u16(3).u16(62).u32(1).u64(0).u64(0).u64(table).u32(0).u16(64).u16(56).u16(0);
  h.u16(64)
      .u16(static_cast<std::uint16_t>(sections.size() + 2))
      .u16(static_cast<std::uint16_t>(sections.size() + 1));
  std::copy(h.bytes.begin(), h.bytes.end(), w.bytes.begin());
  return {w.bytes, table};
}

const std::vector<std::uint8_t> kPiplBytes = [] {
  ByteWriter w;
  w.u16(1).u32(0).u32(1).text("MIB8").text("68xw").u32(0).u32(16).text("EntryPointFunc").zeros(2);
  return w.bytes;
}();

LoadError::Kind KindOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const LoadError& e) {
    return e.kind();
  }
  ADD_FAILURE() << "no LoadError";
  return LoadError::Kind::kLoadFailed;
}

TEST(ElfSectionTest, FindsASectionByName) {
  const ElfImage elf = MakeElf({{".text", {1, 2, 3}}, {".pipl", {9, 8, 7, 6}}});
  const ElfSection pipl = FindElfSection(elf.bytes, ".pipl");
  EXPECT_TRUE(pipl.found);
  EXPECT_EQ(pipl.bytes, (std::vector<std::uint8_t>{9, 8, 7, 6}));
  EXPECT_FALSE(FindElfSection(elf.bytes, ".pip").found);
  EXPECT_FALSE(FindElfSection(elf.bytes, ".pipl2").found);
}

TEST(ElfSectionTest, DamagedImagesAreNotElf) {
  struct Case {
    const char* name;
    std::function<void(ElfImage&)> damage;
  };
  const Case cases[] = {
      {"shorter than a header", [](ElfImage& e) { e.bytes.resize(40); }},
      {"wrong magic", [](ElfImage& e) { e.bytes[1] = 'X'; }},
      {"32-bit", [](ElfImage& e) { e.bytes[4] = 1; }},
      {"big-endian", [](ElfImage& e) { e.bytes[5] = 2; }},
      {"table past the end", [](ElfImage& e) { e.put64(0x28, e.bytes.size() - 32); }},
      {"table offset near 2^64", [](ElfImage& e) { e.put64(0x28, ~std::uint64_t{0} - 8); }},
      {"section past the end", [](ElfImage& e) { e.put64(e.field(1, 0x20), e.bytes.size()); }},
      {"section offset near 2^64", [](ElfImage& e) { e.put64(e.field(1, 0x18), ~0ull); }},
      {"name outside the name table", [](ElfImage& e) { e.bytes[e.field(1, 0) + 1] = 0x40; }},
      {"name table unterminated",
       [](ElfImage& e) {
         e.put64(e.field(2, 0x20), 4);  // cuts the table inside ".pipl"
       }},
      {"name table index too large", [](ElfImage& e) { e.bytes[0x3E] = 9; }},
  };
  for (const Case& c : cases) {
    ElfImage elf = MakeElf({{".pipl", {1, 2, 3, 4}}});
    c.damage(elf);
    EXPECT_EQ(KindOf([&] { FindElfSection(elf.bytes, ".pipl"); }), LoadError::Kind::kNotElf)
        << c.name;
  }
}

TEST(ModuleFileTest, EachLoadingFailureHasItsKindAndNamesTheFile) {
  const TempFile text("text", {'h', 'e', 'l', 'l', 'o'});
  const TempFile noPipl("no_pipl", MakeElf({{".text", {1}}}).bytes);
  const TempFile badPipl("bad_pipl", MakeElf({{".pipl", {1, 0}}}).bytes);
  // A well-formed list in a file the dynamic loader cannot load.
  const TempFile notLoadable("not_loadable", MakeElf({{".pipl", kPiplBytes}}).bytes);
  struct Case {
    std::string path;
    LoadError::Kind kind;
  };
  const Case cases[] = {
      {"/nonexistent/boxwander.so", LoadError::Kind::kFileMissing},
      {std::filesystem::temp_directory_path().string(), LoadError::Kind::kFileMissing},
      {text.path(), LoadError::Kind::kNotElf},
      {noPipl.path(), LoadError::Kind::kNoPropertyList},
      {badPipl.path(), LoadError::Kind::kMalformedPropertyList},
      {notLoadable.path(), LoadError::Kind::kLoadFailed},
  };
  for (const Case& c : cases) {
    ExpectRefused(c.path, c.kind);
  }
}

TEST(ModuleFileTest, LoadsTheEntryNamedByThePropertyList) {
  const ModuleFile module(FIXTURE_MODULE_PATH);
  EXPECT_EQ(module.entryName(), "EntryPointFunc");
  EXPECT_NE(module.entry(), nullptr);

  // The same module whose list names another entry: found in the list, not in the module.
  std::vector<std::uint8_t> bytes = ReadFileBytes(FIXTURE_MODULE_PATH);
  const std::string marker =
      std::string("68xw") + std::string(4, '\0') + '\x10' + std::string(3, '\0') + "EntryPointFunc";
  const auto at = std::search(bytes.begin(), bytes.end(), marker.begin(), marker.end());
  ASSERT_NE(at, bytes.end());
  *(at + static_cast<std::ptrdiff_t>(marker.size()) - 1) = 'X';
  const TempFile renamed("renamed_entry.so", bytes);
  EXPECT_EQ(ReadPropertyList(renamed.path()).codeEntry(), "EntryPointFunX");
  EXPECT_EQ(KindOf([&] { ModuleFile m(renamed.path()); }), LoadError::Kind::kEntryNotFound);
}

}  // namespace
}  // namespace boxwander::minihost
