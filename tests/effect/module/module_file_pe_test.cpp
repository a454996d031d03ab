// The built Windows module as a host sees it before loading it: a 64-bit DLL that exports
// only its entry, needs only system DLLs, and carries its property list as the resource
// "PIPL" 16000 in US English.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "minihost/native_module.h"
#include "tests/effect/module/expected_pipl.h"
#include "tests/effect/module/pe_file.h"

namespace boxwander::test {
namespace {

constexpr std::uint32_t kEnglishUnitedStates = 1033;

TEST(WindowsModuleFile, IsA64BitDllExportingOnlyEntryPointFunc) {
  const PeFile module(BOXWANDER_MODULE_PATH);
  EXPECT_EQ(module.machine(), 0x8664) << "x86-64";
  EXPECT_NE(module.characteristics() & 0x2000, 0) << "a DLL";
  EXPECT_EQ(module.exportedNames(), std::vector<std::string>{"EntryPointFunc"});
}

TEST(WindowsModuleFile, ImportsOnlyDllsEveryWindowsHas) {
  std::vector<std::string> dlls = PeFile(BOXWANDER_MODULE_PATH).importedDlls();
  for (std::string& dll : dlls) {
    std::transform(dll.begin(), dll.end(), dll.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  }
  std::sort(dlls.begin(), dlls.end());
  EXPECT_EQ(dlls, (std::vector<std::string>{"kernel32.dll", "msvcrt.dll"}));
}

TEST(WindowsModuleFile, PiplResourceHoldsTheTwelveProperties) {
  const std::vector<PeFile::Resource> resources = PeFile(BOXWANDER_MODULE_PATH).resources();
  std::vector<const PeFile::Resource*> pipl;
  for (const PeFile::Resource& r : resources) {
    if (r.type == "PIPL") {
      pipl.push_back(&r);
    }
  }
  ASSERT_EQ(pipl.size(), 1u) << "one PIPL resource";
  EXPECT_EQ(pipl[0]->name, "#16000");
  EXPECT_EQ(pipl[0]->language, kEnglishUnitedStates);
  ExpectBoxwanderPropertyList(pipl[0]->bytes);

  // What the host reads through the system's resource functions is the same.
  EXPECT_EQ(minihost::ReadPropertyListBytes(BOXWANDER_MODULE_PATH), pipl[0]->bytes);
}

TEST(WindowsModuleFile, CarriesItsVersion) {
  const std::vector<PeFile::Resource> resources = PeFile(BOXWANDER_MODULE_PATH).resources();
  const auto version = std::find_if(resources.begin(), resources.end(),
                                    [](const PeFile::Resource& r) { return r.type == "#16"; });
  ASSERT_NE(version, resources.end()) << "no VERSIONINFO";
  // The fixed part starts with its signature, then the file version 1.0.0.0 (major and
  // minor in the high word's halves).
  const std::vector<std::uint8_t>& b = version->bytes;
  const std::vector<std::uint8_t> signature = {0xBD, 0x04, 0xEF, 0xFE};
  const auto at = std::search(b.begin(), b.end(), signature.begin(), signature.end());
  ASSERT_NE(at, b.end());
  const auto offset = static_cast<std::size_t>(at - b.begin());
  ASSERT_GE(b.size(), offset + 16);
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + offset + 8, b.begin() + offset + 16),
            (std::vector<std::uint8_t>{0, 0, 1, 0, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace boxwander::test
