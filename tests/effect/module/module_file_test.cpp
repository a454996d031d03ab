// The built module file as a host sees it before loading it: its exports and its
// property list.
#include <elf.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/effect/module/elf_file.h"
#include "tests/effect/module/expected_pipl.h"

namespace boxwander::test {
namespace {

TEST(ModuleFile, ExportsOnlyEntryPointFunc) {
  const ElfFile module(BOXWANDER_MODULE_PATH);
  const std::vector<ElfFile::Symbol> symbols = module.definedDynamicSymbols();
  ASSERT_EQ(symbols.size(), 1u);
  EXPECT_EQ(symbols[0].name, "EntryPointFunc");
  EXPECT_EQ(symbols[0].type, unsigned{STT_FUNC});
  EXPECT_EQ(symbols[0].binding, unsigned{STB_GLOBAL});
}

TEST(ModuleFile, PropertyListSectionHoldsTheTwelveProperties) {
  const ElfFile module(BOXWANDER_MODULE_PATH);
  const auto section = module.section(".pipl");
  ASSERT_TRUE(section.has_value()) << "no .pipl section";
  ExpectBoxwanderPropertyList(*section);
}

}  // namespace
}  // namespace boxwander::test
